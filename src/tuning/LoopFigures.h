#pragma once

// Robustness and performance figures of a drawn loop: the maximum
// sensitivity and the stability margins of its L(z) (LoopTransfer.h),
// whether its closed loop is stable, and the overshoot or peak, settling
// time and integrated absolute error of its drawn response.

#include "tuning/LoopTransfer.h"

#include <complex>
#include <optional>
#include <vector>

struct FrequencyFigures {
    // max |1 / (1 + L)| over 0 < w <= pi/Ts, and where it lies [rad/s].
    double Ms = 1;
    double MsFrequency = 0;
    // The smallest 1/|L| where the phase of L crosses -180 deg (mod 360), a
    // factor, at PhaseCrossover [rad/s]; none where it never crosses.
    std::optional<double> GainMargin, PhaseCrossover;
    // The smallest 180 deg + phase of L (wrapped to -180..180) where |L|
    // crosses 1, at GainCrossover [rad/s]; none where it never crosses.
    std::optional<double> PhaseMarginDeg, GainCrossover;
    // Every pole of the closed loop strictly inside the unit circle, decided
    // by the argument principle on the characteristic polynomial Denominator
    // + Numerator, whose zeros are the closed-loop poles (so an integrator
    // of the controller needs no detour): its value turns by a net zero
    // angle along the upper half of the unit circle exactly when every zero
    // lies inside.
    bool Stable = false;
};

FrequencyFigures ComputeFrequencyFigures(const LoopTransfer& loop);

// Figures of a drawn response y[0..n-1] (sample k at k*Ts); y_end = y[n-1].
struct ResponseFigures {
    // Reference response: 100 (max y - y_end) / |y_end|, 0 when max y <=
    // y_end; none when y_end is 0 or not a number.
    std::optional<double> OvershootPercent;
    // Disturbance response: max |y|.
    std::optional<double> Peak;
    // The first time from which y stays within +-0.02 of y_end to the end.
    std::optional<double> SettlingTime;
    // Ts * sum |r - y_k|, r = 1 for the reference and 0 for the disturbance.
    double Iae = 0;
};

ResponseFigures ComputeResponseFigures(const double* y, int n, double Ts, bool disturbance);

struct LoopRobustness {
    FrequencyFigures Frequency;
    ResponseFigures Response;
};

// The band of the settling time.
constexpr double SettlingBand = 0.02;

// L and |S| over the frequencies of the figures' sweep, at most maxPoints of
// them, for drawing.
struct FrequencyCurve {
    std::vector<double> Frequency;          // rad/s, increasing
    std::vector<std::complex<double>> Loop; // L
    std::vector<double> Sensitivity;        // |1 / (1 + L)|
};

FrequencyCurve ComputeFrequencyCurve(const LoopTransfer& loop, int maxPoints);
