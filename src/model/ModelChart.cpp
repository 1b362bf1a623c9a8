#include "model/ModelChart.h"

#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <QLegend>

#include <algorithm>

ModelChart::ModelChart() : LineChart(QStringLiteral("Odprtozančni odziv procesa"))
{
    measured_ =
        AddLineSeries(QStringLiteral("LineSeries1"), QStringLiteral("Meritev"), QColor(0, 0, 255));
    output_ =
        AddLineSeries(QStringLiteral("LineSeries2"), QStringLiteral("Model"), QColor(255, 0, 0));
    legend()->setAlignment(Qt::AlignBottom);
    legend()->show();
}

void ModelChart::Plot(const double* time, const double* measured, const double* modelOutput, int n)
{
    n = std::clamp(n, 0, Podatki::MaxSamples);
    FillLineSeriesFromSamples(measured_, time, measured, 1, n);
    FillLineSeriesFromSamples(output_, time, modelOutput, 1, n);

    // The vertical axis holds both curves with a tenth of their span to
    // spare above and below.
    double maxMeasured = 0, minMeasured = 0, maxModel = 0, minModel = 0;
    MinMax(measured, maxMeasured, minMeasured, 1, n);
    MinMax(modelOutput, maxModel, minModel, 1, n);
    const double max = std::max(maxMeasured, maxModel);
    const double min = std::min(minMeasured, minModel);
    const double span = max - min == 0 ? 1 : max - min;
    SetAxisRange(AxisY(), min - 0.1 * span, max + 0.1 * span);
    if (n > 0)
        SetAxisRange(AxisX(), time[0], time[n - 1]);
}
