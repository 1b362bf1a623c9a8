#include "data/SignalStatistics.h"

#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <algorithm>
#include <cmath>

void AxisRange(double max, double min, double& axisMin, double& axisMax)
{
    const double range = (max == min) ? 1.0 : max - min;
    axisMin = min - 0.1 * range;
    axisMax = max + 0.1 * range;
}

SignalStatistics ComputeSignalStatistics(const double* signal, int start, int end)
{
    start = std::max(start, 1);
    end = std::min(end, Podatki::MaxSamples);
    SignalStatistics s;
    MinMax(signal, s.Max, s.Min, start, end);
    s.Std = std::sqrt(std::max(0.0, SampleVariance(signal, start, end)));
    AxisRange(s.Max, s.Min, s.AxisMin, s.AxisMax);
    return s;
}
