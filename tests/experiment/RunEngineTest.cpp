#include "experiment/RunEngine.h"

#include "app/Errors.h"
#include "data/Podatki.h"
#include "experiment/FakePlant.h"
#include "support/ExpectClose.h"

#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// An engine on a fresh store, set up as the worked example of a step test:
// wait 10 s, two steps of 1 lasting 5 s, sampling 1 s, start at MV 50.
struct Rig {
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    FakePlant Plant;
    RunEngine Engine{*Store, Plant, MakeSeededUniformGenerator(11)};
    std::vector<double> Events;      // sample times of step events
    std::vector<int> AnalysisStarts; // positions handed to ScrollBar3
    int HandOvers = 0;

    Rig()
    {
        Engine.WaitTime = 10;
        Engine.StepDuration = 5;
        Engine.NumberOfSteps = 2;
        Engine.StepSize = 1;
        Engine.SamplingMs = 1000;
        Engine.InitialInput = 50;
        Engine.ClosedLoopAfter = true;
        Engine.Hooks.ShowExperimentData = [this] { ++HandOvers; };
        Engine.Hooks.SetAnalysisStart = [this](int position) {
            AnalysisStarts.push_back(position);
        };
    }

    void Note(const TickSample& sample)
    {
        if (sample.StepEvent)
            Events.push_back(sample.Time);
    }

    // Start, show and tick until the run ends, as the scheduler and the
    // window do for an automatic run.
    void RunAutomatic()
    {
        Engine.FormCreate();
        Engine.StartAutomaticRun();
        Engine.FormShow(100, 0, 1);
        Note(Engine.LastSample());
        for (int guard = 0; !Engine.CloseRequested && guard < 10000; ++guard)
            Note(Engine.Tick());
        ASSERT_TRUE(Engine.CloseRequested);
    }

    int Count() const { return Store->SampleCount; }
    double Time(int i) const { return Sample(Store->Time, i); }
    double Column(int k, int i) const { return Store->Column(k)[i - 1]; }
};

} // namespace

TEST(RunEngine, OneDirectionRunStoresTheStaircaseAndEndsOnTheLastEvent)
{
    Rig rig;
    rig.RunAutomatic();

    ASSERT_EQ(rig.Count(), 23);
    EXPECT_EQ(rig.Store->SamplingTime, 1.0);
    EXPECT_EQ(rig.Store->SignalCount, 6);
    for (int i = 1; i <= 23; ++i) {
        EXPECT_EQ(rig.Time(i), i - 1);
        const double expected = i <= 11 ? 50 : i <= 17 ? 51 : 52;
        EXPECT_EQ(rig.Column(1, i), expected) << "sample " << i;
        EXPECT_EQ(rig.Column(2, i), expected);
        EXPECT_EQ(rig.Column(3, i), expected - 10); // U of the simulation
        EXPECT_EQ(rig.Column(4, i), rig.Column(3, i));
    }
    EXPECT_EQ(rig.Events, (std::vector<double>{10, 16, 22}));
    EXPECT_EQ(rig.Engine.StepIndex, 3);
    EXPECT_FALSE(rig.Engine.TimerEnabled);
    EXPECT_EQ(rig.HandOvers, 1);
    // 90 % of a 10 s wait is sample 9: ScrollBar3 position 8.
    EXPECT_EQ(rig.AnalysisStarts, (std::vector<int>{8}));
}

TEST(RunEngine, BothDirectionsClimbAndComeBack)
{
    Rig rig;
    rig.Engine.BothDirections = true;
    rig.RunAutomatic();

    ASSERT_EQ(rig.Count(), 11 + 4 * 6);
    std::vector<double> levels;
    for (int i = 1; i <= rig.Count(); ++i)
        if (levels.empty() || levels.back() != rig.Column(1, i))
            levels.push_back(rig.Column(1, i));
    EXPECT_EQ(levels, (std::vector<double>{50, 51, 52, 51, 50}));
    EXPECT_EQ(rig.Events, (std::vector<double>{10, 16, 22, 28, 34}));
}

TEST(RunEngine, NoWriteRecordsOneStepDurationAndWritesNothing)
{
    Rig rig;
    rig.Plant.IsActive = true;
    rig.Plant.U = 3;
    rig.Plant.Y1 = 4;
    rig.Plant.Y2 = 5;
    rig.Engine.NoOPCWrite = true;
    rig.Engine.BothDirections = true;
    rig.Engine.SingleRASwitch = true;
    rig.RunAutomatic();

    EXPECT_EQ(rig.Count(), 11 + 6);
    EXPECT_TRUE(rig.Plant.Writes.empty());
    for (int i = 1; i <= rig.Count(); ++i) {
        EXPECT_EQ(rig.Column(1, i), 50);
        EXPECT_EQ(rig.Column(3, i), 3);
        EXPECT_EQ(rig.Column(5, i), 4);
        EXPECT_EQ(rig.Column(6, i), 5);
    }
}

TEST(RunEngine, OnThePlantMVIsWrittenUntilTheServerReportsIt)
{
    Rig rig;
    rig.Plant.IsActive = true;
    rig.Plant.U = 1.5;
    rig.Plant.Y1 = 2.5;
    rig.Plant.Y2 = 3.5;
    rig.Engine.FormCreate();
    rig.Engine.StartAutomaticRun();
    rig.Engine.FormShow(100, 0, 1);
    EXPECT_FALSE(rig.Engine.LastSample().Simulated);
    EXPECT_EQ(rig.Plant.Writes.back(), MVWrite(50));

    rig.Engine.Tick(); // not yet reported: written again
    EXPECT_EQ(rig.Plant.MVWriteCount(), 2);
    rig.Plant.StoredMV = 50.0;
    for (int i = 0; i < 8; ++i)
        rig.Engine.Tick();
    EXPECT_EQ(rig.Plant.MVWriteCount(), 2);
    EXPECT_EQ(rig.Column(3, 5), 1.5);
    EXPECT_EQ(rig.Column(5, 5), 2.5);
    EXPECT_EQ(rig.Column(6, 5), 3.5);

    // The event on the tick of time 10 raises MV after that sample is
    // stored; the plant receives it on the next tick.
    const TickSample& event = rig.Engine.Tick();
    EXPECT_TRUE(event.StepEvent);
    EXPECT_EQ(event.MV, 50);
    EXPECT_EQ(rig.Plant.MVWriteCount(), 2);
    rig.Engine.Tick();
    EXPECT_EQ(rig.Plant.Writes.back(), MVWrite(51));

    // The connection is asked on every tick: without it the simulation runs
    // and nothing is written.
    rig.Plant.IsActive = false;
    const std::size_t writes = rig.Plant.Writes.size();
    EXPECT_TRUE(rig.Engine.Tick().Simulated);
    EXPECT_EQ(rig.Plant.Writes.size(), writes);
    EXPECT_EQ(rig.Engine.CurrentU, 41);
}

TEST(RunEngine, KeepInitialInputTakesThePlantsMVOrTheSimulatedRestPoint)
{
    Rig rig;
    rig.Engine.KeepInitialInput = true;
    rig.Engine.FormShow(100, 0, 1);
    EXPECT_EQ(rig.Column(1, 1), 10);

    Rig onPlant;
    onPlant.Engine.KeepInitialInput = true;
    onPlant.Plant.IsActive = true;
    onPlant.Plant.StoredMV = 37.25;
    onPlant.Engine.FormShow(100, 0, 1);
    EXPECT_EQ(onPlant.Column(1, 1), 37.25);
    EXPECT_EQ(onPlant.Plant.MVWriteCount(), 0); // already at that value
}

TEST(RunEngine, AStoppedRunIsPaddedToTenSamples)
{
    Rig rig;
    rig.Engine.ManualMode = true;
    rig.Engine.FormCreate();
    rig.Engine.StartManualRun();
    rig.Engine.FormShow(100, 0, 1);
    rig.Engine.Tick();
    rig.Engine.Tick();
    rig.Engine.FinishExperiment();

    ASSERT_EQ(rig.Count(), 10);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(rig.Time(i), i - 1);
    for (int i = 4; i <= 10; ++i)
        for (int k = 1; k <= 6; ++k)
            EXPECT_EQ(rig.Column(k, i), rig.Column(k, 3)) << "sample " << i << " column " << k;
    EXPECT_NE(rig.Column(5, 2), rig.Column(5, 3)); // real samples carry their own noise
    EXPECT_TRUE(rig.AnalysisStarts.empty());       // a manual trial keeps the window start

    // Ending again (after a failed hand-over) does not lose a sample, and a
    // finished run takes no more samples.
    rig.Engine.FinishExperiment();
    rig.Engine.Tick();
    EXPECT_EQ(rig.Count(), 10);
    EXPECT_EQ(rig.HandOvers, 2);
}

TEST(RunEngine, TheAnalysisStartStaysInsideAShortRecord)
{
    Rig rig;
    rig.Engine.WaitTime = 100;
    rig.Engine.FormCreate();
    rig.Engine.StartAutomaticRun();
    rig.Engine.FormShow(100, 0, 1);
    for (int i = 0; i < 20; ++i)
        rig.Engine.Tick();
    rig.Engine.FinishExperiment();
    EXPECT_EQ(rig.Count(), 21);
    EXPECT_EQ(rig.AnalysisStarts, (std::vector<int>{19})); // 89 would lie beyond Max = 19

    Rig shortWait;
    shortWait.Engine.WaitTime = 0.5;
    shortWait.RunAutomatic();
    EXPECT_EQ(shortWait.AnalysisStarts, (std::vector<int>{1})); // e below 2 counts as 2
}

TEST(RunEngine, AFailingHandOverStillSwitchesTheLoopAndCloses)
{
    Rig rig;
    rig.Engine.Hooks.ShowExperimentData = [] { throw ConversionError("'x' ni veljavno število"); };
    rig.Engine.FormShow(100, 0, 1);
    EXPECT_THROW(rig.Engine.FinishExperiment(), ConversionError);
    EXPECT_TRUE(rig.Engine.CloseRequested);
    EXPECT_EQ(rig.Plant.Writes.back(), Switch(SwitchTag::Auto, 1));
}

TEST(RunEngine, TheSampleLimitEndsTheRunAfter4999Samples)
{
    Rig rig;
    rig.Engine.WaitTime = 1e9;
    rig.Engine.SamplingMs = 50;
    rig.RunAutomatic();

    EXPECT_EQ(rig.Count(), 4999);
    ExpectClose(rig.Time(4999), 4998 * 0.05, 1e-6);
    EXPECT_EQ(rig.Store->SamplingTime, 0.05);
    EXPECT_EQ(rig.Plant.Writes.back(), Switch(SwitchTag::Auto, 1));
    EXPECT_EQ(rig.Store->Column(1)[4999], 0); // the 5000th entry is never written
}

TEST(RunEngine, LoopModeOnASingleRATagFollowsTheManualValue)
{
    for (const int manual : {0, 1}) {
        Rig rig;
        rig.Engine.SingleRASwitch = true;
        rig.Engine.ManualRAValue = manual;
        rig.RunAutomatic(); // open loop during, closed after
        EXPECT_EQ(rig.Plant.Writes, (std::vector<PlantWrite>{Switch(SwitchTag::RA, manual),
                                                             Switch(SwitchTag::RA, 1 - manual)}))
            << "manual value " << manual;
    }

    Rig closedThroughout;
    closedThroughout.Engine.SingleRASwitch = true;
    closedThroughout.Engine.ClosedLoopDuring = true;
    closedThroughout.Engine.ClosedLoopAfter = false;
    closedThroughout.RunAutomatic();
    EXPECT_EQ(closedThroughout.Plant.Writes,
              (std::vector<PlantWrite>{Switch(SwitchTag::RA, 1), Switch(SwitchTag::RA, 0)}));
}

TEST(RunEngine, LoopModeOnSeparateTagsWritesOneToEach)
{
    Rig rig;
    rig.RunAutomatic();
    EXPECT_EQ(rig.Plant.Writes,
              (std::vector<PlantWrite>{Switch(SwitchTag::Manual, 1), Switch(SwitchTag::Auto, 1)}));

    Rig manualAfter;
    manualAfter.Engine.ClosedLoopDuring = true;
    manualAfter.Engine.ClosedLoopAfter = false;
    manualAfter.RunAutomatic();
    EXPECT_EQ(manualAfter.Plant.Writes,
              (std::vector<PlantWrite>{Switch(SwitchTag::Auto, 1), Switch(SwitchTag::Manual, 1)}));
}

TEST(RunEngine, StartingARunWaitsForTheMVTag)
{
    Rig rig;
    int warnings = 0;
    rig.Engine.Hooks.WarnNoConnection = [&] { ++warnings; };
    rig.Engine.StartManualRun();
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(rig.Engine.SliderEnabled);
    EXPECT_TRUE(rig.Engine.TimerEnabled);

    rig.Plant.QualityGood = true;
    rig.Engine.StartManualRun();
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(rig.Engine.StartAutomaticRun());

    // The wait pumps and tests until good or 3000 ms, testing at least once.
    long long now = 0;
    int tests = 0;
    const auto clock = [&] { return now; };
    const auto pump = [&] { now += 400; };
    EXPECT_FALSE(WaitForGoodQuality([&] { return ++tests, false; }, pump, clock));
    EXPECT_EQ(now, 3200);
    EXPECT_EQ(tests, 8);
    tests = 0;
    EXPECT_TRUE(WaitForGoodQuality([&] { return ++tests == 3; }, pump, clock));
    EXPECT_EQ(tests, 3);
    tests = 0;
    EXPECT_FALSE(WaitForGoodQuality([&] { return ++tests, false; }, [] {}, clock, 0));
    EXPECT_EQ(tests, 1);
}

TEST(RunEngine, ChartsHideTheFirstSampleAndKeepAboutTwoHundredSeconds)
{
    Rig rig;
    rig.Engine.ManualMode = true;
    rig.Engine.SamplingMs = 100;
    rig.Engine.FormShow(100, 0, 1);
    EXPECT_FALSE(rig.Engine.LastSample().DropFirstPointAfter);
    EXPECT_TRUE(rig.Engine.LastSample().Simulated);
    EXPECT_TRUE(rig.Engine.Tick().DropFirstPointAfter);
    int before = 0, after = 0;
    double firstDrop = -1;
    for (int i = 0; i < 2100; ++i) {
        const TickSample& s = rig.Engine.Tick();
        after += s.DropFirstPointAfter ? 1 : 0;
        if (s.DropFirstPointBefore && before++ == 0)
            firstDrop = s.Time;
    }
    EXPECT_EQ(after, 0);
    EXPECT_GT(firstDrop, 200.0);
    EXPECT_LT(firstDrop, 200.2);
    EXPECT_EQ(rig.Count(), 2103); // the store keeps every sample
}

TEST(RunEngine, TheSliderMapsPositionsToMVAndWidensForTypedValues)
{
    Rig rig;
    rig.Engine.ManualMode = true;
    rig.Engine.FormCreate();
    EXPECT_FALSE(rig.Engine.ScrollBar1Change(10)); // before the first sample

    rig.Engine.FormShow(100, 0, 0.5);
    EXPECT_EQ(rig.Engine.Slider.Max, 200);
    EXPECT_EQ(rig.Engine.SliderScale, 0.5);
    EXPECT_EQ(rig.Engine.Slider.Position, 100); // MV 50, top is the maximum
    EXPECT_EQ(rig.Engine.CurrentMV, 50);
    EXPECT_TRUE(rig.Engine.ScrollBar1Change(40));
    EXPECT_EQ(rig.Engine.CurrentMV, 80);

    rig.Engine.TypedValue(120); // above: new Max, thumb at the top
    EXPECT_EQ(rig.Engine.CurrentMV, 120);
    EXPECT_EQ(rig.Engine.Slider.Max, 240);
    EXPECT_EQ(rig.Engine.Slider.Position, 0);
    rig.Engine.TypedValue(-10); // below: the bottom moves down, thumb at the bottom
    EXPECT_EQ(rig.Engine.CurrentMV, -10);
    EXPECT_EQ(rig.Engine.Slider.Max, 260);
    EXPECT_EQ(rig.Engine.Slider.Position, 260);
    EXPECT_TRUE(rig.Engine.ScrollBar1Change(260));
    EXPECT_EQ(rig.Engine.CurrentMV, -10);
    EXPECT_TRUE(rig.Engine.ScrollBar1Change(0));
    EXPECT_EQ(rig.Engine.CurrentMV, 120); // the top still means the largest value
    rig.Engine.TypedValue(33.3);
    EXPECT_EQ(rig.Engine.Slider.Position, 260 - 87); // round(43.3 / 0.5) = 87
    EXPECT_EQ(rig.Engine.CurrentMV, 33.3);           // the typed value itself is kept
    EXPECT_THROW(rig.Engine.TypedValue(std::numeric_limits<double>::infinity()), ComputationError);
    EXPECT_EQ(rig.Engine.CurrentMV, 33.3);

    rig.Engine.ManualMode = false;
    rig.Engine.CurrentMV = 90;
    rig.Engine.SwitchToManual();
    EXPECT_TRUE(rig.Engine.ManualMode);
    EXPECT_EQ(rig.Engine.Slider.Position, 260 - 200);
}

TEST(RunEngine, SliderParametersAreCheckedAndDegenerateOnesStayFinite)
{
    Rig zeroStep; // round((max - min) / 0) falls back to max - min
    zeroStep.Engine.FormShow(100, 20, 0);
    EXPECT_EQ(zeroStep.Engine.Slider.Max, 80);
    EXPECT_EQ(zeroStep.Engine.SliderScale, 1);
    EXPECT_EQ(zeroStep.Engine.SliderOffset, 20);

    Rig noSpan; // one position; the scale falls back to the span, 0
    noSpan.Engine.ManualMode = true;
    noSpan.Engine.FormShow(7, 7, 1);
    EXPECT_EQ(noSpan.Engine.SliderScale, 0);
    EXPECT_EQ(noSpan.Engine.CurrentMV, 50);
    EXPECT_TRUE(noSpan.Engine.ScrollBar1Change(0));
    EXPECT_EQ(noSpan.Engine.CurrentMV, 7);

    // A minimum above the maximum gives no slider: refused before anything
    // of the run changes.
    Rig reversed;
    reversed.Engine.FormCreate();
    reversed.Engine.CurrentMV = 12;
    EXPECT_THROW(reversed.Engine.FormShow(0, 100, 1), ComputationError);
    EXPECT_EQ(reversed.Engine.CurrentMV, 12);
    EXPECT_EQ(reversed.Count(), 1);
    EXPECT_FALSE(reversed.Engine.TimerEnabled);
}

TEST(RunEngine, TheSameSeedRecordsTheSameRun)
{
    Rig a;
    Rig b;
    a.RunAutomatic();
    b.RunAutomatic();
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 1; i <= a.Count(); ++i)
        for (int k = 1; k <= 6; ++k)
            ASSERT_EQ(a.Column(k, i), b.Column(k, i));
}
