// varkol-cli: the workstation's computations for scripts, batch work and
// checks, without a window.

#include "cli/CliArguments.h"
#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

void PrintHelp()
{
    std::printf("varkol-cli %s: the Varkol workstation's computations without a window.\n\n",
                VARKOL_VERSION);
    std::printf("usage: varkol-cli COMMAND [ARGUMENTS] [--OPTION VALUE ...]\n\ncommands:\n");
    int count = 0;
    const CliCommand* commands = CliCommands(count);
    for (int i = 0; i < count; ++i)
        std::printf("  %s\n", commands[i].Synopsis);
    std::printf(
        "\nEach command prints one JSON object on stdout. Errors go to stderr as one line;\n"
        "the exit status is 1 for a usage error and 2 for a failure.\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintHelp();
        return 1;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return 0;
    }
    if (name == "--version") {
        std::printf("varkol-cli %s\n", VARKOL_VERSION);
        return 0;
    }
    int count = 0;
    const CliCommand* commands = CliCommands(count);
    for (int i = 0; i < count; ++i) {
        if (name != commands[i].Name)
            continue;
        try {
            return commands[i].Run(argc, argv);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "varkol-cli %s: %s (see varkol-cli --help)\n", name.c_str(),
                         e.what());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "varkol-cli %s: %s\n", name.c_str(), e.what());
            return 2;
        }
    }
    std::fprintf(stderr, "varkol-cli: unknown command '%s' (see varkol-cli --help)\n",
                 name.c_str());
    return 1;
}
