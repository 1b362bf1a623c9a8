#pragma once

// The commands of varkol-cli. Each parses its own arguments (CliArguments),
// prints one JSON object on stdout and returns the exit status; failures
// are thrown (UsageError: status 1, anything else: status 2).

struct CliCommand {
    const char* Name;
    const char* Synopsis;              // one line for --help
    int (*Run)(int argc, char** argv); // argv[1] is the command name
};

// Every command, in the order --help lists them.
const CliCommand* CliCommands(int& count);

int RunCondition(int argc, char** argv);
int RunConvert(int argc, char** argv);
int RunExperiment(int argc, char** argv);
int RunModel(int argc, char** argv);
int RunIdentify(int argc, char** argv);
int RunTune(int argc, char** argv);
int RunController(int argc, char** argv);
int RunReport(int argc, char** argv);
int RunOpc(int argc, char** argv);
int RunAutomaticExperiment(int argc, char** argv);
