#include "experiment/RunEngine.h"

#include "base/Errors.h"
#include "data/Podatki.h"
#include "experiment/FakePlant.h"
#include "support/ExpectClose.h"

#include <limits>
#include <memory>
#include <vector>

namespace {

using Levels = std::vector<double>;
using Writes = std::vector<PlantWrite>;

// An engine on a fresh store, set up as the worked example of a step test:
// wait 10 s, two steps of 1 lasting 5 s, sampling 1 s, start at MV 50.
struct Rig {
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    FakePlant Plant;
    RunEngine Engine{*Store, Plant, MakeSeededUniformGenerator(11)};
    std::vector<double> Events; // sample times of step events

    Rig()
    {
        Engine.WaitTime = 10;
        Engine.StepDuration = 5;
        Engine.NumberOfSteps = 2;
        Engine.StepSize = 1;
        Engine.InitialInput = 50;
        Engine.ClosedLoopAfter = true;
    }

    // Start, show and tick until the run ends, as for an automatic run.
    void RunAutomatic()
    {
        Engine.FormCreate();
        Engine.StartAutomaticRun();
        Engine.FormShow(100, 0, 1);
        for (TickSample s = Engine.LastSample(); !Engine.CloseRequested; s = Engine.Tick())
            if (s.StepEvent)
                Events.push_back(s.Time);
        if (Engine.LastSample().StepEvent) // the event that ended the run
            Events.push_back(Engine.LastSample().Time);
    }

    // A manual trial shown with the slider 0..100 in steps of `step`.
    void ShowManual(double step = 1)
    {
        Engine.ManualMode = true;
        Engine.FormCreate();
        Engine.StartManualRun();
        Engine.FormShow(100, 0, step);
    }

    int Count() const { return Store->SampleCount; }
    double Time(int i) const { return Sample(Store->Time, i); }
    double Column(int k, int i) const { return Store->Column(k)[i - 1]; }
    Levels MVLevels() const
    {
        Levels levels;
        for (int i = 1; i <= Count(); ++i)
            if (levels.empty() || levels.back() != Column(1, i))
                levels.push_back(Column(1, i));
        return levels;
    }
};

} // namespace

TEST(RunEngine, TheStaircaseHoldsEachLevelForItsSamplesAndEndsOnTheLastEvent)
{
    Rig rig;
    rig.RunAutomatic();
    ASSERT_EQ(rig.Count(), 23);
    EXPECT_EQ(rig.Store->SamplingTime, 1.0);
    EXPECT_EQ(rig.Store->SignalCount, 6);
    for (int i = 1; i <= 23; ++i) {
        EXPECT_EQ(rig.Time(i), i - 1);
        EXPECT_EQ(rig.Column(1, i), i <= 11 ? 50 : i <= 17 ? 51 : 52) << "sample " << i;
        EXPECT_EQ(rig.Column(2, i), rig.Column(1, i));
        EXPECT_EQ(rig.Column(3, i), rig.Column(1, i) - 10); // U of the simulation
        EXPECT_EQ(rig.Column(4, i), rig.Column(3, i));
    }
    EXPECT_EQ(rig.Events, (std::vector<double>{10, 16, 22}));
    EXPECT_FALSE(rig.Engine.TimerEnabled);
    EXPECT_EQ(rig.Engine.AnalysisStart, 8); // 90 % of the wait: sample 9

    Rig both;
    both.Engine.BothDirections = true;
    both.RunAutomatic();
    EXPECT_EQ(both.Count(), 11 + 4 * 6);
    EXPECT_EQ(both.MVLevels(), (Levels{50, 51, 52, 51, 50}));

    // The same seed records the same noise.
    Rig again;
    again.RunAutomatic();
    for (int i = 1; i <= 23; ++i)
        ASSERT_EQ(again.Column(5, i), rig.Column(5, i));
}

TEST(RunEngine, NoWriteRecordsOneStepDurationAndWritesNothing)
{
    Rig rig;
    rig.Plant.Connect(3, 4, 5);
    rig.Engine.NoOPCWrite = true;
    rig.Engine.BothDirections = true;
    rig.RunAutomatic();
    EXPECT_EQ(rig.Count(), 11 + 6);
    EXPECT_EQ(rig.Plant.Writes, Writes{});
    EXPECT_EQ(rig.MVLevels(), Levels{50});
    EXPECT_EQ(rig.Column(3, 17), 3);
    EXPECT_EQ(rig.Column(6, 17), 5);
}

TEST(RunEngine, OnThePlantMVIsWrittenUntilTheServerReportsIt)
{
    Rig rig;
    rig.Plant.Connect(1.5, 2.5, 3.5);
    rig.Engine.FormCreate();
    rig.Engine.StartAutomaticRun();
    rig.Engine.FormShow(100, 0, 1);
    rig.Engine.Tick(); // not yet reported: written again
    rig.Plant.StoredMV = 50.0;
    for (int i = 0; i < 8; ++i)
        rig.Engine.Tick();
    const Writes start{Switch(SwitchTag::Manual, 1), MVWrite(50), MVWrite(50)};
    EXPECT_EQ(rig.Plant.Writes, start);
    EXPECT_FALSE(rig.Engine.LastSample().Simulated);
    EXPECT_EQ(rig.Column(3, 5), 1.5);
    EXPECT_EQ(rig.Column(5, 5), 2.5);
    EXPECT_EQ(rig.Column(6, 5), 3.5);

    // The event on the tick of time 10 raises MV after that sample is
    // stored; the plant receives it on the next tick.
    EXPECT_TRUE(rig.Engine.Tick().StepEvent);
    EXPECT_EQ(rig.Column(1, 11), 50);
    EXPECT_EQ(rig.Plant.Writes, start);
    rig.Engine.Tick();
    EXPECT_EQ(rig.Plant.Writes.back(), MVWrite(51));

    // A refused write costs the tick no sample; the refusal is kept until a
    // write is taken again.
    rig.Plant.RefuseMV = true;
    rig.Engine.TypedValue(55);
    rig.Engine.Tick();
    EXPECT_EQ(rig.Count(), 14);
    EXPECT_EQ(rig.Column(1, 13), 55);
    EXPECT_EQ(rig.Engine.WriteRefusal, "MV refused");
    rig.Plant.RefuseMV = false;
    rig.Engine.Tick();
    EXPECT_EQ(rig.Engine.WriteRefusal, "");

    // The connection is asked on every tick. A run that began on the plant
    // never goes on with simulated values: without the connection it ends
    // with the plant's samples.
    rig.Plant.IsActive = false;
    EXPECT_FALSE(rig.Engine.Tick().Simulated);
    EXPECT_TRUE(rig.Engine.ConnectionLost);
    EXPECT_TRUE(rig.Engine.CloseRequested);
    EXPECT_EQ(rig.Count(), 14);

    Rig keep; // "Ohrani začetni vhod": the plant's MV, or the simulated rest point
    keep.Engine.KeepInitialInput = true;
    keep.Engine.FormShow(100, 0, 1);
    EXPECT_EQ(keep.Column(1, 1), 10);
    keep.Plant.IsActive = true;
    keep.Plant.StoredMV = 37.25;
    keep.Plant.QualityGood = true;
    keep.Engine.FormShow(100, 0, 1);
    EXPECT_EQ(keep.Column(1, 1), 37.25);
    EXPECT_EQ(keep.Plant.Writes, Writes{});

    // A connected MV tag that has delivered no good value is not taken as 0:
    // the show is refused before anything is written or stored.
    Rig unknown;
    unknown.Engine.KeepInitialInput = true;
    unknown.Plant.IsActive = true;
    const int samples = unknown.Store->SampleCount;
    EXPECT_THROW(unknown.Engine.FormShow(100, 0, 1), OpcError);
    EXPECT_EQ(unknown.Store->SampleCount, samples);
    EXPECT_EQ(unknown.Plant.Writes, Writes{});
}

TEST(RunEngine, AStoppedRunIsPaddedToTenSamplesOnce)
{
    Rig rig;
    rig.ShowManual();
    rig.Engine.Tick();
    rig.Engine.Tick();
    rig.Engine.FinishExperiment();
    ASSERT_EQ(rig.Count(), 10);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(rig.Time(i), i - 1);
    for (int i = 4; i <= 10; ++i)
        for (int k = 1; k <= 6; ++k)
            EXPECT_EQ(rig.Column(k, i), rig.Column(k, 3)) << "sample " << i << " column " << k;
    EXPECT_NE(rig.Column(5, 2), rig.Column(5, 3));
    EXPECT_FALSE(rig.Engine.AnalysisStart); // a manual trial keeps the window start

    // Ending again (after a refused switch) loses no sample; a finished run
    // takes no more samples.
    rig.Engine.FinishExperiment();
    rig.Engine.Tick();
    EXPECT_EQ(rig.Count(), 10);
}

TEST(RunEngine, TheEndOfARunIsRobust)
{
    Rig shortRecord; // 90 % of a 100 s wait lies beyond a 21-sample record
    shortRecord.Engine.WaitTime = 100;
    shortRecord.Engine.FormCreate();
    shortRecord.Engine.StartAutomaticRun();
    shortRecord.Engine.FormShow(100, 0, 1);
    for (int i = 0; i < 20; ++i)
        shortRecord.Engine.Tick();
    shortRecord.Engine.FinishExperiment();
    EXPECT_EQ(shortRecord.Engine.AnalysisStart, 19); // ScrollBar3's Max

    Rig shortWait;
    shortWait.Engine.WaitTime = 0.5;
    shortWait.RunAutomatic();
    EXPECT_EQ(shortWait.Engine.AnalysisStart, 1); // e below 2 counts as 2

    Rig limit;
    limit.Engine.WaitTime = 1e9;
    limit.Engine.SamplingMs = 50;
    limit.RunAutomatic();
    EXPECT_EQ(limit.Count(), 4999);
    ExpectClose(limit.Time(4999), 4998 * 0.05, 1e-6);
    EXPECT_EQ(limit.Store->SamplingTime, 0.05);
    EXPECT_EQ(limit.Store->Column(1)[4999], 0); // the 5000th entry is never written
    EXPECT_EQ(limit.Plant.Writes.back(), Switch(SwitchTag::Auto, 1));
}

TEST(RunEngine, LoopModeWritesTheRATags)
{
    struct Case {
        bool Single;
        int Manual;
        bool During, After;
        Writes Expected;
    };
    const Case cases[] = {
        {true, 0, false, true, {Switch(SwitchTag::RA, 0), Switch(SwitchTag::RA, 1)}},
        {true, 1, false, true, {Switch(SwitchTag::RA, 1), Switch(SwitchTag::RA, 0)}},
        {true, 0, true, false, {Switch(SwitchTag::RA, 1), Switch(SwitchTag::RA, 0)}},
        {false, 0, false, true, {Switch(SwitchTag::Manual, 1), Switch(SwitchTag::Auto, 1)}},
        {false, 1, true, false, {Switch(SwitchTag::Auto, 1), Switch(SwitchTag::Manual, 1)}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.Engine.SingleRASwitch = c.Single;
        rig.Engine.ManualRAValue = c.Manual;
        rig.Engine.ClosedLoopDuring = c.During;
        rig.Engine.ClosedLoopAfter = c.After;
        rig.RunAutomatic();
        EXPECT_EQ(rig.Plant.Writes, c.Expected) << c.Single << c.Manual << c.During << c.After;
    }
}

TEST(RunEngine, StartingARunWaitsForTheMVTag)
{
    Rig rig;
    int warnings = 0;
    rig.Engine.Hooks.WarnNoConnection = [&] { ++warnings; };
    rig.Engine.StartManualRun();
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(rig.Engine.SliderEnabled && rig.Engine.TimerEnabled);
    rig.Plant.QualityGood = true;
    rig.Engine.StartManualRun();
    EXPECT_EQ(warnings, 1);
}

TEST(RunEngine, ChartsHideTheFirstSampleAndKeepAboutTwoHundredSeconds)
{
    Rig rig;
    rig.Engine.SamplingMs = 100;
    rig.ShowManual();
    EXPECT_FALSE(rig.Engine.LastSample().DropFirstPointAfter);
    EXPECT_TRUE(rig.Engine.Tick().DropFirstPointAfter);
    double firstDrop = -1;
    for (int i = 0; i < 2100; ++i) {
        const TickSample& s = rig.Engine.Tick();
        EXPECT_FALSE(s.DropFirstPointAfter);
        if (s.DropFirstPointBefore && firstDrop < 0)
            firstDrop = s.Time;
    }
    EXPECT_GT(firstDrop, 200.0);
    EXPECT_LT(firstDrop, 200.2);
    EXPECT_EQ(rig.Count(), 2103); // the store keeps every sample
}

TEST(RunEngine, TheSliderMapsPositionsToMVAndWidensForTypedValues)
{
    Rig rig;
    rig.Engine.FormCreate();
    EXPECT_FALSE(rig.Engine.ScrollBar1Change(10)); // before the first sample
    rig.ShowManual(0.5);
    EXPECT_EQ(rig.Engine.Slider.Max, 200);
    EXPECT_EQ(rig.Engine.Slider.Position, 100); // MV 50; the top is the maximum
    EXPECT_TRUE(rig.Engine.ScrollBar1Change(40));
    EXPECT_EQ(rig.Engine.CurrentMV, 80);

    rig.Engine.TypedValue(120); // above: new Max, thumb at the top
    EXPECT_EQ(rig.Engine.Slider.Max, 240);
    EXPECT_EQ(rig.Engine.Slider.Position, 0);
    rig.Engine.TypedValue(-10); // below: the bottom moves down, thumb at the bottom
    EXPECT_EQ(rig.Engine.Slider.Max, 260);
    EXPECT_EQ(rig.Engine.Slider.Position, 260);
    EXPECT_EQ(rig.Engine.CurrentMV, -10);
    EXPECT_TRUE(rig.Engine.ScrollBar1Change(0));
    EXPECT_EQ(rig.Engine.CurrentMV, 120); // the top still means the largest value
    rig.Engine.TypedValue(33.3);
    EXPECT_EQ(rig.Engine.Slider.Position, 260 - 87); // round(43.3 / 0.5)
    EXPECT_EQ(rig.Engine.CurrentMV, 33.3);
    EXPECT_THROW(rig.Engine.TypedValue(std::numeric_limits<double>::infinity()), ComputationError);
    EXPECT_EQ(rig.Engine.CurrentMV, 33.3);

    Rig zeroStep; // round((max - min) / 0) falls back to max - min
    zeroStep.Engine.ManualMode = true;
    zeroStep.Engine.FormShow(100, 20, 0);
    EXPECT_EQ(zeroStep.Engine.Slider.Max, 80);
    EXPECT_EQ(zeroStep.Engine.SliderScale, 1);
    zeroStep.Engine.FormShow(7, 7, 1); // no span: one value
    EXPECT_TRUE(zeroStep.Engine.ScrollBar1Change(0));
    EXPECT_EQ(zeroStep.Engine.CurrentMV, 7);

    // A minimum above the maximum gives no slider: refused before the run changes.
    Rig reversed;
    reversed.Engine.FormCreate();
    EXPECT_THROW(reversed.Engine.FormShow(0, 100, 1), ComputationError);
    EXPECT_EQ(reversed.Count(), 1);
    EXPECT_FALSE(reversed.Engine.TimerEnabled);
}
