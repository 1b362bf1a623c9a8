// A full report, as the report button makes it: the ten pictures drawn
// offscreen from a record of 1200 samples, its identified model and tuned
// controller, then the document with its three sections, written to disk.
// The unattended part of a queued experiment: the automatic chain after a
// run of 5000 samples (data file, ten pictures, identification, tuning,
// controller file, report), and varkol-cli run --simulate of an experiment
// with the settings file's initial values, end to end as a separate process.

#include "data/Podatki.h"
#include "experiment/AutomaticChain.h"
#include "experiment/RunStart.h"
#include "model/ExperimentData.h"
#include "model/ModelClass.h"
#include "report/PorociloClass.h"
#include "report/ReportPictures.h"
#include "tuning/TuningText.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
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

void ChainAfter5000Samples(benchmark::State& state)
{
    ExperimentSettings settings;
    settings.SamplingPeriod = QStringLiteral("0.05");
    settings.WaitTime = QStringLiteral("10");
    settings.StepSize = QStringLiteral("20");
    settings.StepDuration = QStringLiteral("60");
    settings.NumberOfSteps = QStringLiteral("2");
    settings.BothDirections = true;
    settings.InitialInput = QStringLiteral("10");
    settings.AutoSamplingTime = QStringLiteral("0.5");
    auto store = std::make_unique<Podatki>();
    QTemporaryDir dir;
    ChainInputs inputs;
    inputs.Folder = dir.path();
    inputs.Label = QStringLiteral("noc");
    inputs.Settings = settings;
    inputs.AnalysisStart = RunOnSimulation(*store, MakeRunPlan(settings, inputs.Label, true),
                                           MakeSeededUniformGenerator(1));
    state.counters["samples"] = store->SampleCount;
    OffscreenPictureExporter pictures;
    for (auto _ : state)
        benchmark::DoNotOptimize(RunAutomaticChain(*store, inputs, pictures));
}
BENCHMARK(ChainAfter5000Samples)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void CliRunSimulate(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("privzeto.vkx"));
    WriteExperimentSettings(settings, ExperimentSettings());
    for (auto _ : state) {
        QProcess cli;
        cli.start(QStringLiteral(VARKOL_CLI_PATH),
                  {QStringLiteral("run"), settings, QStringLiteral("--simulate")});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
            state.SkipWithError("varkol-cli run failed");
    }
}
BENCHMARK(CliRunSimulate)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

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
