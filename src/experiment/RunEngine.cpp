#include "experiment/RunEngine.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {

// A value the plant must never receive.
void RequireFiniteMV(double mv, const char* what)
{
    if (!std::isfinite(mv))
        throw ComputationError(what);
}

} // namespace

RunEngine::RunEngine(Podatki& store, PlantPort& plant, UniformGenerator uniform)
    : Simulation(std::move(uniform)), store_(store), plant_(plant)
{
}

void RunEngine::FormCreate()
{
    Simulation.Reset();
    ExperimentTime = 0;
    store_.SampleCount = 1;
    store_.SignalCount = 6;
}

bool RunEngine::WaitForMV()
{
    return Hooks.WaitForMvQuality ? Hooks.WaitForMvQuality() : plant_.IsMVQualityGood();
}

void RunEngine::SwitchLoopForRun()
{
    if (ClosedLoopDuring)
        SetLoopAuto();
    else
        SetLoopManual();
}

void RunEngine::ArmSteps()
{
    NextEventTime = WaitTime;
    StepIndex = 0;
    TimeSinceStep = 0;
}

bool RunEngine::StartAutomaticRun()
{
    const bool good = WaitForMV();
    SwitchLoopForRun();
    ArmSteps();
    return good;
}

void RunEngine::StartManualRun()
{
    const bool good = WaitForMV();
    if (!good && Hooks.WarnNoConnection)
        Hooks.WarnNoConnection();
    SwitchLoopForRun();
    SliderEnabled = true;
    TimerEnabled = true;
}

namespace {

// The MV the run starts with.
double InitialMV(bool keep, double initialInput, const PlantPort& plant)
{
    return !keep ? initialInput : (plant.Active() ? plant.Value(LoopTag::MV) : 10.0);
}

int SliderPositions(double mvMax, double mvMin, double mvStep)
{
    const double span = mvMax - mvMin;
    return RoundHalfEven(SafeDivide(span, mvStep, span));
}

} // namespace

void RunEngine::CheckStart(double mvMax, double mvMin, double mvStep) const
{
    // Keeping the plant's MV needs a value the server has delivered: an MV
    // tag that has none (or only a bad one) would read 0, and the first tick
    // would drive the plant to that invented value.
    if (KeepInitialInput && plant_.Active() && !plant_.IsMVQualityGood())
        throw OpcError("Začetnega vhoda ni mogoče ohraniti: OPC strežnik še ni dostavil vrednosti "
                       "MV z dobro kakovostjo. Eksperiment se ne začne.");
    RequireFiniteMV(InitialMV(KeepInitialInput, InitialInput, plant_),
                    "Začetna vrednost MV ni končno število.");
    if (SamplingMs < 1)
        throw ComputationError("Čas vzorčenja mora biti pozitiven.");
    if (SliderPositions(mvMax, mvMin, mvStep) < 0 || !std::isfinite(mvMax - mvMin))
        throw ComputationError("Parametri drsnika MV (maksimum, minimum, korak) ne dajo "
                               "veljavnega območja drsnika.");
}

void RunEngine::FormShow(double mvMax, double mvMin, double mvStep)
{
    // Everything that can fail is decided before the run state changes.
    CheckStart(mvMax, mvMin, mvStep);
    const double initialMV = InitialMV(KeepInitialInput, InitialInput, plant_);
    const double span = mvMax - mvMin;
    const int positions = SliderPositions(mvMax, mvMin, mvStep);

    Simulation.Reset();
    ExperimentTime = 0;
    store_.SampleCount = 1;
    store_.SignalCount = 6;
    CurrentMV = initialMV;
    Slider = SliderState{0, positions, positions};
    SliderScale = SafeDivide(span, positions, span);
    SliderOffset = mvMin;
    SetSliderToValue(CurrentMV);
    dataFinalised_ = false;
    plantRun_ = plant_.Active();
    ConnectionLost = false;
    WriteRefusal.clear();
    CloseRequested = false;
    AnalysisStart.reset();
    last_ = TickSample{};

    Tick();
    TimerEnabled = true;
}

void RunEngine::StoreSample(int sample, double time, double mv, double u, double y1, double y2)
{
    Sample(store_.Time, sample) = time;
    const double values[6] = {mv, mv, u, u, y1, y2};
    for (int column = 1; column <= 6; ++column)
        store_.Column(column)[sample - 1] = values[column - 1];
}

const TickSample& RunEngine::Tick()
{
    if (dataFinalised_)
        return last_;
    if (store_.SampleCount < 1 || store_.SampleCount >= Podatki::MaxSamples) {
        FinishExperiment(); // no room left for a sample
        return last_;
    }

    TickSample sample;
    if (plantRun_ && !plant_.Active()) {
        // A record of the plant never goes on with simulated values: the run
        // ends with the samples taken up to the loss of the connection.
        ConnectionLost = true;
        FinishExperiment();
        return last_;
    }
    if (plant_.Active()) {
        if (!NoOPCWrite && plant_.MVDiffers(CurrentMV)) {
            RequireFiniteMV(CurrentMV, "Vrednost MV ni končno število.");
            // A refusal is the window's to report; the sample of this tick
            // is taken all the same, so the record's times stay true.
            try {
                plant_.WriteMV(CurrentMV);
                WriteRefusal.clear();
            } catch (const OpcError& e) {
                WriteRefusal = e.what();
            }
        }
        CurrentY1 = plant_.Value(LoopTag::Y1);
        CurrentY2 = plant_.Value(LoopTag::Y2);
        CurrentU = plant_.Value(LoopTag::U);
    } else {
        const ProcessSimulation::Outputs out = Simulation.Step(CurrentMV, NoOPCWrite);
        CurrentU = out.U;
        CurrentY1 = out.Y1;
        CurrentY2 = out.Y2;
        sample.Simulated = true;
    }

    const double period = SamplingPeriod();
    sample.Time = ExperimentTime;
    sample.MV = CurrentMV;
    sample.U = CurrentU;
    sample.Y1 = CurrentY1;
    sample.Y2 = CurrentY2;
    StoreSample(store_.SampleCount, ExperimentTime, CurrentMV, CurrentU, CurrentY1, CurrentY2);
    if (Hooks.SampleRecorded)
        Hooks.SampleRecorded(sample);
    sample.DropFirstPointBefore = ExperimentTime > 200.0;
    sample.DropFirstPointAfter = ExperimentTime == period;
    ExperimentTime += period;
    store_.SampleCount += 1;
    last_ = sample;

    if (!ManualMode) {
        TimeSinceStep += period;
        if (TimeSinceStep > NextEventTime) {
            last_.StepEvent = true;
            AdvanceStep();
        }
    }
    if (store_.SampleCount >= Podatki::MaxSamples)
        FinishExperiment();
    return last_;
}

void RunEngine::AdvanceStep()
{
    NextEventTime = StepDuration;
    TimeSinceStep = 0;
    StepIndex += 1;
    const long long k = StepIndex;
    long long limit = BothDirections ? 2LL * NumberOfSteps : NumberOfSteps;
    if (NoOPCWrite)
        limit = 1;
    if (k > limit) {
        FinishExperiment();
        return;
    }
    if (NoOPCWrite)
        return;
    const double next = k > NumberOfSteps ? CurrentMV - StepSize : CurrentMV + StepSize;
    RequireFiniteMV(next, "Nova vrednost MV ni končno število.");
    CurrentMV = next;
}

void RunEngine::FinaliseData()
{
    store_.SamplingTime = SamplingMs / 1000.0;
    int count = std::clamp(store_.SampleCount - 1, 0, Podatki::MaxSamples - 1);
    // Short records are padded to 10 samples, each a copy of the last real
    // one at the following sample times. A run that never took a sample
    // pads with the present values.
    double last[6] = {CurrentMV, CurrentMV, CurrentU, CurrentU, CurrentY1, CurrentY2};
    if (count > 0)
        for (int column = 1; column <= 6; ++column)
            last[column - 1] = store_.Column(column)[count - 1];
    while (count < 10) {
        ++count;
        StoreSample(count, ExperimentTime, last[0], last[2], last[4], last[5]);
        ExperimentTime += SamplingPeriod();
    }
    store_.SampleCount = count;
    dataFinalised_ = true;
}

void RunEngine::FinishExperiment()
{
    TimerEnabled = false;
    if (!dataFinalised_)
        FinaliseData();

    if (!ManualMode) {
        // The analysis window starts at 90 % of the wait, in samples, kept
        // within the range the processing page gives ScrollBar3 for the
        // record.
        const double waitSamples = SafeDivide(WaitTime, store_.SamplingTime, WaitTime);
        const int e = std::max(RoundHalfEven(0.9 * waitSamples), 2);
        const int n = store_.SampleCount;
        const int maxStart = n > 2 ? n - 2 : 2;
        AnalysisStart = std::min(e - 1, maxStart);
    }
    // A refused switch leaves the window open (the timer stopped), so the
    // user sees it and can end the run again.
    if (ClosedLoopAfter)
        SetLoopAuto();
    else
        SetLoopManual();
    CloseRequested = true;
}

void RunEngine::SetLoopManual()
{
    if (NoOPCWrite)
        return;
    if (SingleRASwitch)
        plant_.WriteSwitch(SwitchTag::RA, ManualRAValue);
    else
        plant_.WriteSwitch(SwitchTag::Manual, 1);
}

void RunEngine::SetLoopAuto()
{
    if (NoOPCWrite)
        return;
    if (SingleRASwitch)
        plant_.WriteSwitch(SwitchTag::RA, std::abs(ManualRAValue - 1));
    else
        plant_.WriteSwitch(SwitchTag::Auto, 1);
}

namespace {

// The slider value (Max - Position) that shows MV = x.
int SliderValue(double x, double offset, double scale)
{
    const double fromBottom = x - offset;
    return RoundHalfEven(SafeDivide(fromBottom, scale, fromBottom));
}

} // namespace

bool RunEngine::SliderHolds(double x) const
{
    const int v = SliderValue(x, SliderOffset, SliderScale);
    return v >= Slider.Min && v <= Slider.Max;
}

double RunEngine::SliderLowest() const
{
    return Slider.Min * SliderScale + SliderOffset;
}

double RunEngine::SliderHighest() const
{
    return Slider.Max * SliderScale + SliderOffset;
}

void RunEngine::SetSliderToValue(double x)
{
    const int v = SliderValue(x, SliderOffset, SliderScale);
    if (v > Slider.Max) {
        Slider.Max = v;
        Slider.Position = 0;
    } else if (v < Slider.Min) {
        // Widen downwards: the bottom of the slider moves to the value by
        // whole slider steps, so every position keeps meaning the value the
        // slider formula gives it and the top stays the maximum.
        const long long room = static_cast<long long>(INT_MAX) - Slider.Max;
        const int extra = static_cast<int>(std::min(static_cast<long long>(Slider.Min) - v, room));
        Slider.Max += extra;
        SliderOffset -= extra * SliderScale;
        Slider.Position = Slider.Max;
    } else {
        Slider.Position = Slider.Max - v;
    }
}

bool RunEngine::ScrollBar1Change(int position)
{
    if (ExperimentTime == 0)
        return false;
    Slider.Position = position;
    CurrentMV = (Slider.Max - position) * SliderScale + SliderOffset;
    return true;
}

void RunEngine::TypedValue(double value)
{
    RequireFiniteMV(value, "Vrednost MV ni končno število.");
    CurrentMV = value;
    SetSliderToValue(CurrentMV);
}

void RunEngine::SwitchToManual()
{
    SliderEnabled = true;
    ManualMode = true;
    SetSliderToValue(CurrentMV);
}
