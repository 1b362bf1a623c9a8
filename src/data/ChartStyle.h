#pragma once

// Colours and backgrounds of the program's charts.
//
// Colour values are written as the program has always written them: red in
// the low byte, blue in the high byte, so 0xFF0000 is blue and 0x0000FF red.
// BgrColor turns such a value into a QColor.

#include <QColor>

class QChart;
class QValueAxis;

QColor BgrColor(unsigned value);

// A vertical background gradient from `start` (top) to `end` (bottom).
void SetBackgroundGradient(QChart* chart, const QColor& start, const QColor& end);

// The start and end colours of the chart's background gradient (both
// invalid when the background is not a gradient).
void BackgroundGradient(const QChart* chart, QColor& start, QColor& end);

// Axis labels in the user's locale, with the decimal mark of the value
// fields beside the charts and without group separators (a Slovenian "1.000"
// would read as one).
void LocalizeNumbers(QChart* chart);

// Sets the axis to run from min to max with labels at round values (1, 2,
// 2.5 or 5 times a power of ten, about `labels` of them), as NiceAxisScale
// makes them for any range: empty, huge or not finite.
void SetAxisRange(QValueAxis* axis, double min, double max, int labels = 6);

// Sets the axis to a scale of AxisScale.h. The axis draws its ticks anew at
// every change of range or step, so they are changed in an order in which
// no intermediate state has more ticks than the old or the new scale.
struct AxisScale;
void ApplyAxisScale(QValueAxis* axis, const AxisScale& scale);
