#include "cli/ModelReport.h"

#include "data/Podatki.h"
#include "model/ModelQuality.h"
#include "model/ModelRefinement.h"

namespace {

JsonValue ProcessReport(const ProcessModel& m, int delaySamples)
{
    JsonValue o;
    o.Add("gain", m.Gain);
    o.Add("time_constant", m.TimeConstant);
    o.Add("dead_time", m.DeadTime);
    o.Add("gain_deviation", m.GainDeviation);
    o.Add("time_deviation", m.TimeDeviation);
    o.Add("residual_std", m.ResidualSTD);
    o.Add("relative_error", m.RelativeError);
    o.Add("delay_samples", delaySamples);
    o.Add("grade", GradeText(GradeModel(m.RelativeError)));
    return o;
}

JsonValue RefinedReport(const RefinedModel& m)
{
    JsonValue ci;
    ci.Add("gain", m.Ci95.Gain);
    ci.Add("time_constant", m.Ci95.TimeConstant);
    ci.Add("dead_time", m.Ci95.DeadTime);
    JsonValue o;
    o.Add("gain", m.Gain);
    o.Add("time_constant", m.TimeConstant);
    o.Add("dead_time", m.DeadTime);
    o.Add("ci95", std::move(ci));
    o.Add("residual_std", m.ResidualSTD);
    o.Add("relative_error", m.RelativeError);
    o.Add("grade", GradeText(GradeModel(m.RelativeError)));
    return o;
}

} // namespace

JsonValue ModelReport(const Podatki& store, JsonValue window, const RefinedModels* refined)
{
    JsonValue report;
    report.Add("window", std::move(window));
    report.Add("sampling_time", store.SamplingTime);
    report.Add("sample_count", store.IdentSampleCount);
    JsonValue inner = ProcessReport(store.InnerModel, store.InnerDelaySamples);
    JsonValue outer = ProcessReport(store.OuterModel, store.OuterDelaySamples);
    if (refined) {
        inner.Add("refined", RefinedReport(refined->Inner));
        outer.Add("refined", RefinedReport(refined->Outer));
    }
    report.Add("inner", std::move(inner));
    report.Add("outer", std::move(outer));
    report.Add("sampling_warning",
               SamplingTooSparse(store.InnerModel, store.OuterModel, store.SamplingTime));
    return report;
}
