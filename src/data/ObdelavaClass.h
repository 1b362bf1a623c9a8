#pragma once

// Signal conditioning: the calculator that turns the raw columns of the
// measurement store into the four processed signals, and prepares the
// identification window. It keeps no state of its own: each operation works
// on the store it was given.
//
// The data files (SaveMeasurements, LoadMeasurements) belong with this
// calculator in the program's design but need Qt for text and files, which
// this layer may not use: they live in data/DataFile.h as free functions of
// the io layer.

class Podatki;

class TObdelava {
public:
    explicit TObdelava(Podatki& store) : store_(store) {}

    // Recomputes ProcessedMV, ProcessedU, ProcessedY1 and ProcessedY2 for
    // samples 1..n from the raw columns (1-based column numbers): U through
    // the actuator limits lo..hi with full-travel time topen, then U, Y1 and
    // Y2 through the low-pass filter with time constant tf; MV only delayed
    // by one sample so that all four carry the same shift.
    // Throws VarkolError for a column outside 1..MaxColumns; n is limited to
    // 0..MaxSamples.
    void Condition(int mvColumn, int uColumn, int n, double ts, double tf, double topen, double lo,
                   double hi, int y2Column, int y1Column);

    // The steps of Condition one by one, for the column choosers that
    // recompute only their own signal. ConditionU leaves the limited signal
    // in LimitedU.
    void ConditionMV(int mvColumn, int n, double ts);
    void ConditionU(int uColumn, int n, double ts, double tf, double topen, double lo, double hi);
    void ConditionY1(int y1Column, int n, double ts, double tf);
    void ConditionY2(int y2Column, int n, double ts, double tf);

    // First-order low-pass filter of x[0..n-1] into out[0..n-1] (sampling
    // time ts, time constant tf, starting from x[0]; SimScratch holds the
    // slope): out[0] = out[1] = x[0], out[j] = a*out[j-1] + (1-a)*x[j-1] with
    // a = exp(-ts/tf); with tf <= 0.01*ts the input delayed by one sample.
    void LowPass(const double* x, int n, double ts, double tf, double* out);

    // Fills IdentU, IdentY1, IdentY2 and IdentTime over the window
    // start..end (sample numbers), each processed signal minus its mean over
    // the initial period in which MV stays at its starting value.
    void RemoveInitialOffsets(int start, int end);

private:
    const double* RawColumn(int column) const;
    Podatki& store_;
};
