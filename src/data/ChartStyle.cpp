#include "data/ChartStyle.h"

#include "data/AxisScale.h"

#include <QBrush>
#include <QChart>
#include <QLinearGradient>
#include <QLocale>
#include <QValueAxis>

#include <cmath>

QColor BgrColor(unsigned value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void SetBackgroundGradient(QChart* chart, const QColor& start, const QColor& end)
{
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, start);
    gradient.setColorAt(1, end);
    chart->setBackgroundBrush(QBrush(gradient));
}

void BackgroundGradient(const QChart* chart, QColor& start, QColor& end)
{
    start = end = QColor();
    const QGradient* gradient = chart->backgroundBrush().gradient();
    if (!gradient || gradient->stops().isEmpty())
        return;
    start = gradient->stops().constFirst().second;
    end = gradient->stops().constLast().second;
}

void LocalizeNumbers(QChart* chart)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    chart->setLocale(locale);
    chart->setLocalizeNumbers(true);
}

void SetAxisRange(QValueAxis* axis, double min, double max, int labels)
{
    ApplyAxisScale(axis, NiceAxisScale(min, max, labels));
}

void ApplyAxisScale(QValueAxis* axis, const AxisScale& scale)
{
    if (axis->tickType() == QValueAxis::TicksDynamic && axis->min() == scale.Min &&
        axis->max() == scale.Max && axis->tickAnchor() == scale.Anchor &&
        axis->tickInterval() == scale.Step)
        return;
    // With fixed ticks the count does not depend on the range; the range and
    // the step change there, and only then the ticks become dynamic again.
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(scale.Min, scale.Max);
    axis->setTickAnchor(scale.Anchor);
    axis->setTickInterval(scale.Step);
    axis->setTickType(QValueAxis::TicksDynamic);
}
