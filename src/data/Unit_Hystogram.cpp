#include "data/Unit_Hystogram.h"

#include "data/AxisScale.h"
#include "data/ChartPicture.h"
#include "data/ChartStyle.h"
#include "data/GlobalProcedures.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFont>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned Blue = 0xFF0000;
// Part of a bin's width that its bar covers.
constexpr double BarFraction = 0.7;

} // namespace

HistogramChart::HistogramChart()
{
    QChart* chart = this;
    chart->setTitle(QStringLiteral("Histogram"));
    LocalizeNumbers(chart);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);

    barOutline_ = new QLineSeries(chart);
    barOutline_->setObjectName(QStringLiteral("Series_Histogram_Outline"));
    bars_ = new QAreaSeries(barOutline_);
    bars_->setObjectName(QStringLiteral("Series_Histogram"));
    bars_->setColor(BgrColor(Blue));
    bars_->setBorderColor(BgrColor(Blue));
    chart->addSeries(bars_);

    bottomAxis_ = new QValueAxis(chart);
    // Ten labels share 400 pixels: a small font, decimals chosen per fill.
    QFont labelFont = bottomAxis_->labelsFont();
    labelFont.setPointSizeF(7);
    bottomAxis_->setLabelsFont(labelFont);
    leftAxis_ = new QValueAxis(chart);
    leftAxis_->setLabelFormat(QStringLiteral("%.0f"));
    leftAxis_->setRange(0, 1);
    chart->addAxis(bottomAxis_, Qt::AlignBottom);
    chart->addAxis(leftAxis_, Qt::AlignLeft);
    bars_->attachAxis(bottomAxis_);
    bars_->attachAxis(leftAxis_);
    resize(Width, Height);
    RestoreGradient();
}

TForm_Histogram::TForm_Histogram(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Histogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setFixedSize(413, 262);

    chart_ = new HistogramChart;
    Chart_Histogram = new QChartView(chart_, this);
    Chart_Histogram->setObjectName(QStringLiteral("Chart_Histogram"));
    Chart_Histogram->setRenderHint(QPainter::Antialiasing);
    Chart_Histogram->setRubberBand(QChartView::NoRubberBand);
    Chart_Histogram->setGeometry(6, 6, HistogramChart::Width, HistogramChart::Height);
    AddSavePictureAction(Chart_Histogram);
}

QLineSeries* TForm_Histogram::Bars() const
{
    return chart_->Bars();
}

QAreaSeries* TForm_Histogram::BarArea() const
{
    return chart_->BarArea();
}

QValueAxis* TForm_Histogram::BottomAxis() const
{
    return chart_->BottomAxis();
}

QValueAxis* TForm_Histogram::LeftAxis() const
{
    return chart_->LeftAxis();
}

void TForm_Histogram::SetGradient(const QColor& start, const QColor& end)
{
    chart_->SetGradient(start, end);
}

void TForm_Histogram::RestoreGradient()
{
    chart_->RestoreGradient();
}

void TForm_Histogram::ShowHistogram(const double* edges, const double* counts, int firstBin,
                                    const QString& title, double max, double min, int lastBin)
{
    chart_->ShowHistogram(edges, counts, firstBin, title, max, min, lastBin);
}

void TForm_Histogram::ShowSignalHistogram(Podatki& store, ProcessedSignal signal, int start, int end)
{
    chart_->ShowSignalHistogram(store, signal, start, end);
}

void HistogramChart::SetGradient(const QColor& start, const QColor& end)
{
    SetBackgroundGradient(this, start, end);
}

void HistogramChart::RestoreGradient()
{
    SetGradient(BgrColor(GradientStart), BgrColor(GradientEnd));
}

void HistogramChart::ShowHistogram(const double* edges, const double* counts, int firstBin,
                                   const QString& title, double max, double min, int lastBin)
{
    setTitle(title);
    firstBin = std::max(firstBin, 1);
    lastBin = std::min(lastBin, HistogramBins);

    const double spread = max - min;
    if (spread > 0) {
        labelStep_ = 0.1 * spread;
        labelAnchor_ = min;
    }
    // Without spread every edge is the one value: the bar gets a width of its
    // own, and the axis a span that keeps the labelling it has to a few labels.
    const double binWidth = spread > 0       ? 0.05 * spread
                            : labelStep_ > 0 ? 2 * labelStep_
                                             : (min != 0 ? std::fabs(0.1 * min) : 1.0);
    const double halfBar = 0.5 * BarFraction * binWidth;

    QList<QPointF> outline;
    double lowest = 0, highest = 0, tallest = 0;
    for (int k = firstBin; k <= lastBin; ++k) {
        const double x = edges[k - 1];
        const double h = counts[k - 1];
        outline << QPointF(x - halfBar, 0) << QPointF(x - halfBar, h) << QPointF(x + halfBar, h)
                << QPointF(x + halfBar, 0);
        if (k == firstBin || x < lowest)
            lowest = x;
        if (k == firstBin || x > highest)
            highest = x;
        tallest = std::max(tallest, h);
    }
    barOutline_->replace(outline);
    if (!outline.isEmpty()) {
        const double margin = spread > 0 ? 0.5 * binWidth : 2.5 * binWidth;
        const AxisScale scale =
            AxisScaleWithStep(lowest - margin, highest + margin, labelAnchor_, labelStep_);
        // Enough decimals to tell neighbouring labels apart; large values in
        // exponent notation.
        const double magnitude = std::max(std::fabs(scale.Min), std::fabs(scale.Max));
        const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(scale.Step))), 0, 6);
        bottomAxis_->setLabelFormat(magnitude >= 1e6 ? QStringLiteral("%.6g")
                                                     : QStringLiteral("%.%1f").arg(decimals));
        ApplyAxisScale(bottomAxis_, scale);
    }
    // Counts are whole numbers: at least one count between labels.
    const double top = tallest > 0 ? tallest : 1;
    ApplyAxisScale(leftAxis_, AxisScaleWithStep(0, top, 0, std::max(1.0, NiceAxisScale(0, top, 5).Step)));
}

void HistogramChart::ShowSignalHistogram(Podatki& store, ProcessedSignal signal, int start, int end)
{
    start = std::max(start, 1);
    end = std::min(end, Podatki::MaxSamples);
    double min = 0, max = 0;
    Histogram20(ProcessedValues(store, signal).data(), start, end, store.HistogramEdges.data(),
                store.HistogramCounts.data(), min, max);
    ShowHistogram(store.HistogramEdges.data(), store.HistogramCounts.data(), 1,
                  QString::fromUtf8(HistogramTitle(signal)), max, min, HistogramBins);
}
