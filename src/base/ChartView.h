#pragma once

// A chart view that reports double-clicks and right-clicks, plus the few
// helpers every chart of the program is built with: a chart with a title and
// value axes, and named line series on it.

#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QValueAxis>

class ClickableChartView : public QChartView {
    Q_OBJECT
public:
    // A chart titled `title` with a horizontal and a vertical value axis, no
    // legend, no drop shadow.
    explicit ClickableChartView(const QString& title, QWidget* parent = nullptr);

    // Adds a line series attached to both axes; `objectName` lets callers
    // and tests find it with findChild on the chart.
    QLineSeries* AddLineSeries(const QString& objectName, const QString& title, const QColor& color,
                               Qt::PenStyle style = Qt::SolidLine);

    QValueAxis* AxisX() const { return axisX_; }
    QValueAxis* AxisY() const { return axisY_; }

signals:
    void DoubleClicked();
    void RightClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QValueAxis* axisX_;
    QValueAxis* axisY_;
};
