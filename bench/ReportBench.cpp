// A full report, as the report button makes it: the ten pictures drawn
// offscreen from a record of 1200 samples, its identified model and tuned
// controller, then the document with its three sections, written to disk.

#include "data/Podatki.h"
#include "model/ExperimentData.h"
#include "model/ModelClass.h"
#include "report/PorociloClass.h"
#include "report/ReportPictures.h"
#include "tuning/TuningText.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

namespace {

void FullReport(benchmark::State& state)
{
    auto store = std::make_unique<Podatki>();
    SyntheticExperiment plan;
    plan.Input = StepInput(1200, 100, 5);
    plan.Inner = {2, 20, 5};
    plan.Outer = {0.5, 60, 10};
    plan.Noise = 0.05;
    MakeExperiment(*store, plan);
    IdentifyModels(*store, 1, store->SampleCount);
    const TuningPageResult tuning = EvaluateTuning(*store, TuningRequest{});

    OffscreenReportCharts charts;
    charts.ShowModel(*store, false);
    charts.ShowResponses(*tuning.Responses);
    QTemporaryDir dir;
    ReportInputs in;
    in.Title = QStringLiteral(" Varkol 1.0.7");
    in.FileName = dir.filePath(QStringLiteral("porocilo.docx"));
    in.CloseAfterSave = true;
    for (auto _ : state) {
        ExportReportPictures(charts.Charts(), *store, 1, store->SampleCount, dir.path());
        TPorocilo porocilo;
        benchmark::DoNotOptimize(porocilo.WriteReport(in));
        DeleteReportPictures(dir.path());
    }
}
void PicturesOnly(benchmark::State& state)
{
    auto store = std::make_unique<Podatki>();
    SyntheticExperiment plan;
    plan.Input = StepInput(1200, 100, 5);
    MakeExperiment(*store, plan);
    OffscreenReportCharts charts;
    QTemporaryDir dir;
    for (auto _ : state)
        ExportReportPictures(charts.Charts(), *store, 1, store->SampleCount, dir.path());
}
BENCHMARK(PicturesOnly)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

BENCHMARK(FullReport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
