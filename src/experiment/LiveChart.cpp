#include "experiment/LiveChart.h"

#include "data/ChartStyle.h"

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
    LocalizeNumbers(chart);
    chart->legend()->hide();
    chart->setDropShadowEnabled(false);
    chart->addSeries(series_);
    // Values of any size keep short labels.
    axisX_->setLabelFormat(QStringLiteral("%.6g"));
    axisY_->setLabelFormat(QStringLiteral("%.6g"));
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
    samples_.clear();
    haveRange_ = false;
    ApplyRanges();
}

void LiveChart::Append(double time, double value)
{
    Sample sample{QPointF(time, value), 0};
    // A value that is not finite (a server may deliver one) is kept in the
    // store but not drawn.
    if (std::isfinite(value)) {
        const int drawn = series_->count();
        if (style_ == Style::Stairs && drawn > 0) {
            series_->append(time, series_->at(drawn - 1).y());
            ++sample.Drawn;
        }
        series_->append(time, value);
        ++sample.Drawn;
    }
    samples_.push_back(sample);
    ExtendValueRange(value);
    ApplyRanges();
}

void LiveChart::DropFirst()
{
    if (samples_.empty())
        return;
    const Sample dropped = samples_.front();
    samples_.pop_front();
    int remove = dropped.Drawn;
    // The next sample's corner belongs to the dropped value, so the series
    // starts at that sample's own value.
    if (!samples_.empty() && samples_.front().Drawn == 2) {
        samples_.front().Drawn = 1;
        ++remove;
    }
    if (remove > 0)
        series_->removePoints(0, remove);
    const double y = dropped.Point.y();
    if (!(y > low_ && y < high_))
        RecomputeValueRange();
    ApplyRanges();
}

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
    for (const Sample& sample : samples_)
        ExtendValueRange(sample.Point.y());
}

void LiveChart::ApplyRanges()
{
    if (samples_.empty()) {
        SetAxisRange(axisX_, 0, 1);
        SetAxisRange(axisY_, 0, 1);
        return;
    }
    const double first = samples_.front().Point.x();
    const double last = samples_.back().Point.x();
    SetAxisRange(axisX_, first, last > first ? last : first + 1);
    if (!haveRange_) {
        SetAxisRange(axisY_, 0, 1);
        return;
    }
    const double margin = high_ > low_ ? 0.05 * (high_ - low_) : 1.0;
    SetAxisRange(axisY_, low_ - margin, high_ + margin);
}

QColor WindowsColor(unsigned bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
