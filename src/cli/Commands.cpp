#include "cli/Commands.h"

#include <cstdio>

// Every command, in the order --help lists them.
namespace {

const CliCommand commands[] = {
    {"version", "version                 the program's version as JSON",
     [](int, char**) {
         std::printf("{\"version\":\"%s\"}\n", VARKOL_VERSION);
         return 0;
     }},
    {"condition",
     "condition FILE [--mv N --u N --y1 N --y2 N --filter S --umax X --umin X --topen S --start I "
     "--end I --signals]   the conditioned signals' statistics (and samples) of a data file",
     RunCondition},
    {"convert", "convert IN OUT.vkd      any readable data file written as a .vkd", RunConvert},
    {"experiment",
     "experiment [--ts S --wait S --step-size X --step-duration S --steps N --mv0 X --both "
     "--no-write --closed-during --keep-initial --seed N --out FILE.vkd]   an automatic step test "
     "on "
     "the process simulation",
     RunExperiment},
    {"model", "model FILE.vkm          the models of a model file as JSON", RunModel},
    {"identify",
     "identify FILE [--mv N --u N --y1 N --y2 N --filter S --umax X --umin X --topen S --start I "
     "--end I --refine --save-model OUT.vkm]   the inner and outer models of a data file (with "
     "--refine also the refined ones, which are then saved)",
     RunIdentify},
    {"tune",
     "tune (--model FILE.vkm | --K1 K --T1 T --L1 L [--K2 K --T2 T --L2 L]) [--cascade] "
     "[--method -1..6] [--slider 0..20] [--response 0|1] [--ts TEXT] [--form -1..3] "
     "[--type 0..3] [--scale-p|--scale-i|--scale-d TEXT] [--sequencer x:y,... --y1-range LO:HI] "
     "[--ms-target X]   tuning, labels, responses, robustness figures and controller form "
     "(--ms-target: the fastest slider position whose loop of --type is stable with Ms <= X)",
     RunTune},
    {"controller",
     "controller FILE.vkc [--sequencer x:y,... --y1-range LO:HI]   the same for a controller file",
     RunController},
    {"opc",
     "opc servers [DISCOVERY_URL] | browse URL [NODE] | read URL NODE... | write URL NODE VALUE | "
     "watch URL NODE... --seconds S [--interval MS]  [--timeout MS]   an OPC UA server: its "
     "servers, a node's children, values, a write in the variable's type (refused: exit 2), one "
     "JSON line per data change",
     RunOpc},
#ifdef VARKOL_CLI_REPORT
    {"report",
     "report --out F.docx [--settings F.vkx] [--data F.vkd [--mv N --u N --y1 N --y2 N --filter S "
     "--umax X --umin X --topen S --start I --end I]] [--model F.vkm] [--controller F.vkc] "
     "[--template T] [--no-processing] [--no-model] [--no-controller]   the experiment report "
     "(.docx) with its pictures",
     RunReport},
    {"run",
     "run SETTINGS.vkx [--simulate] [--out DIR] [--at \"YYYY-MM-DD hh:mm:ss\"]   one automatic "
     "experiment of a settings file and its evaluation: L.vkd, L.vkm, L.vkc and L.docx",
     RunAutomaticExperiment},
#endif
};

} // namespace

const CliCommand* CliCommands(int& count)
{
    count = static_cast<int>(sizeof commands / sizeof commands[0]);
    return commands;
}
