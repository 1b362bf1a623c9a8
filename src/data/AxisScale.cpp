#include "data/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace {

// Beyond this the span of two bounds could overflow.
constexpr double Largest = 1e300;
// A range narrower than this part of its magnitude cannot be labelled: the
// ticks would differ in digits that the numbers do not hold.
constexpr double Resolution = 1e-9;
// Nor one narrower than this, near zero (steps of denormal numbers).
constexpr double Smallest = 1e-290;

double Finite(double value, double other)
{
    if (std::isfinite(value))
        return std::clamp(value, -Largest, Largest);
    return std::isfinite(other) ? std::clamp(other, -Largest, Largest) : 0.0;
}

// The smallest of 1, 2, 2.5, 5 and 10 times a power of ten that is at least x.
double NiceStep(double x)
{
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (mantissa * power >= x * (1 - 1e-12))
            return mantissa * power;
    }
    return 10 * power;
}

void Widen(double& min, double& max)
{
    const double magnitude = std::max(std::fabs(min), std::fabs(max));
    const double narrowest = std::max(magnitude * Resolution, Smallest);
    if (max - min > narrowest)
        return;
    const double middle = 0.5 * min + 0.5 * max;
    const double half = max == min ? std::max(1.0, narrowest) : narrowest;
    min = middle - half;
    max = middle + half;
}

} // namespace

AxisScale NiceAxisScale(double min, double max, int labels)
{
    min = Finite(min, max);
    max = Finite(max, min);
    if (max < min)
        std::swap(min, max);
    Widen(min, max);
    const double step = NiceStep((max - min) / std::clamp(labels, 1, MaxAxisTicks - 1));
    return {min, max, std::ceil(min / step) * step, step};
}

AxisScale AxisScaleWithStep(double min, double max, double anchor, double step)
{
    const AxisScale nice = NiceAxisScale(min, max);
    if (!(std::isfinite(step) && step > 0 && std::isfinite(anchor)))
        return nice;
    const double magnitude = std::max(std::fabs(nice.Min), std::fabs(nice.Max));
    const double stepsToMin = (anchor - nice.Min) / step;
    if (step < std::max(magnitude * Resolution, Smallest) || std::fabs(stepsToMin) > 1e12)
        return nice;
    AxisScale scale{nice.Min, nice.Max, anchor - std::floor(stepsToMin) * step, step};
    if (scale.Anchor < scale.Min)
        scale.Anchor += step;
    return AxisTickCount(scale) <= MaxAxisTicks ? scale : nice;
}

int AxisTickCount(const AxisScale& scale)
{
    if (!(scale.Step > 0))
        return 0;
    const double first = scale.Anchor - std::floor((scale.Anchor - scale.Min) / scale.Step) * scale.Step;
    const double count = std::floor((scale.Max - first) / scale.Step) + 1;
    return count > 1e6 ? 1000000 : static_cast<int>(std::max(count, 0.0));
}
