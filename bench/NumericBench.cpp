#include "base/NumberText.h"
#include "data/GlobalProcedures.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

static void BM_SimulateFOPDT(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<double> u(static_cast<std::size_t>(n), 1.0), y(u.size()), dy(u.size());
    for (auto _ : state) {
        SimulateFOPDT(1, n, u.data(), 2.0, 10.0, 1.0, 0.0, 3.0, y.data(), dy.data());
        benchmark::DoNotOptimize(y.data());
    }
}
BENCHMARK(BM_SimulateFOPDT)->Arg(500)->Arg(5000);

static void BM_FormatGeneral12(benchmark::State& state)
{
    double v = 0.123456789;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatGeneralC(v, 12, 4));
        v += 1.1e-3;
    }
}
BENCHMARK(BM_FormatGeneral12);
