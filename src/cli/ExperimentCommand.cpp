// varkol-cli experiment: an automatic step-test run against the built-in
// process simulation, in virtual time, through the run engine of the
// experiment window. With --out the record is written as a .vkd, as
// "Shrani v datoteko" would write it after the run: the standard columns, the
// whole record as the window, the processing page's default settings.

#include "base/Errors.h"
#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "data/DataFile.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"
#include "experiment/RunEngine.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

std::uint64_t SeedOption(const CliArguments& args)
{
    const std::string text = *args.Option("seed");
    std::uint64_t seed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        throw UsageError("--seed: '" + text + "' is not a non-negative integer");
    return seed;
}

} // namespace

int RunExperiment(int argc, char** argv)
{
    const CliArguments args(
        argc, argv, 2, {"ts", "wait", "step-size", "step-duration", "steps", "mv0", "seed", "out"},
        {"both", "no-write", "closed-during", "keep-initial"});
    args.ExpectPositionalCount(0);

    // The corrections "Aktiviraj eksperiment" makes before a run: a sampling
    // period of at least 0.05 s and a wait of at least two periods.
    double ts = args.Number("ts").value_or(1.0);
    if (ts < 0.05)
        ts = 0.05;
    double wait = args.Number("wait").value_or(10.0);
    if (wait < 2 * ts)
        wait = 2 * ts;

    auto store = std::make_unique<Podatki>();
    NoPlant plant;
    RunEngine engine(*store, plant,
                     args.Has("seed") ? MakeSeededUniformGenerator(SeedOption(args))
                                      : MakeUnseededUniformGenerator());
    engine.SamplingMs = RoundHalfEven(ts * 1000);
    if (engine.SamplingMs < 1)
        throw UsageError("--ts is too large");
    engine.WaitTime = wait;
    engine.StepSize = args.Number("step-size").value_or(1.0);
    engine.StepDuration = args.Number("step-duration").value_or(5.0);
    engine.NumberOfSteps = args.Integer("steps").value_or(2);
    engine.InitialInput = args.Number("mv0").value_or(10.0);
    engine.KeepInitialInput = args.Flag("keep-initial");
    engine.BothDirections = args.Flag("both");
    engine.NoOPCWrite = args.Flag("no-write");
    engine.ClosedLoopDuring = args.Flag("closed-during");
    engine.ClosedLoopAfter = true;
    engine.ManualMode = false;
    engine.ExperimentLabel = "cli";

    JsonValue::Array events;
    auto noteEvent = [&](const TickSample& sample) {
        if (sample.StepEvent)
            events.emplace_back(sample.Time);
    };
    engine.FormCreate();
    engine.StartAutomaticRun();
    engine.FormShow(100, 0, 1); // the main window's slider defaults
    noteEvent(engine.LastSample());
    while (!engine.CloseRequested)
        noteEvent(engine.Tick());

    const int n = store->SampleCount;
    const double* mv = store->Column(1);
    JsonValue::Array levels;
    for (int i = 0; i < n; ++i)
        if (i == 0 || mv[i] != mv[i - 1])
            levels.emplace_back(mv[i]);

    JsonValue outFile;
    if (const auto fileName = args.Option("out")) {
        const ColumnChoice columns = DefaultColumns(store->SignalCount);
        SaveMeasurements(*store, QString::fromLocal8Bit(fileName->c_str()), CurrentDateText(),
                         CurrentTimeText(), store->SamplingTime, n, 1, n, ConditioningSettings(),
                         columns, FieldNames(*store, columns));
        outFile = JsonValue(*fileName);
    }

    JsonValue out;
    out.Add("samples", n);
    out.Add("sampling_time", store->SamplingTime);
    out.Add("mv_levels", JsonValue(std::move(levels)));
    out.Add("events", JsonValue(std::move(events)));
    out.Add("out", std::move(outFile));
    std::printf("%s\n", out.Serialize().c_str());
    return 0;
}
