#pragma once

// Signal conditioning: the calculator that turns the raw columns of the
// measurement store into the four processed signals, and prepares the
// identification window. It keeps no state of its own: each operation works
// on the store it was given.

class Podatki;

class TObdelava {
public:
    explicit TObdelava(Podatki& store) : store_(store) {}

    // Recomputes ProcessedMV, ProcessedU, ProcessedY1 and ProcessedY2 for
    // samples 1..n from the raw columns (1-based column numbers): U through
    // the actuator limits lo..hi with full-travel time topen, then U, Y1 and
    // Y2 through the low-pass filter with time constant tf; MV only delayed
    // by one sample so that all four carry the same shift.
    void Condition(int mvColumn, int uColumn, int n, double ts, double tf, double topen, double lo,
                   double hi, int y2Column, int y1Column);

    // Fills IdentU, IdentY1, IdentY2 and IdentTime over the window
    // start..end (sample numbers), each processed signal minus its mean over
    // the initial period in which MV stays at its starting value.
    void RemoveInitialOffsets(int start, int end);

private:
    Podatki& store_;
};
