// Every chart of the program goes from a small value range to a huge one, to
// a zero-width one and back, with a bounded number of ticks at each step (a
// chart steps through its ticks one by one, so a stale small step against a
// huge range would take minutes and gigabytes).

#include "base/ChartView.h"
#include "data/AxisScale.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "experiment/LiveChart.h"
#include "support/MainWindowFixture.h"
#include "tuning/TuningComputation.h"

#include <QChart>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The value ranges each chart goes through, in order. (The processing page
// refuses values whose variance is not a finite number, so its widest range
// is ±1e150.)
const double Ranges[][2] = {{0, 50}, {-5e5, 5e5}, {1e9, 1e9}, {-1e150, 1e150}, {-1e300, 1e300},
                            {0, 0},  {1, 2}};

int TickCount(const QValueAxis* axis)
{
    if (axis->tickType() != QValueAxis::TicksDynamic)
        return axis->tickCount();
    if (!(axis->max() + axis->tickInterval() > axis->max()))
        return 1000000; // the ticks would never reach the end
    return AxisTickCount({axis->min(), axis->max(), axis->tickAnchor(), axis->tickInterval()});
}

// Records the largest tick count any value axis of the watched charts had at
// any moment, also between the changes of one redraw: a chart lays out its
// ticks at each change of range or step.
class TickWatch {
public:
    void Watch(QChart* chart)
    {
        for (QAbstractAxis* abstract : chart->axes()) {
            auto* axis = qobject_cast<QValueAxis*>(abstract);
            if (!axis)
                continue;
            auto check = [this, axis] { Largest = std::max(Largest, TickCount(axis)); };
            QObject::connect(axis, &QValueAxis::rangeChanged, check);
            QObject::connect(axis, &QValueAxis::tickIntervalChanged, check);
            QObject::connect(axis, &QValueAxis::tickAnchorChanged, check);
            QObject::connect(axis, &QValueAxis::tickTypeChanged, check);
        }
    }
    int Largest = 0;
};

void ExpectBoundedTicks(QChart* chart, const char* what)
{
    for (QAbstractAxis* abstract : chart->axes()) {
        if (auto* axis = qobject_cast<QValueAxis*>(abstract)) {
            EXPECT_EQ(axis->tickType(), QValueAxis::TicksDynamic) << what;
            EXPECT_LE(TickCount(axis), MaxAxisTicks) << what << " " << axis->min() << ".." << axis->max();
        }
    }
}

std::vector<double> Line(int n, double from, double to)
{
    std::vector<double> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = from + (to - from) * i / (n - 1);
    return v;
}

class ChartRanges : public MainWindowFixture {};

} // namespace

TEST_F(ChartRanges, ProcessingModelAndResponseChartsTakeAnyRange)
{
    TickWatch watch;
    for (const char* name : {"Chart_MV", "Chart_U", "Chart_Y", "Chart2", "Chart_Model", "Chart1"})
        watch.Watch(Find<ClickableChartView>(name)->chart());
    const int n = 100;
    store.SampleCount = n;
    store.SamplingTime = 1;
    for (const auto& r : Ranges) {
        if (r[1] > 1e200)
            continue;
        const std::vector<double> values = Line(n, r[0], r[1]);
        for (int i = 0; i < n; ++i) {
            store.Time[i] = r[1] == r[0] ? i : values[i];
            store.ProcessedMV[i] = store.ProcessedU[i] = store.ProcessedY1[i] =
                store.ProcessedY2[i] = values[i];
        }
        for (ProcessedSignal s : {ProcessedSignal::MV, ProcessedSignal::U, ProcessedSignal::Y1,
                                  ProcessedSignal::Y2})
            form->PlotSignal(s, 1, n);
        form->PlotModel(values.data(), values.data(), n);
        for (const char* name : {"Chart_MV", "Chart_U", "Chart_Y", "Chart2", "Chart_Model"})
            ExpectBoundedTicks(Find<ClickableChartView>(name)->chart(), name);
    }

    // The closed-loop sampling time sets the time axis of the responses.
    store.InnerModel.Gain = 1;
    store.InnerModel.TimeConstant = 10;
    store.InnerModel.DeadTime = 2;
    auto* ts = Find<QLineEdit>("Edit_Vzorcenje");
    for (const char* text : {"1", "1e9", "1e-3", "1e300", "2"}) {
        ts->setText(QString::fromLatin1(text));
        QTest::keyClick(ts, Qt::Key_Return);
        ExpectBoundedTicks(Find<ClickableChartView>("Chart1")->chart(), text);
    }
    EXPECT_LE(watch.Largest, MaxAxisTicks);
}

TEST_F(ChartRanges, SignalViewsAndLiveChartsTakeAnyRange)
{
    TForm_Obdelava_Large large;
    TForm_Histogram histogram;
    LiveChart live(QStringLiteral("Chart"), QStringLiteral("Series"), QStringLiteral("t"),
                   LiveChart::Style::Stairs);
    TickWatch watch;
    watch.Watch(large.findChild<QChartView*>()->chart());
    watch.Watch(histogram.findChild<QChartView*>()->chart());
    watch.Watch(live.chart());
    const int n = 50;
    double t = 0;
    for (const auto& r : Ranges) {
        const std::vector<double> values = Line(n, r[0], r[1]);
        const std::vector<double> time = Line(n, 0, 49);
        large.ShowLargeSignal(time.data(), values.data(), 1, QStringLiteral("x"), n);
        ExpectBoundedTicks(large.findChild<QChartView*>()->chart(), "large view");

        double edges[20], counts[20];
        for (int k = 0; k < 20; ++k) {
            edges[k] = r[0] + k * 0.05 * (r[1] - r[0]);
            counts[k] = k;
        }
        histogram.ShowHistogram(edges, counts, 1, QStringLiteral("h"), r[1], r[0], 20);
        ExpectBoundedTicks(histogram.findChild<QChartView*>()->chart(), "histogram");

        for (double v : {r[0], r[1]}) {
            live.Append(t, v);
            t += 0.05;
        }
        ExpectBoundedTicks(live.chart(), "live chart");
        const double step = live.AxisY()->tickInterval();
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-12));
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                    std::fabs(mantissa - 2.5) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
            << step;
        while (live.Count() > 1)
            live.DropFirst(); // the next range replaces this one
    }
    EXPECT_LE(watch.Largest, MaxAxisTicks);
}

TEST_F(ChartRanges, LiveChartPlotStandsStillUntilWiderLabelsNeedRoom)
{
    LiveChart live(QStringLiteral("Chart"), QStringLiteral("Series"), QStringLiteral("Y1"),
                   LiveChart::Style::Line);
    live.resize(600, 220);
    live.show();
    // Three-digit times and values labelled 20.01 and so on.
    double t = 100;
    auto steady = [&](int samples, double value = 0) {
        for (int i = 0; i < samples; ++i, t += 1) {
            live.Append(t, value != 0 ? value : 20 + 0.01 * (i % 7));
            QCoreApplication::processEvents();
        }
    };
    steady(20);
    const QRectF narrow = live.chart()->plotArea();
    int moves = 0;
    QObject::connect(live.chart(), &QChart::plotAreaChanged, [&] { ++moves; });
    // The time step goes from 5 through 10 and 20 to 50; a step in the value
    // gives labels 20, 21 and so on, narrower than those before.
    steady(150);
    steady(1, 25);
    steady(150);
    EXPECT_EQ(moves, 0) << "a new time step or range laid the chart out again";
    EXPECT_EQ(live.chart()->plotArea(), narrow);

    // A value with a long label makes room for itself, and the room stays
    // after it has scrolled away.
    live.Append(t, -123456.5);
    QCoreApplication::processEvents();
    const QRectF wide = live.chart()->plotArea();
    EXPECT_GT(wide.left(), narrow.left());
    EXPECT_EQ(wide.right(), narrow.right());
    while (live.Count() > 1)
        live.DropFirst();
    steady(5);
    EXPECT_EQ(live.chart()->plotArea(), wide);

    // A new run starts from the chart's own layout again.
    live.Clear();
    steady(20);
    EXPECT_EQ(live.chart()->plotArea().left(), narrow.left());
}
