#pragma once

// What the data-file commands of varkol-cli share: a data file loaded into a
// store as the processing page loads it (standard columns limited to the
// file's columns, the file's window and settings).

#include "data/DataFile.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"

#include <memory>
#include <set>
#include <string>

class CliArguments;

struct LoadedDataFile {
    std::unique_ptr<Podatki> Store;
    MeasurementFileSettings Texts;
    ConditioningSettings Settings; // the file's (or the foreign defaults)
    ColumnChoice Columns;          // the standard columns, limited to SignalCount
    WindowChoosers Window;         // the file's window, within the choosers' ranges
};

LoadedDataFile LoadDataFile(const std::string& fileName);

// The options of the commands that condition a data file: --mv --u --y1 --y2
// (columns), --filter --umax --umin --topen (conditioning) and --start --end
// (window), each defaulting to what the file gives.
extern const std::set<std::string> ConditioningOptionNames;

struct ConditioningOptions {
    ColumnChoice Columns;
    ConditioningSettings Settings;
    int Start = 1;
    int End = 1;
};

// The options given, over the file's defaults. A column outside
// 1..SignalCount or a window outside 1..SampleCount (or with start > end) is
// a usage error.
ConditioningOptions ReadConditioningOptions(const CliArguments& args, const LoadedDataFile& file);
