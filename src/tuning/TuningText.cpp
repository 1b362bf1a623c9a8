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
            typed = ParseNumber(request.SamplingTimeText);
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
        points.push_back({ParseNumber(inputs[row]), ParseNumber(output)});
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
            const double lo = ParseNumber(request.Y1MinText);
            const double hi = ParseNumber(request.Y1MaxText);
            texts.SequencerGain = SequencerMaxGain(
                SequencerPoints(request.SequencerInputs, request.SequencerOutputs), lo, hi);
        }
        g = SequencerFactor(texts.SequencerGain);
        texts.SequencerCaption = QStringLiteral("Maks. ojač. sekv.:");
        texts.SequencerGainText = FormatFixed(texts.SequencerGain, 8, 4);
    }
    const ScaleUse use = ScalesUsedBy(request.Type);
    const double sP = use.P ? ParseNumber(request.ScaleP) : 1;
    const double sI = use.I ? ParseNumber(request.ScaleI) : 1;
    const double sD = use.D ? ParseNumber(request.ScaleD) : 1;
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
