#pragma once

// One live signal chart of the run window: a titled chart with a time axis
// and a value axis and one series that grows by one point per sample. The
// oldest point can be dropped (the sliding window of a long run); the axes
// follow the points held.
//
// A stair-step series holds each value until the next sample: point i is
// drawn as the corner (t_i, v_{i-1}) followed by (t_i, v_i), so the series
// keeps 2n - 1 drawn points for n samples. Values that are not finite are
// counted as samples but not drawn. Beyond two samples per pixel column of
// the plot (a long run at a short sampling period) the series draws the
// smallest and largest sample of each column (ThinnedIndices): the same
// picture, at a cost that no longer grows with the samples held.
//
// The plot area is placed by the chart, not by Qt's layout: that follows the
// width of the axis labels, so every new label width (a value range with
// longer numbers, a new time step) laid the whole chart out again, and such
// a tick cost up to ten times an ordinary one. Room is kept for common labels
// from the start and only grows while the chart is in use, so the plot stands
// still.

#include <QChartView>
#include <QColor>

#include <deque>

class QLineSeries;
class QValueAxis;
struct AxisScale;

class LiveChart : public QChartView {
    Q_OBJECT
public:
    enum class Style { Line, Stairs };

    // `objectName` names the view, `seriesName` the series.
    LiveChart(const QString& objectName, const QString& seriesName, const QString& title,
              Style style, QWidget* parent = nullptr);

    QLineSeries* Series() const { return series_; }
    QValueAxis* AxisX() const { return axisX_; }
    QValueAxis* AxisY() const { return axisY_; }

    void SetColor(const QColor& color);
    void Clear();
    void Append(double time, double value);
    // Drops the oldest sample; nothing when the chart is empty.
    void DropFirst();
    // One sample of a run: the oldest dropped before and / or after it is
    // appended, drawn once (or only held, for a later Draw, when `draw` is
    // false).
    void Step(double time, double value, bool dropBefore, bool dropAfter, bool draw = true);
    // Draws the samples held.
    void Draw();
    // Samples held (not drawn points).
    int Count() const { return static_cast<int>(samples_.size()); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ExtendValueRange(double value);
    void RecomputeValueRange();
    void ApplyRanges();
    void Drop();
    void Redraw();
    void SetScales(const AxisScale& time, const AxisScale& value);
    void ResetLabelRoom();
    void PlacePlotArea();

    Style style_;
    QLineSeries* series_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    std::deque<QPointF> samples_;
    double low_ = 0;
    double high_ = 0;
    bool haveRange_ = false; // low_ and high_ hold the finite values' range
    // The room kept for the value labels and the time labels [px]: room for
    // common labels from the start, widened for wider ones until the chart
    // is cleared.
    double valueLabelRoom_ = 0;
    double timeLabelRoom_ = 0;
};

// A colour stored the Windows way, 0x00BBGGRR.
QColor WindowsColor(unsigned bgr);
