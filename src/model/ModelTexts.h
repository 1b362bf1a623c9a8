#pragma once

// The numbers of the model page as text, with the page's fixed decimals and
// the locale's decimal separator.

#include <QString>

struct ProcessModel;

struct ModelTexts {
    QString Gain;          // 3 decimals
    QString TimeConstant;  // 2
    QString DeadTime;      // 1
    QString GainDeviation; // 3
    QString TimeDeviation; // 2
    QString ResidualSTD;   // 5
    QString RelativeError; // 5
    QString Grade;         // "Zelo dobra", "Dobra", "Slabsa" or "Slaba"
};

// What the page shows of an identified or loaded model.
ModelTexts ShowModelTexts(const ProcessModel& model);

// The residual STD and relative error after "Uporabi model": 4 decimals.
QString AppliedModelFigureText(double value);

// The model typed into the page's three edits for "Uporabi model", read with
// the locale's separator. Throws ConversionError naming the field of a text
// that is not a number, or of a negative time constant or dead time (no
// process has them; the fit and the tuning would turn them into nonsense).
struct TypedModel {
    double Gain = 0;
    double TimeConstant = 0;
    double DeadTime = 0;
};
TypedModel ParseTypedModel(const QString& gain, const QString& timeConstant,
                           const QString& deadTime);
