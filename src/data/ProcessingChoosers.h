#pragma once

// The rules behind the processing page's choosers, apart from the widgets:
// which raw column feeds each processed signal, the ranges and positions of
// the experiment-window scroll bars (ScrollBar3 = start, ScrollBar4 = end),
// and the preparation of new data (after an experiment or a loaded file).
// The page's handlers read their controls, call these and show the result.

#include "data/Podatki.h"

// Raw column (1-based) feeding each processed signal.
struct ColumnChoice {
    int MV = 1;
    int U = 3;
    int Y1 = 5;
    int Y2 = 6;
};

// The standard layout MV 1, U 3, Y1 5, Y2 6, each limited to 1..signalCount
// (a foreign file may hold fewer columns).
ColumnChoice DefaultColumns(int signalCount);

// The conditioning parameters of the page's edit boxes.
struct ConditioningSettings {
    double FilterTime = 0; // Tf [s]       (Edit8)
    double Maximum = 100;  // upper limit  (Edit_Actuator_Maximum)
    double Minimum = 0;    // lower limit  (Edit_Actuator_Minimum)
    double Velocity = 1;   // Topen [s]    (Edit_Actuator_Velocity)
};

// TObdelava::Condition over samples 1..SampleCount of the store with its
// SamplingTime.
void ConditionSignals(Podatki& store, const ColumnChoice& columns,
                      const ConditioningSettings& settings);

// Range and position of one scroll bar. Minimum <= Position <= Maximum and
// Minimum >= 1 always hold.
struct ChooserState {
    int Minimum = 1;
    int Maximum = 1;
    int Position = 1;
};

struct WindowChoosers {
    ChooserState Start; // ScrollBar3, "Začetek poizkusa"
    ChooserState End;   // ScrollBar4, "Konec poizkusa"
};

// After an experiment: start 1..N-2 at 1, end 1..N at N (both 1..2 when
// N <= 2).
WindowChoosers ExperimentWindowChoosers(int sampleCount);

// After a loaded file: start 1..N-gap, end gap..N, at the file's window.
WindowChoosers LoadedWindowChoosers(int sampleCount, int windowGap, int start, int end);

// The start chooser moved (ScrollBar3Change): start 1..end-10 and end
// start+10..N, or start 1..end and end start..N when N <= 10.
//
// The two handlers keep different gaps, and the choosers after an
// experiment allow a start up to N-2, so a moved chooser can meet a window
// that no longer has room for the gap. Then the chooser that moved keeps its
// position if the data allow it and the other one gives way (a start is
// held at N-gap at most); both always stay within 1..N.
WindowChoosers WindowChoosersAfterStartChange(int sampleCount, int start, int end);

// The end chooser moved (ScrollBar4Change): start 1..end-gap, end
// start+gap..N with the store's WindowGap, by the same rule (an end is held
// at 1+gap at least).
WindowChoosers WindowChoosersAfterEndChange(int sampleCount, int windowGap, int start, int end);

// What the page shows after new data: the window choosers, the column
// choosers' common maximum (SignalCount) and their positions.
struct ProcessingLayout {
    WindowChoosers Window;
    int ColumnMaximum = 1;
    ColumnChoice Columns;
};

// The computing part of ShowExperimentData: sets WindowGap for the new
// sample count, conditions the standard columns with `settings` and returns
// the layout the page shows.
ProcessingLayout PrepareExperimentData(Podatki& store, const ConditioningSettings& settings);
// Its first part: the window gap and the choosers of a new record, without
// conditioning.
ProcessingLayout ExperimentLayout(Podatki& store);

// The same after a file was loaded into the store (LoadMeasurements has set
// WindowGap), with the window the file gives.
ProcessingLayout PrepareLoadedData(Podatki& store, const ConditioningSettings& settings,
                                   int windowStart, int windowEnd);
