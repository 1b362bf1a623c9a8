#include "experiment/LiveChart.h"

#include "data/ChartStyle.h"
#include "data/SeriesThinning.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <vector>

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
    Step(time, value, false, false);
}

void LiveChart::DropFirst()
{
    if (samples_.empty())
        return;
    Drop();
    Redraw();
    ApplyRanges();
}

void LiveChart::Step(double time, double value, bool dropBefore, bool dropAfter, bool draw)
{
    if (dropBefore)
        Drop();
    // A value that is not finite (a server may deliver one) is kept in the
    // store but not drawn.
    samples_.emplace_back(time, value);
    ExtendValueRange(value);
    if (dropAfter)
        Drop();
    if (draw)
        Draw();
}

void LiveChart::Draw()
{
    Redraw();
    ApplyRanges();
}

void LiveChart::Drop()
{
    if (samples_.empty())
        return;
    const double y = samples_.front().y();
    samples_.pop_front();
    if (!(y > low_ && y < high_))
        RecomputeValueRange();
}

void LiveChart::Redraw()
{
    // The finite samples, thinned to what the plot's pixel columns show.
    std::vector<int> finite;
    std::vector<double> values;
    finite.reserve(samples_.size());
    values.reserve(samples_.size());
    for (std::size_t i = 0; i < samples_.size(); ++i)
        if (std::isfinite(samples_[i].y())) {
            finite.push_back(static_cast<int>(i));
            values.push_back(samples_[i].y());
        }
    // A column of two pixels is as fine as a line of samples is seen.
    const int width = static_cast<int>(chart()->plotArea().width());
    const int columns = (width > 100 ? width : 800) / 2;
    const std::vector<int> kept =
        ThinnedIndices(values.data(), static_cast<int>(values.size()), columns);
    // Thinned, the stairs' corners are finer than a column: not drawn.
    const bool corners = style_ == Style::Stairs && kept.size() == values.size();
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(kept.size()) * 2);
    for (const int k : kept) {
        const QPointF& point =
            samples_[static_cast<std::size_t>(finite[static_cast<std::size_t>(k)])];
        // The first sample drawn has no corner: the value before it is gone.
        if (corners && !points.isEmpty())
            points.append(QPointF(point.x(), points.constLast().y()));
        points.append(point);
    }
    series_->replace(points);
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
    for (const QPointF& sample : samples_)
        ExtendValueRange(sample.y());
}

void LiveChart::ApplyRanges()
{
    if (samples_.empty()) {
        SetAxisRange(axisX_, 0, 1);
        SetAxisRange(axisY_, 0, 1);
        return;
    }
    const double first = samples_.front().x();
    const double last = samples_.back().x();
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
