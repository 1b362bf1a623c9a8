#pragma once

// The range and the labelled ticks of a chart axis, computed apart from any
// chart. Every axis of the program gets its ticks from here, so that any
// data, from a zero-width range to values of 1e300, gives a bounded number of
// ticks at round values: a chart draws its ticks by stepping from the first
// one to the end of the range, so a step that is tiny against the range (or
// below the resolution of the numbers) would never end.

struct AxisScale {
    double Min = 0;
    double Max = 1;
    double Anchor = 0; // a tick: the first multiple of Step at or above Min
    double Step = 0.2; // 1, 2, 2.5 or 5 times a power of ten
};

// At most this many ticks lie in any scale made here.
inline constexpr int MaxAxisTicks = 21;

// min..max labelled at about `labels` round values. Non-finite bounds are
// replaced by the other bound (by 0..1 when neither is finite), bounds are
// kept within ±1e300, and a range too narrow for its magnitude to be labelled
// is widened about its middle: a zero-width range by ±1 (or by a part in 1e9
// of the value when ±1 cannot be told from it).
AxisScale NiceAxisScale(double min, double max, int labels = 6);

// min..max with ticks every `step` from `anchor`, as a caller that has its own
// label step asks for it; when that step would give more than MaxAxisTicks
// ticks, or is not a usable number, the scale of NiceAxisScale instead.
AxisScale AxisScaleWithStep(double min, double max, double anchor, double step);

// The number of ticks of a scale within its range.
int AxisTickCount(const AxisScale& scale);
