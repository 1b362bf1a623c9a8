#include "data/ChartSeries.h"

#include "data/Podatki.h"
#include "data/SeriesThinning.h"

#include <QLineSeries>

#include <algorithm>

namespace {

QList<QPointF> PointsAt(const double* x, const double* y, const std::vector<int>& kept)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(kept.size()));
    for (const int i : kept)
        points.append(QPointF(x[i], y[i]));
    return points;
}

} // namespace

QList<QPointF> DisplayPoints(const double* x, const double* y, int count, int columns)
{
    return PointsAt(x, y, ThinnedIndices(y, count, columns));
}

void FillLineSeries(QLineSeries* series, const double* x, const double* y, int count, int columns)
{
    series->replace(DisplayPoints(x, y, count, columns));
}

void FillSmoothLineSeries(QLineSeries* series, const double* x, const double* y, int count,
                          double tolerance)
{
    series->replace(PointsAt(x, y, SimplifiedIndices(x, y, count, tolerance)));
}

void FillLineSeriesFromSamples(QLineSeries* series, const double* time, const double* signal,
                               int first, int last, int columns)
{
    first = std::max(first, 1);
    last = std::min(last, Podatki::MaxSamples);
    const int count = last - first + 1;
    if (count <= 0) {
        series->replace(QList<QPointF>());
        return;
    }
    FillLineSeries(series, time + (first - 1), signal + (first - 1), count, columns);
}
