// The unattended part of a queued experiment: the automatic chain after a
// run of 5000 samples (data file, ten pictures drawn off-screen,
// identification, tuning, controller file, report), and varkol-cli run
// --simulate of an experiment with the settings file's initial values, end
// to end as a separate process.

#include "data/Podatki.h"
#include "experiment/AutomaticChain.h"
#include "experiment/RunStart.h"
#include "report/ReportPictures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace {

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
        cli.start(QStringLiteral(VARKOL_CLI_PATH), {QStringLiteral("run"), settings,
                                                   QStringLiteral("--simulate")});
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
