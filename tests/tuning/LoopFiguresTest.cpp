#include "tuning/LoopFigures.h"
#include "support/ExpectClose.h"
#include "tuning/RegulatorClass.h"
#include "tuning/TuningComputation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The closed-loop response of a loop as its difference equation
//   (Denominator + Numerator) y = Reference r + Disturbance d,
// with the steps r and d beginning at sample 1, from rest.
std::vector<double> DifferenceResponse(const LoopTransfer& loop, int n, double r, double d)
{
    const ShiftPolynomial p = loop.Characteristic();
    const double p0 = p.Coefficient(0);
    std::vector<double> y(static_cast<std::size_t>(n), 0.0);
    for (int k = 0; k < n; ++k) {
        double sum = 0;
        for (const ShiftTerm& t : loop.Reference.Terms())
            sum += k - t.Power >= 1 ? t.Coefficient * r : 0;
        for (const ShiftTerm& t : loop.Disturbance.Terms())
            sum += k - t.Power >= 1 ? t.Coefficient * d : 0;
        for (const ShiftTerm& t : p.Terms())
            if (t.Power > 0 && k - t.Power >= 0)
                sum -= t.Coefficient * y[static_cast<std::size_t>(k - t.Power)];
        y[static_cast<std::size_t>(k)] = sum / p0;
    }
    return y;
}

ProcessModel Model(double K, double T, double L)
{
    ProcessModel m;
    m.Gain = K;
    m.TimeConstant = T;
    m.DeadTime = L;
    return m;
}

struct Case {
    ProcessModel Inner, Outer;
    double Ts;
    int Method;
    bool Cascade;
};

} // namespace

// The figures describe the drawn curves: every drawn loop's response, to the
// reference and to the disturbance, follows from L(z) as a difference
// equation, for all four controller types, single loops and cascades, dead
// times of none to hundreds of samples.
TEST(LoopTransfer, ClosedLoopResponsesEqualTheSimulation)
{
    const Case cases[] = {
        {Model(1.5, 10, 0), {}, 1, 0, false},   // no dead time
        {Model(2, 20, 3.2), {}, 0.5, 1, false}, // PID with its filter, nd = 6
        {Model(0.8, 50, 300), {}, 1, 5, false}, // 300 samples of dead time
        {Model(1, 0, 2), {}, 1, 4, false},      // no lag
        {Model(1, 5, 0), Model(2, 30, 0), 1, 0, true},
        {Model(1, 2, 0.5), Model(2, 20, 3), 0.25, 2, true},
        {Model(1.2, 10, 200), Model(0.5, 40, 150), 1, 3, true},
    };
    for (const Case& c : cases) {
        const TuningOutcome tuning = ComputeTuning(c.Method, 8, c.Cascade, c.Inner, c.Outer);
        const int n = ComputeHorizon(c.Inner, c.Outer, c.Cascade, c.Ts).N;
        for (const LoopGains& g : DrawnLoopGains(tuning.Gains, tuning.RobustFactor)) {
            const LoopTransfer loop =
                DrawnLoopTransfer(g, c.Cascade, tuning.InnerGain, c.Inner, c.Outer, c.Ts);
            for (const bool disturbance : {false, true}) {
                const double r = disturbance ? 0 : 1;
                const double d = disturbance ? 1 / c.Inner.Gain : 0;
                std::vector<double> simulated(Podatki::MaxSamples, 0.0);
                std::vector<double> inner(Podatki::MaxSamples, 0.0);
                if (c.Cascade)
                    TRegulator::SimulateCascade(
                        g.Type, n, simulated, inner, c.Outer.DeadTime, c.Outer.TimeConstant,
                        c.Outer.Gain, c.Inner.DeadTime, c.Inner.TimeConstant, c.Inner.Gain, c.Ts, d,
                        r, tuning.InnerGain, g.Kd, g.Ki, g.Kp);
                else
                    TRegulator::SimulateLoop(g.Type, n, simulated, c.Inner.DeadTime,
                                             c.Inner.TimeConstant, c.Inner.Gain, c.Ts, d, r, g.Kd,
                                             g.Ki, g.Kp);
                const std::vector<double> y = DifferenceResponse(loop, n, r, d);
                double worst = 0, size = 0;
                for (int k = 0; k < n; ++k) {
                    worst = std::max(worst, std::fabs(y[static_cast<std::size_t>(k)] -
                                                      simulated[static_cast<std::size_t>(k)]));
                    size = std::max(size, std::fabs(simulated[static_cast<std::size_t>(k)]));
                }
                EXPECT_LE(worst, 1e-9) << "type " << g.Type << " method " << c.Method
                                       << (c.Cascade ? " cascade" : " single")
                                       << (disturbance ? " disturbance" : " reference");
                if (g.Kp != 0 || g.Ki != 0) {
                    EXPECT_GT(size, 0.01); // the loop did respond
                }
            }
        }
    }
}

// L = k z^-2 (a P controller on a pure gain): |L| never crosses 1, the
// phase -2 theta crosses -180 deg at theta = pi/2, where |S| peaks at
// 1/|1 - k|; stable exactly when k < 1.
TEST(LoopFigures, PureGainLoop)
{
    const FrequencyFigures stable =
        ComputeFrequencyFigures(SingleLoopTransfer(TypeP, 0, 0, 1, 2.0, 0, 0, 0.5));
    ExpectClose(stable.Ms, 2.0, 1e-9);
    ExpectClose(stable.MsFrequency, Pi / 2 / 2.0, 1e-4 * Pi / 4);
    ASSERT_TRUE(stable.GainMargin && stable.PhaseCrossover);
    ExpectClose(*stable.GainMargin, 2.0, 1e-9);
    ExpectClose(*stable.PhaseCrossover, Pi / 4, 1e-9);
    EXPECT_FALSE(stable.PhaseMarginDeg);
    EXPECT_FALSE(stable.GainCrossover);
    EXPECT_TRUE(stable.Stable);

    const FrequencyFigures unstable =
        ComputeFrequencyFigures(SingleLoopTransfer(TypeP, 0, 0, 1, 1, 0, 0, 1.5));
    EXPECT_FALSE(unstable.Stable);
    ASSERT_TRUE(unstable.GainMargin);
    ExpectClose(*unstable.GainMargin, 1 / 1.5, 1e-9);
    ExpectClose(unstable.Ms, 2.0, 1e-9);
}

// L = c z^-2 / (1 - z^-1), c = K Ki Ts (an I controller on a pure gain):
// phase -90 deg - 1.5 theta, |L| = c / (2 sin(theta/2)). The phase crosses
// -180 deg at pi/3 with |L| = c; |L| = 1 at 2 asin(c/2); for c = 0.5 the
// largest |S|^2 = 2u / (2u^2 - u + 1/4) with u = 1 - cos(theta) lies at
// u = 1/sqrt(8) and is 2 + 2 sqrt(2).
TEST(LoopFigures, IntegratorLoop)
{
    const FrequencyFigures f =
        ComputeFrequencyFigures(SingleLoopTransfer(TypeI, 0, 0, 1, 1, 0, 0.5, 0));
    EXPECT_TRUE(f.Stable);
    ASSERT_TRUE(f.GainMargin && f.PhaseCrossover && f.PhaseMarginDeg && f.GainCrossover);
    ExpectClose(*f.GainMargin, 2.0, 1e-9);
    ExpectClose(*f.PhaseCrossover, Pi / 3, 1e-9);
    const double crossover = 2 * std::asin(0.25);
    ExpectClose(*f.GainCrossover, crossover, 1e-9);
    ExpectClose(*f.PhaseMarginDeg, 90 - 1.5 * crossover * 180 / Pi, 1e-7);
    ExpectClose(f.Ms, std::sqrt(2 + 2 * std::sqrt(2.0)), 1e-9);
    ExpectClose(f.MsFrequency, std::acos(1 - 1 / std::sqrt(8.0)), 1e-4);

    // c = 1.5: z^2 - z + 1.5 has its zeros outside the unit circle.
    const FrequencyFigures unstable =
        ComputeFrequencyFigures(SingleLoopTransfer(TypeI, 0, 0, 1, 1, 0, 1.5, 0));
    EXPECT_FALSE(unstable.Stable);
    ASSERT_TRUE(unstable.GainMargin);
    ExpectClose(*unstable.GainMargin, 1 / 1.5, 1e-9);
}

// 1 + k z^-302 has all its 302 zeros on the circle of radius k^(1/302): the
// criterion must tell 0.99 from 1.01 through a long dead time.
TEST(LoopFigures, StabilityThroughALongDeadTime)
{
    EXPECT_TRUE(
        ComputeFrequencyFigures(SingleLoopTransfer(TypeP, 300, 0, 1, 1, 0, 0, 0.99)).Stable);
    EXPECT_FALSE(
        ComputeFrequencyFigures(SingleLoopTransfer(TypeP, 300, 0, 1, 1, 0, 0, 1.01)).Stable);
}

// A tuned loop flagged unstable is the one whose drawn response runs away.
TEST(LoopFigures, UnstableTunedLoopIsFlagged)
{
    Podatki store;
    store.InnerModel = Model(1, 10, 4);
    // Ziegler-Nichols at the fast end of the slider.
    const TuningOutcome fast = ComputeTuning(5, 20, false, store.InnerModel, store.OuterModel);
    const ResponseSet set = ComputeResponses(fast, store, ReferenceResponse, 1);
    const LoopRobustness& pid = set.Robustness[LoopPID];
    EXPECT_FALSE(pid.Frequency.Stable);
    ASSERT_TRUE(pid.Frequency.GainMargin);
    EXPECT_LT(*pid.Frequency.GainMargin, 1);
    const int n = set.Horizon.N;
    EXPECT_GT(std::fabs(set.PID[static_cast<std::size_t>(n - 1)]), 10);

    const TuningOutcome slow = ComputeTuning(5, 5, false, store.InnerModel, store.OuterModel);
    const ResponseSet calm = ComputeResponses(slow, store, ReferenceResponse, 1);
    for (const LoopRobustness& loop : calm.Robustness) {
        EXPECT_TRUE(loop.Frequency.Stable);
        EXPECT_GT(loop.Frequency.Ms, 1);
    }
}

TEST(ResponseFigures, OvershootPeakSettlingAndIae)
{
    const double reference[] = {0, 0.5, 1.2, 1.0, 1.0};
    const ResponseFigures r = ComputeResponseFigures(reference, 5, 2, false);
    ASSERT_TRUE(r.OvershootPercent && r.SettlingTime);
    ExpectClose(*r.OvershootPercent, 20, 1e-12);
    EXPECT_FALSE(r.Peak);
    ExpectClose(*r.SettlingTime, 6, 0); // from sample 3 on
    ExpectClose(r.Iae, 2 * 1.7, 1e-12);

    const double disturbance[] = {0, 0.3, -0.1, 0.01, 0};
    const ResponseFigures d = ComputeResponseFigures(disturbance, 5, 1, true);
    ASSERT_TRUE(d.Peak && d.SettlingTime);
    ExpectClose(*d.Peak, 0.3, 0);
    EXPECT_FALSE(d.OvershootPercent);
    ExpectClose(*d.SettlingTime, 3, 0);
    ExpectClose(d.Iae, 0.41, 1e-12);

    // No overshoot below the end value; none defined about an end value of 0.
    const double rising[] = {0, 0.5, 0.9};
    ExpectClose(*ComputeResponseFigures(rising, 3, 1, false).OvershootPercent, 0, 0);
    const double zero[] = {0, 0.5, 0};
    EXPECT_FALSE(ComputeResponseFigures(zero, 3, 1, false).OvershootPercent);
}

// Sampling times far outside any plant's still give figures (numbers or
// none), in bounded time.
TEST(LoopFigures, ExtremeSamplingTimes)
{
    Podatki store;
    store.InnerModel = Model(1, 10, 2);
    const TuningOutcome tuning = ComputeTuning(1, 10, false, store.InnerModel, store.OuterModel);
    for (const double ts : {1e300, 1e9, 1e-3}) {
        const ResponseSet set = ComputeResponses(tuning, store, ReferenceResponse, ts);
        for (const LoopRobustness& loop : set.Robustness)
            EXPECT_FALSE(loop.Frequency.Ms < 0) << ts;
    }
}
