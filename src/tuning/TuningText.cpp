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

namespace {

const QString Unstable = QStringLiteral("nestabilno");
const QString Missing = QStringLiteral("–");

QString Fixed(const std::optional<double>& value, int decimals)
{
    // Six significant digits: huge figures of a runaway loop in general
    // format rather than as long rows of digits.
    return value && std::isfinite(*value) ? FormatFixed(*value, 6, decimals) : Missing;
}

QString MsText(const LoopRobustness& loop)
{
    return loop.Frequency.Stable ? Fixed(loop.Frequency.Ms, 2) : Unstable;
}

} // namespace

RobustnessRowTexts FormatRobustness(const LoopRobustness& loop, bool disturbance)
{
    const FrequencyFigures& f = loop.Frequency;
    const ResponseFigures& r = loop.Response;
    RobustnessRowTexts row;
    row.Stable = f.Stable;
    row.Cells[ColumnMs] = MsText(loop);
    row.Cells[ColumnGainMargin] = Fixed(f.GainMargin, 2);
    row.Cells[ColumnPhaseMargin] = Fixed(f.PhaseMarginDeg, 1);
    row.Cells[ColumnResponse] = disturbance ? Fixed(r.Peak, 3) : Fixed(r.OvershootPercent, 1);
    row.Cells[ColumnSettling] = r.SettlingTime ? FormatGeneral(*r.SettlingTime, 6) : Missing;
    row.Cells[ColumnIae] = Fixed(r.Iae, 3);
    return row;
}

std::array<QString, RobustnessColumnCount> RobustnessHeadings(bool disturbance)
{
    return {QStringLiteral("Ms"),
            QStringLiteral("GM"),
            QStringLiteral("PM [°]"),
            disturbance ? QStringLiteral("vrh") : QStringLiteral("prenihaj [%]"),
            QStringLiteral("čas umiritve [s]"),
            QStringLiteral("IAE")};
}

QString MsLabelText(const LoopRobustness& pid)
{
    return QStringLiteral("Ms (PID): ") + MsText(pid);
}

namespace {

// The sampling time of the request, as a recomputation chooses it.
double RequestTs(const TuningRequest& request, double& closedLoopTs)
{
    std::optional<double> typed;
    if (!request.SamplingTimeText.isEmpty())
        typed = ParseFieldNumber(request.SamplingTimeText, QStringLiteral("Čas vzorčenja [s]"));
    return ChooseClosedLoopTs(typed, closedLoopTs);
}

} // namespace

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
        const double ts = RequestTs(request, store.ClosedLoopTs);
        result.Responses = ComputeResponses(result.Tuning, store, request.ResponseChoice, ts);
    } catch (const VarkolError& e) {
        result.ResponseError = QString::fromUtf8(e.what());
    }
    return result;
}

std::optional<int> FastestSliderPosition(const Podatki& store, const TuningRequest& request,
                                         int formType, double msTarget)
{
    double closedLoopTs = store.ClosedLoopTs;
    const double ts = RequestTs(request, closedLoopTs);
    return FastestPositionWithin(msTarget, DrawnLoopOfType(formType), request.Method,
                                 request.Cascade, store.InnerModel, store.OuterModel, ts);
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
