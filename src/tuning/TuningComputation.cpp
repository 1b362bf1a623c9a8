#include "tuning/TuningComputation.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"
#include "tuning/RegulatorClass.h"

#include <algorithm>
#include <cmath>

namespace {

// The last sample a delayed write may reach in the 5000-sample arrays.
constexpr int LastSample = Podatki::MaxSamples - 1;

bool AllFinite(const ControllerGains& g)
{
    return std::isfinite(g.KiI) && std::isfinite(g.KpP) && std::isfinite(g.KpPI) &&
           std::isfinite(g.KiPI) && std::isfinite(g.KpPID) && std::isfinite(g.KiPID) &&
           std::isfinite(g.KdPID);
}

double RecommendedTs(const ControllerGains& g, double f, bool cascade, const ProcessModel& inner,
                     const ProcessModel& outer)
{
    double h1 = 0, h2 = 0;
    if (cascade) {
        // The outer process gain does not enter h1.
        h1 = SafeDivide(outer.TimeConstant, std::fabs(g.KpPI * f), 1000);
        h2 = SafeDivide(1, g.KiPI * f * outer.Gain, 1000);
    } else {
        h1 = SafeDivide(inner.TimeConstant, std::fabs(g.KpPI * f * inner.Gain), 1000);
        h2 = SafeDivide(1, g.KiPI * f * inner.Gain, 1000);
    }
    const double h = h2 < h1 ? h2 : h1;
    // A tenth of h in steps of 1 ms, halves to even (nearbyint does not
    // saturate as an int conversion would).
    return std::nearbyint(100 * h) * 0.001;
}

} // namespace

double RobustFactorFor(int sliderPosition)
{
    const double b = sliderPosition;
    return b * std::sqrt(b) * 0.0284605 + 0.1;
}

TuningOutcome ComputeTuning(int method, int sliderPosition, bool cascade, const ProcessModel& inner,
                            const ProcessModel& outer)
{
    TuningOutcome out;
    out.Method = method == -1 ? 0 : method;
    out.Cascade = cascade;
    out.RobustFactor = RobustFactorFor(sliderPosition);
    const double f = out.RobustFactor;
    if (!std::isfinite(f))
        throw ComputationError("Položaj drsnika robustnost-hitrost (" +
                               std::to_string(sliderPosition) + ") ni veljaven.");

    if (cascade) {
        const CascadeTuning c =
            TRegulator::TuneCascade(out.Method, inner.Gain, inner.TimeConstant, inner.DeadTime,
                                    outer.Gain, outer.TimeConstant, outer.DeadTime, MaxLoopGain);
        out.Gains = c.Outer;
        out.InnerGain = c.InnerGain;
        out.LabelValues[LabelKpCascade] = c.InnerGain * f;
    } else {
        out.Gains = TRegulator::TuneSingleLoop(out.Method, inner.Gain, inner.TimeConstant,
                                               inner.DeadTime, MaxLoopGain);
        out.InnerGain = out.Gains.KpP; // the two share one place in the store
    }
    const ControllerGains& g = out.Gains;
    out.LabelValues[LabelKi] = g.KiI * f;
    out.LabelValues[LabelKpP] = g.KpP * f;
    out.LabelValues[LabelPIKp] = g.KpPI * f;
    out.LabelValues[LabelPITi] = g.KiPI * f;
    out.LabelValues[LabelPIDKp] = g.KpPID * f;
    out.LabelValues[LabelPIDTi] = g.KiPID * f;
    out.LabelValues[LabelPIDTd] = g.KdPID * f;
    out.RecommendedTs = RecommendedTs(g, f, cascade, inner, outer);

    bool finite = AllFinite(g) && std::isfinite(out.InnerGain) && std::isfinite(out.RecommendedTs);
    for (const std::optional<double>& v : out.LabelValues)
        finite = finite && (!v || std::isfinite(*v));
    if (!finite)
        throw ComputationError("Parametrov regulatorja za ta model ni mogoče izračunati: "
                               "rezultat ni končno število.");
    return out;
}

void StoreTuning(Podatki& store, const TuningOutcome& outcome)
{
    store.RobustFactor = outcome.RobustFactor;
    if (outcome.Cascade) {
        store.CascadeResults = outcome.Gains;
        store.InnerGain() = outcome.InnerGain;
    } else {
        store.TuningResults = outcome.Gains;
    }
}

double ChooseClosedLoopTs(std::optional<double> typed, double& closedLoopTs)
{
    double ts = closedLoopTs;
    if (typed) {
        ts = *typed;
        if (!(ts > 0))
            ts = closedLoopTs;
        closedLoopTs = ts;
    }
    if (!(ts > 0) || !std::isfinite(ts))
        throw ComputationError("Čas vzorčenja zaprte zanke mora biti pozitivno število.");
    return ts;
}

ResponseHorizon ComputeHorizon(const ProcessModel& inner, const ProcessModel& outer, bool cascade,
                               double Ts)
{
    ResponseHorizon h;
    h.Ts = Ts;
    h.ND = RoundHalfEven(inner.DeadTime / Ts);
    const double nd = h.ND;
    double n = std::nearbyint((10 * inner.DeadTime + 5 * inner.TimeConstant) / Ts) + 1;
    if (!(n <= LastSample - nd)) // also when n is not a number
        n = LastSample - nd;
    if (n < 10)
        n = 10;
    // The bound again after the lower one, so that a dead time of more than
    // 4989 samples cannot push y[nd + n] out of the arrays; the outer output
    // of a cascade is delayed by its own dead time; and never more samples
    // than the arrays hold (a negative dead time).
    n = std::min({n, LastSample - std::max(nd, 0.0), static_cast<double>(LastSample)});
    if (cascade)
        n = std::min(n, LastSample - static_cast<double>(std::max(
                                         RoundHalfEven(SafeDivide(outer.DeadTime, Ts, 5000)), 0)));
    if (n < 1)
        throw ComputationError(
            "Mrtvi čas procesa je predolg za simulacijo odzivov s tem časom vzorčenja "
            "(ne ostane noben vzorec).");
    h.N = static_cast<int>(n);
    return h;
}

void ResponseAxis(const std::vector<const double*>& curves, int n, double& axisMin, double& axisMax)
{
    double hi = 0, lo = 0;
    bool first = true;
    for (const double* curve : curves) {
        double max = 0, min = 0;
        MinMax(curve, max, min, 1, n);
        hi = first ? max : std::max(hi, max);
        lo = first ? min : std::min(lo, min);
        first = false;
    }
    // Curves that run away (or are not numbers) are drawn, but the axis
    // stays within -1.3 .. 2.3.
    if (!(hi <= 2))
        hi = 2;
    if (!(lo >= -1))
        lo = -1;
    double range = hi - lo;
    if (range == 0)
        range = 1;
    axisMin = lo - 0.1 * range;
    axisMax = hi + 0.1 * range;
}

std::array<LoopGains, DrawnLoopCount> DrawnLoopGains(const ControllerGains& g, double f)
{
    // The derivative gain is simulated unscaled.
    return {{{TypeI, 0, g.KiI * f, 0},
             {TypePI, g.KpPI * f, g.KiPI * f, 0},
             {TypePID, g.KpPID * f, g.KiPID * f, g.KdPID},
             {TypeP, g.KpP * f, 0, 0}}};
}

LoopTransfer DrawnLoopTransfer(const LoopGains& loop, bool cascade, double innerGain,
                               const ProcessModel& inner, const ProcessModel& outer, double Ts)
{
    if (cascade)
        return CascadeLoopTransfer(loop.Type, outer.DeadTime, outer.TimeConstant, outer.Gain,
                                   inner.DeadTime, inner.TimeConstant, inner.Gain, Ts, innerGain,
                                   loop.Kd, loop.Ki, loop.Kp);
    return SingleLoopTransfer(loop.Type, inner.DeadTime, inner.TimeConstant, inner.Gain, Ts,
                              loop.Kd, loop.Ki, loop.Kp);
}

ResponseSet ComputeResponses(const TuningOutcome& outcome, Podatki& store, int responseChoice,
                             double Ts)
{
    const ProcessModel& inner = store.InnerModel;
    const ProcessModel& outer = store.OuterModel;
    if (inner.Gain == 0)
        throw ComputationError("Ojačenje procesa je 0: odzivov zaprte zanke ni mogoče simulirati.");
    ResponseSet set;
    set.Horizon = ComputeHorizon(inner, outer, outcome.Cascade, Ts);
    const int n = set.Horizon.N;
    const auto size = static_cast<std::size_t>(Podatki::MaxSamples);

    set.Time.resize(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        set.Time[static_cast<std::size_t>(k)] = k * Ts;

    // Open loop: a step of 1/K1, so the curve rises from 0 to 1.
    set.Open.assign(size, 0.0);
    {
        std::vector<double> u(static_cast<std::size_t>(n), 1 / inner.Gain);
        SimulateFOPDT(1, n, u.data(), inner.Gain, inner.TimeConstant, Ts, 0, set.Horizon.ND * Ts,
                      set.Open.data(), store.SimScratch.data());
    }

    const bool disturbance = responseChoice == DisturbanceResponse;
    const double r = disturbance ? 0 : 1;
    const double d = disturbance ? 1 / inner.Gain : 0;
    const std::array<LoopGains, DrawnLoopCount> gains =
        DrawnLoopGains(outcome.Gains, outcome.RobustFactor);
    const std::array<std::vector<double>*, DrawnLoopCount> curves = {&set.I, &set.PI, &set.PID,
                                                                     &set.P};
    for (int i = 0; i < DrawnLoopCount; ++i) {
        const LoopGains& loop = gains[static_cast<std::size_t>(i)];
        std::vector<double>& y = *curves[static_cast<std::size_t>(i)];
        y.assign(size, 0.0);
        if (outcome.Cascade)
            TRegulator::SimulateCascade(loop.Type, n, y, store.SimScratch, outer.DeadTime,
                                        outer.TimeConstant, outer.Gain, inner.DeadTime,
                                        inner.TimeConstant, inner.Gain, Ts, d, r, outcome.InnerGain,
                                        loop.Kd, loop.Ki, loop.Kp);
        else
            TRegulator::SimulateLoop(loop.Type, n, y, inner.DeadTime, inner.TimeConstant,
                                     inner.Gain, Ts, d, r, loop.Kd, loop.Ki, loop.Kp);
        LoopTransfer& transfer = set.Loops[static_cast<std::size_t>(i)];
        transfer = DrawnLoopTransfer(loop, outcome.Cascade, outcome.InnerGain, inner, outer, Ts);
        LoopRobustness& figures = set.Robustness[static_cast<std::size_t>(i)];
        figures.Frequency = ComputeFrequencyFigures(transfer);
        figures.Response = ComputeResponseFigures(y.data(), n, Ts, disturbance);
    }
    for (std::vector<double>* curve : {&set.Open, &set.I, &set.PI, &set.PID, &set.P})
        curve->resize(static_cast<std::size_t>(n));
    ResponseAxis({set.I.data(), set.PI.data(), set.PID.data(), set.Open.data(), set.P.data()}, n,
                 set.AxisMin, set.AxisMax);
    return set;
}
