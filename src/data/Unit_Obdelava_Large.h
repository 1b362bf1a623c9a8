#pragma once

// The large plot of one processed signal over the experiment window. One
// window for the whole run; every fill replaces its content. Closing it only
// hides it. Its chart (LargeSignalChart) also draws without the window, for
// the report's pictures.

#include "data/ProcessedSignals.h"

#include <QChart>
#include <QDialog>

class QChartView;
class QLineSeries;
class QValueAxis;

class LargeSignalChart : public QChart {
    Q_OBJECT
public:
    LargeSignalChart();

    // The size of the chart in its window [pixels].
    static constexpr int Width = 577;
    static constexpr int Height = 409;
    // Background gradient (red in the low byte).
    static constexpr unsigned GradientStart = 0xFFE8BF;
    static constexpr unsigned GradientEnd = 0xFF9D3C;

    // Sets the title and draws (time[i], signal[i]) for the samples
    // start..end (1-based sample numbers, thinned for display) in blue; the
    // left axis runs from min - 0.1*R to max + 0.1*R with (max, min) from
    // MinMax over start..end and R = max - min, or 1 when R = 0. The bottom
    // axis spans the drawn times.
    void ShowLargeSignal(const double* time, const double* signal, int start, const QString& title,
                         int end);

    // The large plot of a processed signal over the window start..end with
    // the signal's title.
    void ShowSignal(const Podatki& store, ProcessedSignal signal, int start, int end);

    // The background gradient (white to white for an exported picture) and
    // back to the window's own.
    void SetGradient(const QColor& start, const QColor& end);
    void RestoreGradient();

    QLineSeries* Series() const { return series_; }
    QValueAxis* BottomAxis() const { return bottomAxis_; }
    QValueAxis* LeftAxis() const { return leftAxis_; }

private:
    QLineSeries* series_ = nullptr;
    QValueAxis* bottomAxis_ = nullptr;
    QValueAxis* leftAxis_ = nullptr;
};

class TForm_Obdelava_Large : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Obdelava_Large(QWidget* parent = nullptr);

    static constexpr unsigned GradientStart = LargeSignalChart::GradientStart;
    static constexpr unsigned GradientEnd = LargeSignalChart::GradientEnd;

    // The fills and gradients of the window's chart (see LargeSignalChart).
    void ShowLargeSignal(const double* time, const double* signal, int start, const QString& title,
                         int end);
    void ShowSignal(const Podatki& store, ProcessedSignal signal, int start, int end);
    void SetGradient(const QColor& start, const QColor& end);
    void RestoreGradient();

    QChartView* ChartView() const { return Chart_Signal; }
    LargeSignalChart* Chart() const { return chart_; }
    QLineSeries* Series() const;
    QValueAxis* BottomAxis() const;
    QValueAxis* LeftAxis() const;

private:
    QChartView* Chart_Signal = nullptr;
    LargeSignalChart* chart_ = nullptr;
};
