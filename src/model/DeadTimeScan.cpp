#include "model/DeadTimeScan.h"

#include "data/Podatki.h"

#include <cmath>

// How the scan is made fast without changing a single bit of its results.
//
// For dead time d the filtered input x1 is the d = 0 filtered input f
// shifted by d samples, with zeros in front: SimulateFOPDT runs the same
// recursion from the same start, only later. z and x2 do not depend on d.
// So of the five least-squares sums, sum x2^2 and sum x2*z are the same for
// every d, sum x1^2 is a running sum of f^2, and only sum x1*x2 and
// sum x1*z need a pass over the samples per dead time.
//
// The model output of (K, T, d) needs its own recursion per dead time. Many
// dead times are run side by side, one per vector lane: lane k of a group
// runs dead time d0 + Lanes-1-k, so that the delayed input samples of all
// lanes are one contiguous load from an array with zeros in front. Every
// lane performs exactly the operations, in exactly the order, that the
// sample-by-sample definitions perform for its dead time:
//  - before its dead time a lane adds 0*x to its sums and keeps the model
//    output at +0, which is what the definitions do (the zero samples of a
//    delayed signal); a lane starts at the group's first dead time, whose
//    running sums up to there are the shared running sums;
//  - no multiply-add is fused (this file is compiled with
//    -ffp-contract=off), so each product is rounded as in the scalar code.
// A lane whose gain or slope factor is not finite would not keep its output
// at +0 before its dead time; its error is computed the slow way instead.
//
// Each process is scanned by one thread; the identification runs the inner
// and the outer process side by side (ModelClass.cpp).

namespace {

struct ScanData {
    const double* Filtered;       // f, with FitScratch::Padding zeros in front
    const double* Input;          // u, with zeros in front
    const double* Output;         // z
    const double* Slope;          // x2
    const double* Reference;      // r
    const double* FilteredPower;  // FilteredPower[m] = sum of f[k]^2, k < m
    const double* ReferencePower; // ReferencePower[m] = sum of r[j]^2, j < m
    double S22;                   // sum x2^2
    double C2;                    // sum x2*z
    double Ts;
    int Count;     // n
    int DeadTimes; // dead times 0..DeadTimes-1
    const ProcessSignals* Signals;
    FitScratch* Work;
};

// Vectors of 8, 4 and 2 doubles: one register each with AVX-512, AVX2 and
// SSE2. (Operations between a vector and a scalar apply the scalar to every
// lane.)
using V8 = double __attribute__((vector_size(64)));
using V4 = double __attribute__((vector_size(32)));
using V2 = double __attribute__((vector_size(16)));

// One group of Vectors vectors of V per pass, the loops over v unrolled by
// the compiler: that many independent recursions hide each one's latency.
template <typename V, int Vectors> [[gnu::always_inline]] inline void ScanGroups(const ScanData& a)
{
    constexpr int Width = static_cast<int>(sizeof(V) / sizeof(double));
    constexpr int Lanes = Width * Vectors;
    FitScratch& w = *a.Work;
    const int n = a.Count;
    for (int d0 = 0; d0 < a.DeadTimes; d0 += Lanes) {
        // Sums x1*x2 and x1*z. Lane k reads f[i - d] = fBase[i + k].
        V s12[Vectors], c1[Vectors];
        for (int v = 0; v < Vectors; ++v) {
            s12[v] = V{};
            c1[v] = V{};
        }
        const double* fBase = a.Filtered - d0 - (Lanes - 1);
        for (int i = d0; i < n; ++i) {
            const double x2 = a.Slope[i];
            const double z = a.Output[i];
            for (int v = 0; v < Vectors; ++v) {
                V fv;
                __builtin_memcpy(&fv, fBase + i + Width * v, sizeof fv);
                s12[v] += fv * x2;
                c1[v] += fv * z;
            }
        }

        // The fit of each lane.
        alignas(64) double gain[Lanes];
        alignas(64) double slopeGain[Lanes];
        alignas(64) double s12Lanes[Lanes];
        alignas(64) double c1Lanes[Lanes];
        __builtin_memcpy(s12Lanes, s12, sizeof s12Lanes);
        __builtin_memcpy(c1Lanes, c1, sizeof c1Lanes);
        bool slow[Lanes];
        for (int k = 0; k < Lanes; ++k) {
            const int d = d0 + Lanes - 1 - k;
            gain[k] = 0;
            slopeGain[k] = 0;
            slow[k] = false;
            if (d >= a.DeadTimes)
                continue;
            const Fit2 fit =
                SolveLeastSquares2(a.FilteredPower[n - d], s12Lanes[k], a.S22, c1Lanes[k], a.C2);
            const double t = fit.Theta2 < 0 ? 0.0 : fit.Theta2;
            const auto at = static_cast<std::size_t>(d);
            w.ScanGain[at] = fit.Theta1;
            w.ScanTimeConstant[at] = t;
            w.ScanGainSigma[at] = fit.S1;
            w.ScanTimeSigma[at] = fit.S2;
            const double m = FOPDTSlopeGain(t, a.Ts);
            if (std::isfinite(fit.Theta1) && std::isfinite(m)) {
                gain[k] = fit.Theta1;
                slopeGain[k] = m;
            } else {
                slow[k] = true;
            }
        }

        // The model output of each lane and its squared error. Lane k reads
        // u[j - d] = uBase[j + k].
        V y[Vectors], dy[Vectors], sum[Vectors], kv[Vectors], mv[Vectors];
        const double start = a.ReferencePower[d0];
        for (int v = 0; v < Vectors; ++v) {
            y[v] = V{};
            dy[v] = V{};
            for (int k = 0; k < Width; ++k)
                sum[v][k] = start;
            __builtin_memcpy(&kv[v], gain + Width * v, sizeof(V));
            __builtin_memcpy(&mv[v], slopeGain + Width * v, sizeof(V));
        }
        const double ts = a.Ts;
        const double* uBase = a.Input - d0 - (Lanes - 1);
        for (int j = d0; j < n; ++j) {
            const double r = a.Reference[j];
            for (int v = 0; v < Vectors; ++v) {
                y[v] = y[v] + ts * dy[v];
                V uv;
                __builtin_memcpy(&uv, uBase + j + Width * v, sizeof uv);
                dy[v] = mv[v] * (kv[v] * uv - y[v]);
                const V e = r - y[v];
                sum[v] += e * e;
            }
        }
        alignas(64) double sumLanes[Lanes];
        __builtin_memcpy(sumLanes, sum, sizeof sumLanes);
        for (int k = 0; k < Lanes; ++k) {
            const int d = d0 + Lanes - 1 - k;
            if (d >= a.DeadTimes)
                continue;
            const auto at = static_cast<std::size_t>(d);
            if (slow[k]) {
                w.ScanError[at] =
                    ModelErrorAt(*a.Signals, w.ScanGain[at], w.ScanTimeConstant[at], d, w);
            } else {
                w.ScanError[at] = SafeDivide(sumLanes[k], n, sumLanes[k]);
            }
        }
    }
}

[[gnu::target("avx512f")]] void ScanAvx512(const ScanData& a)
{
    ScanGroups<V8, 4>(a);
}

[[gnu::target("avx2")]] void ScanAvx2(const ScanData& a)
{
    ScanGroups<V4, 4>(a);
}

void ScanPortable(const ScanData& a)
{
    ScanGroups<V2, 4>(a);
}

// The same numbers one dead time at a time, for sampling times with which a
// dead time of d*Ts is not d samples (Ts = 0, or d*Ts beyond the range of
// doubles). Dead times that come out as the same number of samples have the
// same fit and error.
void ScanOneByOne(const ProcessSignals& p, double tf, FitScratch& w)
{
    int previousShift = -1;
    for (int d = 0; d <= p.Count - 2; ++d) {
        const auto at = static_cast<std::size_t>(d);
        const int shift = FOPDTDelaySamples(d * p.SamplingTime, p.SamplingTime, p.Count);
        if (shift == previousShift) {
            w.ScanGain[at] = w.ScanGain[at - 1];
            w.ScanTimeConstant[at] = w.ScanTimeConstant[at - 1];
            w.ScanGainSigma[at] = w.ScanGainSigma[at - 1];
            w.ScanTimeSigma[at] = w.ScanTimeSigma[at - 1];
            w.ScanError[at] = w.ScanError[at - 1];
            continue;
        }
        previousShift = shift;
        const Fit2 fit = FitAt(p, tf, d, w);
        w.ScanGain[at] = fit.Theta1;
        w.ScanTimeConstant[at] = fit.Theta2;
        w.ScanGainSigma[at] = fit.S1;
        w.ScanTimeSigma[at] = fit.S2;
        w.ScanError[at] = ModelErrorAt(p, fit.Theta1, fit.Theta2, d, w);
    }
}

ScanKernel ResolveKernel(ScanKernel kernel)
{
    if (kernel != ScanKernel::Best)
        return ScanKernelAvailable(kernel) ? kernel : ScanKernel::Portable;
    if (ScanKernelAvailable(ScanKernel::Avx512))
        return ScanKernel::Avx512;
    if (ScanKernelAvailable(ScanKernel::Avx2))
        return ScanKernel::Avx2;
    return ScanKernel::Portable;
}

} // namespace

bool ScanKernelAvailable(ScanKernel kernel)
{
    __builtin_cpu_init();
    switch (kernel) {
    case ScanKernel::Avx512:
        return __builtin_cpu_supports("avx512f");
    case ScanKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case ScanKernel::Best:
    case ScanKernel::Portable:
        return true;
    }
    return false;
}

Fit2 FitAt(const ProcessSignals& p, double tf, int d, FitScratch& w)
{
    const int n = p.Count;
    SimulateFOPDT(1, n, p.Input, 1.0, tf, p.SamplingTime, 0.0, d * p.SamplingTime,
                  w.ShiftedInput.data(), w.InputSlope.data());
    SimulateFOPDT(1, n, p.Output, 1.0, tf, p.SamplingTime, 0.0, 0.0, w.FilteredOutput.data(),
                  w.OutputSlope.data());
    Fit2 fit =
        LeastSquares2(w.ShiftedInput.data(), w.OutputSlope.data(), n, w.FilteredOutput.data());
    if (fit.Theta2 < 0)
        fit.Theta2 = 0;
    return fit;
}

double ModelErrorAt(const ProcessSignals& p, double gain, double timeConstant, int d, FitScratch& w)
{
    SimulateFOPDT(1, p.Count, p.Input, gain, timeConstant, p.SamplingTime, 0.0, d * p.SamplingTime,
                  w.ModelOutput.data(), w.ModelSlope.data());
    return MeanSquareError(p.Reference, w.ModelOutput.data(), 1, p.Count);
}

void ScanDeadTimes(const ProcessSignals& p, double tf, FitScratch& w, ScanKernel kernel)
{
    const int n = p.Count;
    const double ts = p.SamplingTime;
    if (n < 2)
        return;
    for (int d = 0; d <= n - 2; ++d) {
        if (FOPDTDelaySamples(d * ts, ts, n) != d) {
            ScanOneByOne(p, tf, w);
            return;
        }
    }

    double* input = w.PaddedInput.data() + FitScratch::Padding;
    double* filtered = w.PaddedFiltered.data() + FitScratch::Padding;
    for (int i = 0; i < n; ++i)
        input[i] = p.Input[i];
    SimulateFOPDT(1, n, input, 1.0, tf, ts, 0.0, 0.0, filtered, w.InputSlope.data());
    SimulateFOPDT(1, n, p.Output, 1.0, tf, ts, 0.0, 0.0, w.FilteredOutput.data(),
                  w.OutputSlope.data());
    const double* z = w.FilteredOutput.data();
    const double* x2 = w.OutputSlope.data();

    double s22 = 0, c2 = 0;
    for (int i = 0; i < n; ++i) {
        s22 += x2[i] * x2[i];
        c2 += x2[i] * z[i];
    }
    double* filteredPower = w.FilteredPower.data();
    double* referencePower = w.ReferencePower.data();
    filteredPower[0] = 0;
    referencePower[0] = 0;
    for (int i = 0; i < n; ++i) {
        filteredPower[i + 1] = filteredPower[i] + filtered[i] * filtered[i];
        const double e = p.Reference[i] - 0.0; // the model output before its dead time
        referencePower[i + 1] = referencePower[i] + e * e;
    }

    const ScanData data{
        filtered, input, z,     x2, p.Reference, filteredPower, referencePower, s22, c2,
        ts,       n,     n - 1, &p, &w};
    switch (ResolveKernel(kernel)) {
    case ScanKernel::Avx512:
        ScanAvx512(data);
        break;
    case ScanKernel::Avx2:
        ScanAvx2(data);
        break;
    default:
        ScanPortable(data);
        break;
    }
}
