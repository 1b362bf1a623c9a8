#include "data/ProcessingText.h"

#include "base/Errors.h"
#include "base/NumberText.h"

ConditioningSettings ParseConditioningSettings(const QString& filterTime, const QString& maximum,
                                               const QString& minimum, const QString& velocity)
{
    ConditioningSettings s;
    s.FilterTime = ParseFieldNumber(filterTime, QStringLiteral("Čas filtra [s]"));
    s.Maximum = ParseFieldNumber(maximum, QStringLiteral("Maksimum izvršnega člena"));
    s.Minimum = ParseFieldNumber(minimum, QStringLiteral("Minimum izvršnega člena"));
    s.Velocity = ParseFieldNumber(velocity, QStringLiteral("Čas odp. [s]"));
    CheckConditioningSettings(s);
    return s;
}

void CheckConditioningSettings(const ConditioningSettings& s)
{
    auto refuse = [](const QString& message) { throw ConversionError(message.toStdString()); };
    if (s.Minimum > s.Maximum)
        refuse(QStringLiteral("Minimum izvršnega člena (%1) je večji od maksimuma (%2).")
                   .arg(FormatGeneral(s.Minimum, 10), FormatGeneral(s.Maximum, 10)));
    if (s.Velocity < 0)
        refuse(QStringLiteral("Čas odp. [s]: čas odpiranja izvršnega člena ne sme biti negativen (%1).")
                   .arg(FormatGeneral(s.Velocity, 10)));
    if (s.FilterTime < 0)
        refuse(QStringLiteral("Čas filtra [s]: časovna konstanta filtra ne sme biti negativna (%1).")
                   .arg(FormatGeneral(s.FilterTime, 10)));
}

SignalStatisticsTexts StatisticsTexts(const SignalStatistics& statistics)
{
    return {FormatGeneral(statistics.Max, 8), FormatGeneral(statistics.Min, 8),
            FormatGeneral(statistics.Std, 8)};
}
