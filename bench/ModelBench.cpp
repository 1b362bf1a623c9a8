// Identification of both processes over windows of 500, 2000 and 5000
// samples: the program's IdentifyModels and the step-by-step reference
// method (tests/model/LiteralIdentification.cpp) on the same data; the
// output-error refinement of the identified models.

#include "model/ExperimentData.h"
#include "model/LiteralIdentification.h"
#include "model/ModelClass.h"
#include "model/ModelRefinement.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A noisy experiment with three steps of MV.
std::unique_ptr<Podatki> Experiment(int n)
{
    SyntheticExperiment plan;
    plan.Input.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i)
        plan.Input[static_cast<std::size_t>(i)] =
            (i >= n / 10 ? 10.0 : 0.0) - (i >= n / 2 ? 15.0 : 0.0) + (i >= 4 * n / 5 ? 8.0 : 0.0);
    plan.SamplingTime = 1.0;
    plan.Inner = {1.8, 0.02 * n, 0.01 * n};
    plan.Outer = {0.6, 0.03 * n, 0.005 * n};
    plan.Noise = 0.05;
    plan.OffsetU = 40;
    plan.OffsetY1 = 55;
    plan.OffsetY2 = 20;
    auto store = std::make_unique<Podatki>();
    MakeExperiment(*store, plan);
    return store;
}

void BM_IdentifyModels(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    auto store = Experiment(n);
    for (auto _ : state) {
        IdentifyModels(*store, 1, n);
        benchmark::DoNotOptimize(store->InnerModel.Gain);
    }
}

void BM_LiteralIdentifyModels(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    auto store = Experiment(n);
    for (auto _ : state) {
        LiteralIdentifyModels(*store, 1, n);
        benchmark::DoNotOptimize(store->InnerModel.Gain);
    }
}

// The fit alone with each kernel of the dead-time scan (0 portable, 1 AVX2,
// 2 AVX-512), for machines without the widest vectors.
void BM_IdentifyWithKernel(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const ScanKernel kernels[] = {ScanKernel::Portable, ScanKernel::Avx2, ScanKernel::Avx512};
    const ScanKernel kernel = kernels[state.range(1)];
    if (!ScanKernelAvailable(kernel)) {
        state.SkipWithError("kernel not available on this processor");
        return;
    }
    auto store = Experiment(n);
    IdentifyModels(*store, 1, n);
    for (auto _ : state) {
        TModel model(*store);
        model.Identify(n, store->SamplingTime, 0.05 * n, kernel);
        benchmark::DoNotOptimize(model.Inner.Gain);
    }
}

// The output-error refinement of both identified models.
void BM_RefineModels(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    auto store = Experiment(n);
    IdentifyModels(*store, 1, n);
    for (auto _ : state) {
        const RefinedModels models = RefineModels(*store);
        benchmark::DoNotOptimize(models.Inner.Gain);
    }
}

} // namespace

BENCHMARK(BM_RefineModels)
    ->Arg(500)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_IdentifyWithKernel)
    ->ArgsProduct({{5000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_IdentifyModels)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LiteralIdentifyModels)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
