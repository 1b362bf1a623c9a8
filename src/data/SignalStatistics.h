#pragma once

// What the processing page and the large plot show of one signal over the
// experiment window, computed apart from any chart: maximum, minimum,
// standard deviation and the vertical axis range.

struct SignalStatistics {
    double Max = 0;
    double Min = 0;
    double Std = 0;     // square root of SampleVariance
    double AxisMin = 0; // Min - 0.1*R, R = Max - Min or 1 when they are equal
    double AxisMax = 0; // Max + 0.1*R
};

// Statistics of signal[start-1 .. end-1] (sample numbers start..end of a
// store array). A window of fewer than two samples gives maximum, minimum and
// deviation 0 and the axis -0.1..0.1, whatever the sample values. Sample
// numbers outside 1..MaxSamples are left out.
SignalStatistics ComputeSignalStatistics(const double* signal, int start, int end);

// The vertical axis for values between min and max: 10 % of the spread
// (or of 1 when there is none) beyond each end.
void AxisRange(double max, double min, double& axisMin, double& axisMax);
