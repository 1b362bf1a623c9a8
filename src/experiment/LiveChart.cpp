#include "experiment/LiveChart.h"

#include "data/AxisScale.h"
#include "data/ChartStyle.h"
#include "data/SeriesThinning.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
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
    // The chart's items move on every sample: an index of their positions
    // would be rebuilt all the time for nothing.
    scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    setMinimumHeight(110);
    ResetLabelRoom();
    ApplyRanges();
}

void LiveChart::SetColor(const QColor& color)
{
    // A one-pixel line, as on a chart recorder: a wider one is stroked as an
    // outline of joined segments, a large part of what a redraw costs.
    QPen pen(color);
    pen.setWidth(1);
    series_->setPen(pen);
}

void LiveChart::Clear()
{
    series_->clear();
    samples_.clear();
    haveRange_ = false;
    ResetLabelRoom();
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
        SetScales(NiceAxisScale(0, 1), NiceAxisScale(0, 1));
        return;
    }
    const double first = samples_.front().x();
    const double last = samples_.back().x();
    const AxisScale time = NiceAxisScale(first, last > first ? last : first + 1);
    if (!haveRange_) {
        SetScales(time, NiceAxisScale(0, 1));
        return;
    }
    const double margin = high_ > low_ ? 0.05 * (high_ - low_) : 1.0;
    SetScales(time, NiceAxisScale(low_ - margin, high_ + margin));
}

namespace {

// Labels the plot keeps room for from the start: those of most process
// values and of a run's time fit, so a run's first minutes do not widen the
// room label by label, and the four charts of the run window line up.
const char* const RoomyValueLabel = "-888.88";
const char* const RoomyTimeLabel = "8888";

// The width of the widest label the axis draws now [px], as the chart
// writes its labels (the axis' "%.6g" in the chart's locale).
double WidestLabel(const QValueAxis* axis, const QLocale& locale)
{
    const AxisScale scale{axis->min(), axis->max(), axis->tickAnchor(), axis->tickInterval()};
    const QFontMetricsF metrics(axis->labelsFont());
    double widest = 0;
    const int ticks = AxisTickCount(scale);
    for (int i = 0; i < ticks; ++i) {
        const QString label = locale.toString(scale.Anchor + i * scale.Step, 'g', 6);
        widest = std::max(widest, metrics.horizontalAdvance(label));
    }
    return widest;
}

} // namespace

void LiveChart::SetScales(const AxisScale& time, const AxisScale& value)
{
    ApplyAxisScale(axisX_, time);
    ApplyAxisScale(axisY_, value);
    const double valueLabels = WidestLabel(axisY_, chart()->locale());
    const double timeLabels = WidestLabel(axisX_, chart()->locale());
    if (valueLabels > valueLabelRoom_ || timeLabels > timeLabelRoom_) {
        valueLabelRoom_ = std::max(valueLabelRoom_, valueLabels);
        timeLabelRoom_ = std::max(timeLabelRoom_, timeLabels);
        PlacePlotArea();
    }
}

void LiveChart::ResetLabelRoom()
{
    valueLabelRoom_ = QFontMetricsF(axisY_->labelsFont()).horizontalAdvance(QLatin1String(RoomyValueLabel));
    timeLabelRoom_ = QFontMetricsF(axisX_->labelsFont()).horizontalAdvance(QLatin1String(RoomyTimeLabel));
}

void LiveChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    PlacePlotArea();
}

void LiveChart::PlacePlotArea()
{
    // The chart lays itself out for its size and present labels (a chart
    // with a plot area of its own does not place its title and background),
    // and the plot area it chose is narrowed by the room kept beyond the
    // present labels: the value labels left of the plot, half of the last
    // time label right of it.
    chart()->setPlotArea(QRectF());
    chart()->layout()->invalidate();
    chart()->layout()->activate();
    const QRectF automatic = chart()->plotArea();
    const double valueSpare =
        std::max(0.0, valueLabelRoom_ - WidestLabel(axisY_, chart()->locale()));
    const double timeSpare =
        std::max(0.0, timeLabelRoom_ - WidestLabel(axisX_, chart()->locale())) / 2;
    const double left = automatic.left() + valueSpare;
    const double right = std::max(left + 1, automatic.right() - timeSpare);
    chart()->setPlotArea(QRectF(QPointF(left, automatic.top()),
                                QPointF(right, std::max(automatic.top() + 1, automatic.bottom()))));
}

QColor WindowsColor(unsigned bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
