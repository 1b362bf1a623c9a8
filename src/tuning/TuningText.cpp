#include "tuning/TuningText.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <cmath>

const std::array<const char*, TuningLabelCount> TuningLabelNames = {
    "Label_Kp_Cascade", "Label_Ki",     "Label_Kp_P",   "Label_PI_Kp",
    "Label_PI_Ti",      "Label_PID_Kp", "Label_PID_Ti", "Label_PID_Td"};

namespace {

// Significant digits of the page's fixed-point numbers.
constexpr int PagePrecision = 15;

} // namespace

TuningLabelTexts FormatTuningLabels(const TuningOutcome& outcome)
{
    TuningLabelTexts texts;
    for (int i = 0; i < TuningLabelCount; ++i) {
        const std::optional<double>& value = outcome.LabelValues[static_cast<std::size_t>(i)];
        texts.Gains[static_cast<std::size_t>(i)] =
            value ? FormatFixed(*value, PagePrecision,
                                TuningLabelDecimals[static_cast<std::size_t>(i)])
                  : QStringLiteral("0");
    }
    texts.RecommendedTs = FormatFixed(outcome.RecommendedTs, PagePrecision, RecommendedTsDecimals);
    return texts;
}

TuningPageResult EvaluateTuning(Podatki& store, const TuningRequest& request)
{
    TuningPageResult result;
    result.Tuning = ComputeTuning(request.Method, request.SliderPosition, request.Cascade,
                                  store.InnerModel, store.OuterModel);
    result.Labels = FormatTuningLabels(result.Tuning);
    StoreTuning(store, result.Tuning);
    try {
        // The text is converted only now, after the tuning: a text that is
        // not a number leaves the gains updated and the curves as they were.
        std::optional<double> typed;
        if (!request.SamplingTimeText.isEmpty())
            typed = ParseFieldNumber(request.SamplingTimeText, QStringLiteral("Čas vzorčenja [s]"));
        const double ts = ChooseClosedLoopTs(typed, store.ClosedLoopTs);
        result.Responses = ComputeResponses(result.Tuning, store, request.ResponseChoice, ts);
    } catch (const VarkolError& e) {
        result.ResponseError = QString::fromUtf8(e.what());
    }
    return result;
}

std::vector<SequencerPoint> SequencerPoints(const QStringList& inputs, const QStringList& outputs)
{
    std::vector<SequencerPoint> points;
    for (qsizetype row = 0; row < inputs.size() && !inputs[row].isEmpty(); ++row) {
        const QString output = row < outputs.size() ? outputs[row] : QString();
        const QString where = QStringLiteral("Sekvencer, vrstica %1, ").arg(row + 1);
        points.push_back({ParseFieldNumber(inputs[row], where + QStringLiteral("Vhod")),
                          ParseFieldNumber(output, where + QStringLiteral("Izhod"))});
    }
    return points;
}

ControllerFormTexts EvaluateControllerForm(const Podatki& store,
                                           const ControllerFormRequest& request)
{
    ControllerFormTexts texts;
    double g = 1;
    if (request.Cascade) {
        if (request.SequencerPresent) {
            const double lo = ParseFieldNumber(request.Y1MinText, QStringLiteral("Meritev 1, Min"));
            const double hi = ParseFieldNumber(request.Y1MaxText, QStringLiteral("Meritev 1, Maks"));
            texts.SequencerGain = SequencerMaxGain(
                SequencerPoints(request.SequencerInputs, request.SequencerOutputs), lo, hi);
        }
        g = SequencerFactor(texts.SequencerGain);
        texts.SequencerCaption = QStringLiteral("Maks. ojač. sekv.:");
        texts.SequencerGainText = FormatFixed(texts.SequencerGain, 8, 4);
    }
    const ScaleUse use = ScalesUsedBy(request.Type);
    const double sP = use.P ? ParseFieldNumber(request.ScaleP, QStringLiteral("Dodatno skaliranje P")) : 1;
    const double sI = use.I ? ParseFieldNumber(request.ScaleI, QStringLiteral("Dodatno skaliranje I")) : 1;
    const double sD = use.D ? ParseFieldNumber(request.ScaleD, QStringLiteral("Dodatno skaliranje D")) : 1;
    const ControllerGains& gains = request.Cascade ? store.CascadeResults : store.TuningResults;
    const ControllerFormValues values =
        ComputeControllerForm(request.Form, request.Type, gains, store.RobustFactor, g, sP, sI, sD);
    for (std::size_t i = 0; i < 3; ++i) {
        texts.Names[i] = QString::fromStdString(values.Names[i]);
        texts.Visible[i] = values.Values[i].has_value();
        texts.Fields[i] = values.Values[i] ? FormatFixed(*values.Values[i], PagePrecision,
                                                         ControllerFieldDecimals[i])
                                           : QString();
        if (values.Values[i] && !std::isfinite(*values.Values[i]))
            throw ComputationError("Parametri regulatorja v izbrani obliki niso končna števila.");
    }
    return texts;
}
