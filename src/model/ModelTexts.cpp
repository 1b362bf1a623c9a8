#include "model/ModelTexts.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "data/Podatki.h"
#include "model/ModelQuality.h"

#include <utility>

namespace {

// Fixed decimals with all the digits a double holds before them.
QString Fixed(double value, int decimals)
{
    return FormatFixed(value, 15, decimals);
}

} // namespace

ModelTexts ShowModelTexts(const ProcessModel& m, const ModelRefinementState& refinement)
{
    const bool refined = refinement.Shown;
    return {Fixed(m.Gain, 3),
            Fixed(m.TimeConstant, 2),
            Fixed(m.DeadTime, refined ? 2 : 1),
            Fixed(m.GainDeviation, 3),
            Fixed(m.TimeDeviation, 2),
            refined ? Fixed(refinement.DeadTimeInterval, 2) : QString(),
            Fixed(m.ResidualSTD, 5),
            Fixed(m.RelativeError, 5),
            QString::fromUtf8(GradeText(GradeModel(m.RelativeError)))};
}

QString ModelStatusText(const std::string& samplingWarning, bool refined)
{
    const QString warning = QString::fromStdString(samplingWarning);
    if (!refined)
        return warning;
    const QString note = QString::fromUtf8(RefinedModelNoteText);
    return warning.isEmpty() ? note : warning + QStringLiteral(" — ") + note;
}

QString AppliedModelFigureText(double value)
{
    return Fixed(value, 4);
}

TypedModel ParseTypedModel(const QString& gain, const QString& timeConstant,
                           const QString& deadTime)
{
    const QString timeField = QStringLiteral("Ocenjena časovna konstanta [s]");
    const QString delayField = QStringLiteral("Ocenjen mrtvi čas [s]");
    TypedModel model;
    model.Gain = ParseFieldNumber(gain, QStringLiteral("Ocenjeno ojačenje"));
    model.TimeConstant = ParseFieldNumber(timeConstant, timeField);
    model.DeadTime = ParseFieldNumber(deadTime, delayField);
    for (const auto& [value, field] : {std::pair{model.TimeConstant, timeField},
                                       std::pair{model.DeadTime, delayField}}) {
        if (value < 0)
            throw ConversionError(
                QStringLiteral("%1: vrednost ne sme biti negativna (%2).")
                    .arg(field, FormatGeneral(value, 10))
                    .toStdString());
    }
    return model;
}
