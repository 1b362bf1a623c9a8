#include "base/Errors.h"
#include "data/MeasurementSet.h"
#include "data/ObdelavaClass.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"
#include "data/SignalStatistics.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <memory>

namespace {

// A store with n samples of six columns given by `column(k, i)`.
template <typename Column> std::unique_ptr<Podatki> StoreWith(int n, Column column)
{
    auto store = std::make_unique<Podatki>();
    store->SampleCount = n;
    store->SignalCount = 6;
    store->SamplingTime = 1.0;
    for (int i = 1; i <= n; ++i) {
        Sample(store->Time, i) = i - 1;
        for (int k = 1; k <= 6; ++k)
            store->Column(k)[i - 1] = column(k, i);
    }
    return store;
}

void ExpectDelayedByOneSample(const Podatki::Signal& out, const double* in, int n)
{
    EXPECT_EQ(out[0], in[0]);
    for (int i = 1; i < n; ++i)
        ASSERT_EQ(out[static_cast<std::size_t>(i)], in[i - 1]) << "sample " << i + 1;
}

} // namespace

TEST(Condition, WithoutFilterEverySignalIsItsColumnDelayedByOneSample)
{
    auto store = StoreWith(30, [](int k, int i) { return k * 100.0 + std::sin(0.3 * i) * 40; });
    TObdelava(*store).Condition(1, 3, 30, 1.0, 0.0, 0.0, -1000, 1000, 6, 5);
    ExpectDelayedByOneSample(store->ProcessedMV, store->Column(1), 30);
    ExpectDelayedByOneSample(store->ProcessedU, store->Column(3), 30);
    ExpectDelayedByOneSample(store->ProcessedY1, store->Column(5), 30);
    ExpectDelayedByOneSample(store->ProcessedY2, store->Column(6), 30);
}

TEST(Condition, OpeningTimeZeroOnlyClipsTheControllerOutput)
{
    const double u[] = {-20, 50, 130, 100, 0, 101, 99.5};
    auto store = StoreWith(7, [&u](int, int i) { return u[i - 1]; });
    TObdelava(*store).Condition(1, 3, 7, 1.0, 0.0, 0.0, 0, 100, 6, 5);
    const double clipped[] = {0, 50, 100, 100, 0, 100, 99.5};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(store->LimitedU[static_cast<std::size_t>(i)], clipped[i]);
    ExpectDelayedByOneSample(store->ProcessedU, clipped, 7);
}

TEST(Condition, OpeningTimeLimitsTheRateAndTheFilterLagsUAndTheMeasurements)
{
    // U jumps 0 -> 100 at sample 2; a full travel takes 10 s at Ts = 1 s.
    auto store =
        StoreWith(40, [](int k, int i) { return (k == 3 || k == 5) && i >= 2 ? 100.0 : 0.0; });
    const double tf = 10, ts = 1;
    TObdelava(*store).Condition(1, 3, 40, ts, tf, 10, 0, 100, 6, 5);
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(Sample(store->LimitedU, i), std::min(100.0, 10.0 * (i - 1))) << "sample " << i;

    // Y1 steps at sample 2: y(1) = y(2) = 0, then y(j) = 100*(1 - a^(j-2)).
    const double a = std::exp(-ts / tf);
    for (int j = 2; j <= 40; ++j)
        ExpectClose(Sample(store->ProcessedY1, j), 100 * (1 - std::pow(a, j - 2)), 1e-9);
    // U is rate limited before the filter, so it stays below Y1 while it ramps.
    EXPECT_LT(Sample(store->ProcessedU, 10), Sample(store->ProcessedY1, 10));
    EXPECT_EQ(Sample(store->ProcessedMV, 40), 0);
}

TEST(Condition, AWrongColumnChangesNothing)
{
    auto store = StoreWith(10, [](int k, int i) { return k + i; });
    store->ProcessedU.assign(Podatki::MaxSamples, 7.0);
    EXPECT_THROW(TObdelava(*store).Condition(1, 3, 10, 1, 0, 0, 0, 100, 41, 5), VarkolError);
    EXPECT_THROW(TObdelava(*store).Condition(0, 3, 10, 1, 0, 0, 0, 100, 6, 5), VarkolError);
    EXPECT_EQ(store->ProcessedU[0], 7.0);
}

TEST(Condition, OneChooserRecomputesOnlyItsSignal)
{
    auto store = StoreWith(10, [](int k, int i) { return 10.0 * k + i; });
    TObdelava calculator(*store);
    calculator.Condition(1, 3, 10, 1, 0, 0, 0, 100, 6, 5);
    const Podatki::Signal u = store->ProcessedU;
    calculator.ConditionMV(2, 10, 1); // MV from column 2
    ExpectDelayedByOneSample(store->ProcessedMV, store->Column(2), 10);
    EXPECT_EQ(store->ProcessedU, u);
    calculator.ConditionY2(4, 10, 1, 0);
    ExpectDelayedByOneSample(store->ProcessedY2, store->Column(4), 10);
}

TEST(SignalStatistics, SpreadDeviationAndAxis)
{
    const double a[] = {1, 2, 3, 4};
    const SignalStatistics s = ComputeSignalStatistics(a, 1, 4);
    EXPECT_EQ(s.Max, 4);
    EXPECT_EQ(s.Min, 1);
    ExpectClose(s.Std, std::sqrt(5.0 / 3.0), 1e-12);
    ExpectClose(s.AxisMin, 0.7, 1e-12);
    ExpectClose(s.AxisMax, 4.3, 1e-12);

    const double constant[] = {42.5, 42.5, 42.5};
    const SignalStatistics c = ComputeSignalStatistics(constant, 1, 3);
    EXPECT_EQ(c.Std, 0);
    ExpectClose(c.AxisMin, 42.4, 1e-12);
    ExpectClose(c.AxisMax, 42.6, 1e-12);

    // One sample (or a reversed window) shows zeros whatever the value.
    const SignalStatistics one = ComputeSignalStatistics(constant, 2, 2);
    EXPECT_EQ(one.Max, 0);
    EXPECT_EQ(one.Min, 0);
    EXPECT_EQ(one.Std, 0);
    ExpectClose(one.AxisMin, -0.1, 1e-15);
    ExpectClose(one.AxisMax, 0.1, 1e-15);
    EXPECT_EQ(ComputeSignalStatistics(constant, 3, 1).Max, 0);
}

TEST(StoreMeasurements, ReplacesTheRawPartInPlace)
{
    auto store = StoreWith(50, [](int k, int i) { return k * i; });
    store->ColumnNames[6] = "old seventh";
    const double* timeData = store->Time.data();
    MeasurementSet set(4, 3);
    set.SamplingTime = 0.25;
    set.ColumnNames = {"a", "b", "c"};
    for (int i = 0; i < 4; ++i) {
        set.Time[static_cast<std::size_t>(i)] = 0.25 * i;
        set.Columns[2][static_cast<std::size_t>(i)] = 9 + i;
    }
    StoreMeasurements(*store, set);
    EXPECT_EQ(store->Time.data(), timeData);
    EXPECT_EQ(store->Time.size(), static_cast<std::size_t>(Podatki::MaxSamples));
    EXPECT_EQ(store->SampleCount, 4);
    EXPECT_EQ(store->SignalCount, 3);
    EXPECT_EQ(store->SamplingTime, 0.25);
    EXPECT_EQ(store->WindowGap, 3);
    EXPECT_EQ(store->Column(3)[3], 12);
    EXPECT_EQ(store->Column(3)[4], 0); // beyond the set
    EXPECT_EQ(store->Column(5)[0], 0); // a column the set does not hold
    EXPECT_EQ(store->ColumnNames[2], "c");
    EXPECT_EQ(store->ColumnNames[6], "");

    MeasurementSet large(11, 1);
    StoreMeasurements(*store, large);
    EXPECT_EQ(store->WindowGap, 10);
}

TEST(ProcessingChoosers, DefaultColumnsStayWithinTheFile)
{
    const ColumnChoice six = DefaultColumns(6);
    EXPECT_EQ(six.MV, 1);
    EXPECT_EQ(six.U, 3);
    EXPECT_EQ(six.Y1, 5);
    EXPECT_EQ(six.Y2, 6);
    const ColumnChoice three = DefaultColumns(3);
    EXPECT_EQ(three.U, 3);
    EXPECT_EQ(three.Y1, 3);
    EXPECT_EQ(three.Y2, 3);
    EXPECT_EQ(DefaultColumns(1).U, 1);
}

TEST(ProcessingChoosers, WindowRangesKeepTheirGaps)
{
    const auto expect = [](const ChooserState& c, int minimum, int maximum, int position) {
        EXPECT_EQ(c.Minimum, minimum);
        EXPECT_EQ(c.Maximum, maximum);
        EXPECT_EQ(c.Position, position);
    };
    WindowChoosers w = ExperimentWindowChoosers(100);
    expect(w.Start, 1, 98, 1);
    expect(w.End, 1, 100, 100);
    w = ExperimentWindowChoosers(2);
    expect(w.Start, 1, 2, 1);
    expect(w.End, 1, 2, 2);

    w = LoadedWindowChoosers(100, 10, 5, 90);
    expect(w.Start, 1, 90, 5);
    expect(w.End, 10, 100, 90);
    w = LoadedWindowChoosers(5, 4, 3, 200); // positions kept inside the ranges
    expect(w.Start, 1, 1, 1);
    expect(w.End, 4, 5, 5);
    w = LoadedWindowChoosers(1, 0, 1, 1); // no sample 0
    expect(w.End, 1, 1, 1);

    w = WindowChoosersAfterStartChange(100, 20, 50);
    expect(w.Start, 1, 40, 20);
    expect(w.End, 30, 100, 50);
    w = WindowChoosersAfterStartChange(8, 3, 6); // no gap for 10 samples or fewer
    expect(w.Start, 1, 6, 3);
    expect(w.End, 3, 8, 6);
    w = WindowChoosersAfterEndChange(8, 7, 1, 8); // the store's gap in both cases
    expect(w.Start, 1, 1, 1);
    expect(w.End, 8, 8, 8);

    // A window without room for the gap: the chooser that moved keeps its
    // place when the data allow it, the other gives way, and neither leaves
    // 1..N.
    w = WindowChoosersAfterStartChange(50, 48, 50); // an experiment allows 1..N-2
    expect(w.Start, 1, 40, 40);
    expect(w.End, 50, 50, 50);
    w = WindowChoosersAfterStartChange(50, 30, 35);
    expect(w.Start, 1, 30, 30);
    expect(w.End, 40, 50, 40);
    w = WindowChoosersAfterEndChange(50, 10, 30, 35);
    expect(w.Start, 1, 25, 25);
    expect(w.End, 35, 50, 35);
    w = WindowChoosersAfterEndChange(10, 9, 5, 9); // after a start change without gap
    expect(w.Start, 1, 1, 1);
    expect(w.End, 10, 10, 10);
    w = WindowChoosersAfterEndChange(0, -1, 1, 1); // no data yet
    expect(w.Start, 1, 1, 1);
    expect(w.End, 1, 1, 1);
}

TEST(ProcessingChoosers, NewExperimentDataIsConditionedOnTheStandardColumns)
{
    auto store = StoreWith(8, [](int k, int i) { return 100.0 * k + i; });
    store->WindowGap = 10;
    ConditioningSettings settings;
    settings.Maximum = 1000;
    settings.Velocity = 0;
    const ProcessingLayout layout = PrepareExperimentData(*store, settings);
    EXPECT_EQ(store->WindowGap, 7);
    EXPECT_EQ(layout.ColumnMaximum, 6);
    EXPECT_EQ(layout.Window.End.Position, 8);
    ExpectDelayedByOneSample(store->ProcessedMV, store->Column(1), 8);
    ExpectDelayedByOneSample(store->ProcessedU, store->Column(3), 8);
    ExpectDelayedByOneSample(store->ProcessedY1, store->Column(5), 8);
    ExpectDelayedByOneSample(store->ProcessedY2, store->Column(6), 8);
}
