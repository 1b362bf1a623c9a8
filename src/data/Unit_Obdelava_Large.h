#pragma once

// The large plot of one processed signal over the experiment window. One
// window for the whole run; every fill replaces its content. Closing it only
// hides it.

#include "data/ProcessedSignals.h"

#include <QDialog>

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

class TForm_Obdelava_Large : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Obdelava_Large(QWidget* parent = nullptr);

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

    QChartView* ChartView() const { return Chart_Signal; }
    QChart* Chart() const;
    QLineSeries* Series() const { return series_; }
    QValueAxis* BottomAxis() const { return bottomAxis_; }
    QValueAxis* LeftAxis() const { return leftAxis_; }

private:
    QChartView* Chart_Signal = nullptr;
    QLineSeries* series_ = nullptr;
    QValueAxis* bottomAxis_ = nullptr;
    QValueAxis* leftAxis_ = nullptr;
};
