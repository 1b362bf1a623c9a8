#include "data/SeriesThinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

TEST(SeriesThinning, ShortSeriesAreDrawnWholeWithoutNonFiniteValues)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double y[] = {1, nan, 3, std::numeric_limits<double>::infinity(), 5};
    EXPECT_EQ(ThinnedIndices(y, 5, 100), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(ThinnedIndices(y, 5, 0), (std::vector<int>{0, 2, 4}));
    EXPECT_TRUE(ThinnedIndices(y, 0, 100).empty());
}

TEST(SeriesThinning, LongSeriesKeepTheEnvelopeAndBothEnds)
{
    std::vector<double> y(5000);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = std::sin(0.01 * static_cast<double>(i));
    y[1234] = 50; // spikes a thinning must not lose
    y[4321] = -50;
    y[0] = 0.5;
    const std::vector<int> kept = ThinnedIndices(y.data(), 5000, 300);
    EXPECT_LE(kept.size(), 2u * 300 + 2);
    EXPECT_GE(kept.size(), 300u);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
    EXPECT_EQ(kept.front(), 0);
    EXPECT_EQ(kept.back(), 4999);
    EXPECT_NE(std::find(kept.begin(), kept.end(), 1234), kept.end());
    EXPECT_NE(std::find(kept.begin(), kept.end(), 4321), kept.end());

    // Every run of samples keeps its own extremes.
    for (int b = 0; b < 300; ++b) {
        const int lo = b * 5000 / 300, hi = (b + 1) * 5000 / 300;
        const auto [mn, mx] = std::minmax_element(y.begin() + lo, y.begin() + hi);
        EXPECT_NE(std::find(kept.begin(), kept.end(), static_cast<int>(mn - y.begin())),
                  kept.end());
        EXPECT_NE(std::find(kept.begin(), kept.end(), static_cast<int>(mx - y.begin())),
                  kept.end());
    }
}

// A smooth curve keeps few points, a step its corners; every sample left out
// lies within the tolerance of the drawn polyline.
TEST(SeriesThinning, SimplifiedCurvesStayWithinTheTolerance)
{
    std::vector<double> x(5000), y(5000);
    for (std::size_t i = 0; i < y.size(); ++i) {
        x[i] = 0.5 * static_cast<double>(i);
        y[i] = 1 - std::exp(-x[i] / 300) + (i >= 2500 ? 0.5 : 0);
    }
    y[10] = std::numeric_limits<double>::quiet_NaN();
    const double tolerance = 1e-3;
    const std::vector<int> kept = SimplifiedIndices(x.data(), y.data(), 5000, tolerance);
    EXPECT_LT(kept.size(), 100u);
    EXPECT_EQ(kept.front(), 0);
    EXPECT_EQ(kept.back(), 4999);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_EQ(std::find(kept.begin(), kept.end(), 10), kept.end());
    EXPECT_NE(std::find(kept.begin(), kept.end(), 2499), kept.end()); // both sides of the step
    EXPECT_NE(std::find(kept.begin(), kept.end(), 2500), kept.end());
    for (std::size_t j = 0; j + 1 < kept.size(); ++j) {
        const int a = kept[j], b = kept[j + 1];
        for (int i = a + 1; i < b; ++i) {
            if (std::isnan(y[static_cast<std::size_t>(i)]))
                continue;
            const double t = (x[static_cast<std::size_t>(i)] - x[static_cast<std::size_t>(a)]) /
                             (x[static_cast<std::size_t>(b)] - x[static_cast<std::size_t>(a)]);
            const double line =
                y[static_cast<std::size_t>(a)] +
                t * (y[static_cast<std::size_t>(b)] - y[static_cast<std::size_t>(a)]);
            EXPECT_LE(std::fabs(line - y[static_cast<std::size_t>(i)]), tolerance * (1 + 1e-9))
                << i;
        }
    }
    EXPECT_EQ(SimplifiedIndices(x.data(), y.data(), 5, 0).size(), 5u);
}
