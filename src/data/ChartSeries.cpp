#include "data/ChartSeries.h"

#include "data/Podatki.h"
#include "data/SeriesThinning.h"

#include <QLineSeries>

#include <algorithm>

QList<QPointF> DisplayPoints(const double* x, const double* y, int count, int columns)
{
    const std::vector<int> kept = ThinnedIndices(y, count, columns);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(kept.size()));
    for (const int i : kept)
        points.append(QPointF(x[i], y[i]));
    return points;
}

void FillLineSeries(QLineSeries* series, const double* x, const double* y, int count, int columns)
{
    series->replace(DisplayPoints(x, y, count, columns));
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
