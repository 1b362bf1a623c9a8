#include "data/ChartPicture.h"
#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"

#include "support/ExpectClose.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QPointer>
#include <QTemporaryDir>
#include <QValueAxis>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// Pixels of the image that are clearly the blue of the series.
int BluePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    return count;
}

std::vector<double> Ramp(int n, double from, double step)
{
    std::vector<double> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = from + step * i;
    return v;
}

} // namespace

TEST(ChartStyle, ColourValuesHaveRedInTheLowByte)
{
    EXPECT_EQ(BgrColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(BgrColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(BgrColor(16756749), QColor(0x0D, 0xB0, 0xFF));
}

TEST(HistogramWindow, StartsEmptyWithItsCaptionSizeAndGradient)
{
    TForm_Histogram form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Histogram"));
    EXPECT_EQ(form.size(), QSize(413, 262));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    auto* view = form.findChild<QChartView*>(QStringLiteral("Chart_Histogram"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), QSize(400, 250));
    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Histogram"));
    EXPECT_FALSE(form.Chart()->legend()->isVisible());
    EXPECT_EQ(view->rubberBand(), QChartView::NoRubberBand);
    QColor start, end;
    BackgroundGradient(form.Chart(), start, end);
    EXPECT_EQ(start, QColor(Qt::white));
    EXPECT_EQ(end, QColor(0x0D, 0xB0, 0xFF));
    EXPECT_EQ(form.BarArea()->color(), QColor(0, 0, 255));
}

TEST(HistogramWindow, EachFillReplacesBarsTitleAndLabelStep)
{
    TForm_Histogram form;
    const std::vector<double> ramp = Ramp(100, 10, 0.5); // 10 .. 59.5
    double edges[20], counts[20], min = 0, max = 0;
    Histogram20(ramp.data(), 1, 100, edges, counts, min, max);
    form.ShowHistogram(edges, counts, 1, QStringLiteral("Histogram meritve 1"), max, min, 20);

    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Histogram meritve 1"));
    const QList<QPointF> outline = form.Bars()->points();
    ASSERT_EQ(outline.size(), 80);
    for (int k = 0; k < 20; ++k) {
        // Bar k stands centred on its lower edge with its count as height.
        ExpectClose(0.5 * (outline[4 * k].x() + outline[4 * k + 3].x()), edges[k], 1e-9);
        EXPECT_EQ(outline[4 * k + 1].y(), counts[k]);
    }
    EXPECT_EQ(form.BottomAxis()->tickType(), QValueAxis::TicksDynamic);
    ExpectClose(form.BottomAxis()->tickInterval(), 0.1 * (59.5 - 10), 1e-12);
    EXPECT_EQ(form.BottomAxis()->tickAnchor(), 10);
    EXPECT_LE(form.BottomAxis()->min(), 10);
    EXPECT_GE(form.BottomAxis()->max(), edges[19]);

    // A signal without spread: one bar, the labelling stays, the axis spans a
    // few labels around the value.
    const std::vector<double> constant(50, 3.0);
    Histogram20(constant.data(), 1, 50, edges, counts, min, max);
    form.ShowHistogram(edges, counts, 1, QStringLiteral("Histogram izhoda regulatorja"), max, min,
                       20);
    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Histogram izhoda regulatorja"));
    ExpectClose(form.BottomAxis()->tickInterval(), 4.95, 1e-12);
    const double span = form.BottomAxis()->max() - form.BottomAxis()->min();
    EXPECT_GT(span, 0);
    EXPECT_LE(span / form.BottomAxis()->tickInterval(), 20);
    EXPECT_EQ(form.LeftAxis()->max(), 50);
}

TEST(LargePlotWindow, StartsEmptyWithItsCaptionSizeAndGradient)
{
    TForm_Obdelava_Large form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Prikaz signala"));
    EXPECT_EQ(form.size(), QSize(599, 451));
    EXPECT_NE(form.minimumSize(), form.maximumSize()); // resizable
    auto* view = form.findChild<QChartView*>(QStringLiteral("Chart_Signal"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), QSize(577, 409));
    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Časovni prikaz signala"));
    EXPECT_FALSE(form.Chart()->legend()->isVisible());
    EXPECT_FALSE(form.Series()->pointsVisible());
    EXPECT_EQ(form.Series()->color(), QColor(0, 0, 255));
    QColor start, end;
    BackgroundGradient(form.Chart(), start, end);
    EXPECT_EQ(start, QColor(0xBF, 0xE8, 0xFF));
    EXPECT_EQ(end, QColor(0x3C, 0x9D, 0xFF));
    form.SetGradient(Qt::white, Qt::white);
    form.RestoreGradient();
    BackgroundGradient(form.Chart(), start, end);
    EXPECT_EQ(end, QColor(0x3C, 0x9D, 0xFF));
}

TEST(LargePlotWindow, DrawsTheWindowWithTenPercentAxisMargins)
{
    TForm_Obdelava_Large form;
    const std::vector<double> time = Ramp(40, 0, 0.5);
    std::vector<double> signal = Ramp(40, -5, 1); // -5 .. 34
    form.ShowLargeSignal(time.data(), signal.data(), 3, QStringLiteral("Meritev 1"), 12);
    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Meritev 1"));
    const QList<QPointF> points = form.Series()->points();
    ASSERT_EQ(points.size(), 10);
    EXPECT_EQ(points.first(), QPointF(1.0, -3));
    EXPECT_EQ(points.last(), QPointF(5.5, 6));
    ExpectClose(form.LeftAxis()->min(), -3 - 0.9, 1e-12);
    ExpectClose(form.LeftAxis()->max(), 6 + 0.9, 1e-12);
    EXPECT_EQ(form.LeftAxis()->tickInterval(), 2); // labels at round values
    EXPECT_EQ(form.LeftAxis()->tickAnchor(), -2);
    EXPECT_EQ(form.BottomAxis()->min(), 1.0);
    EXPECT_EQ(form.BottomAxis()->max(), 5.5);

    const std::vector<double> constant(40, 7.0);
    form.ShowLargeSignal(time.data(), constant.data(), 1, QStringLiteral("Izhod regulatorja"), 40);
    EXPECT_EQ(form.Chart()->title(), QStringLiteral("Izhod regulatorja"));
    ExpectClose(form.LeftAxis()->min(), 6.9, 1e-12);
    ExpectClose(form.LeftAxis()->max(), 7.1, 1e-12);

    // One sample: one point, and MinMax's zeros put the axis at -0.1..0.1.
    form.ShowLargeSignal(time.data(), signal.data(), 20, QStringLiteral("Meritev 2"), 20);
    EXPECT_EQ(form.Series()->points().size(), 1);
    ExpectClose(form.LeftAxis()->min(), -0.1, 1e-15);
    ExpectClose(form.LeftAxis()->max(), 0.1, 1e-15);
}

TEST(SignalViews, ClosingOnlyHides)
{
    TForm_Obdelava_Large large;
    TForm_Histogram histogram;
    for (QDialog* form : {static_cast<QDialog*>(&large), static_cast<QDialog*>(&histogram)}) {
        form->show();
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->close());
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->testAttribute(Qt::WA_DeleteOnClose));
    }
}

TEST(ChartPicture, AWindowNeverShownExportsItsChartAtTwiceItsSize)
{
    QTemporaryDir dir;
    TForm_Obdelava_Large form;
    const std::vector<double> time = Ramp(5000, 0, 1);
    std::vector<double> signal(5000);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = std::sin(0.01 * static_cast<double>(i));
    form.ShowLargeSignal(time.data(), signal.data(), 1, QStringLiteral("Manipulativni signal"),
                         5000);
    form.SetGradient(Qt::white, Qt::white);
    const QString path = dir.filePath(QStringLiteral("omidra0.png"));
    SaveChartPicture(form.ChartView(), path);
    QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2 * 577, 2 * 409));
    EXPECT_GT(BluePixels(image), 2000); // the curve is drawn
    EXPECT_EQ(image.pixelColor(4, image.height() / 2), QColor(Qt::white));
}

TEST(ChartPicture, TheContextMenuSavesPngOrSvgAndReportsFailures)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TForm_Histogram form;
    const std::vector<double> ramp = Ramp(100, 0, 1);
    double edges[20], counts[20], min = 0, max = 0;
    Histogram20(ramp.data(), 1, 100, edges, counts, min, max);
    form.ShowHistogram(edges, counts, 1, QStringLiteral("Histogram meritve 2"), max, min, 20);

    auto* action = form.ChartView()->findChild<QAction*>(QStringLiteral("Action_SavePicture"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(form.ChartView()->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(form.ChartView()->actions().contains(action));

    dialogs.FileAnswers = {dir.filePath(QStringLiteral("h")), dir.filePath(QStringLiteral("h.svg")),
                           QString(), dir.filePath(QStringLiteral("none/h.png"))};
    action->trigger();
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(dialogs.FileRequests[0].DefaultExtension, QStringLiteral("png"));
    const QImage png(dir.filePath(QStringLiteral("h.png")));
    EXPECT_EQ(png.size(), QSize(800, 500));
    EXPECT_GT(BluePixels(png), 500); // the bars

    action->trigger();
    QFile svg(dir.filePath(QStringLiteral("h.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_TRUE(svgText.contains("<svg"));
    EXPECT_TRUE(svgText.contains("Histogram meritve 2"));

    action->trigger(); // cancelled: nothing happens
    EXPECT_TRUE(dialogs.Errors.isEmpty());
    action->trigger(); // a missing directory
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].startsWith(dir.filePath(QStringLiteral("none/h.png")) + u':'))
        << dialogs.Errors[0].toStdString();
}

TEST(ChartSeries, LongSeriesAreThinnedAndShortOnesDrawnWhole)
{
    QLineSeries series;
    const std::vector<double> x = Ramp(5000, 0, 0.1);
    std::vector<double> y = Ramp(5000, 0, 1);
    y[2500] = 1e6;
    FillLineSeries(&series, x.data(), y.data(), 5000);
    EXPECT_LE(series.count(), 2 * DisplayColumns + 2);
    EXPECT_EQ(series.points().first(), QPointF(0, 0));
    EXPECT_EQ(series.points().last(), QPointF(x[4999], y[4999]));
    EXPECT_TRUE(series.points().contains(QPointF(x[2500], 1e6)));

    FillLineSeriesFromSamples(&series, x.data(), y.data(), 11, 20);
    ASSERT_EQ(series.count(), 10);
    EXPECT_EQ(series.at(0), QPointF(x[10], y[10]));
    FillLineSeriesFromSamples(&series, x.data(), y.data(), 20, 11);
    EXPECT_EQ(series.count(), 0);
}

TEST(SignalViews, AProcessedSignalShowsUnderItsOwnTitle)
{
    auto store = std::make_unique<Podatki>();
    for (int i = 1; i <= 200; ++i) {
        Sample(store->Time, i) = i;
        Sample(store->ProcessedU, i) = i % 20; // 0..19, ten of each
        Sample(store->ProcessedY2, i) = -i;
    }
    TForm_Histogram histogram;
    histogram.ShowSignalHistogram(*store, ProcessedSignal::U, 1, 200);
    EXPECT_EQ(histogram.Chart()->title(), QStringLiteral("Histogram izhoda regulatorja"));
    EXPECT_EQ(store->HistogramEdges[0], 0);
    ExpectClose(store->HistogramEdges[19], 0.95 * 19, 1e-12);
    EXPECT_EQ(store->HistogramCounts[0], 10);
    EXPECT_EQ(store->HistogramCounts[19], 10);
    histogram.ShowSignalHistogram(*store, ProcessedSignal::Y2, 101, 200);
    EXPECT_EQ(histogram.Chart()->title(), QStringLiteral("Histogram meritve 2"));
    EXPECT_EQ(store->HistogramEdges[0], -200);

    TForm_Obdelava_Large large;
    large.ShowSignal(*store, ProcessedSignal::Y2, 101, 200);
    EXPECT_EQ(large.Chart()->title(), QStringLiteral("Meritev 2"));
    EXPECT_EQ(large.Series()->points().first(), QPointF(101, -101));
}
