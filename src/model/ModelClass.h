#pragma once

// Identification of the first-order-plus-dead-time models of the inner
// process (U -> Y1) and the outer process (Y1 -> Y2) of one experiment
// window: a state-variable-filter least-squares fit over every dead time
// with two filter constants, a refit of the three best dead times with their
// own time constants, two instrumental-variable iterations per dead time,
// and the model's quality figures.

#include "data/Podatki.h"
#include "model/DeadTimeScan.h"

#include <array>

// One fitted model: a dead time in samples with its gain, time constant, the
// two sigmas of the fit (square roots of the inverted normal matrix's
// diagonal) and its mean square error against the reference.
struct CandidateFit {
    int DeadTime = 0;
    double Gain = 0;
    double TimeConstant = 0;
    double GainSigma = 0;
    double TimeSigma = 0;
    double Error = 0;
};

// The identification of one process, with the fits along the way.
struct ProcessIdentification {
    ProcessModel Model;
    CandidateFit Best;                        // the model chosen
    CandidateFit FirstScan;                   // best of the scan with the first filter constant
    CandidateFit SecondScan;                  // best of the scan with its time constant as filter
    std::array<CandidateFit, 3> Candidates{}; // what the instrumental variables start from
    std::array<CandidateFit, 3> Refined{};    // after the instrumental variables
};

// Identifies one process from p.Input, p.Output, p.Count and
// p.SamplingTime. The reference (y delayed by one sample) is written to
// `reference` first (p.Reference is not read); the model output of the result
// goes to `output`. t0 is the first filter constant [s]. Meant for
// p.Count >= 4; smaller counts stay inside the arrays but give no real choice.
ProcessIdentification IdentifyProcess(const ProcessSignals& p, double* reference, double t0,
                                      double* output, FitScratch& w,
                                      ScanKernel kernel = ScanKernel::Best);

// The calculator: fits both processes to the identification arrays of the
// store. Created for one identification; keeps the fourteen results.
class TModel {
public:
    explicit TModel(Podatki& store) : store_(store) {}

    // Fits the inner process (IdentU -> IdentY1, reference MeasuredInner,
    // output ModelOutputInner) and the outer one (IdentY1 -> IdentY2,
    // MeasuredOuter, ModelOutputOuter) over samples 1..n, sampling time ts,
    // first filter constant t0; the two run side by side on two threads.
    // Needs 4 <= n <= MaxSamples.
    void Identify(int n, double ts, double t0, ScanKernel kernel = ScanKernel::Best);

    ProcessModel Inner;
    ProcessModel Outer;
    ProcessIdentification InnerDetails;
    ProcessIdentification OuterDetails;

private:
    Podatki& store_;
};

// The fewest window samples the identification accepts: with fewer, no dead
// time is eligible and the method has no choice to make.
constexpr int MinimumIdentificationSamples = 4;

// Identifies both models over the window start..end (1-based sample
// numbers): removes the initial offsets into the identification arrays,
// fits with the first filter constant at 5 % of the window's duration and
// stores InnerModel, OuterModel, InnerDelaySamples, OuterDelaySamples. With
// `refine`, the identified models are then refined (ModelRefinement.h) and
// the refined ones stored in their place; without, the store holds no
// refined model afterwards. Throws ComputationError, changing nothing, for
// a window outside 1..SampleCount or of fewer than
// MinimumIdentificationSamples samples, and for signals so large that the
// fit overflows (magnitudes beyond about 1E75) or a refinement that gives no
// finite model.
void IdentifyModels(Podatki& store, int start, int end, bool refine = false);

// A dead time in whole samples: L/Ts rounded halves to even, L itself
// rounded when Ts = 0.
int DelaySamples(double deadTime, double ts);
