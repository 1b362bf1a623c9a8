#pragma once

// A chart view that reports double-clicks and right-clicks, plus the few
// helpers every chart of the program is built with: a chart with a title and
// value axes, and named line series on it. The chart (LineChart) also draws
// without a view, for the report's pictures.

#include <QChart>
#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QValueAxis>

class LineChart : public QChart {
    Q_OBJECT
public:
    // A chart titled `title` with a horizontal and a vertical value axis, no
    // legend, no drop shadow.
    explicit LineChart(const QString& title);

    // Adds a line series attached to both axes; `objectName` lets callers
    // and tests find it with findChild on the chart.
    QLineSeries* AddLineSeries(const QString& objectName, const QString& title, const QColor& color,
                               Qt::PenStyle style = Qt::SolidLine);

    QValueAxis* AxisX() const { return axisX_; }
    QValueAxis* AxisY() const { return axisY_; }

private:
    QValueAxis* axisX_;
    QValueAxis* axisY_;
};

class ClickableChartView : public QChartView {
    Q_OBJECT
public:
    // A view of a new LineChart titled `title`.
    explicit ClickableChartView(const QString& title, QWidget* parent = nullptr);
    // A view of `chart`, which it takes over.
    explicit ClickableChartView(LineChart* chart, QWidget* parent = nullptr);

    QLineSeries* AddLineSeries(const QString& objectName, const QString& title, const QColor& color,
                               Qt::PenStyle style = Qt::SolidLine)
    {
        return chart_->AddLineSeries(objectName, title, color, style);
    }
    LineChart* Chart() const { return chart_; }
    QValueAxis* AxisX() const { return chart_->AxisX(); }
    QValueAxis* AxisY() const { return chart_->AxisY(); }

signals:
    void DoubleClicked();
    void RightClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    LineChart* chart_;
};
