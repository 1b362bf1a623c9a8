#pragma once

// Filling the line series of every chart of the program (the processing
// page, the run window, the model and response charts, the large plot).
//
// A series is filled in one go: its points are built in a list and handed
// over with QXYSeries::replace(), which redraws once instead of once per
// point. Long series are thinned for display (see data/SeriesThinning.h):
// each of DisplayColumns runs of samples keeps its smallest and largest
// value, so the drawn envelope is that of the full series. Thin only what is
// drawn; statistics and the store always use every sample.

#include <QList>
#include <QPointF>

class QLineSeries;

// Pixel columns a series is thinned to: more than any of the program's
// charts is wide, also when exported at twice its size. Series of up to
// twice as many samples are drawn whole.
constexpr int DisplayColumns = 1000;

// The points (x[i], y[i]), i = 0..count-1, thinned to `columns` pixel
// columns (0: not thinned). Points whose y is not finite are left out.
QList<QPointF> DisplayPoints(const double* x, const double* y, int count,
                             int columns = DisplayColumns);

// Replaces the series' points with DisplayPoints(x, y, count, columns).
void FillLineSeries(QLineSeries* series, const double* x, const double* y, int count,
                    int columns = DisplayColumns);

// Replaces the series' points with those of SimplifiedIndices: for smooth
// curves of many samples, drawn within `tolerance` (in y units).
void FillSmoothLineSeries(QLineSeries* series, const double* x, const double* y, int count,
                          double tolerance);

// The same for samples first..last (1-based sample numbers) of two store
// arrays, usually Time and a signal; nothing when last < first. Sample
// numbers outside 1..MaxSamples are left out.
void FillLineSeriesFromSamples(QLineSeries* series, const double* time, const double* signal,
                               int first, int last, int columns = DisplayColumns);
