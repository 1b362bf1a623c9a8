#include "opc/ProcessSimulation.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <memory>
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

// Mean and sample standard deviation.
std::pair<double, double> MomentsOf(const std::vector<double>& x)
{
    double sum = 0, squares = 0;
    for (const double v : x)
        sum += v;
    const double mean = sum / double(x.size());
    for (const double v : x)
        squares += (v - mean) * (v - mean);
    return {mean, std::sqrt(squares / double(x.size() - 1))};
}

} // namespace

TEST(ProcessSimulation, RandomNumbersAreReproducibleAndGaussian)
{
    const UniformGenerator a = MakeSeededUniformGenerator(42);
    const UniformGenerator b = MakeSeededUniformGenerator(42);
    for (int i = 0; i < 1000; ++i) {
        const double x = a();
        ASSERT_EQ(x, b());
        ASSERT_TRUE(x >= 0.0 && x < 1.0);
    }

    // (0, 0) maps to (-1, -1): q = 2, rejected. (0.5, 0.5) maps to the
    // centre: q = 0 would give 0/0, rejected. (0.75, 0.5): v1 = 0.5, q = 0.25.
    const UniformGenerator draws = Cycle({0.0, 0.0, 0.5, 0.5, 0.75, 0.5});
    ExpectClose(Gaussian(draws, 3, 2), 3 + std::sqrt(-2 * std::log(0.25) / 0.25), 1e-12);
}

TEST(ProcessSimulation, AtRestTheMeasurementsNoiseAroundTheirOffsets)
{
    ProcessSimulation sim(MakeSeededUniformGenerator(2024));
    std::vector<double> y1, y2;
    for (int i = 0; i < 40000; ++i) {
        const ProcessSimulation::Outputs out = sim.Step(10.0, false);
        ASSERT_EQ(out.U, 0);
        y1.push_back(out.Y1);
        y2.push_back(out.Y2);
    }
    ExpectClose(MomentsOf(y1).first, 20, 0.005);
    ExpectClose(MomentsOf(y2).first, 30, 0.0025);
    ExpectClose(MomentsOf(y1).second, 0.2, 0.004);
    ExpectClose(MomentsOf(y2).second, 0.1, 0.002);
}

TEST(ProcessSimulation, AnMVStepReachesUThenY1ThenY2)
{
    ProcessSimulation sim(Silent());
    for (int i = 0; i < 5; ++i)
        sim.Step(10.0, false);
    const ProcessSimulation::Outputs k = sim.Step(11.0, false); // the step at tick k
    EXPECT_EQ(k.U, 1);
    EXPECT_EQ(k.Y1, 20);
    EXPECT_EQ(k.Y2, 30);
    const ProcessSimulation::Outputs k1 = sim.Step(11.0, false);
    ExpectClose(k1.Y1, 20.1, 1e-12);
    EXPECT_EQ(k1.Y2, 30);
    const ProcessSimulation::Outputs k2 = sim.Step(11.0, false);
    ExpectClose(k2.Y2, 30 + 0.05 * 0.1, 1e-12);
    // Y1 = 20 + 1 - 0.9^n after k + n ticks; both settle at offset + 1.
    for (int n = 3; n < 400; ++n)
        ASSERT_NEAR(sim.Step(11.0, false).Y1, 21 - std::pow(0.9, n), 1e-12) << "n = " << n;
    ExpectClose(sim.Step(11.0, false).Y2, 31, 1e-6);
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

    for (int i = 0; i < 100; ++i) {
        const ProcessSimulation::Outputs out = sim.Step(i < 50 ? 80.0 : -40.0, true);
        ASSERT_EQ(out.U, 0);
    }
    ExpectClose(sim.SimLag1, 0, 1e-3); // only the first tick's input remains, decaying
    const ProcessSimulation::Outputs later = sim.Step(80.0, true);
    ExpectClose(later.Y1, 20, 1e-3);
    ExpectClose(later.Y2, 30, 1e-1);
}
