#include "data/ChartStyle.h"

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
    const double span = max - min;
    if (!std::isfinite(span) || span <= 0) {
        if (std::isfinite(min) && std::isfinite(max))
            axis->setRange(min - (span == 0 ? 1 : 0), max + (span == 0 ? 1 : 0));
        return;
    }
    const double rough = span / std::max(labels, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
    axis->setRange(min, max);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::ceil(min / step) * step);
    axis->setTickInterval(step);
}
