#pragma once

// The four processed signals by name, with the titles their histogram and
// large plot carry (on the processing page and in the report's pictures).

#include "data/Podatki.h"

enum class ProcessedSignal { MV, U, Y1, Y2 };

inline constexpr ProcessedSignal AllProcessedSignals[] = {ProcessedSignal::MV, ProcessedSignal::U,
                                                          ProcessedSignal::Y1, ProcessedSignal::Y2};

inline const Podatki::Signal& ProcessedValues(const Podatki& store, ProcessedSignal signal)
{
    switch (signal) {
    case ProcessedSignal::MV:
        return store.ProcessedMV;
    case ProcessedSignal::U:
        return store.ProcessedU;
    case ProcessedSignal::Y1:
        return store.ProcessedY1;
    case ProcessedSignal::Y2:
        break;
    }
    return store.ProcessedY2;
}

// Title of the histogram window for the signal (UTF-8).
inline const char* HistogramTitle(ProcessedSignal signal)
{
    switch (signal) {
    case ProcessedSignal::MV:
        return "Histogram manipulativnega signala";
    case ProcessedSignal::U:
        return "Histogram izhoda regulatorja";
    case ProcessedSignal::Y1:
        return "Histogram meritve 1";
    case ProcessedSignal::Y2:
        break;
    }
    return "Histogram meritve 2";
}

// Title of the large plot for the signal.
inline const char* LargePlotTitle(ProcessedSignal signal)
{
    switch (signal) {
    case ProcessedSignal::MV:
        return "Manipulativni signal";
    case ProcessedSignal::U:
        return "Izhod regulatorja";
    case ProcessedSignal::Y1:
        return "Meritev 1";
    case ProcessedSignal::Y2:
        break;
    }
    return "Meritev 2";
}
