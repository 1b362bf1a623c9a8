#pragma once

// Colours and backgrounds of the program's charts.
//
// Colour values are written as the program has always written them: red in
// the low byte, blue in the high byte, so 0xFF0000 is blue and 0x0000FF red.
// BgrColor turns such a value into a QColor.

#include <QColor>

class QChart;

QColor BgrColor(unsigned value);

// A vertical background gradient from `start` (top) to `end` (bottom).
void SetBackgroundGradient(QChart* chart, const QColor& start, const QColor& end);

// The start and end colours of the chart's background gradient (both
// invalid when the background is not a gradient).
void BackgroundGradient(const QChart* chart, QColor& start, QColor& end);
