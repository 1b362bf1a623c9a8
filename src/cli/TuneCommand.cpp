// varkol-cli tune: the controller page's recomputation for a model given on
// the command line or read from a model file.

#include "base/NumberText.h"
#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/TuningJson.h"
#include "model/ModelFile.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace {

int IntegerIn(const CliArguments& args, const std::string& name, int lo, int hi, int fallback)
{
    const int value = args.Integer(name).value_or(fallback);
    if (value < lo || value > hi)
        throw UsageError("--" + name + " must lie in " + std::to_string(lo) + ".." +
                         std::to_string(hi));
    return value;
}

double RequiredNumber(const CliArguments& args, const std::string& name, const std::string& why)
{
    const auto value = args.Number(name);
    if (!value)
        throw UsageError("missing --" + name + why);
    return *value;
}

QString Text(const CliArguments& args, const std::string& name)
{
    return QString::fromStdString(args.Option(name).value_or("1"));
}

} // namespace

int RunTune(int argc, char** argv)
{
    std::set<std::string> options = {"model", "K1",      "T1",      "L1",       "K2",       "T2",
                                     "L2",    "method",  "slider",  "response", "ts",       "form",
                                     "type",  "scale-p", "scale-i", "scale-d",  "ms-target"};
    options.insert(SequencerOptions.begin(), SequencerOptions.end());
    const CliArguments args(argc, argv, 2, options, {"cascade"});
    args.ExpectPositionalCount(0);

    Podatki store;
    TuningRequest tuning;
    tuning.Cascade = args.Flag("cascade");
    if (const auto model = args.Option("model")) {
        for (const char* name : {"K1", "T1", "L1", "K2", "T2", "L2"})
            if (args.Has(name))
                throw UsageError(std::string("--model and --") + name + " exclude each other");
        LoadModel(QString::fromStdString(*model), store);
    } else {
        store.InnerModel.Gain = RequiredNumber(args, "K1", " (or --model FILE.vkm)");
        store.InnerModel.TimeConstant = RequiredNumber(args, "T1", "");
        store.InnerModel.DeadTime = RequiredNumber(args, "L1", "");
        if (tuning.Cascade) {
            const std::string why = " (the outer model of --cascade)";
            store.OuterModel.Gain = RequiredNumber(args, "K2", why);
            store.OuterModel.TimeConstant = RequiredNumber(args, "T2", why);
            store.OuterModel.DeadTime = RequiredNumber(args, "L2", why);
        }
    }
    tuning.Method = IntegerIn(args, "method", -1, 6, 0);
    tuning.SliderPosition = IntegerIn(args, "slider", 0, 20, 10);
    tuning.ResponseChoice = IntegerIn(args, "response", 0, 1, 0);
    tuning.SamplingTimeText = Text(args, "ts");

    ControllerFormRequest form;
    form.Form = IntegerIn(args, "form", -1, 3, -1);
    form.Type = IntegerIn(args, "type", 0, 3, 2);
    form.ScaleP = Text(args, "scale-p");
    form.ScaleI = Text(args, "scale-i");
    form.ScaleD = Text(args, "scale-d");
    ReadSequencerOptions(args, form);

    // --ms-target X: the fastest slider position whose loop of the chosen
    // type is stable with Ms <= X; without one the slider stays.
    JsonValue target;
    if (const auto ms = args.Number("ms-target")) {
        target.Add("value", *ms);
        const std::optional<int> position = FastestSliderPosition(store, tuning, form.Type, *ms);
        if (position)
            tuning.SliderPosition = *position;
        else
            std::fprintf(stderr,
                         "no slider position keeps the loop stable with Ms <= %s; the "
                         "slider stays at %d\n",
                         FormatGeneralC(*ms, 17).c_str(), tuning.SliderPosition);
        target.Add("position", position ? JsonValue(*position) : JsonValue());
    }
    JsonValue out = TuningJson(store, tuning, form);
    if (args.Has("ms-target"))
        out.Add("ms_target", std::move(target));
    std::printf("%s\n", out.Serialize().c_str());
    return 0;
}
