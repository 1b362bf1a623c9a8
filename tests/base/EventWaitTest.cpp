#include "base/EventWait.h"

#include <gtest/gtest.h>

TEST(EventWait, PumpsAndTestsUntilTheConditionHoldsOrTheTimeIsUp)
{
    long long now = 0;
    int tests = 0;
    const auto clock = [&] { return now; };
    const auto pump = [&] { now += 400; };
    EXPECT_FALSE(WaitUntil([&] { return ++tests < 0; }, pump, clock, 3000));
    EXPECT_EQ(tests, 8);
    tests = 0;
    EXPECT_TRUE(WaitUntil([&] { return ++tests == 3; }, pump, clock, 3000));
    tests = 0;
    EXPECT_FALSE(WaitUntil([&] { return ++tests < 0; }, [] {}, clock, 0));
    EXPECT_EQ(tests, 1); // tested at least once
}
