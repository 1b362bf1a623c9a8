#include "data/ObdelavaClass.h"
#include "data/Podatki.h"

#include "support/ExpectClose.h"

#include <memory>

namespace {

// MV = mv(i); U, Y1, Y2 distinct ramps so that every mean shows its range.
template <typename Mv>
std::unique_ptr<Podatki> Signals(int n, Mv mv)
{
    auto s = std::make_unique<Podatki>();
    for (int i = 1; i <= n; ++i) {
        Sample(s->Time, i) = 0.5 * i;
        Sample(s->ProcessedMV, i) = mv(i);
        Sample(s->ProcessedU, i) = i;
        Sample(s->ProcessedY1, i) = 10.0 * i;
        Sample(s->ProcessedY2, i) = -2.0 * i;
    }
    s->SampleCount = n;
    return s;
}

}  // namespace

TEST(RemoveInitialOffsets, TheInitialPeriodEndsTwoSamplesBeforeMvLeavesItsBand)
{
    // Window 11..60; MV leaves at sample 25, with wiggles inside the band
    // (0.5 % of its range of 100) before that.
    auto s = Signals(80, [](int i) { return i >= 25 ? 100.0 : (i % 2 ? 0.4 : 0.0); });
    TObdelava(*s).RemoveInitialOffsets(11, 60);
    // Period 11..23: means 17, 170, -34.
    EXPECT_EQ(Sample(s->IdentU, 1), 11 - 17.0);
    EXPECT_EQ(Sample(s->IdentY1, 1), 110 - 170.0);
    EXPECT_EQ(Sample(s->IdentY2, 50), -120 + 34.0);
    EXPECT_EQ(Sample(s->IdentTime, 1), 0);
    EXPECT_EQ(Sample(s->IdentTime, 50), 24.5);
}

TEST(RemoveInitialOffsets, MvMovingBetweenTheFirstTwoSamplesLeavesTheFirstSampleAlone)
{
    auto s = Signals(30, [](int i) { return i >= 6 ? 1.0 : 0.0; });
    TObdelava(*s).RemoveInitialOffsets(5, 30);
    EXPECT_EQ(Sample(s->IdentU, 1), 0);
    EXPECT_EQ(Sample(s->IdentY1, 2), 10);
    EXPECT_EQ(Sample(s->IdentY2, 26), -2.0 * 25);
}

TEST(RemoveInitialOffsets, AStillMvEndsThePeriodThreeSamplesBeforeTheWindowsEnd)
{
    // Period 4991..4997 of window 4991..5000: the last samples of the store,
    // with nothing read past them.
    auto s = Signals(Podatki::MaxSamples, [](int) { return 7.0; });
    TObdelava(*s).RemoveInitialOffsets(4991, 5000);
    EXPECT_EQ(Sample(s->IdentU, 1), 4991 - 4994.0);
    EXPECT_EQ(Sample(s->IdentU, 10), 5000 - 4994.0);

    // The shortest windows take their first sample.
    TObdelava(*s).RemoveInitialOffsets(4999, 5000);
    EXPECT_EQ(Sample(s->IdentY1, 2), 10);
    TObdelava(*s).RemoveInitialOffsets(5000, 5000);
    EXPECT_EQ(Sample(s->IdentY1, 1), 0);
}

TEST(RemoveInitialOffsets, AConstantSignalBecomesExactlyZero)
{
    auto s = Signals(40, [](int) { return 1.0; });
    for (int i = 1; i <= 40; ++i)
        Sample(s->ProcessedY1, i) = 3.7;
    TObdelava(*s).RemoveInitialOffsets(1, 40);
    for (int i = 1; i <= 40; ++i)
        ASSERT_EQ(Sample(s->IdentY1, i), 0.0);
}
