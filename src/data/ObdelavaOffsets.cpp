#include "data/ObdelavaClass.h"

#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <cmath>

// The initial steady period is the run of samples at the window's start in
// which MV stays within half a percent of its range of its first value; the
// signals are measured from their mean over that period.
void TObdelava::RemoveInitialOffsets(int start, int end)
{
    Podatki& s = store_;
    if (start < 1 || end < start || end > Podatki::MaxSamples)
        return;
    const int n = end - start + 1;
    auto mv = [&s](int i) { return Sample(s.ProcessedMV, i); };

    double max = 0, min = 0;
    MinMax(s.ProcessedMV.data(), max, min, start, end);
    const double band = 0.005 * (max - min);

    // Samples start .. start+m-1 form the period. When MV moves between the
    // first two samples the first sample is the period; otherwise the period
    // ends two samples before the first MV sample that leaves the band, and
    // at most e-s-2 samples long (the limit is tested first, so no sample
    // past the window is read).
    int m = 1;
    if (n >= 2 && !(std::fabs(mv(start + 1) - mv(start)) > band)) {
        while (m < end - start - 2 && !(std::fabs(mv(start + m + 1) - mv(start)) > band))
            ++m;
    }
    // Each mean as the first sample plus the mean deviation from it: exact
    // when the signal is constant over the period, so that a constant signal
    // leaves exactly zero (a plain sum / m can miss by a rounding step and
    // leave a tiny constant that the identification would fit as a signal).
    auto initialMean = [&](const Podatki::Signal& x) {
        const double first = Sample(x, start);
        double deviation = 0;
        for (int i = start; i < start + m; ++i)
            deviation += Sample(x, i) - first;
        return first + deviation / m;
    };
    const double meanU = initialMean(s.ProcessedU);
    const double meanY1 = initialMean(s.ProcessedY1);
    const double meanY2 = initialMean(s.ProcessedY2);

    for (int i = 1; i <= n; ++i) {
        const int k = start + i - 1;
        Sample(s.IdentU, i) = Sample(s.ProcessedU, k) - meanU;
        Sample(s.IdentY1, i) = Sample(s.ProcessedY1, k) - meanY1;
        Sample(s.IdentY2, i) = Sample(s.ProcessedY2, k) - meanY2;
        Sample(s.IdentTime, i) = Sample(s.Time, k) - Sample(s.Time, start);
    }
}
