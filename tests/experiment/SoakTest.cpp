// The soak of the fastest experiment, 20 s of it (bench_soak runs all 250 s)
// with the charts full: 4200 samples (210 s) are taken first without
// waiting, then each tick with what it paints stays under 20 % of the 0.05 s
// sampling period, and the resident size stays flat from sample 500 on. The limits hold the
// thread's CPU time, which other programs on the machine do not inflate; the wall-clock times are
// printed beside them.

#include "SoakRun.h"

#include "experiment/LiveChart.h"

#include <QLineSeries>

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

TEST(Soak, TwentySecondsOfTheFastestExperimentKeepTheLimits)
{
    const SoakFigures f = RunSoak(20, 500, 4200);
    const double limit = SoakTickShare * f.PeriodMs;
    std::printf("tick wall ms: median %.3f p99 %.3f max %.3f; cpu ms: median %.3f p99 %.3f max "
                "%.3f; resident MB %.1f -> %.1f\n",
                f.WallMedian, f.WallP99, f.WallMax, f.CpuMedian, f.CpuP99, f.CpuMax,
                f.BaselineRssMb, f.FinalRssMb);
    EXPECT_GT(f.Samples, 4300);
    EXPECT_LT(f.CpuMedian, limit);
    EXPECT_LT(f.CpuP99, limit);
    EXPECT_LT(f.CpuMax, limit);
    EXPECT_GT(f.BaselineRssMb, 0);
    EXPECT_LT(f.RssGrowthMb(), SoakRssGrowthMb);
}

TEST(LiveChart, ALongRunIsDrawnThinnedKeepingItsPeaks)
{
    LiveChart chart(QStringLiteral("Chart"), QStringLiteral("Series"), QStringLiteral("t"),
                    LiveChart::Style::Stairs);
    chart.resize(700, 200);
    for (int i = 0; i < 1200; ++i)
        chart.Step(0.05 * i, i == 1100 ? 90.0 : (i == 777 ? -40.0 : std::sin(0.01 * i)), false,
                   false);
    EXPECT_EQ(chart.Count(), 1200);
    const QList<QPointF> drawn = chart.Series()->points();
    EXPECT_LE(drawn.size(), 900);
    double low = 0, high = 0;
    for (const QPointF& p : drawn) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    EXPECT_EQ(low, -40.0);
    EXPECT_EQ(high, 90.0);
}
