#include "data/Unit_Obdelava_Large.h"

#include "data/ChartPicture.h"
#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "data/SignalStatistics.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned Blue = 0xFF0000;

} // namespace

LargeSignalChart::LargeSignalChart()
{
    QChart* chart = this;
    chart->setTitle(QStringLiteral("Časovni prikaz signala"));
    LocalizeNumbers(chart);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);

    series_ = new QLineSeries(chart);
    series_->setObjectName(QStringLiteral("Series_Signal"));
    series_->setPointsVisible(false);
    series_->setColor(BgrColor(Blue));
    chart->addSeries(series_);

    bottomAxis_ = new QValueAxis(chart);
    bottomAxis_->setLabelFormat(QStringLiteral("%.6g"));
    leftAxis_ = new QValueAxis(chart);
    leftAxis_->setLabelFormat(QStringLiteral("%.6g"));
    chart->addAxis(bottomAxis_, Qt::AlignBottom);
    chart->addAxis(leftAxis_, Qt::AlignLeft);
    series_->attachAxis(bottomAxis_);
    series_->attachAxis(leftAxis_);
    resize(Width, Height);
    RestoreGradient();
}

TForm_Obdelava_Large::TForm_Obdelava_Large(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Obdelava_Large"));
    setWindowTitle(QStringLiteral("Prikaz signala"));
    setSizeGripEnabled(true);

    chart_ = new LargeSignalChart;
    Chart_Signal = new QChartView(chart_, this);
    Chart_Signal->setObjectName(QStringLiteral("Chart_Signal"));
    Chart_Signal->setRenderHint(QPainter::Antialiasing);
    Chart_Signal->setRubberBand(QChartView::NoRubberBand);
    AddSavePictureAction(Chart_Signal);

    // The chart is 577 x 409 in the 599 x 451 window and grows with it.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 21, 11, 21);
    layout->addWidget(Chart_Signal);
    resize(599, 451);
    layout->activate(); // the chart has its size before the window is first shown
}

QLineSeries* TForm_Obdelava_Large::Series() const
{
    return chart_->Series();
}

QValueAxis* TForm_Obdelava_Large::BottomAxis() const
{
    return chart_->BottomAxis();
}

QValueAxis* TForm_Obdelava_Large::LeftAxis() const
{
    return chart_->LeftAxis();
}

void TForm_Obdelava_Large::SetGradient(const QColor& start, const QColor& end)
{
    chart_->SetGradient(start, end);
}

void TForm_Obdelava_Large::RestoreGradient()
{
    chart_->RestoreGradient();
}

void TForm_Obdelava_Large::ShowLargeSignal(const double* time, const double* signal, int start,
                                           const QString& title, int end)
{
    chart_->ShowLargeSignal(time, signal, start, title, end);
}

void TForm_Obdelava_Large::ShowSignal(const Podatki& store, ProcessedSignal signal, int start,
                                      int end)
{
    chart_->ShowSignal(store, signal, start, end);
}

void LargeSignalChart::SetGradient(const QColor& start, const QColor& end)
{
    SetBackgroundGradient(this, start, end);
}

void LargeSignalChart::RestoreGradient()
{
    SetGradient(BgrColor(GradientStart), BgrColor(GradientEnd));
}

void LargeSignalChart::ShowLargeSignal(const double* time, const double* signal, int start,
                                       const QString& title, int end)
{
    setTitle(title);
    FillLineSeriesFromSamples(series_, time, signal, start, end);

    const SignalStatistics statistics = ComputeSignalStatistics(signal, start, end);
    SetAxisRange(leftAxis_, statistics.AxisMin, statistics.AxisMax);

    const int first = std::max(start, 1);
    const int last = std::min(end, Podatki::MaxSamples);
    if (first <= last) {
        double earliest = time[first - 1], latest = earliest;
        for (int i = first; i <= last; ++i) {
            earliest = std::min(earliest, time[i - 1]);
            latest = std::max(latest, time[i - 1]);
        }
        SetAxisRange(bottomAxis_, earliest, latest);
    }
}

void LargeSignalChart::ShowSignal(const Podatki& store, ProcessedSignal signal, int start, int end)
{
    ShowLargeSignal(store.Time.data(), ProcessedValues(store, signal).data(), start,
                    QString::fromUtf8(LargePlotTitle(signal)), end);
}
