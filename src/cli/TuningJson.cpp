#include "cli/TuningJson.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "tuning/ControllerFile.h"

#include <algorithm>

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

const std::set<std::string> SequencerOptions = {"sequencer", "y1-range"};

namespace {

double CliNumber(const std::string& option, const std::string& text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        throw UsageError("--" + option + ": '" + text + "' is not a number");
    return value;
}

// "a:b" as two numbers.
std::pair<double, double> Pair(const std::string& option, const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw UsageError("--" + option + ": '" + text + "' is not of the form A:B");
    return {CliNumber(option, text.substr(0, colon)), CliNumber(option, text.substr(colon + 1))};
}

// The number as the page would show it, so that the form conversion reads
// it back exactly.
QString PageText(double value)
{
    return FormatGeneral(value, 17);
}

JsonValue Gains(const ControllerGains& g)
{
    JsonValue o;
    o.Add("KiI", g.KiI);
    o.Add("KpP", g.KpP);
    o.Add("KpPI", g.KpPI);
    o.Add("KiPI", g.KiPI);
    o.Add("KpPID", g.KpPID);
    o.Add("KiPID", g.KiPID);
    o.Add("KdPID", g.KdPID);
    return o;
}

JsonValue Curve(const std::vector<double>& values)
{
    return JsonValue::NumberArray(values.data(), static_cast<int>(values.size()));
}

JsonValue Optional(const std::optional<double>& value)
{
    return value ? JsonValue(*value) : JsonValue();
}

JsonValue Robustness(const LoopRobustness& loop, bool disturbance)
{
    const FrequencyFigures& f = loop.Frequency;
    const ResponseFigures& r = loop.Response;
    JsonValue o;
    o.Add("ms", f.Ms);
    o.Add("ms_frequency", f.MsFrequency);
    o.Add("gain_margin", Optional(f.GainMargin));
    o.Add("phase_crossover", Optional(f.PhaseCrossover));
    o.Add("phase_margin_deg", Optional(f.PhaseMarginDeg));
    o.Add("gain_crossover", Optional(f.GainCrossover));
    o.Add("stable", f.Stable);
    if (disturbance)
        o.Add("peak", Optional(r.Peak));
    else
        o.Add("overshoot_percent", Optional(r.OvershootPercent));
    o.Add("settling_time", Optional(r.SettlingTime));
    o.Add("iae", r.Iae);
    return o;
}

JsonValue Texts(const std::array<QString, 3>& texts)
{
    JsonValue::Array a;
    for (const QString& t : texts)
        a.emplace_back(t.toStdString());
    return JsonValue(std::move(a));
}

// An index the list does not hold leaves nothing selected (-1).
int ItemIndex(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

} // namespace

void RestoreControllerPage(const ControllerSettings& s, Podatki& store, TuningRequest& tuning,
                           ControllerFormRequest& form)
{
    store.InnerModel.Gain = s.K1;
    store.InnerModel.TimeConstant = s.T1;
    store.InnerModel.DeadTime = s.L1;
    store.InnerModel.RelativeError = s.InnerRelativeError;
    store.OuterModel.Gain = s.K2;
    store.OuterModel.TimeConstant = s.T2;
    store.OuterModel.DeadTime = s.L2;
    store.OuterModel.RelativeError = s.OuterRelativeError;

    // The values as the page's controls take them: seven methods, two
    // responses, four forms and types, the slider 0..20.
    tuning.Method = ItemIndex(s.Method, 7);
    tuning.SliderPosition = std::clamp(s.SliderPosition, 0, 20);
    tuning.ResponseChoice = ItemIndex(s.ResponseChoice, 2);
    tuning.SamplingTimeText = s.SamplingTimeText;
    tuning.Cascade = s.Cascade;

    form.Form = ItemIndex(s.Form, 4);
    form.Type = ItemIndex(s.Type, 4);
    form.ScaleP = s.ScaleP;
    form.ScaleI = s.ScaleI;
    form.ScaleD = s.ScaleD;
}

void ReadSequencerOptions(const CliArguments& args, ControllerFormRequest& form)
{
    if (const auto sequencer = args.Option("sequencer")) {
        form.SequencerPresent = true;
        std::size_t start = 0;
        while (start <= sequencer->size()) {
            std::size_t comma = sequencer->find(',', start);
            if (comma == std::string::npos)
                comma = sequencer->size();
            const auto [x, y] = Pair("sequencer", sequencer->substr(start, comma - start));
            form.SequencerInputs << PageText(x);
            form.SequencerOutputs << PageText(y);
            start = comma + 1;
        }
        if (!args.Option("y1-range"))
            throw UsageError("--sequencer needs --y1-range LO:HI");
    }
    if (const auto range = args.Option("y1-range")) {
        const auto [lo, hi] = Pair("y1-range", *range);
        form.Y1MinText = PageText(lo);
        form.Y1MaxText = PageText(hi);
    }
}

JsonValue TuningJson(Podatki& store, const TuningRequest& tuning, ControllerFormRequest form)
{
    const TuningPageResult page = EvaluateTuning(store, tuning);
    if (!page.Responses)
        throw ComputationError(page.ResponseError.toStdString());
    form.Cascade = tuning.Cascade;
    const ControllerFormTexts formTexts = EvaluateControllerForm(store, form);

    JsonValue out;
    out.Add("robust_factor", page.Tuning.RobustFactor);
    out.Add("gains", Gains(page.Tuning.Gains));
    out.Add("inner_gain", store.InnerGain());
    JsonValue labels;
    for (std::size_t i = 0; i < TuningLabelNames.size(); ++i)
        labels.Add(TuningLabelNames[i], page.Labels.Gains[i].toStdString());
    labels.Add("Label_Priporocljiv", page.Labels.RecommendedTs.toStdString());
    out.Add("labels", std::move(labels));
    JsonValue recommended;
    recommended.Add("value", page.Tuning.RecommendedTs);
    recommended.Add("text", page.Labels.RecommendedTs.toStdString());
    out.Add("recommended_ts", std::move(recommended));
    const ResponseSet& r = *page.Responses;
    JsonValue horizon;
    horizon.Add("n", r.Horizon.N);
    horizon.Add("nD", r.Horizon.ND);
    horizon.Add("ts", r.Horizon.Ts);
    out.Add("horizon", std::move(horizon));
    JsonValue responses;
    responses.Add("time", Curve(r.Time));
    responses.Add("open", Curve(r.Open));
    responses.Add("I", Curve(r.I));
    responses.Add("PI", Curve(r.PI));
    responses.Add("PID", Curve(r.PID));
    responses.Add("P", Curve(r.P));
    out.Add("responses", std::move(responses));
    JsonValue robustness;
    const bool disturbance = tuning.ResponseChoice == DisturbanceResponse;
    for (const auto& [key, loop] : {std::pair{"I", LoopI}, std::pair{"P", LoopP},
                                    std::pair{"PI", LoopPI}, std::pair{"PID", LoopPID}})
        robustness.Add(key, Robustness(r.Robustness[loop], disturbance));
    out.Add("robustness", std::move(robustness));
    JsonValue formJson;
    formJson.Add("names", Texts(formTexts.Names));
    formJson.Add("fields", Texts(formTexts.Fields));
    out.Add("form", std::move(formJson));
    out.Add("sequencer_gain", formTexts.SequencerGain);
    return out;
}
