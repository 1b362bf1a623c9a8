#include "tuning/ResponseChart.h"

#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "tuning/TuningComputation.h"

#include <QLegend>

ResponseChart::ResponseChart()
    : LineChart(QStringLiteral("Odprtozančni (OZ) in zaprtozančni (ZZ) odzivi"))
{
    series_ = {AddLineSeries(QStringLiteral("LineSeries3"), QStringLiteral("ZZ Odziv I"),
                             QColor(128, 64, 0), Qt::DashLine),
               AddLineSeries(QStringLiteral("Series3"), QStringLiteral("ZZ odziv PI"),
                             QColor(0, 0, 255), Qt::DashDotLine),
               AddLineSeries(QStringLiteral("Series4"), QStringLiteral("ZZ odziv PID"),
                             QColor(255, 0, 0), Qt::DashDotDotLine),
               AddLineSeries(QStringLiteral("LineSeries4"), QStringLiteral("OZ Odziv"),
                             QColor(128, 128, 128), Qt::SolidLine),
               AddLineSeries(QStringLiteral("Series5"), QStringLiteral("ZZ Odziv P"),
                             QColor(0, 128, 0), Qt::SolidLine)};
    legend()->setAlignment(Qt::AlignBottom);
    legend()->show();
    setBackgroundBrush(Qt::white);
}

void ResponseChart::Plot(const ResponseSet& responses)
{
    const int n = responses.Horizon.N;
    const double* time = responses.Time.data();
    const std::array<const double*, 5> values = {responses.I.data(), responses.PI.data(),
                                                 responses.PID.data(), responses.Open.data(),
                                                 responses.P.data()};
    // Every change of an axis range lays out every series on the chart
    // again: the axes are set while the series are empty, so that each
    // series is laid out once, with its new points.
    for (QLineSeries* s : series_)
        s->clear();
    SetAxisRange(AxisY(), responses.AxisMin, responses.AxisMax);
    SetAxisRange(AxisX(), time[0], time[n - 1]);
    for (std::size_t i = 0; i < series_.size(); ++i)
        FillLineSeries(series_[i], time, values[i], n);
}
