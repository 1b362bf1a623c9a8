#pragma once

// The run logic of the experiment window, without widgets: the set-up
// fields, the start of a run, the sampling tick, the step sequence, the end
// of the run with its hand-over to the processing page, the controller's
// loop mode and the arithmetic of the MV slider. The window TEksperiment
// drives it from its timer and draws what it reports; varkol-cli drives it in
// virtual time. It talks to the plant only through a PlantPort and records
// into the measurement store.
//
// The engine keeps the fields of the run window and of the shared state
// that belong to a run (TimeSinceStep, StepIndex); the store's SampleCount,
// SamplingTime and SignalCount are the shared ones and are used directly.

#include "experiment/PlantPort.h"
#include "opc/ProcessSimulation.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class Podatki;

// Status bar texts of the run window, the warning when the MV tag shows no
// good quality at the start of a manual trial, and the wait bound.
inline constexpr std::string_view StatusConnectedText = "  ";
inline constexpr std::string_view StatusSimulationText =
    "  Opozorilo: povezava s strežnikom ni vzpostavljena! Simulacija v teku...";
inline constexpr std::string_view NoConnectionMessage =
    "Povezava z OPC streznikom ni vzpostavljena! Aktivirana je simulacija procesa.";
// The same two for a run on an active connection whose loop has no tag in
// the tag table: the connection is there, the loop is simulated.
inline constexpr std::string_view StatusNoLoopTagsText =
    "  Opozorilo: zanka nima OPC točk! Simulacija v teku...";
inline constexpr std::string_view NoLoopTagsMessage =
    "V tabeli OPC točk ni nobene točke zanke (manip. signal, izhod reg., meritev 1 ali 2)! "
    "Aktivirana je simulacija procesa.";
constexpr int QualityWaitMs = 3000;

// One sample as the window shows it.
struct TickSample {
    double Time = 0; // ExperimentTime of the sample [s]
    double MV = 0;
    double U = 0;
    double Y1 = 0;
    double Y2 = 0;
    bool Simulated = false; // StatusSimulationText, else StatusConnectedText
    // Charts: drop the oldest point of each series before appending this one
    // (a sliding window of about 200 s) ...
    bool DropFirstPointBefore = false;
    // ... and after appending it (on the second sample, so that the sample
    // at time 0 is not drawn; it stays in the store).
    bool DropFirstPointAfter = false;
    bool StepEvent = false; // a step event followed this sample
};

// The vertical MV slider ScrollBar1: Position Min (the top) is the largest
// value; MV = (Max - Position) * SliderScale + SliderOffset.
struct SliderState {
    int Min = 0;
    int Max = 100;
    int Position = 100;
};

// Calls out of the engine into the window and the main window.
struct RunHooks {
    // The wait for good MV quality at the start of a run (the window pumps
    // its event queue, see WaitForGoodQuality). Unset: one test.
    std::function<bool()> WaitForMvQuality;
    // StartManualRun, when the quality did not become good: the message box
    // with NoConnectionMessage.
    std::function<void()> WarnNoConnection;
    // Each sample the tick has stored, at once (the run's journal).
    std::function<void(const TickSample&)> SampleRecorded;
};

class RunEngine {
public:
    RunEngine(Podatki& store, PlantPort& plant, UniformGenerator uniform);

    // --- Set up by the caller before a run ------------------------------
    std::string ExperimentLabel;
    bool KeepInitialInput = false; // start from the plant's present MV
    double InitialInput = 0;
    double WaitTime = 0; // [s] before the first step
    double StepSize = 0;
    double StepDuration = 0; // [s]
    int NumberOfSteps = 0;
    int SamplingMs = 1000; // sampling period [ms]
    bool BothDirections = false;
    bool ClosedLoopAfter = false;
    bool ClosedLoopDuring = false;
    bool NoOPCWrite = false;     // never write to the plant
    bool SingleRASwitch = false; // one R/A tag, else separate manual and auto tags
    int ManualRAValue = 0;       // value of the single R/A tag that means manual
    // The main window's mode: true while "Ročno voden poizkus" is checked.
    // The step sequence runs only while it is false; the caller keeps it in
    // step with the radio buttons (SwitchToManual sets it).
    bool ManualMode = false;

    RunHooks Hooks;

    // --- Operations --------------------------------------------------------
    // Once, when the window is created: simulation at rest, ExperimentTime 0,
    // SampleCount 1, SignalCount 6.
    void FormCreate();
    // Waits for the MV tag, sets the loop mode for the run, arms the step
    // sequence. Returns whether the MV quality became good.
    bool StartAutomaticRun();
    // Waits for the MV tag (warning through the hook when it stays bad), sets
    // the loop mode, enables the slider, the MV edit and the timer.
    void StartManualRun();
    // The parts of the two starts, for a caller that checks the run between
    // the wait and the first write to the plant.
    bool WaitForMV();
    void SwitchLoopForRun(); // automatic during the run, or manual
    void ArmSteps();
    // Throws the error that FormShow would refuse the run with: slider
    // parameters that give a negative number of slider positions (minimum
    // above maximum, or a negative step), an initial MV that is not finite,
    // keeping the plant's MV (KeepInitialInput) on an active connection whose
    // MV tag has delivered no value of good quality, no sampling period.
    void CheckStart(double mvMax, double mvMin, double mvStep) const;
    // The show of the window: initialises the run from the MV slider
    // parameters, takes the sample at time 0 and enables the timer. A run
    // that CheckStart refuses is refused before anything changes.
    void FormShow(double mvMax, double mvMin, double mvStep);
    // One sample. A finished run takes no more samples (returns the last).
    const TickSample& Tick();
    // One step event.
    void AdvanceStep();
    // Ends the run: timer off, the samples counted and padded to 10, the
    // analysis start of an automatic run, the loop mode after the run, and
    // the request to close. The data are finalised once; a second call (after
    // a failure of the loop switch) only repeats the loop switch. The caller
    // hands the record to the processing page when the window has closed.
    void FinishExperiment();
    void SetLoopManual();
    void SetLoopAuto();
    // Moves the slider to show MV = x, widening its range when x lies outside.
    void SetSliderToValue(double x);
    // The slider was moved to `position`. Ignored while ExperimentTime is 0
    // (returns false); otherwise takes MV from the slider and returns true.
    bool ScrollBar1Change(int position);
    // Whether the slider shows MV = x without widening its range, and the
    // lowest and highest MV it shows.
    bool SliderHolds(double x) const;
    double SliderLowest() const;
    double SliderHighest() const;
    // A value typed into the MV edit and confirmed with Enter.
    void TypedValue(double value);
    // "Preklop v ročno": leave the step sequence, enable the slider and the
    // MV edit and show the present MV on the slider.
    void SwitchToManual();

    // --- Run state, read by the window --------------------------------------
    double CurrentMV = 0;
    double CurrentU = 0;
    double CurrentY1 = 0;
    double CurrentY2 = 0;
    double SliderScale = 1;    // MV units per slider position
    double SliderOffset = 0;   // MV at the bottom of the slider (position Max)
    double ExperimentTime = 0; // time of the next sample [s]
    double NextEventTime = 0;  // [s] since the last step event before the next
    double TimeSinceStep = 0;
    int StepIndex = 0;
    SliderState Slider;
    // The connection ended during a run that began on the plant: the run
    // ended at that tick with the plant's samples, none simulated.
    bool ConnectionLost = false;
    // Why the last MV write was refused; empty again once a write is taken.
    // A refused write does not cost the tick its sample.
    std::string WriteRefusal;
    bool SliderEnabled = false;  // ScrollBar1 and VrednostVhodaEdit
    bool TimerEnabled = false;   // Timer1
    bool CloseRequested = false; // the run has ended; the window closes
    // After an automatic run: the first sample of the analysis window (at 90 %
    // of the wait), for the processing page's ScrollBar3, within its range.
    std::optional<int> AnalysisStart;
    ProcessSimulation Simulation;

    const TickSample& LastSample() const { return last_; }
    double SamplingPeriod() const { return SamplingMs * 0.001; }

private:
    void FinaliseData();
    void StoreSample(int sample, double time, double mv, double u, double y1, double y2);

    Podatki& store_;
    PlantPort& plant_;
    TickSample last_;
    bool dataFinalised_ = false;
    bool plantRun_ = false; // the run began on the plant
};
