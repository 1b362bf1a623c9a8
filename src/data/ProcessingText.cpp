#include "data/ProcessingText.h"

#include "base/NumberText.h"

ConditioningSettings ParseConditioningSettings(const QString& filterTime, const QString& maximum,
                                               const QString& minimum, const QString& velocity)
{
    ConditioningSettings s;
    s.FilterTime = ParseNumber(filterTime);
    s.Maximum = ParseNumber(maximum);
    s.Minimum = ParseNumber(minimum);
    s.Velocity = ParseNumber(velocity);
    return s;
}

SignalStatisticsTexts StatisticsTexts(const SignalStatistics& statistics)
{
    return {FormatGeneral(statistics.Max, 8), FormatGeneral(statistics.Min, 8),
            FormatGeneral(statistics.Std, 8)};
}
