#include "cli/Commands.h"

#include <cstdio>

// Later commands are added to this table, one line each.
namespace {

const CliCommand commands[] = {
    {"version", "version                 the program's version as JSON", [](int, char**) {
         std::printf("{\"version\":\"%s\"}\n", VARKOL_VERSION);
         return 0;
     }},
    {"condition", "condition FILE          conditioned signals, statistics", RunCondition},
    {"convert", "convert IN OUT.vkd      any readable data file written as a .vkd", RunConvert},
    {"experiment",
     "experiment [--ts S --wait S --step-size X --step-duration S --steps N --mv0 X --both "
     "--no-write --closed-during --keep-initial --seed N]   an automatic step test on the "
     "process simulation",
     RunExperiment},
    {"model", "model FILE.vkm          the models of a model file as JSON", RunModel},
    {"identify",
     "identify FILE [--mv N --u N --y1 N --y2 N --filter S --umax X --umin X --topen S --start I "
     "--end I --save-model OUT.vkm]   the inner and outer models of a data file",
     RunIdentify},
    {"tune", "tune (--model FILE.vkm | --K1 K --T1 T --L1 L [--K2 --T2 --L2]) [--cascade] [--method -1..6] [--slider 0..20] [--response 0|1] [--ts TEXT] [--form -1..3] [--type 0..3] [--scale-p|-i|-d TEXT] [--sequencer x:y,... --y1-range LO:HI]   tuning, labels, responses and controller form", RunTune},
    {"controller", "controller FILE.vkc [--sequencer x:y,... --y1-range LO:HI]   the same for a controller file", RunController},
};

}  // namespace

const CliCommand* CliCommands(int& count)
{
    count = static_cast<int>(sizeof commands / sizeof commands[0]);
    return commands;
}
