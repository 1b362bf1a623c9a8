#pragma once

// What the data-file commands of varkol-cli share: a data file loaded into a
// store as the processing page loads it (standard columns limited to the
// file's columns, the file's window and settings).

#include "data/DataFile.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"

#include <memory>
#include <string>

struct LoadedDataFile {
    std::unique_ptr<Podatki> Store;
    MeasurementFileSettings Texts;
    ConditioningSettings Settings; // the file's (or the foreign defaults)
    ColumnChoice Columns;          // the standard columns, limited to SignalCount
    WindowChoosers Window;         // the file's window, within the choosers' ranges
};

LoadedDataFile LoadDataFile(const std::string& fileName);
