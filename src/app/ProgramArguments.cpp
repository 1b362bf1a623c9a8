#include "app/ProgramArguments.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintHelp()
{
    std::printf(
        "varkol %s: the Varkol workstation for tuning the PID controllers of a process plant.\n\n"
        "usage: varkol [OPTION] [FILE...]\n\n"
        "Opens each FILE on its page, as the page's load button would:\n"
        "  .vkd, .txt, .dat  measurements, on the page \"Obdelava\"\n"
        "  .vkm              a process model, on the page \"Model\"\n"
        "  .vkc              controller settings, on the page \"Regulator\"\n"
        "  .vkx              experiment settings, on the page \"Eksperiment\"\n"
        "A file of another name is opened by its first line, as measurements when it\n"
        "has none of the program's headers. The page of the last file opened is shown.\n\n"
        "options:\n"
        "  -h, --help  this text\n"
        "  --version   the program's version\n"
        "  --          the arguments after it are files, even when they begin with '-'\n"
        "Qt's own options (-platform, -style, ...) are accepted too.\n\n"
        "varkol-cli runs the workstation's computations without a window.\n",
        VARKOL_VERSION);
}

} // namespace

std::optional<int> AnswerOnTerminal(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("varkol %s\n", VARKOL_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

FileArguments FileArgumentsOf(const QStringList& arguments)
{
    FileArguments result;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            result.Error =
                QStringLiteral("varkol: unknown option '%1' (see varkol --help)").arg(argument);
            return result;
        } else {
            result.Files.append(argument);
        }
    }
    return result;
}
