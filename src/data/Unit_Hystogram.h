#pragma once

// The histogram of one processed signal over the experiment window: 20 bars
// standing at the lower edges of their bins. One window for the whole run;
// every fill replaces its content. Closing it only hides it. Its chart
// (HistogramChart) also draws without the window, for the report's pictures.

#include "data/ProcessedSignals.h"

#include <QChart>
#include <QDialog>

class QAreaSeries;
class QChartView;
class QLineSeries;
class QValueAxis;

class HistogramChart : public QChart {
    Q_OBJECT
public:
    HistogramChart();

    // The size of the chart in its window [pixels].
    static constexpr int Width = 400;
    static constexpr int Height = 250;

    // Background gradient white -> GradientEnd (red in the low byte).
    static constexpr unsigned GradientStart = 0xFFFFFF;
    static constexpr unsigned GradientEnd = 0xFFB00D;

    // Sets the title, replaces the bars by those of bins firstBin..lastBin
    // (1..20): bar k at x = edges[k-1], height counts[k-1], blue. With
    // max != min the bottom axis labels every 0.1*(max - min), one label
    // every two bins, starting at min; otherwise its labelling stays as it
    // was and the one bar is shown around its value.
    void ShowHistogram(const double* edges, const double* counts, int firstBin,
                       const QString& title, double max, double min, int lastBin);

    // The histogram of a processed signal over the window start..end, as a
    // chart of the processing page and the report show it: Histogram20 fills
    // the store's HistogramEdges and HistogramCounts, then ShowHistogram with
    // all 20 bins and the signal's title.
    void ShowSignalHistogram(Podatki& store, ProcessedSignal signal, int start, int end);

    // The background gradient (white to white for an exported picture) and
    // back to the window's own.
    void SetGradient(const QColor& start, const QColor& end);
    void RestoreGradient();

    QLineSeries* Bars() const { return barOutline_; } // four corners per bar
    QAreaSeries* BarArea() const { return bars_; }
    QValueAxis* BottomAxis() const { return bottomAxis_; }
    QValueAxis* LeftAxis() const { return leftAxis_; }

private:
    QAreaSeries* bars_ = nullptr;
    QLineSeries* barOutline_ = nullptr;
    QValueAxis* bottomAxis_ = nullptr;
    QValueAxis* leftAxis_ = nullptr;
    // The label increment of the bottom axis, 0.1 of the spread of the last
    // histogram that had one (0 until then); a histogram without spread
    // keeps it.
    double labelStep_ = 0;
    double labelAnchor_ = 0;
};

class TForm_Histogram : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Histogram(QWidget* parent = nullptr);

    static constexpr unsigned GradientStart = HistogramChart::GradientStart;
    static constexpr unsigned GradientEnd = HistogramChart::GradientEnd;

    // The fills and gradients of the window's chart (see HistogramChart).
    void ShowHistogram(const double* edges, const double* counts, int firstBin,
                       const QString& title, double max, double min, int lastBin);
    void ShowSignalHistogram(Podatki& store, ProcessedSignal signal, int start, int end);
    void SetGradient(const QColor& start, const QColor& end);
    void RestoreGradient();

    QChartView* ChartView() const { return Chart_Histogram; }
    HistogramChart* Chart() const { return chart_; }
    QLineSeries* Bars() const;
    QAreaSeries* BarArea() const;
    QValueAxis* BottomAxis() const;
    QValueAxis* LeftAxis() const;

private:
    QChartView* Chart_Histogram = nullptr;
    HistogramChart* chart_ = nullptr;
};
