#include "base/ChartView.h"

#include "data/ChartStyle.h"

#include <QLegend>
#include <QMouseEvent>
#include <QPen>
#include <QValueAxis>

LineChart::LineChart(const QString& title) : axisX_(new QValueAxis), axisY_(new QValueAxis)
{
    QChart* c = this;
    c->setTitle(title);
    LocalizeNumbers(c);
    c->legend()->hide();
    c->setDropShadowEnabled(false);
    c->setBackgroundRoundness(0);
    c->setMargins(QMargins(4, 4, 4, 4));
    c->addAxis(axisX_, Qt::AlignBottom);
    c->addAxis(axisY_, Qt::AlignLeft);
    // The precision is spelt out: localized labels need one.
    axisX_->setLabelFormat(QStringLiteral("%.6g"));
    axisY_->setLabelFormat(QStringLiteral("%.6g"));
}

ClickableChartView::ClickableChartView(const QString& title, QWidget* parent)
    : ClickableChartView(new LineChart(title), parent)
{
}

ClickableChartView::ClickableChartView(LineChart* chart, QWidget* parent)
    : QChartView(chart, parent), chart_(chart)
{
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(200, 150);
}

QLineSeries* LineChart::AddLineSeries(const QString& objectName, const QString& title,
                                      const QColor& color, Qt::PenStyle style)
{
    auto* series = new QLineSeries;
    series->setObjectName(objectName);
    series->setName(title);
    addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
    QPen pen(color);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    series->setPen(pen);
    return series;
}

void ClickableChartView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit DoubleClicked();
    QChartView::mouseDoubleClickEvent(event);
}

void ClickableChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit RightClicked();
    QChartView::mousePressEvent(event);
}
