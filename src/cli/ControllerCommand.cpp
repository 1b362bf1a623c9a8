// varkol-cli controller FILE.vkc: the controller page restored from a
// controller file and recomputed, as loading the file in the window does.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/TuningJson.h"
#include "tuning/ControllerFile.h"

#include <cstdio>

int RunController(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, SequencerOptions, {});
    args.ExpectPositionalCount(1);
    const ControllerSettings s = LoadController(QString::fromStdString(args.Positional()[0]));

    Podatki store;
    TuningRequest tuning;
    ControllerFormRequest form;
    RestoreControllerPage(s, store, tuning, form);
    ReadSequencerOptions(args, form);

    std::printf("%s\n", TuningJson(store, tuning, form).Serialize().c_str());
    return 0;
}
