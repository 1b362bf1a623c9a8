#pragma once

// Texts of the processing page: its four edit boxes read as numbers and the
// statistics labels.

#include "data/ProcessingChoosers.h"
#include "data/SignalStatistics.h"

#include <QString>

// The edit boxes' texts (Edit8, Edit_Actuator_Maximum, Edit_Actuator_Minimum,
// Edit_Actuator_Velocity) read with the user's decimal separator and checked
// by CheckConditioningSettings. Throws ConversionError naming the field of
// the first text that is not a number or not a sound setting.
ConditioningSettings ParseConditioningSettings(const QString& filterTime, const QString& maximum,
                                               const QString& minimum, const QString& velocity);

// Refuses settings that make no actuator or filter, naming the field: a
// minimum above the maximum (the output would swing outside both limits), a
// negative opening time (it would run away from its target) or filter time
// (the filter would grow without bound).
void CheckConditioningSettings(const ConditioningSettings& settings);

// The three labels beside "Maks:", "Min:" and "STD:": general format with 8
// significant digits, the user's decimal separator.
struct SignalStatisticsTexts {
    QString Max;
    QString Min;
    QString Std;
};

SignalStatisticsTexts StatisticsTexts(const SignalStatistics& statistics);
