#include "tuning/FrequencyResponseWindow.h"

#include "base/ChartView.h"
#include "data/ChartPicture.h"
#include "data/ChartStyle.h"
#include "tuning/ResponseChart.h"

#include <QChartView>
#include <QHBoxLayout>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Points of each drawn frequency response.
constexpr int CurvePoints = 1500;
// |L| beyond this lies far outside the Nyquist chart (an integrator at low
// frequencies): drawn at this distance, in its direction, so that the chart
// never meets huge coordinates.
constexpr double FarLoop = 100;

const char* const LoopNames[DrawnLoopCount] = {"I", "PI", "PID", "P"};

QPen Pen(const QColor& color, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    return pen;
}

QList<QPointF> Circle(double centre, double radius)
{
    QList<QPointF> points;
    for (int k = 0; k <= 180; ++k) {
        const double phi = 2 * Pi * k / 180;
        points.append(QPointF(centre + radius * std::cos(phi), radius * std::sin(phi)));
    }
    return points;
}

double DecadeBelow(double x)
{
    return std::pow(10.0, std::floor(std::log10(x)));
}

double DecadeAbove(double x)
{
    return std::pow(10.0, std::ceil(std::log10(x)));
}

} // namespace

FrequencyResponseWindow::FrequencyResponseWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_FrekvencniOdziv"));
    setWindowTitle(QStringLiteral("Frekvenčni odziv"));
    resize(1100, 520);

    Chart_Nyquist = new ClickableChartView(QStringLiteral("Nyquistov diagram L(e^jωTs)"), this);
    Chart_Nyquist->setObjectName(QStringLiteral("Chart_Nyquist"));
    LineChart* nyquist = Chart_Nyquist->Chart();
    nyquist->AxisX()->setTitleText(QStringLiteral("Re L"));
    nyquist->AxisY()->setTitleText(QStringLiteral("Im L"));
    nyquist->legend()->show();
    nyquist->legend()->setAlignment(Qt::AlignBottom);
    for (int i = 0; i < DrawnLoopCount; ++i)
        NyquistSeries[static_cast<std::size_t>(i)] = Chart_Nyquist->AddLineSeries(
            QStringLiteral("Series_Nyquist_%1").arg(QLatin1String(LoopNames[i])),
            QStringLiteral("L %1").arg(QLatin1String(LoopNames[i])), LoopColor(i));
    Series_UnitCircle = Chart_Nyquist->AddLineSeries(
        QStringLiteral("Series_UnitCircle"), QStringLiteral("|L| = 1"), Qt::gray, Qt::DotLine);
    Series_UnitCircle->replace(Circle(0, 1));
    Series_MsCircle = Chart_Nyquist->AddLineSeries(QStringLiteral("Series_MsCircle"),
                                                   QStringLiteral("Ms"), Qt::black, Qt::DashLine);
    Series_CriticalPoint = new QScatterSeries;
    Series_CriticalPoint->setObjectName(QStringLiteral("Series_CriticalPoint"));
    Series_CriticalPoint->setName(QStringLiteral("-1"));
    Series_CriticalPoint->setMarkerSize(8);
    Series_CriticalPoint->setColor(Qt::black);
    Series_CriticalPoint->append(-1, 0);
    nyquist->addSeries(Series_CriticalPoint);
    Series_CriticalPoint->attachAxis(nyquist->AxisX());
    Series_CriticalPoint->attachAxis(nyquist->AxisY());

    auto* sensitivity = new QChart;
    sensitivity->setTitle(QStringLiteral("Občutljivost |S(e^jωTs)|"));
    LocalizeNumbers(sensitivity);
    sensitivity->setDropShadowEnabled(false);
    sensitivity->setBackgroundRoundness(0);
    sensitivity->setMargins(QMargins(4, 4, 4, 4));
    sensitivity->legend()->setAlignment(Qt::AlignBottom);
    AxisFrequency = new QLogValueAxis;
    AxisFrequency->setTitleText(QStringLiteral("ω [rad/s]"));
    AxisSensitivity = new QLogValueAxis;
    AxisSensitivity->setTitleText(QStringLiteral("|S|"));
    for (QLogValueAxis* axis : {AxisFrequency, AxisSensitivity}) {
        axis->setBase(10);
        // The precision is spelt out: localized labels need one.
        axis->setLabelFormat(QStringLiteral("%.6g"));
        axis->setMinorTickCount(-1);
    }
    sensitivity->addAxis(AxisFrequency, Qt::AlignBottom);
    sensitivity->addAxis(AxisSensitivity, Qt::AlignLeft);
    const auto addSeries = [&](const QString& name, const QString& title, const QPen& pen) {
        auto* series = new QLineSeries;
        series->setObjectName(name);
        series->setName(title);
        series->setPen(pen);
        sensitivity->addSeries(series);
        series->attachAxis(AxisFrequency);
        series->attachAxis(AxisSensitivity);
        return series;
    };
    for (int i = 0; i < DrawnLoopCount; ++i)
        SensitivitySeries[static_cast<std::size_t>(i)] =
            addSeries(QStringLiteral("Series_Sensitivity_%1").arg(QLatin1String(LoopNames[i])),
                      QStringLiteral("|S| %1").arg(QLatin1String(LoopNames[i])), Pen(LoopColor(i)));
    Series_MsLine = addSeries(QStringLiteral("Series_MsLine"), QStringLiteral("Ms"),
                              Pen(Qt::black, Qt::DashLine));
    Chart_Sensitivity = new QChartView(sensitivity, this);
    Chart_Sensitivity->setObjectName(QStringLiteral("Chart_Sensitivity"));
    Chart_Sensitivity->setRenderHint(QPainter::Antialiasing);

    AddSavePictureAction(Chart_Nyquist);
    AddSavePictureAction(Chart_Sensitivity);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Chart_Nyquist, 1);
    layout->addWidget(Chart_Sensitivity, 1);
}

void FrequencyResponseWindow::ShowLoops(const std::array<LoopTransfer, DrawnLoopCount>& loops,
                                        const std::array<LoopRobustness, DrawnLoopCount>& figures,
                                        int chosen)
{
    const bool hasChosen = chosen >= 0 && chosen < DrawnLoopCount;
    const double chosenMs =
        hasChosen ? figures[static_cast<std::size_t>(chosen)].Frequency.Ms : std::nan("");
    const QColor chosenColor = hasChosen ? LoopColor(chosen) : QColor(Qt::black);

    // The frequencies shown: from two decades below the lowest peak or
    // crossover of any loop to the Nyquist frequency.
    double lowest = 0, highest = 0, smallest = 1, largestMs = 2;
    for (const LoopRobustness& loop : figures) {
        const FrequencyFigures& f = loop.Frequency;
        for (const std::optional<double>& w :
             {std::optional<double>(f.MsFrequency), f.GainCrossover, f.PhaseCrossover})
            if (w && *w > 0 && (lowest == 0 || *w < lowest))
                lowest = *w;
        if (std::isfinite(f.Ms))
            largestMs = std::max(largestMs, 1.5 * f.Ms);
    }
    std::array<FrequencyCurve, DrawnLoopCount> curves;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        curves[i] = ComputeFrequencyCurve(loops[i], CurvePoints);
        highest = std::max(highest, curves[i].Frequency.back());
    }
    const double first = curves[0].Frequency.front();
    lowest = DecadeBelow(std::max(lowest > 0 ? lowest / 100 : first, first));

    for (std::size_t i = 0; i < curves.size(); ++i) {
        const FrequencyCurve& c = curves[i];
        QList<QPointF> nyquist, magnitude;
        for (std::size_t k = 0; k < c.Frequency.size(); ++k) {
            std::complex<double> l = c.Loop[k];
            if (!std::isfinite(l.real()) || !std::isfinite(l.imag()))
                continue;
            if (std::abs(l) > FarLoop)
                l *= FarLoop / std::abs(l);
            nyquist.append(QPointF(l.real(), l.imag()));
            const double s = c.Sensitivity[k];
            if (c.Frequency[k] >= lowest && s > 0 && std::isfinite(s)) {
                magnitude.append(QPointF(c.Frequency[k], s));
                smallest = std::min(smallest, s);
            }
        }
        NyquistSeries[i]->replace(nyquist);
        SensitivitySeries[i]->replace(magnitude);
    }

    // The chosen loop's Ms as a circle about -1 and as a line.
    Series_MsCircle->setPen(Pen(chosenColor, Qt::DashLine));
    Series_MsLine->setPen(Pen(chosenColor, Qt::DashLine));
    if (std::isfinite(chosenMs) && chosenMs > 0) {
        Series_MsCircle->replace(Circle(-1, 1 / chosenMs));
        Series_MsLine->replace({QPointF(lowest, chosenMs), QPointF(highest, chosenMs)});
    } else {
        Series_MsCircle->clear();
        Series_MsLine->clear();
    }
    Series_MsCircle->setName(hasChosen
                                 ? QStringLiteral("Ms %1").arg(QLatin1String(LoopNames[chosen]))
                                 : QStringLiteral("Ms"));
    Series_MsLine->setName(Series_MsCircle->name());

    // The critical point, the unit circle and the Ms circle in view, one
    // unit as long on both axes (as the plot area is now), so that circles
    // look round.
    const double radius = std::isfinite(chosenMs) && chosenMs > 0 ? 1 / chosenMs : 0;
    double halfHeight = std::max(2.0, std::min(radius, FarLoop) + 0.5);
    double left = std::min(-2.5, -1 - halfHeight), right = std::max(1.5, halfHeight - 1);
    const QRectF area = Chart_Nyquist->Chart()->plotArea();
    if (area.width() > 0 && area.height() > 0) {
        const double perPixel =
            std::max((right - left) / area.width(), 2 * halfHeight / area.height());
        const double middle = 0.5 * (left + right);
        left = middle - 0.5 * perPixel * area.width();
        right = middle + 0.5 * perPixel * area.width();
        halfHeight = 0.5 * perPixel * area.height();
    }
    SetAxisRange(Chart_Nyquist->AxisX(), left, right);
    SetAxisRange(Chart_Nyquist->AxisY(), -halfHeight, halfHeight);
    AxisFrequency->setRange(lowest, highest);
    AxisSensitivity->setRange(DecadeBelow(std::max(smallest, 1e-4)), DecadeAbove(largestMs));
}
