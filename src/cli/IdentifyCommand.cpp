// varkol-cli identify FILE: a data file conditioned as the processing page
// does it, then the inner and outer models identified over the window, as
// "Izračun modela" does, with --refine also refined (the output-error fit of
// the model page's "Natančnejši model"); optionally saved as a model file,
// the refined models when refined, as the page saves what it shows.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/DataFileCommandSupport.h"
#include "cli/ModelReport.h"
#include "model/ModelClass.h"
#include "model/ModelFile.h"
#include "model/ModelRefinement.h"

#include <QString>

#include <cstdio>
#include <optional>
#include <string>

int RunIdentify(int argc, char** argv)
{
    std::set<std::string> options = ConditioningOptionNames;
    options.insert("save-model");
    const CliArguments args(argc, argv, 2, options, {"refine"});
    if (args.Positional().size() != 1)
        throw UsageError("usage: identify FILE [--mv N] [--u N] [--y1 N] [--y2 N] [--filter S] "
                         "[--umax X] [--umin X] [--topen S] [--start I] [--end I] [--refine] "
                         "[--save-model OUT.vkm]");
    LoadedDataFile file = LoadDataFile(args.Required(0, "FILE"));
    Podatki& store = *file.Store;
    const ConditioningOptions o = ReadConditioningOptions(args, file);

    ConditionSignals(store, o.Columns, o.Settings);
    IdentifyModels(store, o.Start, o.End);
    std::optional<RefinedModels> refined;
    if (args.Flag("refine"))
        refined = RefineModels(store);

    JsonValue window;
    window.Add("start", o.Start);
    window.Add("end", o.End);
    const std::string report =
        ModelReport(store, std::move(window), refined ? &*refined : nullptr).Serialize();
    if (const auto out = args.Option("save-model")) {
        if (refined)
            UseRefinedModels(store, *refined);
        SaveModel(QString::fromLocal8Bit(out->c_str()), store);
    }
    std::printf("%s\n", report.c_str());
    return 0;
}
