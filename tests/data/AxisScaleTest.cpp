#include "data/AxisScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// What every scale must be: a finite range with a round step that a chart
// can step through in a bounded number of ticks.
void ExpectUsable(const AxisScale& s)
{
    ASSERT_TRUE(std::isfinite(s.Min) && std::isfinite(s.Max) && std::isfinite(s.Step));
    EXPECT_LT(s.Min, s.Max);
    EXPECT_GT(s.Step, 0);
    EXPECT_GT(s.Max + s.Step, s.Max) << "the step is below the resolution of the numbers";
    const int ticks = AxisTickCount(s);
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, MaxAxisTicks);
    EXPECT_GE(s.Anchor, s.Min);
    EXPECT_LT(s.Anchor - s.Step, s.Min);
}

double Mantissa(double step)
{
    return step / std::pow(10.0, std::floor(std::log10(step) + 1e-12));
}

} // namespace

TEST(AxisScale, OrdinaryRangesGetRoundStepsAtRoundValues)
{
    const AxisScale s = NiceAxisScale(0, 10);
    EXPECT_EQ(s.Min, 0);
    EXPECT_EQ(s.Max, 10);
    EXPECT_EQ(s.Step, 2);
    EXPECT_EQ(s.Anchor, 0);
    EXPECT_EQ(AxisTickCount(s), 6);
    EXPECT_DOUBLE_EQ(NiceAxisScale(-1.3, 2.3).Step, 1);
    EXPECT_DOUBLE_EQ(NiceAxisScale(0, 1.5).Step, 0.25);
    EXPECT_DOUBLE_EQ(NiceAxisScale(19.87, 20.93).Anchor, 20);

    for (double lo = -7.3e-8; lo < 1e9; lo = lo * -3.7 + 0.61) {
        for (double span : {1e-6, 0.013, 0.7, 3.0, 55.0, 4.4e4, 9.9e12}) {
            const AxisScale r = NiceAxisScale(lo, lo + span);
            ExpectUsable(r);
            const double m = Mantissa(r.Step);
            EXPECT_TRUE(std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 ||
                        std::fabs(m - 2.5) < 1e-9 || std::fabs(m - 5) < 1e-9)
                << r.Step;
        }
    }
}

TEST(AxisScale, AnyRangeGivesABoundedNumberOfTicks)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {{-1e300, 1e300}, {-1e308, 1e308}, {1e300, 1e300}, {0, 0},
                               {5, 5},          {-inf, inf},     {nan, nan},     {nan, 3},
                               {1e15, 1e15 + 1e-3}, {1e-320, 2e-320}, {7, -7},   {-inf, -inf}};
    for (const auto& c : cases)
        ExpectUsable(NiceAxisScale(c[0], c[1]));
    // A zero-width range opens by one unit each way where that can be seen.
    EXPECT_EQ(NiceAxisScale(5, 5).Min, 4);
    EXPECT_EQ(NiceAxisScale(5, 5).Max, 6);
    EXPECT_EQ(NiceAxisScale(nan, nan).Min, -1);
}

TEST(AxisScale, ACallersStepIsKeptOnlyWhenItGivesFewTicks)
{
    const AxisScale kept = AxisScaleWithStep(0.95, 3.05, 1.0, 0.2);
    EXPECT_EQ(kept.Step, 0.2);
    EXPECT_DOUBLE_EQ(kept.Anchor, 1.0);
    ExpectUsable(kept);
    // The step of an earlier, much narrower range, and one below resolution.
    EXPECT_EQ(AxisScaleWithStep(0, 5e4, 0, 0.1).Step, NiceAxisScale(0, 5e4).Step);
    EXPECT_EQ(AxisScaleWithStep(1e300, 2e300, 0, 1).Step, NiceAxisScale(1e300, 2e300).Step);
    EXPECT_EQ(AxisScaleWithStep(0, 1, 0, std::numeric_limits<double>::quiet_NaN()).Step,
              NiceAxisScale(0, 1).Step);
    ExpectUsable(AxisScaleWithStep(0, 1, 1e200, 0.1));
}
