#include "cli/ModelReport.h"

#include "data/Podatki.h"
#include "model/ModelQuality.h"

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

} // namespace

JsonValue ModelReport(const Podatki& store, JsonValue window)
{
    JsonValue report;
    report.Add("window", std::move(window));
    report.Add("sampling_time", store.SamplingTime);
    report.Add("sample_count", store.IdentSampleCount);
    report.Add("inner", ProcessReport(store.InnerModel, store.InnerDelaySamples));
    report.Add("outer", ProcessReport(store.OuterModel, store.OuterDelaySamples));
    report.Add("sampling_warning",
               SamplingTooSparse(store.InnerModel, store.OuterModel, store.SamplingTime));
    return report;
}
