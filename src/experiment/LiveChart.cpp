#include "experiment/LiveChart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

LiveChart::LiveChart(const QString& objectName, const QString& seriesName, const QString& title,
                     Style style, QWidget* parent)
    : QChartView(parent), style_(style), series_(new QLineSeries), axisX_(new QValueAxis),
      axisY_(new QValueAxis)
{
    setObjectName(objectName);
    series_->setObjectName(seriesName);
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setDropShadowEnabled(false);
    chart->addSeries(series_);
    chart->addAxis(axisX_, Qt::AlignBottom);
    chart->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    setChart(chart);
    setMinimumHeight(110);
    ApplyRanges();
}

void LiveChart::SetColor(const QColor& color)
{
    series_->setColor(color);
}

void LiveChart::Clear()
{
    series_->clear();
    points_.clear();
    haveRange_ = false;
    ApplyRanges();
}

void LiveChart::Append(double time, double value)
{
    if (style_ == Style::Stairs && !points_.empty())
        series_->append(time, points_.back().y());
    series_->append(time, value);
    points_.emplace_back(time, value);
    ExtendValueRange(value);
    ApplyRanges();
}

void LiveChart::DropFirst()
{
    if (points_.empty())
        return;
    const double dropped = points_.front().y();
    points_.pop_front();
    // The next sample's corner goes with the dropped one, so the series
    // starts at that sample's own value.
    const int drawn = style_ == Style::Stairs && !points_.empty() ? 2 : 1;
    series_->removePoints(0, drawn);
    if (!(dropped > low_ && dropped < high_))
        RecomputeValueRange();
    ApplyRanges();
}

// A value a server delivered as inf or NaN is drawn where it can be but
// does not take part in the axis range.
void LiveChart::ExtendValueRange(double value)
{
    if (!std::isfinite(value))
        return;
    low_ = haveRange_ ? std::min(low_, value) : value;
    high_ = haveRange_ ? std::max(high_, value) : value;
    haveRange_ = true;
}

void LiveChart::RecomputeValueRange()
{
    haveRange_ = false;
    for (const QPointF& point : points_)
        ExtendValueRange(point.y());
}

void LiveChart::ApplyRanges()
{
    if (points_.empty()) {
        axisX_->setRange(0, 1);
        axisY_->setRange(0, 1);
        return;
    }
    const double first = points_.front().x();
    const double last = points_.back().x();
    axisX_->setRange(first, last > first ? last : first + 1);
    if (!haveRange_) {
        axisY_->setRange(0, 1);
        return;
    }
    const double margin = high_ > low_ ? 0.05 * (high_ - low_) : 1.0;
    axisY_->setRange(low_ - margin, high_ + margin);
}

QColor WindowsColor(unsigned bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
