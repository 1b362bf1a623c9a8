#include "data/GlobalProcedures.h"

#include <algorithm>
#include <climits>
#include <cmath>

int RoundHalfEven(double x)
{
    if (std::isnan(x))
        return 0;
    // nearbyint rounds in the default mode, to nearest with ties to even.
    const double r = std::nearbyint(x);
    if (r >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (r <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(r);
}

double Limit(double x, double lo, double hi)
{
    if (x > hi)
        return hi;
    if (x >= lo)
        return x;
    return lo;
}

double SafeDivide(double numerator, double denominator, double fallback)
{
    if (denominator == 0.0)
        return fallback;
    return numerator / denominator;
}

void MinMax(const double* a, double& max, double& min, int first, int last)
{
    if (first >= last) {
        max = 0;
        min = 0;
        return;
    }
    max = a[first - 1];
    min = a[first - 1];
    for (int i = first; i < last; ++i) {
        max = std::max(a[i], max);
        min = std::min(a[i], min);
    }
}

void MinMaxIndex(const double* a, double& max, double& min, int first, int last, int& iMax,
                 int& iMin)
{
    iMax = first;
    iMin = first;
    if (first >= last) {
        max = 0;
        min = 0;
        return;
    }
    max = a[first - 1];
    min = a[first - 1];
    for (int i = first + 1; i <= last; ++i) {
        const double v = a[i - 1];
        if (v > max) {
            max = v;
            iMax = i;
        } else if (v < min) {
            min = v;
            iMin = i;
        }
    }
}

void SimulateFOPDT(int first, int last, const double* u, double K, double T, double Ts, double y0,
                   double L, double* y, double* dy)
{
    const int n = last - first + 1;
    if (n <= 0)
        return;
    // A dead time of N samples or more only holds the initial output; a
    // negative one counts as none. Either way no write leaves y[0..N-1].
    const int d = FOPDTDelaySamples(L, Ts, n);
    for (int j = 0; j < d; ++j) {
        y[j] = y0;
        dy[j] = 0;
    }
    if (d >= n)
        return;
    const double m = FOPDTSlopeGain(T, Ts);
    y[d] = y0;
    dy[d] = m * (K * u[0] - y[d]);
    for (int j = d + 1; j < n; ++j) {
        y[j] = y[j - 1] + Ts * dy[j - 1];
        dy[j] = m * (K * u[j - d] - y[j]);
    }
}

int FOPDTDelaySamples(double L, double Ts, int n)
{
    return std::clamp(RoundHalfEven(SafeDivide(L, Ts, L)), 0, std::max(n, 0));
}

double FOPDTSlopeGain(double T, double Ts)
{
    const double g = SafeDivide(1.0, Ts, 1.0);
    // A time constant of at most a hundredth of the sampling time is no lag.
    const double alpha = (0.01 * Ts >= T) ? 0.0 : std::exp(-SafeDivide(Ts, T, 100.0));
    return (1.0 - alpha) * g;
}

void RateLimit(const double* in, double* out, int count, double hi, double lo, double topen,
               double Ts)
{
    if (count <= 0)
        return;
    const double step = SafeDivide((hi - lo) * Ts, topen, hi - lo);
    out[0] = Limit(in[0], lo, hi);
    for (int i = 1; i < count; ++i) {
        const double p = Limit(out[i - 1], lo, hi);
        const double v = Limit(in[i], lo, hi);
        if (p + step < v)
            out[i] = p + step;
        else if (p - step > v)
            out[i] = p - step;
        else
            out[i] = v;
    }
}

double MeanSquareError(const double* a, const double* b, int first, int last)
{
    const int n = std::max(last - first + 1, 0);
    double s = 0;
    for (int i = first; i <= last; ++i) {
        const double d = a[i - 1] - b[i - 1];
        s += d * d;
    }
    return SafeDivide(s, n, s);
}

namespace {

// Sum of squared deviations from the mean (Welford's update): equal to
// (n*S2 - S1^2)/n up to rounding, never negative, and exactly 0 for a
// constant signal, where the one-pass form often leaves a tiny negative
// number whose square root would be NaN.
template <typename Sample>
double CentredSquares(int first, int last, Sample sample)
{
    double mean = 0;
    double m2 = 0;
    int k = 0;
    for (int i = first; i <= last; ++i) {
        const double x = sample(i);
        ++k;
        const double delta = x - mean;
        mean += delta / k;
        m2 += delta * (x - mean);
    }
    return std::max(m2, 0.0);
}

}  // namespace

double PopulationVariance(const double* a, int first, int last)
{
    const int n = last - first + 1;
    if (n <= 0)
        return 0;
    return CentredSquares(first, last, [a](int i) { return a[i - 1]; }) / n;
}

double SampleVariance(const double* a, int first, int last)
{
    const int n = last - first + 1;
    if (n <= 1)
        return 0;
    return CentredSquares(first, last, [a](int i) { return a[i - 1]; }) / (n - 1);
}

double ResidualVariance(const double* a, const double* b, int first, int last)
{
    const int n = last - first + 1;
    if (n <= 1)
        return 0;
    return CentredSquares(first, last, [a, b](int i) { return a[i - 1] - b[i - 1]; }) / (n - 1);
}

Matrix2 Invert2x2(double m11, double m12, double m21, double m22)
{
    const double det = m11 * m22 - m12 * m21;
    const double e = SafeDivide(1.0, det, 1.0E15);
    return {m22 * e, -m12 * e, -m21 * e, m11 * e};
}

Fit2 LeastSquares2(const double* x1, const double* x2, int n, const double* z)
{
    double s11 = 0, s12 = 0, s22 = 0, c1 = 0, c2 = 0;
    for (int i = 0; i < n; ++i) {
        s11 += x1[i] * x1[i];
        s12 += x1[i] * x2[i];
        s22 += x2[i] * x2[i];
        c1 += x1[i] * z[i];
        c2 += x2[i] * z[i];
    }
    return SolveLeastSquares2(s11, s12, s22, c1, c2);
}

Fit2 SolveLeastSquares2(double s11, double s12, double s22, double c1, double c2)
{
    const Matrix2 inv = Invert2x2(s11, -s12, -s12, s22);
    return {inv.I11 * c1 - inv.I12 * c2, inv.I21 * c1 - inv.I22 * c2, std::sqrt(std::fabs(inv.I11)),
            std::sqrt(std::fabs(inv.I22))};
}

Fit2 InstrumentalVariables2(const double* x1, const double* x2, int n, const double* z,
                            const double* w)
{
    double s11 = 0, s12 = 0, s1w = 0, s2w = 0, c1 = 0, cw = 0;
    for (int i = 0; i < n; ++i) {
        s11 += x1[i] * x1[i];
        s12 += x1[i] * x2[i];
        s1w += x1[i] * w[i];
        s2w += x2[i] * w[i];
        c1 += x1[i] * z[i];
        cw += w[i] * z[i];
    }
    const Matrix2 inv = Invert2x2(s11, -s12, -s1w, s2w);
    return {inv.I11 * c1 - inv.I12 * cw, inv.I21 * c1 - inv.I22 * cw, std::sqrt(std::fabs(inv.I11)),
            std::sqrt(std::fabs(inv.I22))};
}

QuadraticRootsResult QuadraticRoots(double a, double b, double c)
{
    const double d = b * b - 4.0 * c * a;
    QuadraticRootsResult r;
    if (d >= 0) {
        const double s = std::sqrt(d);
        r.Re1 = SafeDivide((s - b) * 0.5, c, 1.0E10);
        r.Re2 = SafeDivide((-b - s) * 0.5, c, 1.0E10);
    } else {
        r.Re1 = SafeDivide(-0.5 * b, c, 1.0E10);
        r.Re2 = r.Re1;
        r.Im1 = SafeDivide(std::sqrt(-d) * 0.5, c, 1.0E10);
        r.Im2 = -r.Im1;
    }
    return r;
}

void Histogram20(const double* a, int first, int last, double* edges, double* counts, double& min,
                 double& max)
{
    int iMax = 0, iMin = 0;
    MinMaxIndex(a, max, min, first, last, iMax, iMin);
    const double range = max - min;
    for (int k = 1; k <= HistogramBins; ++k) {
        edges[k - 1] = (k - 1) * 0.05 * range + min;
        counts[k - 1] = 0;
    }
    for (int i = first; i <= last; ++i) {
        const double bin = std::ceil(20.0 * SafeDivide(a[i - 1] - min + 1.0E-30, range, 0));
        if (!std::isfinite(bin))
            continue;
        // bin 0 (no spread) and 21 (a spread below about 20E-30) have no bar
        // of their own: they count in the nearest bin.
        const int k = static_cast<int>(std::clamp(bin, 1.0, static_cast<double>(HistogramBins)));
        counts[k - 1] += 1.0;
    }
}

const char* BoolToText(bool flag)
{
    return flag ? "True" : "False";
}

bool TextToBool(std::string_view text)
{
    return text == "True" || text == "true" || text == "1";
}
