// The recomputation of the controller page (tuning, labels, the five
// responses) at the largest horizon: it runs on every move of the
// robustness slider, so it must stay far below one frame.

#include "tuning/TuningText.h"

#include <benchmark/benchmark.h>

namespace {

// An inner model whose horizon is cut to 4999 samples (5 T1 / Ts + 1 > 4999)
// without dead time, so that nothing else bounds it.
void LargestHorizon(Podatki& store)
{
    store.InnerModel.Gain = 1.5;
    store.InnerModel.TimeConstant = 1200;
    store.InnerModel.DeadTime = 0;
    store.OuterModel.Gain = 2;
    store.OuterModel.TimeConstant = 300;
    store.OuterModel.DeadTime = 0;
}

void RecomputeTuning(benchmark::State& state, bool cascade)
{
    Podatki store;
    LargestHorizon(store);
    TuningRequest request;
    request.Method = 1;
    request.Cascade = cascade;
    int slider = 0;
    for (auto _ : state) {
        request.SliderPosition = slider;
        slider = (slider + 1) % 21;
        const TuningPageResult result = EvaluateTuning(store, request);
        if (!result.Responses || result.Responses->Horizon.N != 4999)
            state.SkipWithError("not the largest horizon");
        benchmark::DoNotOptimize(result.Responses->P.data());
    }
}

} // namespace

static void BM_RecomputeTuningCascade(benchmark::State& state)
{
    RecomputeTuning(state, true);
}
BENCHMARK(BM_RecomputeTuningCascade)->Unit(benchmark::kMicrosecond);

static void BM_RecomputeTuningSingleLoop(benchmark::State& state)
{
    RecomputeTuning(state, false);
}
BENCHMARK(BM_RecomputeTuningSingleLoop)->Unit(benchmark::kMicrosecond);

// The figures of the four loops alone where they cost most: a dead time of
// 4000 samples puts that many ripples into every frequency response.
static void BM_LoopFiguresLongDeadTime(benchmark::State& state)
{
    ProcessModel inner;
    inner.Gain = 1;
    inner.TimeConstant = 300;
    inner.DeadTime = 4000;
    const TuningOutcome tuning = ComputeTuning(1, 10, false, inner, ProcessModel());
    for (auto _ : state)
        for (const LoopGains& g : DrawnLoopGains(tuning.Gains, tuning.RobustFactor))
            benchmark::DoNotOptimize(
                ComputeFrequencyFigures(DrawnLoopTransfer(g, false, 0, inner, ProcessModel(), 1)));
}
BENCHMARK(BM_LoopFiguresLongDeadTime)->Unit(benchmark::kMillisecond);
