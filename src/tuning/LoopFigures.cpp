#include "tuning/LoopFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Density of the logarithmic part of the sweep.
constexpr int PointsPerDecade = 80;
// Candidates for the peak of |S| that are refined.
constexpr int PeakCandidates = 3;

// Frequencies of the sweep [rad per sample], increasing, ending at pi: a
// logarithmic grid from the loop's lowest frequency, and where that grows
// coarser than the fastest term of the polynomials allows, a uniform grid on
// which no term z^-p turns by more than a quarter turn between neighbours
// (the ripples of a long dead time are all seen).
std::vector<double> SweepFrequencies(const LoopTransfer& loop)
{
    const int highest = std::max(loop.Numerator.HighestPower(), loop.Denominator.HighestPower());
    const double ratio = std::pow(10.0, 1.0 / PointsPerDecade) - 1;
    const double uniform = Pi / (2.0 * (highest + 2));
    std::vector<double> theta;
    for (double t = std::min(loop.LowestFrequency, Pi); t < Pi; t += std::min(t * ratio, uniform))
        theta.push_back(t);
    theta.push_back(Pi);
    return theta;
}

struct Sample {
    double Theta = 0;
    std::complex<double> Num, Den;
    std::complex<double> Loop; // Num / Den
    double Sensitivity = 0;    // |Den / (Den + Num)|
};

Sample Evaluate(const LoopTransfer& loop, double theta)
{
    const UnitPowers z(theta);
    Sample s;
    s.Theta = theta;
    s.Num = loop.Numerator.At(z);
    s.Den = loop.Denominator.At(z);
    const double den = std::norm(s.Den);
    s.Loop = s.Num * std::conj(s.Den) / den;
    s.Sensitivity = std::sqrt(den / std::norm(s.Den + s.Num));
    return s;
}

std::vector<Sample> Sweep(const LoopTransfer& loop)
{
    const std::vector<double> theta = SweepFrequencies(loop);
    std::vector<Sample> samples;
    samples.reserve(theta.size());
    for (const double t : theta)
        samples.push_back(Evaluate(loop, t));
    return samples;
}

// The angle by which the characteristic polynomial turns from a to b, the
// interval halved wherever it turns by more than an eighth of a turn, so that
// no turn about the origin is missed. `budget` bounds the evaluations; a
// value that is not a number ends the halving (the loop is then not stable).
double Turn(const ShiftPolynomial& p, double ta, std::complex<double> pa, double tb,
            std::complex<double> pb, int depth, int& budget)
{
    const double angle = std::arg(pb * std::conj(pa));
    if (!(std::fabs(angle) > Pi / 4) || depth >= 40 || budget <= 0)
        return angle;
    --budget;
    const double tm = 0.5 * (ta + tb);
    const std::complex<double> pm = p.At(tm);
    return Turn(p, ta, pa, tm, pm, depth + 1, budget) + Turn(p, tm, pm, tb, pb, depth + 1, budget);
}

bool Stable(const LoopTransfer& loop, const std::vector<Sample>& samples)
{
    const ShiftPolynomial p = loop.Characteristic();
    double scale = 0;
    for (const ShiftTerm& t : p.Terms())
        scale += std::fabs(t.Coefficient);
    // A zero on the unit circle (or too near to tell) is not stable.
    const double tiny = 1e-12 * scale;
    if (!(scale > 0) || !std::isfinite(scale))
        return false;
    double theta = 0;
    std::complex<double> value = p.At(0);
    if (!(std::abs(value) > tiny))
        return false;
    double total = 0;
    int budget = 100000;
    for (const Sample& s : samples) {
        const std::complex<double> next = s.Den + s.Num;
        if (!(std::abs(next) > tiny))
            return false;
        total += Turn(p, theta, value, s.Theta, next, 0, budget);
        theta = s.Theta;
        value = next;
    }
    // The net turn is a whole number of half turns: zero when stable.
    return std::fabs(total) < Pi / 2; // false when not a number
}

// Golden-section search for the largest |S| on [a, b].
double LargestSensitivityOn(const LoopTransfer& loop, double a, double b, double& theta)
{
    const double g = 0.5 * (std::sqrt(5.0) - 1);
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = Evaluate(loop, c).Sensitivity, fd = Evaluate(loop, d).Sensitivity;
    for (int i = 0; i < 200 && b - a > 1e-10 * b; ++i) {
        if (fc >= fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - g * (b - a);
            fc = Evaluate(loop, c).Sensitivity;
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + g * (b - a);
            fd = Evaluate(loop, d).Sensitivity;
        }
    }
    theta = fc >= fd ? c : d;
    return std::max(fc, fd);
}

// A zero of f between lo and hi, where f changes sign (regula falsi with the
// Illinois step, halving where the secant gives no number).
template <typename F> double Crossing(F f, double lo, double flo, double hi, double fhi)
{
    double c = lo;
    int side = 0;
    for (int i = 0; i < 100 && hi - lo > 1e-13 * hi; ++i) {
        c = (lo * fhi - hi * flo) / (fhi - flo);
        if (!(c > lo && c < hi))
            c = 0.5 * (lo + hi);
        const double fc = f(c);
        if (fc == 0)
            return c;
        if ((fc < 0) == (fhi < 0)) {
            hi = c;
            fhi = fc;
            if (side == -1)
                flo *= 0.5;
            side = -1;
        } else {
            lo = c;
            flo = fc;
            if (side == 1)
                fhi *= 0.5;
            side = 1;
        }
    }
    return c;
}

// 180 deg + the phase of L, wrapped to -180..180.
double PhaseMarginAt(std::complex<double> loop)
{
    double pm = 180 + std::arg(loop) * 180 / Pi;
    if (pm > 180)
        pm -= 360;
    return pm;
}

void Margins(const LoopTransfer& loop, const std::vector<Sample>& samples, FrequencyFigures& f)
{
    const auto logGain = [&](double theta) {
        return 0.5 * std::log(std::norm(Evaluate(loop, theta).Loop));
    };
    // sin of the phase: zero on the real axis.
    const auto imaginary = [&](double theta) {
        const std::complex<double> l = Evaluate(loop, theta).Loop;
        return l.imag() / std::abs(l);
    };
    const auto gainCrossing = [&](double theta) {
        const double pm = PhaseMarginAt(Evaluate(loop, theta).Loop);
        if (!f.PhaseMarginDeg || pm < *f.PhaseMarginDeg) {
            f.PhaseMarginDeg = pm;
            f.GainCrossover = theta / loop.Ts;
        }
    };
    const auto phaseCrossing = [&](double theta) {
        const std::complex<double> l = Evaluate(loop, theta).Loop;
        if (!(l.real() < 0))
            return;
        const double gm = 1 / std::abs(l);
        if (!f.GainMargin || gm < *f.GainMargin) {
            f.GainMargin = gm;
            f.PhaseCrossover = theta / loop.Ts;
        }
    };
    const std::size_t last = samples.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        const double lo = samples[i].Theta;
        double hi = samples[i + 1].Theta;
        const double glo = 0.5 * std::log(std::norm(samples[i].Loop));
        const double ghi = 0.5 * std::log(std::norm(samples[i + 1].Loop));
        if ((glo < 0) != (ghi < 0) && std::isfinite(glo) && std::isfinite(ghi))
            gainCrossing(Crossing(logGain, lo, glo, hi, ghi));
        // L is real at pi: the sign just below it tells a crossing inside
        // the last interval, and pi itself is taken on its own below.
        if (i + 1 == last)
            hi -= 1e-7 * (hi - lo);
        const double plo = samples[i].Loop.imag();
        const double phi = i + 1 == last ? imaginary(hi) : samples[i + 1].Loop.imag();
        if ((plo < 0) != (phi < 0) && std::isfinite(plo) && std::isfinite(phi))
            phaseCrossing(Crossing(imaginary, lo, imaginary(lo), hi, imaginary(hi)));
    }
    // At the Nyquist frequency a negative L lies on the -180 deg line.
    phaseCrossing(Pi);
}

} // namespace

FrequencyFigures ComputeFrequencyFigures(const LoopTransfer& loop)
{
    FrequencyFigures f;
    const std::vector<Sample> samples = Sweep(loop);
    f.Stable = Stable(loop, samples);

    // The largest local maxima of |S| on the grid, each refined between its
    // neighbours.
    std::vector<std::pair<double, std::size_t>> peaks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double s = samples[i].Sensitivity;
        const bool left = i == 0 || s >= samples[i - 1].Sensitivity;
        const bool right = i + 1 == samples.size() || s >= samples[i + 1].Sensitivity;
        if (left && right && std::isfinite(s))
            peaks.emplace_back(s, i);
    }
    std::sort(peaks.begin(), peaks.end(), std::greater<>());
    if (peaks.size() > PeakCandidates)
        peaks.resize(PeakCandidates);
    f.Ms = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [value, i] : peaks) {
        double theta = samples[i].Theta;
        double best = value;
        const double a = samples[i == 0 ? 0 : i - 1].Theta;
        const double b = samples[std::min(i + 1, samples.size() - 1)].Theta;
        double refinedTheta = theta;
        const double refined = LargestSensitivityOn(loop, a, b, refinedTheta);
        if (refined > best) {
            best = refined;
            theta = refinedTheta;
        }
        if (!(best <= f.Ms)) {
            f.Ms = best;
            f.MsFrequency = theta / loop.Ts;
        }
    }
    Margins(loop, samples, f);
    return f;
}

ResponseFigures ComputeResponseFigures(const double* y, int n, double Ts, bool disturbance)
{
    ResponseFigures f;
    if (n <= 0)
        return f;
    const double yEnd = y[n - 1];
    const double r = disturbance ? 0 : 1;
    double maxY = y[0], peak = 0, iae = 0;
    bool finite = true;
    for (int k = 0; k < n; ++k) {
        finite = finite && std::isfinite(y[k]);
        maxY = std::max(maxY, y[k]);
        peak = std::max(peak, std::fabs(y[k]));
        iae += std::fabs(r - y[k]);
    }
    f.Iae = Ts * iae;
    if (disturbance) {
        if (finite)
            f.Peak = peak;
    } else if (finite && yEnd != 0) {
        f.OvershootPercent = maxY <= yEnd ? 0 : 100 * (maxY - yEnd) / std::fabs(yEnd);
    }
    if (std::isfinite(yEnd)) {
        int k = n - 1;
        while (k > 0 && std::fabs(y[k - 1] - yEnd) <= SettlingBand)
            --k;
        f.SettlingTime = k * Ts;
    }
    return f;
}

FrequencyCurve ComputeFrequencyCurve(const LoopTransfer& loop, int maxPoints)
{
    const std::vector<Sample> samples = Sweep(loop);
    const std::size_t count = samples.size();
    const std::size_t kept = std::min(count, static_cast<std::size_t>(std::max(maxPoints, 2)));
    FrequencyCurve curve;
    for (std::size_t j = 0; j < kept; ++j) {
        // Evenly by index, first and last kept.
        const std::size_t i = kept == count ? j : j * (count - 1) / (kept - 1);
        curve.Frequency.push_back(samples[i].Theta / loop.Ts);
        curve.Loop.push_back(samples[i].Loop);
        curve.Sensitivity.push_back(samples[i].Sensitivity);
    }
    return curve;
}
