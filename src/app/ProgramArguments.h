#pragma once

// The workstation's command line: `varkol [FILE...]`, plus --help and
// --version, which answer on the terminal without opening a window.

#include <QString>
#include <QStringList>

#include <optional>

// Answers --help (-h) and --version, when one of them comes before any "--":
// prints the answer on stdout and returns the exit status. Needs no
// application object, so it runs before the window system is touched.
std::optional<int> AnswerOnTerminal(int argc, char** argv);

// The files named on the command line, from the application's arguments
// (the program's name first, Qt's own options already taken out); an
// option the program does not know is an error, reported in `Error`.
struct FileArguments {
    QStringList Files;
    QString Error;
};
FileArguments FileArgumentsOf(const QStringList& arguments);
