#include "model/ModelRefinement.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"
#include "model/ModelClass.h"
#include "model/ModelQuality.h"
#include "model/SideBySide.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

// The parameters in the order of the Jacobian's columns.
constexpr int Gain = 0, TimeConstant = 1, DeadTime = 2, Offset = 3;
constexpr int ParameterCount = 4;
using Vector = std::array<double, ParameterCount>;
using Mask = std::array<bool, ParameterCount>;

// The normal equations of one linearisation: J'J (upper triangle used), J'r
// and the sum of squared residuals.
struct NormalEquations {
    double M[ParameterCount][ParameterCount] = {};
    Vector G{};
    double Sse = 0;
};

// The coarse scan: dead times from 0 to 1.5 times the identified L + T, each
// with a few steps on K, T and c; then the final fit on all four.
constexpr int ScanPoints = 24;
constexpr int ScanIterations = 4;
constexpr int FinalIterations = 100;
// The residual autocorrelation is summed over at most this many lags.
constexpr int MaxLags = 400;

// One output-error problem: the signals, the bounds of T and L and the
// typical sizes of the parameters (to tell a negligible step).
class OutputErrorProblem {
public:
    OutputErrorProblem(const ProcessSignals& p) : u_(p.Input), y_(p.Output), n_(p.Count)
    {
        ts_ = p.SamplingTime;
        // A time constant of a hundredth of the sampling period is no lag;
        // the dead time leaves at least two samples of response.
        tMin_ = 0.01 * ts_;
        tMax_ = 100.0 * n_ * ts_;
        lMax_ = (n_ - 2) * ts_;
        double max = 0, min = 0;
        MinMax(y_, max, min, 1, n_);
        outputSpan_ = max - min > 0 ? max - min : 1.0;
    }

    Vector Clamp(Vector x) const
    {
        x[TimeConstant] = std::clamp(x[TimeConstant], tMin_, tMax_);
        x[DeadTime] = std::clamp(x[DeadTime], 0.0, lMax_);
        return x;
    }

    // Whether a step is negligible against the parameters' sizes.
    bool Negligible(const Vector& step, const Vector& x) const
    {
        const Vector scale{std::fabs(x[Gain]) + 1e-300, std::fabs(x[TimeConstant]) + ts_,
                           std::fabs(x[DeadTime]) + ts_, outputSpan_};
        for (int k = 0; k < ParameterCount; ++k)
            if (std::fabs(step[k]) > 1e-10 * scale[k])
                return false;
        return true;
    }

    // One pass over the window: the model's response c + K*h, its residuals
    // against y and, with WithJacobian, the normal equations. `response`,
    // when given, receives c + K*h[j] for j = 0..n-1. Returns the sum of
    // squared residuals.
    //
    // With L = (D + f)*Ts and a = exp(-Ts/T), b = exp(-(1-f)*Ts/T), the
    // input held over a sampling period reaches the lag delayed by L as
    // u[j-2-D] for the first f of the period and u[j-1-D] for the rest, so
    //     h[j] = a*h[j-1] + (b - a)*u[j-2-D] + (1 - b)*u[j-1-D],
    // exact for any f; its derivatives by T and L follow the same recursion.
    template <bool WithJacobian>
    double Pass(const Vector& x, NormalEquations* ne, double* response = nullptr) const
    {
        const double k = x[Gain], t = x[TimeConstant], c = x[Offset];
        const double delay = x[DeadTime] / ts_;
        const int d = static_cast<int>(std::floor(delay));
        const double f = delay - d;
        const double a = std::exp(-ts_ / t);
        const double b = std::exp(-(1 - f) * ts_ / t);
        const double da = a * ts_ / (t * t);
        const double db = b * (1 - f) * ts_ / (t * t);
        const double dl = b / t;

        // The sums of J'J and J'r, one variable each: the recursion's chain
        // sets the pace and the sums run beside it.
        double sKK = 0, sKT = 0, sKL = 0, sKC = 0, sTT = 0, sTL = 0, sTC = 0, sLL = 0, sLC = 0;
        double gK = 0, gT = 0, gL = 0, gC = 0, sse = 0;
        double h = u_[0], hT = 0, hL = 0;
        auto add = [&](int j) {
            const double model = c + k * h;
            if (response)
                response[j] = model;
            const double r = y_[j] - model;
            sse += r * r;
            if constexpr (WithJacobian) {
                const double jT = k * hT, jL = k * hL;
                sKK += h * h;
                sKT += h * jT;
                sKL += h * jL;
                sKC += h;
                sTT += jT * jT;
                sTL += jT * jL;
                sTC += jT;
                sLL += jL * jL;
                sLC += jL;
                gK += h * r;
                gT += jT * r;
                gL += jL * r;
                gC += r;
            }
        };
        add(0);
        for (int j = 1; j < n_; ++j) {
            const int i0 = j - 1 - d;
            const double u0 = u_[i0 > 0 ? i0 : 0];
            const double u1 = u_[i0 > 0 ? i0 - 1 : 0];
            if constexpr (WithJacobian) {
                const double nextT = a * hT + da * h + (db - da) * u1 - db * u0;
                hL = a * hL + dl * (u1 - u0);
                hT = nextT;
            }
            h = a * h + (b - a) * u1 + (1 - b) * u0;
            add(j);
        }
        if constexpr (WithJacobian) {
            const double m[ParameterCount][ParameterCount] = {{sKK, sKT, sKL, sKC},
                                                              {sKT, sTT, sTL, sTC},
                                                              {sKL, sTL, sLL, sLC},
                                                              {sKC, sTC, sLC, double(n_)}};
            std::copy(&m[0][0], &m[0][0] + ParameterCount * ParameterCount, &ne->M[0][0]);
            ne->G = {gK, gT, gL, gC};
            ne->Sse = sse;
        }
        return sse;
    }

private:
    const double* u_;
    const double* y_;
    int n_;
    double ts_ = 1, tMin_ = 0, tMax_ = 0, lMax_ = 0, outputSpan_ = 1;
};

// Solves (M + lambda*diag(M)) x = g over the active parameters by Cholesky;
// inactive ones get 0. A diagonal of 0 (a parameter without effect) is
// lifted to a trace-relative floor, so the step stays finite. False only
// when the system holds NaN.
bool SolveDamped(const NormalEquations& ne, const Mask& active, double lambda, Vector& step)
{
    int index[ParameterCount];
    int m = 0;
    double trace = 0;
    for (int p = 0; p < ParameterCount; ++p)
        if (active[p]) {
            index[m++] = p;
            trace += ne.M[p][p];
        }
    const double floor = 1e-14 * trace + 1e-300;
    double l[ParameterCount][ParameterCount] = {};
    for (int i = 0; i < m; ++i)
        for (int j = 0; j <= i; ++j) {
            double v = ne.M[index[i]][index[j]];
            if (i == j)
                v = std::max(v, floor) * (1 + lambda);
            const double diagonal = v;
            for (int k = 0; k < j; ++k)
                v -= l[i][k] * l[j][k];
            if (i == j) {
                if (std::isnan(v))
                    return false;
                // A direction (nearly) without effect: a pivot lost to
                // cancellation is floored, so that its step or variance comes
                // out very large but finite.
                l[i][i] = std::sqrt(std::max(v, 1e-13 * diagonal));
            } else {
                l[i][j] = v / l[j][j];
            }
        }
    double z[ParameterCount] = {};
    for (int i = 0; i < m; ++i) {
        double v = ne.G[index[i]];
        for (int k = 0; k < i; ++k)
            v -= l[i][k] * z[k];
        z[i] = v / l[i][i];
    }
    step.fill(0.0);
    for (int i = m - 1; i >= 0; --i) {
        double v = z[i];
        for (int k = i + 1; k < m; ++k)
            v -= l[k][i] * step[index[k]];
        step[index[i]] = v / l[i][i];
    }
    return true;
}

struct FitOutcome {
    Vector X{};
    NormalEquations Normal;
    int Iterations = 0;
};

// Levenberg-Marquardt over the active parameters from x, at most
// maxIterations trial steps.
FitOutcome Minimise(const OutputErrorProblem& problem, const Vector& start, const Mask& active,
                    int maxIterations)
{
    FitOutcome fit;
    fit.X = problem.Clamp(start);
    problem.Pass<true>(fit.X, &fit.Normal);
    double lambda = 1e-3;
    for (int iteration = 0; iteration < maxIterations; ++iteration) {
        Vector step;
        if (!SolveDamped(fit.Normal, active, lambda, step)) {
            lambda *= 10;
            if (lambda > 1e12)
                break;
            continue;
        }
        Vector trial = fit.X;
        for (int p = 0; p < ParameterCount; ++p)
            trial[p] += step[p];
        trial = problem.Clamp(trial);
        NormalEquations trialNormal;
        const double sse = problem.Pass<true>(trial, &trialNormal);
        if (sse < fit.Normal.Sse) {
            const double gain = fit.Normal.Sse - sse;
            Vector taken;
            for (int p = 0; p < ParameterCount; ++p)
                taken[p] = trial[p] - fit.X[p];
            fit.X = trial;
            fit.Normal = trialNormal;
            fit.Iterations = iteration + 1;
            lambda = std::max(lambda * 0.1, 1e-12);
            if (gain <= 1e-13 * sse || problem.Negligible(taken, fit.X))
                break;
        } else {
            // Not better (or not a number): a shorter, steeper step.
            lambda *= 10;
            if (lambda > 1e12 || problem.Negligible(step, fit.X))
                break;
        }
    }
    return fit;
}

// 1 + 2 * (sum of the residuals' autocorrelations at lags 1, 2, ... up to
// the first that is not positive): how many samples carry as much as one
// independent one. At least 1.
double CorrelationTime(const double* r, int n)
{
    double mean = 0;
    for (int j = 0; j < n; ++j)
        mean += r[j];
    mean /= n;
    double c0 = 0;
    for (int j = 0; j < n; ++j)
        c0 += (r[j] - mean) * (r[j] - mean);
    if (!(c0 > 0))
        return 1;
    double sum = 0;
    const int lags = std::min(MaxLags, n / 4);
    for (int lag = 1; lag <= lags; ++lag) {
        double c = 0;
        for (int j = 0; j + lag < n; ++j)
            c += (r[j] - mean) * (r[j + lag] - mean);
        const double rho = c / c0;
        if (!(rho > 0))
            break;
        sum += rho;
    }
    return std::max(1.0, 1 + 2 * sum);
}

// The diagonal of (J'J)^-1: the variances of the four parameters per unit
// residual variance, the offset's uncertainty included in the others'. A
// parameter without effect gets a very large but finite variance through
// the floor of SolveDamped.
Vector InverseDiagonal(const NormalEquations& ne)
{
    Vector diagonal{};
    const Mask all{true, true, true, true};
    for (int p = 0; p < ParameterCount; ++p) {
        NormalEquations unit = ne;
        unit.G.fill(0.0);
        unit.G[p] = 1.0;
        Vector column;
        if (!SolveDamped(unit, all, 0.0, column))
            column.fill(NAN);
        diagonal[p] = column[p];
    }
    return diagonal;
}

bool IsFinite(const RefinedModel& m)
{
    const double values[] = {m.Gain,          m.TimeConstant, m.DeadTime,
                             m.Offset,        m.Ci95.Gain,    m.Ci95.TimeConstant,
                             m.Ci95.DeadTime, m.ResidualSTD,  m.RelativeError};
    return std::all_of(std::begin(values), std::end(values),
                       [](double v) { return std::isfinite(v); });
}

} // namespace

double StudentT95(double dof)
{
    // Exact quantiles up to 10 degrees, then the Cornish-Fisher expansion
    // around the normal quantile (better than 1E-4 from 10 on).
    static constexpr double Table[] = {12.7062, 4.3027, 3.1824, 2.7764, 2.5706,
                                       2.4469,  2.3646, 2.3060, 2.2622, 2.2281};
    const double v = std::max(dof, 1.0);
    if (v < 10) {
        const int i = static_cast<int>(v);
        const double w = v - i;
        return Table[i - 1] * (1 - w) + Table[i] * w;
    }
    const double z = 1.959963984540054;
    const double z2 = z * z, z3 = z2 * z, z5 = z3 * z2, z7 = z5 * z2, z9 = z7 * z2;
    const double g1 = (z3 + z) / 4;
    const double g2 = (5 * z5 + 16 * z3 + 3 * z) / 96;
    const double g3 = (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / 384;
    const double g4 = (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / 92160;
    return z + g1 / v + g2 / (v * v) + g3 / (v * v * v) + g4 / (v * v * v * v);
}

void SimulateRefinedModel(const double* u, int n, double ts, double gain, double timeConstant,
                          double deadTime, double offset, double* out)
{
    if (n <= 0)
        return;
    ProcessSignals p;
    p.Input = u;
    p.Output = u; // the residuals are not used
    p.Count = n;
    p.SamplingTime = ts;
    const OutputErrorProblem problem(p);
    const Vector x = problem.Clamp({gain, timeConstant, deadTime, offset});
    // The response lands one sample later, beside the reference.
    problem.Pass<false>(x, nullptr, out);
    for (int j = n - 1; j > 0; --j)
        out[j] = out[j - 1];
    out[0] = 0;
}

RefinedModel RefineProcess(const ProcessSignals& p, const ProcessModel& start, FitScratch& w)
{
    const OutputErrorProblem problem(p);
    const int n = p.Count;
    const double ts = p.SamplingTime;

    // The identified dead time counts the sample by which the reference
    // lags the output; the process's own is one sample shorter.
    const double startDelay = std::max(start.DeadTime - ts, 0.0);
    const double rise = startDelay + std::max(start.TimeConstant, 0.0);
    const Mask scanned{true, true, false, true};

    FitOutcome best = Minimise(problem, {start.Gain, start.TimeConstant, startDelay, 0.0}, scanned,
                               ScanIterations);
    const double last = std::max(1.5 * rise, 4 * ts);
    for (int k = 0; k < ScanPoints; ++k) {
        const double delay = last * k / (ScanPoints - 1);
        const Vector x{start.Gain, std::max(rise - delay, 0.5 * ts), delay, 0.0};
        const FitOutcome fit = Minimise(problem, x, scanned, ScanIterations);
        if (fit.Normal.Sse < best.Normal.Sse)
            best = fit;
    }
    const FitOutcome fit = Minimise(problem, best.X, {true, true, true, true}, FinalIterations);

    RefinedModel m;
    m.Gain = fit.X[Gain];
    m.TimeConstant = fit.X[TimeConstant];
    m.DeadTime = fit.X[DeadTime];
    m.Offset = fit.X[Offset];
    m.Iterations = fit.Iterations;

    // Residuals for their autocorrelation.
    double* residual = w.ModelOutput.data();
    problem.Pass<false>(fit.X, nullptr, residual);
    for (int j = 0; j < n; ++j)
        residual[j] = p.Output[j] - residual[j];
    const double tau = CorrelationTime(residual, n);
    m.EffectiveSamples = n / tau;

    const double variance = fit.Normal.Sse / std::max(n - ParameterCount, 1);
    const Vector inverse = InverseDiagonal(fit.Normal);
    const double t = StudentT95(m.EffectiveSamples - ParameterCount);
    auto halfWidth = [&](int k) {
        return t * std::sqrt(std::max(variance * tau * inverse[k], 0.0));
    };
    m.Ci95 = {halfWidth(Gain), halfWidth(TimeConstant), halfWidth(DeadTime)};

    // The figures against the reference, as the identification takes them.
    double* output = w.ModelSlope.data();
    SimulateRefinedModel(p.Input, n, ts, m.Gain, m.TimeConstant, m.DeadTime, m.Offset, output);
    const ModelFitQuality quality = MeasureModelFit(p.Reference, output, n);
    m.ResidualSTD = quality.ResidualSTD;
    m.RelativeError = quality.RelativeError;
    return m;
}

RefinedModels RefineModels(Podatki& store)
{
    const int n = store.IdentSampleCount;
    const double ts = store.SamplingTime;
    if (n < 6 || n > Podatki::MaxSamples || !(ts > 0))
        throw ComputationError("Natančnejšega modela ni mogoče izračunati: okno ima " +
                               std::to_string(n) +
                               " vzorcev (potrebnih je vsaj 6) ali pa "
                               "vzorčni čas ni pozitiven");
    const ProcessSignals inner{store.IdentU.data(), store.IdentY1.data(),
                               store.MeasuredInner.data(), n, ts};
    const ProcessSignals outer{store.IdentY1.data(), store.IdentY2.data(),
                               store.MeasuredOuter.data(), n, ts};
    RefinedModels models;
    RunSideBySide([&] { models.Inner = RefineProcess(inner, store.InnerModel, store.Fit[0]); },
                  [&] { models.Outer = RefineProcess(outer, store.OuterModel, store.Fit[1]); });
    if (!IsFinite(models.Inner) || !IsFinite(models.Outer))
        throw ComputationError("Natančnejši model ni uspel: vrednosti signalov ne dajo končnega "
                               "rezultata");
    return models;
}

void UseRefinedModels(Podatki& store, const RefinedModels& models)
{
    const int n = std::clamp(store.IdentSampleCount, 0, Podatki::MaxSamples);
    auto use = [&](const RefinedModel& r, const Podatki::Signal& input, ProcessModel& model,
                   ModelRefinementState& state, Podatki::Signal& output, int& delaySamples) {
        model.Gain = r.Gain;
        model.TimeConstant = r.TimeConstant;
        model.DeadTime = r.DeadTime;
        model.GainDeviation = r.Ci95.Gain;
        model.TimeDeviation = r.Ci95.TimeConstant;
        model.ResidualSTD = r.ResidualSTD;
        model.RelativeError = r.RelativeError;
        state = {true, r.Offset, r.Ci95.DeadTime};
        SimulateRefinedModel(input.data(), n, store.SamplingTime, r.Gain, r.TimeConstant,
                             r.DeadTime, r.Offset, output.data());
        delaySamples = DelaySamples(r.DeadTime, store.SamplingTime);
    };
    use(models.Inner, store.IdentU, store.InnerModel, store.InnerRefinement, store.ModelOutputInner,
        store.InnerDelaySamples);
    use(models.Outer, store.IdentY1, store.OuterModel, store.OuterRefinement,
        store.ModelOutputOuter, store.OuterDelaySamples);
}
