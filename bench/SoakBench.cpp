// The soak of the fastest experiment, 5000 samples at 0.05 s (250 s) through
// the run window with its live charts, offscreen: prints the tick times
// (median, 99th percentile, maximum; wall clock and the thread's CPU time)
// and the resident size after the first 500 samples and at the end, against
// the limits (20 % of the sampling period, growth below 5 MB).
//
//   bench_soak [SECONDS]   (250 by default: the whole run)

#include "SoakRun.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 250.0;
    const SoakFigures f = RunSoak(seconds, 500);
    const double limit = SoakTickShare * f.PeriodMs;
    std::printf("samples %d at %.0f ms, %.0f s\n", f.Samples, f.PeriodMs, seconds);
    std::printf("tick wall ms: median %.3f  p99 %.3f  max %.3f  (limit %.1f)\n", f.WallMedian,
                f.WallP99, f.WallMax, limit);
    std::printf("tick cpu  ms: median %.3f  p99 %.3f  max %.3f  (limit %.1f)\n", f.CpuMedian,
                f.CpuP99, f.CpuMax, limit);
    std::printf("resident MB: %.1f after sample %d, %.1f at the end, growth %.2f (limit %.1f)\n",
                f.BaselineRssMb, f.BaselineSample, f.FinalRssMb, f.RssGrowthMb(), SoakRssGrowthMb);
    const bool kept = f.WallMedian < limit && f.WallP99 < limit && f.WallMax < limit &&
                      f.RssGrowthMb() < SoakRssGrowthMb;
    std::printf("%s\n", kept ? "within the limits" : "OUTSIDE the limits");
    return kept ? 0 : 1;
}
