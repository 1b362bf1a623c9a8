// The measured-data file and the conditioning over a full store.

#include "data/DataFile.h"
#include "data/ObdelavaClass.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Podatki> FullStore()
{
    auto store = std::make_unique<Podatki>();
    store->SampleCount = Podatki::MaxSamples;
    store->SignalCount = 6;
    store->SamplingTime = 0.2;
    for (int i = 1; i <= Podatki::MaxSamples; ++i) {
        Sample(store->Time, i) = 0.2 * (i - 1);
        for (int k = 1; k <= 6; ++k)
            store->Column(k)[i - 1] = 50 + 40 * std::sin(0.001 * i * k) + 1e-3 * (i % 7);
    }
    for (int k = 0; k < 6; ++k)
        store->ColumnNames[static_cast<std::size_t>(k)] = "signal " + std::to_string(k + 1);
    return store;
}

void Save(const Podatki& store, const QString& path)
{
    SaveMeasurements(store, path, QStringLiteral("1.1.2024"), QStringLiteral("12:00:00"),
                     store.SamplingTime, store.SampleCount, 1, store.SampleCount, {2, 100, 0, 10},
                     {}, FieldNames(store, {}));
}

} // namespace

static void BM_LoadVkd5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.vkd"));
    Save(*FullStore(), path);
    Podatki store;
    for (auto _ : state) {
        LoadMeasurements(store, path);
        benchmark::DoNotOptimize(store.Time.data());
    }
}
BENCHMARK(BM_LoadVkd5000)->Unit(benchmark::kMillisecond);

static void BM_SaveVkd5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.vkd"));
    const auto store = FullStore();
    for (auto _ : state)
        Save(*store, path);
}
BENCHMARK(BM_SaveVkd5000)->Unit(benchmark::kMillisecond);

static void BM_Condition5000(benchmark::State& state)
{
    const auto store = FullStore();
    TObdelava calculator(*store);
    for (auto _ : state) {
        calculator.Condition(1, 3, Podatki::MaxSamples, 0.2, 2.0, 10.0, 0, 100, 6, 5);
        benchmark::DoNotOptimize(store->ProcessedU.data());
    }
}
BENCHMARK(BM_Condition5000)->Unit(benchmark::kMicrosecond);
