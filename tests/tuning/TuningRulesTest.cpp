#include "base/Errors.h"
#include "support/ExpectClose.h"
#include "tuning/RegulatorClass.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

void ExpectGains(const ControllerGains& g, const ControllerGains& want, double tol = 1e-9)
{
    ExpectClose(g.KiI, want.KiI, tol);
    ExpectClose(g.KpP, want.KpP, tol);
    ExpectClose(g.KpPI, want.KpPI, tol);
    ExpectClose(g.KiPI, want.KiPI, tol);
    ExpectClose(g.KpPID, want.KpPID, tol);
    ExpectClose(g.KiPID, want.KiPID, tol);
    ExpectClose(g.KdPID, want.KdPID, tol);
}

ControllerGains Tune(int method, double K, double T, double L)
{
    return TRegulator::TuneSingleLoop(method, K, T, L, MaxLoopGain);
}

} // namespace

TEST(TuningRules, AreasUseTheTruncatedThird)
{
    const Areas A = TRegulator::ProcessAreas(1, 10, 2);
    EXPECT_EQ(A[0], 1);
    EXPECT_EQ(A[1], 12);
    EXPECT_EQ(A[2], 122);
    // c3 = 0.5 L^2 * L * 0.33333333, not L^3/6.
    EXPECT_DOUBLE_EQ(A[3], 1220 + 4 * 0.33333333);
    EXPECT_NE(A[3], 1220 + 8.0 / 6.0);
    ExpectClose(A[4], 10 * A[3] + 4 * 0.33333333 * 2 * 0.25, 1e-9);
    ExpectClose(A[5], 10 * A[4] + 4 * 0.33333333 * 2 * 0.25 * 2 * 0.2, 1e-9);
}

TEST(TuningRules, RuleOfThumbMethodsOnTheWorkedModel)
{
    // K = 1, T = 10, L = 2: Q = T/(K L) = 5.
    ExpectGains(Tune(5, 1, 10, 2), {0.75, 5, 4.5, 0.75, 6, 1.5, 6});
    ExpectGains(Tune(2, 1, 10, 2), {1.75 / 12, 1.75, 1.75, 1.75 / 12, 3, 0.3, 3});
    ExpectGains(Tune(3, 1, 10, 2), {3.0 / 8, 3, 3, 3.0 / 8, 4.75, 4.75 / 4.8, 0.42 * 4.75 * 2});
    // Balance method: X = 10/12, Y = (X^2 + 1)/2, PI only.
    const double y = 0.5 * (100.0 / 144 + 1);
    ExpectGains(Tune(4, 1, 10, 2), {1.0 / 12, y, y, 1.0 / 12, 0, 0, 0});
}

TEST(TuningRules, FallbacksOfTheRuleOfThumbMethods)
{
    // No dead time: Q falls back to 10000, and Ziegler-Nichols' KiPI too.
    const ControllerGains zn = Tune(5, 1, 10, 0);
    EXPECT_EQ(zn.KpP, 10000);
    EXPECT_EQ(zn.KpPI, 9000);
    EXPECT_EQ(zn.KiPI, 10000);
    EXPECT_EQ(zn.KiPID, 0); // KpPID / (2 L) falls back to 0
    EXPECT_EQ(Tune(2, 1, 0, 0).KiPID, 0);
    // Balance method with L + T = 0 and K = 0.
    const ControllerGains balance = Tune(4, 0, 0, 0);
    EXPECT_EQ(balance.KpPI, 10000);
    EXPECT_EQ(balance.KiPI, 0);
}

TEST(TuningRules, AreaMethodOnTheWorkedModel)
{
    // An independent evaluation of the rules for A = (1, 12, 122, ...).
    const ControllerGains tracking = Tune(0, 1, 10, 2);
    ExpectGains(tracking,
                {0.85 * 0.5 / 12, 0.85 * 100 / 44, 2.13901098887011, 0.2136675824058425,
                 3.402515324909262, 0.31895961040910514, 2.1292387886274136},
                1e-9);
    // Disturbance rejection: no factor 0.85, the PID keeps the tracking Kd.
    const ControllerGains rejection = Tune(1, 1, 10, 2);
    ExpectGains(rejection,
                {0.5 / 12, 100.0 / 44, 2.5164835163177766, 0.5152356800222765, 4.975062128389587,
                 1.230658390296963, 2.5049868101498984},
                1e-9);
}

TEST(TuningRules, SmallDeadTimeBranches)
{
    // L/T = 0.05: KpPI = 5.05/K, Ti = A1/(K + 0.5 KpPI), no factor 0.85.
    const ControllerGains tracking = Tune(0, 1, 10, 0.5);
    const double ti = 10.5 / (1 + 2.525);
    ExpectGains(tracking, {0.5 / 10.5, 5.05, 5.05, 5.05 / ti, 5.05, 5.05 / ti, 0});
    ExpectClose(tracking.KiPI, 1.69536, 1e-5);
    // Rejection: Ti = 2 KpPI A1 / (KpPI A0 + 1)^2.
    const ControllerGains rejection = Tune(1, 1, 10, 0.5);
    const double tiR = 2 * 5.05 * 10.5 / (6.05 * 6.05);
    ExpectGains(rejection, {0.5 / 10.5, 5.05, 5.05, 5.05 / tiR, 5.05, 5.05 / tiR, 0});
    // At L/T = 0.1 exactly the rules apply (with 0.85), and T = 0 never takes
    // the branch (fallback 1000).
    EXPECT_NE(Tune(0, 1, 10, 1).KpPI, 5.05);
    EXPECT_NE(Tune(0, 1, 0, 0.5).KpPI, 5.05);
}

TEST(TuningRules, ModelOfZerosAndTheBlankMethod)
{
    ExpectGains(Tune(0, 0, 0, 0), {});
    ExpectGains(Tune(1, 0, 0, 0), {});
    const ControllerGains chr = Tune(2, 0, 0, 0);
    EXPECT_EQ(chr.KpPI, 3500); // Q = 10000
    for (int method : {6, 7, -1, 100})
        ExpectGains(Tune(method, 1, 10, 2), {});
}

TEST(TuningRules, LoopGainIsClamped)
{
    // 2 A0 (A1^2 - A0 A2) = 2*(4 - 3) = 2; numerator 2*3 - 4 = 2: Kp = 1,
    // then a loop gain above 10 is cut to 10/K.
    EXPECT_DOUBLE_EQ(TRegulator::AreaRuleP(1, 2, 3, MaxLoopGain), 1);
    EXPECT_DOUBLE_EQ(TRegulator::AreaRuleP(1, 2, 3.99, MaxLoopGain), 10);  // Kp = 199
    EXPECT_DOUBLE_EQ(TRegulator::AreaRuleP(4, 2, 0.99, MaxLoopGain), 2.5); // K Kp = 49
    // A negative product, and an undefined one, are cut as well.
    EXPECT_DOUBLE_EQ(TRegulator::AreaRuleP(2, 1, 1, MaxLoopGain), 5); // Kp < 0
    EXPECT_DOUBLE_EQ(TRegulator::AreaRuleP(-2, 1, 1, MaxLoopGain), -5);
    EXPECT_EQ(TRegulator::AreaRuleP(0, 1, 1, MaxLoopGain), 0);
    // PI tracking with D = 0 takes the limit directly.
    const PiGains pi = TRegulator::AreaRulePITracking({2, 1, 2, 1, 0, 0}, MaxLoopGain);
    EXPECT_DOUBLE_EQ(pi.Kp, 5);
    EXPECT_DOUBLE_EQ(pi.Ki, 10.5);
}

TEST(TuningRules, PidDegeneratesToPiWithoutDerivative)
{
    // A Kd of the wrong sign is dropped and Kp, Ki come from the PI rule.
    const Areas A = {1, 1, 10, 1, 1, 1};
    const PidGains pid = TRegulator::AreaRulePIDTracking(A, MaxLoopGain);
    const PiGains pi = TRegulator::AreaRulePITracking(A, MaxLoopGain);
    EXPECT_EQ(pid.Kd, 0);
    EXPECT_EQ(pid.Kp, pi.Kp);
    EXPECT_EQ(pid.Ki, pi.Ki);
}

TEST(TuningRules, DisturbancePidWithoutRealRootIsAnError)
{
    // alpha = 2, beta = 0, gamma = 1: beta^2 - 4 alpha gamma < 0.
    const Areas A = {0, 1, 0, 1, 0, 0};
    EXPECT_THROW(TRegulator::AreaRulePIDRejection(A, MaxLoopGain), ComputationError);
    // alpha = 0 takes the linear solution instead of the root.
    const PidGains linear = TRegulator::AreaRulePIDRejection({1, 0, 0, 0, 0, 0}, MaxLoopGain);
    EXPECT_TRUE(std::isfinite(linear.Kp) && std::isfinite(linear.Ki));
}

TEST(CascadeTuning, EquivalentModelOfOneProcessIsThatProcess)
{
    // The areas of K e^(-sL)/(1+sT) give back K, T and L.
    const EquivalentModel eq = TRegulator::EquivalentFopdt(TRegulator::ProcessAreas(2, 10, 3));
    ExpectClose(eq.Gain, 2, 1e-12);
    ExpectClose(eq.DeadTime, 3, 1e-9);
    ExpectClose(eq.TimeConstant, 10, 1e-9);
}

TEST(CascadeTuning, SeriesAndClosedLoopAreas)
{
    // A P loop around A = (2, 6, ...) with Kp = 1.5: r = 1/(1 + 3) = 0.25.
    const Areas C = TRegulator::ClosedLoopAreas(1.5, {2, 6, 20, 0, 0, 1});
    ExpectClose(C[0], 1.5 * 2 * 0.25, 1e-15);
    ExpectClose(C[1], 1.5 * 6 * 0.0625, 1e-15);
    ExpectClose(C[2], 1.5 * 20 / 64, 1e-15);
    ExpectClose(C[5], 1.5 / 4096, 1e-15);
    // Products of polynomials in -s.
    const Areas D = TRegulator::SeriesAreas({1, 2, 0, 0, 0, 0}, {3, 4, 5, 0, 0, 0});
    EXPECT_EQ(D, (Areas{3, 10, 13, 10, 0, 0}));
    // 1 + Kp A0 = 0 falls back to r = 1.
    EXPECT_EQ(TRegulator::ClosedLoopAreas(-1, {1, 1, 1, 1, 1, 1})[0], -1);
}

TEST(CascadeTuning, MethodTwoAgainstHandComputedAreas)
{
    // Inner K1 = 1, T1 = 1, L1 = 0.2 with method 2: KpP = 0.35*5, inner gain
    // KpP/0.85. Outer K2 = 2, T2 = 10, L2 = 2.
    const double kp = 0.35 * 5 / 0.85;
    const double r = 1 / (1 + kp);
    const double a1 = 1.2, a2 = 1.2 + 0.5 * 0.04;
    const double b0 = 2, b1 = 24, b2 = 10 * 24 + 2 * 2;
    const double c0 = kp * r, c1 = kp * a1 * r * r, c2 = kp * a2 * r * r * r;
    const double d0 = c0 * b0, d1 = c0 * b1 + c1 * b0, d2 = c0 * b2 + c1 * b1 + c2 * b0;
    // 0.5 d0 x^2 - d1 x + (d1^2/d0 - d2) = 0, the smaller positive root.
    const double disc = d1 * d1 - 2 * d0 * (d1 * d1 / d0 - d2);
    const double leq = (d1 - std::sqrt(disc)) / d0;
    const double teq = d1 / d0 - leq;
    ASSERT_GT(leq, 0);
    const double kpPI = 0.35 * teq / (d0 * leq);

    const CascadeTuning c = TRegulator::TuneCascade(2, 1, 1, 0.2, 2, 10, 2, MaxLoopGain);
    ExpectClose(c.InnerGain, kp, 1e-12);
    ExpectGains(c.Outer, {0, 0, kpPI, kpPI / (1.2 * teq), kpPI, kpPI / (1.2 * teq), 0}, 1e-9);
}

TEST(CascadeTuning, InstantInnerLoopLeavesTheOuterModel)
{
    // With T1 = L1 = 0 the closed inner loop is a pure gain c0, so the
    // outer controller is that of the outer model with gain c0*K2.
    // Method 5 on the inner model: Q falls back to 10000 = KpP.
    const CascadeTuning c = TRegulator::TuneCascade(5, 1, 0, 0, 2, 10, 2, MaxLoopGain);
    ExpectClose(c.InnerGain, 10000 / 0.85, 1e-9);
    const double c0 = c.InnerGain / (1 + c.InnerGain);
    const double q = 10 / (c0 * 2 * 2);
    ExpectClose(c.Outer.KpP, q, 1e-9);
    ExpectClose(c.Outer.KpPI, 0.9 * q, 1e-9);
    ExpectClose(c.Outer.KiPI, 0.9 * q / 6, 1e-9);
    EXPECT_EQ(c.Outer.KiI, 0);
    EXPECT_EQ(c.Outer.KdPID, 0);
    EXPECT_EQ(c.Outer.KpPID, c.Outer.KpPI);
}

TEST(CascadeTuning, OuterRowsByMethod)
{
    for (int method = 0; method <= 6; ++method) {
        SCOPED_TRACE(method);
        const CascadeTuning c = TRegulator::TuneCascade(method, 1, 2, 0.5, 1, 10, 2, MaxLoopGain);
        // No derivative action in the outer loop; its PID row is the PI row
        // (in the area method after the factor 0.85).
        EXPECT_EQ(c.Outer.KdPID, 0);
        EXPECT_EQ(c.Outer.KpPID, c.Outer.KpPI);
        EXPECT_EQ(c.Outer.KiPID, c.Outer.KiPI);
        if (method >= 2) {
            EXPECT_EQ(c.Outer.KiI, 0);
        }
        if (method == 2 || method == 3 || method == 4 || method == 6) {
            EXPECT_EQ(c.Outer.KpP, 0);
        }
    }
    // The blank method: all outer gains 0, the inner gain from the inner
    // tuning (0 as well).
    const CascadeTuning none = TRegulator::TuneCascade(6, 1, 2, 0.5, 1, 10, 2, MaxLoopGain);
    EXPECT_EQ(none.Outer.KpPI, 0);
    EXPECT_EQ(none.InnerGain, 0);
    // The area method divides the inner gain by 0.85 even in its
    // small-dead-time branch, which has no factor.
    const CascadeTuning small = TRegulator::TuneCascade(0, 1, 10, 0.5, 1, 10, 2, MaxLoopGain);
    ExpectClose(small.InnerGain, 5.05 / 0.85, 1e-12);
}
