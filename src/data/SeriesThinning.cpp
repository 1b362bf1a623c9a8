#include "data/SeriesThinning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

std::vector<int> ThinnedIndices(const double* y, int count, int columns)
{
    std::vector<int> kept;
    if (count <= 0)
        return kept;
    if (columns <= 0 || count <= 2 * columns) {
        kept.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            if (std::isfinite(y[i]))
                kept.push_back(i);
        return kept;
    }
    kept.reserve(2 * static_cast<std::size_t>(columns) + 2);
    const auto keep = [&kept](int i) {
        if (kept.empty() || kept.back() < i)
            kept.push_back(i);
    };
    int first = 0;
    while (first < count && !std::isfinite(y[first]))
        ++first;
    if (first == count)
        return kept;
    keep(first);
    for (int b = 0; b < columns; ++b) {
        const int lo = static_cast<int>(std::int64_t(b) * count / columns);
        const int hi = static_cast<int>(std::int64_t(b + 1) * count / columns);
        int iMin = -1, iMax = -1;
        for (int i = lo; i < hi; ++i) {
            if (!std::isfinite(y[i]))
                continue;
            if (iMin < 0 || y[i] < y[iMin])
                iMin = i;
            if (iMax < 0 || y[i] > y[iMax])
                iMax = i;
        }
        if (iMin < 0)
            continue;
        keep(iMin < iMax ? iMin : iMax);
        keep(iMin < iMax ? iMax : iMin);
    }
    int last = count - 1;
    while (!std::isfinite(y[last]))
        --last;
    keep(last);
    return kept;
}

std::vector<int> SimplifiedIndices(const double* x, const double* y, int count, double tolerance)
{
    std::vector<int> kept;
    if (!(tolerance > 0))
        return ThinnedIndices(y, count, 0);
    // From the last kept sample (the anchor), the slopes of the segments that
    // pass within the tolerance of every sample so far form an interval; a
    // sample whose own slope leaves it ends the segment at the sample before.
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    int anchor = -1, previous = -1;
    double lo = -Infinity, hi = Infinity;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(y[i]))
            continue;
        if (anchor < 0) {
            anchor = previous = i;
            kept.push_back(i);
            continue;
        }
        double dx = x[i] - x[anchor];
        double slope = (y[i] - y[anchor]) / dx;
        if (!(slope >= lo && slope <= hi) && previous != anchor) {
            anchor = previous;
            kept.push_back(anchor);
            lo = -Infinity;
            hi = Infinity;
            dx = x[i] - x[anchor];
        }
        lo = std::max(lo, (y[i] - tolerance - y[anchor]) / dx);
        hi = std::min(hi, (y[i] + tolerance - y[anchor]) / dx);
        previous = i;
    }
    if (previous > anchor)
        kept.push_back(previous);
    return kept;
}
