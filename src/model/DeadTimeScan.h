#pragma once

// The building blocks of the identification of one process: the fit of the
// state-variable-filter model z ~ K*x1 - T*x2 for one dead time, the model
// error of a (K, T, d) model, and the scan of every dead time at once.
//
// Notation: Filt(x, Tf, d) is SimulateFOPDT of x with gain 1, time constant
// Tf and dead time d*Ts over samples 1..n from 0, Filt' its slope. A fit for
// dead time d with filter constant Tf uses x1 = Filt(u, Tf, d),
// z = Filt(y, Tf, 0), x2 = Filt'(y, Tf, 0), LeastSquares2, and a negative T
// replaced by 0. The model output is SimulateFOPDT(u, K, T, d*Ts) and its
// error the mean square difference from the reference (y delayed by one
// sample).
//
// The scan gives, for every dead time, bit for bit the numbers that those
// definitions give when they are evaluated one dead time at a time; it is
// only arranged differently (see DeadTimeScan.cpp).

#include "data/GlobalProcedures.h"

struct FitScratch;

// The signals of one process, n samples each (stream arrays, index 0..n-1).
struct ProcessSignals {
    const double* Input = nullptr;     // u
    const double* Output = nullptr;    // y
    const double* Reference = nullptr; // y delayed by one sample
    int Count = 0;                     // n
    double SamplingTime = 1;           // Ts [s]
};

// Which implementation of the scan's inner loops runs. Best picks the widest
// vector instructions the processor offers; the others are there so that
// every variant can be checked on any machine that has it.
enum class ScanKernel { Best, Portable, Avx2, Avx512 };

// Whether this processor can run the kernel.
bool ScanKernelAvailable(ScanKernel kernel);

// The fit for dead time d with filter constant tf (T < 0 replaced by 0).
// Uses w.ShiftedInput, w.InputSlope, w.FilteredOutput, w.OutputSlope.
Fit2 FitAt(const ProcessSignals& p, double tf, int d, FitScratch& w);

// Mean square error of the model (K, T, d) against the reference; the model
// output is left in w.ModelOutput.
double ModelErrorAt(const ProcessSignals& p, double gain, double timeConstant, int d,
                    FitScratch& w);

// For every dead time d = 0..n-2: the fit with filter constant tf and its
// model error, into w.ScanGain, ScanTimeConstant, ScanGainSigma,
// ScanTimeSigma and ScanError at index d. Needs n >= 2.
void ScanDeadTimes(const ProcessSignals& p, double tf, FitScratch& w,
                   ScanKernel kernel = ScanKernel::Best);
