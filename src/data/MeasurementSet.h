#pragma once

// One data set as read from a data file, before it enters the measurement
// store. Files are parsed into a fresh MeasurementSet and copied into the
// store only when the whole file was read, so a broken file never leaves the
// store half loaded.

#include "data/Podatki.h"

#include <string>
#include <vector>

struct MeasurementSet {
    double SamplingTime = 1.0;
    int SampleCount = 0;                      // 1..Podatki::MaxSamples
    int SignalCount = 0;                      // 1..Podatki::MaxColumns
    std::vector<double> Time;                 // SampleCount entries
    std::vector<std::vector<double>> Columns; // SignalCount columns of SampleCount samples
    std::vector<std::string> ColumnNames;     // at most MaxColumns, entry k-1 names column k

    // An empty set of `sampleCount` samples and `signalCount` columns (all zero).
    MeasurementSet(int sampleCount, int signalCount);
};

// Copies the set into the store: Time, the raw columns, the names,
// SampleCount, SamplingTime, SignalCount and WindowGap. Samples beyond the
// set and columns it does not hold are zeroed, names it does not give are
// cleared. The store's arrays keep their size and address.
void StoreMeasurements(Podatki& store, const MeasurementSet& set);
