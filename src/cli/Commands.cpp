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
     "--no-write --closed-during --keep-initial --seed N --out FILE.vkd]   an automatic step test on "
     "the process simulation",
     RunExperiment},
    {"model", "model FILE.vkm          the models of a model file as JSON", RunModel},
    {"identify",
     "identify FILE [--mv N --u N --y1 N --y2 N --filter S --umax X --umin X --topen S --start I "
     "--end I --save-model OUT.vkm]   the inner and outer models of a data file",
     RunIdentify},
};

}  // namespace

const CliCommand* CliCommands(int& count)
{
    count = static_cast<int>(sizeof commands / sizeof commands[0]);
    return commands;
}
