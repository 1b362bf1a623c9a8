#include "data/ChartStyle.h"

#include <QBrush>
#include <QChart>
#include <QLinearGradient>

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
