#pragma once

// The soak of the fastest experiment: a manual trial at the shortest
// sampling period (0.05 s) on the process simulation, through the run window
// with its live charts and its journal, sampled by a timer in real time as
// the window samples. Each tick is timed with the repaint it causes (what a
// shown window costs per sample): wall-clock time, and the thread's CPU
// time, which other programs on a shared machine do not inflate. The
// resident size is read after the first samples and at the end.

#include <vector>

struct SoakFigures {
    int Samples = 0;
    double PeriodMs = 0;
    // Tick times [ms]: median, 99th percentile and maximum.
    double WallMedian = 0, WallP99 = 0, WallMax = 0;
    double CpuMedian = 0, CpuP99 = 0, CpuMax = 0;
    int BaselineSample = 0;   // the sample after which the resident size is the baseline
    double BaselineRssMb = 0; // resident size then [MB]
    double FinalRssMb = 0;    // at the end [MB]
    double RssGrowthMb() const { return FinalRssMb - BaselineRssMb; }
};

// Runs the soak for `seconds` of real time (250 s: the whole run of 5000
// samples, which ends at 4999), with the resident-size baseline after
// `baselineSample` samples. The first `fastForward` samples are taken one
// after the other, untimed, so that a short soak meets the charts full (200 s
// of samples). Needs a QApplication.
SoakFigures RunSoak(double seconds, int baselineSample, int fastForward = 0);

// The limits the soak must keep: every tick figure under 20 % of the
// sampling period, the resident size grown by less than 5 MB.
constexpr double SoakTickShare = 0.20;
constexpr double SoakRssGrowthMb = 5.0;
