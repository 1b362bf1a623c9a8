#include "opc/ProcessSimulation.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <vector>

namespace {

// A generator that cycles through fixed draws.
UniformGenerator Cycle(std::vector<double> draws)
{
    auto index = std::make_shared<std::size_t>(0);
    return [draws, index] { return draws[(*index)++ % draws.size()]; };
}

// u1 = 0.5 gives 2u1 - 1 = 0, so every Gaussian draw is exactly 0 (u2 = 0.75
// keeps q = 0.25 inside the unit circle): the lags can be checked exactly.
UniformGenerator Silent()
{
    return Cycle({0.5, 0.75});
}

struct Moments {
    double Mean = 0;
    double Deviation = 0;
};

Moments MomentsOf(const std::vector<double>& x)
{
    double sum = 0;
    for (const double v : x)
        sum += v;
    const double mean = sum / static_cast<double>(x.size());
    double squares = 0;
    for (const double v : x)
        squares += (v - mean) * (v - mean);
    return {mean, std::sqrt(squares / static_cast<double>(x.size() - 1))};
}

} // namespace

TEST(UniformGenerator, SeededSequencesRepeatAndStayInTheUnitInterval)
{
    const UniformGenerator a = MakeSeededUniformGenerator(42);
    const UniformGenerator b = MakeSeededUniformGenerator(42);
    const UniformGenerator c = MakeSeededUniformGenerator(43);
    bool allEqual = true;
    bool anyDiffers = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a();
        const double y = b();
        const double z = c();
        allEqual = allEqual && x == y;
        anyDiffers = anyDiffers || x != z;
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
    }
    EXPECT_TRUE(allEqual);
    EXPECT_TRUE(anyDiffers);

    // Copies draw from one engine rather than replaying it.
    UniformGenerator copy = a;
    EXPECT_NE(a(), copy());
}

TEST(Gaussian, PolarMethodRejectsPointsOutsideTheCircleAndTheCentre)
{
    // (0, 0) maps to (-1, -1): q = 2, rejected. (0.5, 0.5) maps to the
    // centre: q = 0 would give 0/0, rejected. (0.75, 0.5): v1 = 0.5, q = 0.25.
    const UniformGenerator draws = Cycle({0.0, 0.0, 0.5, 0.5, 0.75, 0.5});
    const double expected = 3 + 2 * 0.5 * std::sqrt(-2 * std::log(0.25) / 0.25);
    ExpectClose(Gaussian(draws, 3, 2), expected, 1e-12);

    const UniformGenerator seeded = MakeSeededUniformGenerator(7);
    std::vector<double> x;
    for (int i = 0; i < 200000; ++i)
        x.push_back(Gaussian(seeded, 5, 2));
    const Moments m = MomentsOf(x);
    ExpectClose(m.Mean, 5, 0.02);
    ExpectClose(m.Deviation, 2, 0.02);
}

TEST(ProcessSimulation, AtRestTheMeasurementsNoiseAroundTheirOffsets)
{
    ProcessSimulation sim(MakeSeededUniformGenerator(2024));
    std::vector<double> u, y1, y2;
    for (int i = 0; i < 40000; ++i) {
        const ProcessSimulation::Outputs out = sim.Step(10.0, false);
        u.push_back(out.U);
        y1.push_back(out.Y1);
        y2.push_back(out.Y2);
    }
    const Moments m1 = MomentsOf(y1);
    const Moments m2 = MomentsOf(y2);
    ExpectClose(m1.Mean, 20, 0.005);
    ExpectClose(m2.Mean, 30, 0.0025);
    ExpectClose(m1.Deviation, 0.2, 0.004);
    ExpectClose(m2.Deviation, 0.1, 0.002);
    EXPECT_EQ(MomentsOf(u).Deviation, 0);
    EXPECT_EQ(sim.SimLag1, 0);
    EXPECT_EQ(sim.SimLag2, 0);
}

TEST(ProcessSimulation, AnMVStepReachesUThenY1ThenY2)
{
    ProcessSimulation sim(Silent());
    for (int i = 0; i < 5; ++i) {
        const ProcessSimulation::Outputs rest = sim.Step(10.0, false);
        ASSERT_EQ(rest.U, 0);
        ASSERT_EQ(rest.Y1, 20);
        ASSERT_EQ(rest.Y2, 30);
    }
    // Step to 11 at tick k.
    const ProcessSimulation::Outputs k = sim.Step(11.0, false);
    EXPECT_EQ(k.U, 1);
    EXPECT_EQ(k.Y1, 20);
    EXPECT_EQ(k.Y2, 30);
    const ProcessSimulation::Outputs k1 = sim.Step(11.0, false);
    ExpectClose(k1.Y1, 20.1, 1e-12);
    EXPECT_EQ(k1.Y2, 30);
    const ProcessSimulation::Outputs k2 = sim.Step(11.0, false);
    ExpectClose(k2.Y1, 21 - 0.81, 1e-12);
    ExpectClose(k2.Y2, 30 + 0.05 * 0.1, 1e-12);

    // Y1 = 20 + 1 - 0.9^n after k + n ticks; both settle at offset + 1.
    for (int n = 3; n < 400; ++n) {
        const ProcessSimulation::Outputs out = sim.Step(11.0, false);
        ASSERT_NEAR(out.Y1, 21 - std::pow(0.9, n), 1e-12) << "n = " << n;
    }
    const ProcessSimulation::Outputs late = sim.Step(11.0, false);
    ExpectClose(late.Y1, 21, 1e-9);
    ExpectClose(late.Y2, 31, 1e-6);
}

TEST(ProcessSimulation, TheFirstTickStartsFromRestAndNoWriteAppliesNothing)
{
    ProcessSimulation sim(Silent());
    sim.SimLag1 = 5;
    sim.SimLag2 = 7;
    sim.Reset();
    const ProcessSimulation::Outputs first = sim.Step(30.0, false);
    EXPECT_EQ(first.U, 20);
    EXPECT_EQ(first.Y1, 20);
    EXPECT_EQ(first.Y2, 30);

    ProcessSimulation quiet(MakeSeededUniformGenerator(5));
    std::vector<double> y1;
    for (int i = 0; i < 5000; ++i) {
        const ProcessSimulation::Outputs out = quiet.Step(i < 2500 ? 80.0 : -40.0, true);
        ASSERT_EQ(out.U, 0);
        y1.push_back(out.Y1);
    }
    EXPECT_EQ(quiet.SimLag1, 0);
    EXPECT_EQ(quiet.SimLag2, 0);
    ExpectClose(MomentsOf(y1).Mean, 20, 0.02);
}
