#pragma once

// The numeric routines that signal processing, identification, tuning, the
// response simulation and the views share. They work on plain arrays of
// doubles, never allocate, never throw and keep no state: every failure case
// is folded into a documented result.
//
// Two index conventions, each function keeps to one:
//  - range functions (MinMax, MinMaxIndex, MeanSquareError, the variances,
//    Histogram20) take an inclusive range first..last of 1-based sample
//    numbers: sample i is array element i-1;
//  - stream functions (SimulateFOPDT, RateLimit, the least-squares fits)
//    take a pointer to the first sample to use and a count, indexed from 0.

#include <string_view>

// Round to the nearest integer, halves to even (the program's one rule for
// turning doubles into integers). Values outside the int range saturate;
// NaN gives 0.
int RoundHalfEven(double x);

// x clamped: hi when x > hi, x when x >= lo, else lo (so lo wins when lo > hi).
double Limit(double x, double lo, double hi);

// numerator / denominator, or fallback when the denominator is exactly 0.
double SafeDivide(double numerator, double denominator, double fallback);

// Largest and smallest sample over first..last. A range of fewer than two
// samples (first >= last) gives max = min = 0.
void MinMax(const double* a, double& max, double& min, int first, int last);

// As MinMax, with the sample numbers of the maximum and minimum (earliest on
// ties; both first when the range has fewer than two samples).
void MinMaxIndex(const double* a, double& max, double& min, int first, int last, int& iMax,
                 int& iMin);

// Discrete first-order-plus-dead-time response, exact for a piecewise
// constant input: y[j] = a*y[j-1] + (1-a)*K*u[j-1-D] with a = exp(-Ts/T) and
// D = L/Ts rounded halves to even. Produces N = last-first+1 samples of y and
// of its slope dy. The input is used unchanged (callers remove offsets).
// Writes stay inside y[0..N-1] and dy[0..N-1] whatever the dead time; a
// negative dead time counts as none.
void SimulateFOPDT(int first, int last, const double* u, double K, double T, double Ts, double y0,
                   double L, double* y, double* dy);

// The dead time in samples that SimulateFOPDT applies for L over n samples:
// L/Ts rounded halves to even (L itself when Ts = 0), limited to 0..n.
int FOPDTDelaySamples(double L, double Ts, int n);

// The factor m of SimulateFOPDT's slope dy = m*(K*u - y): (1 - a)/Ts with
// a = exp(-Ts/T), a = 0 when T <= 0.01*Ts (1/Ts taken as 1 when Ts = 0).
// Code that runs the same recursion itself uses this to stay bit for bit
// equal to SimulateFOPDT.
double FOPDTSlopeGain(double T, double Ts);

// Actuator with travel limits lo..hi and full-travel time topen: the output
// follows the clipped input by at most (hi-lo)*Ts/topen per sample
// (unlimited rate when topen = 0).
void RateLimit(const double* in, double* out, int count, double hi, double lo, double topen,
               double Ts);

// Mean of (a_i - b_i)^2 over first..last; 0 for an empty range.
double MeanSquareError(const double* a, const double* b, int first, int last);

// (n*S2 - S1^2) / n^2, computed mean-centred so that it is never negative
// and exactly 0 for a constant signal; 0 for an empty range.
double PopulationVariance(const double* a, int first, int last);

// (n*S2 - S1^2) / (n*(n-1)), computed mean-centred; 0 for n <= 1.
double SampleVariance(const double* a, int first, int last);

// SampleVariance of a_i - b_i.
double ResidualVariance(const double* a, const double* b, int first, int last);

struct Matrix2 {
    double I11 = 0, I12 = 0, I21 = 0, I22 = 0;
};

// Inverse of a 2x2 matrix; a singular one gives the adjugate scaled by 1E15.
Matrix2 Invert2x2(double m11, double m12, double m21, double m22);

// Result of a two-parameter fit z ~ Theta1*x1 - Theta2*x2: the parameters and
// the square roots of the diagonal of the inverted normal matrix.
struct Fit2 {
    double Theta1 = 0, Theta2 = 0, S1 = 0, S2 = 0;
};

// Least squares over samples 0..n-1 of z ~ Theta1*x1 - Theta2*x2.
Fit2 LeastSquares2(const double* x1, const double* x2, int n, const double* z);

// The same fit from its sums: s11 = sum x1^2, s12 = sum x1*x2, s22 = sum x2^2,
// c1 = sum x1*z, c2 = sum x2*z (LeastSquares2 is these sums and this solve).
Fit2 SolveLeastSquares2(double s11, double s12, double s22, double c1, double c2);

// The same model with w as the instrument for x2 (x1 is its own instrument).
Fit2 InstrumentalVariables2(const double* x1, const double* x2, int n, const double* z,
                            const double* w);

struct QuadraticRootsResult {
    double Re1 = 0, Re2 = 0, Im1 = 0, Im2 = 0;
};

// Roots of c*s^2 + b*s + a = 0: Re1 with +sqrt, Re2 with -sqrt. Divisions by
// c fall back to 1E10.
QuadraticRootsResult QuadraticRoots(double a, double b, double c);

constexpr int HistogramBins = 20;

// 20 equal bins between the minimum and maximum of first..last: lower edges,
// counts (in steps of 1.0), and the min and max found (0, 0 for fewer than
// two samples). A range without spread (max = min) has no valid bin; its
// samples are all counted in bin 1, so the histogram shows one bar holding
// every sample. Samples that are not finite are not counted.
void Histogram20(const double* a, int first, int last, double* edges, double* counts, double& min,
                 double& max);

// "True" or "False".
const char* BoolToText(bool flag);

// True exactly for "True", "true" and "1" (case-sensitive, no trimming).
bool TextToBool(std::string_view text);
