#include "base/Errors.h"
#include "support/ExpectClose.h"
#include "tuning/RegulatorClass.h"
#include "tuning/TuningComputation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

ProcessModel Model(double K, double T, double L)
{
    ProcessModel m;
    m.Gain = K;
    m.TimeConstant = T;
    m.DeadTime = L;
    return m;
}

struct Fixture {
    Podatki Store;
    TuningOutcome Tuning;

    // CHR tracking gains of a single loop.
    Fixture(double K, double T, double L)
    {
        Store.InnerModel = Model(K, T, L);
        Tuning = ComputeTuning(2, 10, false, Store.InnerModel, Store.OuterModel);
        StoreTuning(Store, Tuning);
    }
    ResponseSet Responses(int choice, double ts)
    {
        return ComputeResponses(Tuning, Store, choice, ts);
    }
};

int Horizon(double L, double T, double ts)
{
    return ComputeHorizon(Model(1, T, L), Model(1, 0, 0), false, ts).N;
}

} // namespace

TEST(ResponseHorizon, TenDeadTimesAndFiveTimeConstants)
{
    EXPECT_EQ(Horizon(2, 10, 1), 71);
    EXPECT_EQ(ComputeHorizon(Model(1, 10, 2), {}, false, 1).ND, 2);
    EXPECT_EQ(Horizon(2, 10, 0.01), 4799);  // 7001 cut to 4999 - 200
    EXPECT_EQ(Horizon(40, 100, 0.1), 4599); // 9001 cut to 4999 - 400
    EXPECT_EQ(Horizon(2, 10, 100), 10);     // a long sampling time
    EXPECT_EQ(Horizon(0, 0, 1), 10);
}

TEST(ResponseHorizon, LongDeadTimesStayInsideTheArrays)
{
    // 4995 samples of dead time: the lower bound 10 would write up to
    // y[5005]; the horizon is cut to the 4 samples that fit.
    EXPECT_EQ(Horizon(4995, 0, 1), 4);
    EXPECT_THROW(Horizon(4999, 0, 1), ComputationError);
    EXPECT_THROW(Horizon(1.0E12, 0, 1), ComputationError);
    // A negative dead time never gives more samples than the arrays hold.
    EXPECT_EQ(Horizon(-100, 2000, 1), 4999);
    // In a cascade the outer dead time bounds the horizon too.
    EXPECT_EQ(ComputeHorizon(Model(1, 10, 0), Model(1, 10, 4000), true, 1).N, 51);
    EXPECT_EQ(ComputeHorizon(Model(1, 1000, 0), Model(1, 10, 4000), true, 1).N, 999);
    EXPECT_EQ(ComputeHorizon(Model(1, 1, 0), Model(1, 10, 4995), true, 1).N, 4);
    EXPECT_THROW(ComputeHorizon(Model(1, 1, 0), Model(1, 10, 6000), true, 1), ComputationError);
}

TEST(ClosedLoopTs, NonPositiveFallsBackToTheLastValidOne)
{
    double stored = 0;
    EXPECT_EQ(ChooseClosedLoopTs(0.5, stored), 0.5);
    EXPECT_EQ(stored, 0.5);
    EXPECT_EQ(ChooseClosedLoopTs(-2, stored), 0.5);
    EXPECT_EQ(ChooseClosedLoopTs(std::nullopt, stored), 0.5); // empty text
    EXPECT_EQ(stored, 0.5);
    // No valid value yet: a clear error instead of a division by zero.
    double none = 0;
    EXPECT_THROW(ChooseClosedLoopTs(0.0, none), ComputationError);
    EXPECT_THROW(ChooseClosedLoopTs(-1.0, none), ComputationError);
    EXPECT_THROW(ChooseClosedLoopTs(std::nullopt, none), ComputationError);
}

TEST(SimulateLoop, ControllerSeesTheOutputTwoSamplesOld)
{
    // P control with Kp = 1 of a pure gain: the loop closes over two samples,
    // so the output alternates in pairs.
    std::vector<double> y(12, -7);
    TRegulator::SimulateLoop(TypeP, 9, y, 0, 0, 1, 1, 0, 1, 0, 0, 1);
    const std::vector<double> want = {0, 1, 1, 0, 0, 1, 1, 0, 0};
    EXPECT_EQ(std::vector<double>(y.begin(), y.begin() + 9), want);
    // The derivative acts with the filter pole exp(-5 Ts / Td).
    TRegulator::SimulateLoop(TypePID, 3, y, 0, 0, 1, 1, 0, 1, 1, 0, 1);
    ExpectClose(y[1], 2 - std::exp(-5.0), 1e-15);
}

TEST(SimulateLoop, WritesStayInsideTheOutput)
{
    // The dead time pushes writes past the end; they are dropped.
    std::vector<double> buffer(30, 42);
    std::span<double> y(buffer.data() + 10, 10);
    TRegulator::SimulateLoop(TypePI, 10, y, 5, 1, 1, 1, 0, 1, 0, 0.1, 1);
    TRegulator::SimulateCascade(TypePI, 10, y, y, 5, 1, 1, 5, 1, 1, 1, 0, 1, 1, 0, 0.1, 1);
    TRegulator::SimulateLoop(TypePI, 10, y, -5, 1, 1, 1, 0, 1, 0, 0.1, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(buffer[static_cast<std::size_t>(i)], 42);
        EXPECT_EQ(buffer[static_cast<std::size_t>(20 + i)], 42);
    }
}

TEST(SimulateLoop, SettlingValues)
{
    // CHR tracking gains of K = 1, T = 10, L = 2 over a long horizon.
    const ControllerGains g = TRegulator::TuneSingleLoop(2, 1, 10, 2, MaxLoopGain);
    std::vector<double> y(3000);
    auto last = [&](int type, double d, double r, double kd, double ki, double kp) {
        TRegulator::SimulateLoop(type, 2000, y, 2, 10, 1, 1, d, r, kd, ki, kp);
        return y[1999];
    };
    ExpectClose(last(TypeI, 0, 1, 0, g.KiI, 0), 1, 1e-6);
    ExpectClose(last(TypePI, 0, 1, 0, g.KiPI, g.KpPI), 1, 1e-6);
    ExpectClose(last(TypePID, 0, 1, g.KdPID, g.KiPID, g.KpPID), 1, 1e-6);
    // Without integral action the output stays at K Kp / (1 + K Kp).
    ExpectClose(last(TypeP, 0, 1, 0, 0, g.KpP), 1.75 / 2.75, 1e-6);
    // A disturbance of 1/K at the process input is rejected except by P.
    ExpectClose(last(TypeI, 1, 0, 0, g.KiI, 0), 0, 1e-6);
    ExpectClose(last(TypePI, 1, 0, 0, g.KiPI, g.KpPI), 0, 1e-6);
    ExpectClose(last(TypePID, 1, 0, g.KdPID, g.KiPID, g.KpPID), 0, 1e-6);
    ExpectClose(last(TypeP, 1, 0, 0, 0, g.KpP), 1 / 2.75, 1e-6);
}

TEST(SimulateCascade, InnerLoopAroundTheController)
{
    // Pure gains without lag or delay, P control everywhere: the outer
    // output lags the inner one by a sample. The inner output array starts
    // with leftovers, which must not enter the response.
    std::vector<double> y1(10, 99), y2(10, 99);
    TRegulator::SimulateCascade(TypeP, 5, y2, y1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1);
    const std::vector<double> want = {0, 0, 1, 1, 0};
    EXPECT_EQ(std::vector<double>(y2.begin(), y2.begin() + 5), want);
}

TEST(Responses, ReferenceAndDisturbanceOnTheWorkedModel)
{
    Fixture f(1, 10, 2);
    const ResponseSet ref = f.Responses(ReferenceResponse, 1);
    ASSERT_EQ(ref.Horizon.N, 71);
    ASSERT_EQ(ref.Time.size(), 71u);
    EXPECT_EQ(ref.Time[70], 70);
    // Open loop: 0 up to the dead time, then towards 1.
    EXPECT_EQ(ref.Open[2], 0);
    ExpectClose(ref.Open[3], 1 - std::exp(-0.1), 1e-12);
    ExpectClose(ref.Open[70], 1, 2e-3);
    ExpectClose(ref.PI[70], 1, 2e-3);
    ExpectClose(ref.PID[70], 1, 1e-3);
    ExpectClose(ref.P[70], 1.75 / 2.75, 1e-6);

    const ResponseSet dist = f.Responses(DisturbanceResponse, 1);
    EXPECT_EQ(dist.Open, ref.Open);
    for (const auto* curve : {&dist.I, &dist.PI, &dist.PID, &dist.P})
        EXPECT_EQ((*curve)[0], 0);
    ExpectClose(dist.PI[70], 0, 1e-2);
    ExpectClose(dist.P[70], 1 / 2.75, 1e-6);
    // The I controller is slow: its curve overshoots 1.4 within the horizon.
    EXPECT_GT(*std::max_element(ref.I.begin(), ref.I.end()), 1.4);
    EXPECT_LT(ref.AxisMin, 0);
    EXPECT_GT(ref.AxisMax, 1.4);
    EXPECT_LT(ref.AxisMax, 2.3);
}

TEST(Responses, FloatingPointTrapsAreClearErrors)
{
    Fixture zeroGain(0, 10, 2);
    EXPECT_THROW(zeroGain.Responses(ReferenceResponse, 1), ComputationError);
    Fixture longDelay(1, 0, 6000);
    EXPECT_THROW(longDelay.Responses(ReferenceResponse, 1), ComputationError);
}

TEST(Responses, AxisIsCutToMinusOneAndTwo)
{
    const std::vector<double> wild = {0, 5, -3, 1};
    const std::vector<double> calm = {0, 0.5, 1, 1};
    double lo = 0, hi = 0;
    ResponseAxis({wild.data(), calm.data()}, 4, lo, hi);
    ExpectClose(lo, -1.3, 1e-12);
    ExpectClose(hi, 2.3, 1e-12);
    ResponseAxis({calm.data()}, 4, lo, hi);
    ExpectClose(lo, -0.1, 1e-12);
    ExpectClose(hi, 1.1, 1e-12);
    // Flat curves get a range of 1; runaway ones still a finite axis.
    const std::vector<double> flat(4, 0.0);
    ResponseAxis({flat.data()}, 4, lo, hi);
    EXPECT_EQ(lo, -0.1);
    EXPECT_EQ(hi, 0.1);
    const std::vector<double> runaway = {0, NAN, INFINITY, -INFINITY};
    ResponseAxis({runaway.data(), calm.data()}, 4, lo, hi);
    ExpectClose(lo, -1.3, 1e-12);
    ExpectClose(hi, 2.3, 1e-12);
}
