#pragma once

// The measured-data file (.vkd) and the foreign text exports (.txt, .dat)
// that load into the same store.
//
// SaveMeasurements and LoadMeasurements belong with the conditioning
// calculator TObdelava in the program's design; they are free functions of
// the io layer because files and number text need Qt, which the core layer
// (where TObdelava lives) may not use.
//
// Reading is all-or-nothing: a file is parsed into a fresh MeasurementSet and
// copied into the store only when every line it promises was read. Errors
// are FileError with "file: vrstica N: what is wrong".
//
// Choices beyond the bare format:
//  - a .vkd declaring fewer than 1 or more than 5000 samples, or a sampling
//    time that is not positive, is rejected;
//  - the header numbers (lines 5, 9-12) accept "," or "." like the sample
//    fields, so a file saved under one regional setting loads under another;
//    the settings come back formatted with the user's separator;
//  - a sample field that is not a number is read as 0 and loading goes on;
//  - a .vkd sample line with fewer than seven fields repeats its last field
//    into the remaining columns; a line without any TAB is rejected;
//  - foreign files: the name line is split at the separator (a closing
//    separator is optional), names beyond 40 are ignored; value fields of any
//    length, one character included, are ordinary values; a file whose
//    second sample line holds no value is rejected;
//  - text is read as UTF-8 (a single-byte file that is not valid UTF-8 is
//    read as Latin-1) and written as UTF-8.

#include "data/MeasurementSet.h"
#include "data/ProcessingChoosers.h"

#include <QString>

#include <array>

class Podatki;

// The load and save dialogs' filter ("Description|patterns|...") and
// default extension.
extern const QString MeasurementFileFilter;
extern const QString MeasurementFileExtension;

// The settings a data file carries, as texts ready for the edit boxes.
struct MeasurementFileSettings {
    QString Date;
    QString Time;
    QString WindowStart;      // ScrollBar3 position
    QString WindowEnd;        // ScrollBar4 position
    QString FilterTime;       // Edit8
    QString ActuatorMaximum;  // Edit_Actuator_Maximum
    QString ActuatorMinimum;  // Edit_Actuator_Minimum
    QString ActuatorVelocity; // Edit_Actuator_Velocity
};

struct LoadedMeasurements {
    MeasurementSet Data{0, 0};
    MeasurementFileSettings Settings;
    bool Foreign = false; // a foreign text export rather than a .vkd
};

// Reads a data file without touching any store; the format is chosen by the
// first line ("VARKOL Mesurements" for .vkd), not by the extension.
LoadedMeasurements ReadMeasurementFile(const QString& fileName);

// Reads a data file into the store (Time, RawColumns, ColumnNames,
// SampleCount, SamplingTime, SignalCount, WindowGap) and returns its
// settings. On any error the store is left exactly as it was.
MeasurementFileSettings LoadMeasurements(Podatki& store, const QString& fileName);

// Writes a .vkd file from the store's Time and the raw columns chosen for
// MV, MV, U, U, Y1, Y2 (samples 1..sampleCount), with the given date and
// time texts, window and settings; `fieldNames` are the names of those six
// fields. The file is replaced only when it was written completely. Throws
// FileError when the file cannot be written or a value to write is not
// finite, VarkolError when there is nothing to save.
void SaveMeasurements(const Podatki& store, const QString& fileName, const QString& dateText,
                      const QString& timeText, double samplingTime, int sampleCount,
                      int windowStart, int windowEnd, const ConditioningSettings& settings,
                      const ColumnChoice& columns, const std::array<QString, 6>& fieldNames);

// The names of the six fields of a .vkd written with `columns`: the store's
// names of the MV, MV, U, U, Y1 and Y2 columns.
std::array<QString, 6> FieldNames(const Podatki& store, const ColumnChoice& columns);

// The present date in the user's short date format and the present time in
// the user's long time format, as the save writes them.
QString CurrentDateText();
QString CurrentTimeText();
