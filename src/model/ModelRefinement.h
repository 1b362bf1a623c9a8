#pragma once

// The refined model beside the identification's own: an output-error fit of
// the first-order-plus-dead-time model
//
//     y(t) = c + K*h(t),   T*dh/dt + h = u(t - L)
//
// to the measured output over the identification window, driven by the
// recorded input held constant between samples. The dead time L is
// continuous: a fraction of a sampling period is applied exactly (over a
// period the delayed input takes two values, each for its share of the
// period), so the fit has no whole-sample grid and no one-sample lag. c is
// the output's initial offset, which the removal of the initial values
// leaves with the noise of a short initial period.
//
// The fit starts from the identified model, scans the dead time coarsely
// (with K, T and c fitted at each) so that a poor start cannot trap it in the
// wrong valley, and finishes with Levenberg-Marquardt on all four
// parameters. The 95 % intervals of K, T and L come from the Jacobian and
// the residual variance, widened for correlated residuals by an effective
// sample count.

#include "data/Podatki.h"
#include "model/DeadTimeScan.h"

// 95 % half-widths of a refined model's parameters.
struct ParameterIntervals {
    double Gain = 0;
    double TimeConstant = 0; // [s]
    double DeadTime = 0;     // [s]
};

struct RefinedModel {
    double Gain = 0;         // K
    double TimeConstant = 0; // T [s]
    double DeadTime = 0;     // L [s], continuous
    double Offset = 0;       // c, the output's offset left after the initial values
    ParameterIntervals Ci95;
    double ResidualSTD = 0;      // as the identification measures it
    double RelativeError = 0;    // against the reference (y delayed by one sample)
    double EffectiveSamples = 0; // the sample count the intervals rest on
    int Iterations = 0;          // Levenberg-Marquardt steps of the final fit
};

// The refined model's output as the model page compares it with the
// reference (the measured output delayed by one sample): out[0] = 0 and
// out[j] = c + K*h[j-1] for j = 1..n-1, h starting at rest with the first
// input (u taken as u[0] before the window). u and out hold n samples
// (stream arrays); ts > 0.
void SimulateRefinedModel(const double* u, int n, double ts, double gain, double timeConstant,
                          double deadTime, double offset, double* out);

// Refines the model of one process: p.Input and p.Output over p.Count
// samples at p.SamplingTime (> 0), p.Reference the output delayed by one
// sample; `start` is the identified model, its dead time in the
// identification's convention (one sample longer than the process's own).
// Uses w.ModelOutput as scratch; allocates nothing. Needs p.Count >= 6.
RefinedModel RefineProcess(const ProcessSignals& p, const ProcessModel& start, FitScratch& w);

struct RefinedModels {
    RefinedModel Inner;
    RefinedModel Outer;
};

// Refines both identified models of the store (InnerModel, OuterModel) over
// its identification arrays. Changes only the fit scratch. Throws
// ComputationError when the store holds no window to refine on (fewer than
// six samples, no sampling time) or a result is not finite.
RefinedModels RefineModels(Podatki& store);

// Makes the refined models the store's models: K, T, L, the residual STD and
// the relative error, the 95 % half-widths of K and T as the deviations, the
// model outputs and the dead times in samples; the offsets and the dead
// times' half-widths go to InnerRefinement / OuterRefinement, marked shown.
void UseRefinedModels(Podatki& store, const RefinedModels& models);

// Two-sided 95 % quantile of Student's t distribution with `dof` degrees of
// freedom (1.96 for many; at least 1 degree is assumed).
double StudentT95(double dof);
