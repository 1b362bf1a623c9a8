#pragma once

// The experiment run window: samples the loop, generates the step sequence,
// switches the controller and records the samples. The run logic is the
// RunEngine (Engine); the window drives it from Timer1, shows what it
// reports, and talks to the plant through the items of its OPC group
// "Skupina1" (Plant).
//
// How a caller runs an experiment:
//   1. set the run fields of Engine (ExperimentLabel, SamplingMs,
//      KeepInitialInput, InitialInput, the step fields for an automatic run,
//      ClosedLoopDuring, ClosedLoopAfter, NoOPCWrite, SingleRASwitch,
//      ManualRAValue);
//   2. add the loop's tags to ExperimentGroup and keep the items in Plant
//      (ItemMV, ItemU, ItemY1, ItemY2, ItemRA or ItemManual and ItemAuto);
//      ClearItems() empties the group and forgets the items;
//   3. show or hide RocniAvtomatski ("Preklop v ročno", for automatic runs);
//   4. StartManualRun() or StartAutomaticRun();
//   5. exec(): the window takes the first sample when shown and returns
//      Accepted when the run has ended and the data were handed over
//      (Host.ShowExperimentData), Rejected when the run could not start.
// Host connects the window to the main window, which this window does not
// know.

#include "experiment/OpcPlantPort.h"
#include "experiment/RunEngine.h"

#include <QDialog>
#include <QString>

#include <functional>

class LiveChart;
class OpcGroup;
class OpcServer;
class Podatki;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;

// The main window's MV slider parameters: Edit_MVMax, Edit_MVMin, Edit_MVStep.
struct MvSliderTexts {
    QString Maximum = QStringLiteral("100");
    QString Minimum = QStringLiteral("0");
    QString Step = QStringLiteral("1");
};

// The texts ShowExperimentData conditions the new record with: the filter
// time (Edit8) and the actuator limits (Edit_Actuator_Maximum,
// Edit_Actuator_Minimum, Edit_Actuator_Velocity).
struct ConditioningTexts {
    QString FilterTime;
    QString ActuatorMaximum;
    QString ActuatorMinimum;
    QString ActuatorVelocity;
};

// What the run window needs of the main window. Unset members do nothing
// (or give the defaults above).
struct ExperimentHost {
    // Whether "Ročno voden poizkus" (RadioRocno) is checked; the step
    // sequence runs only while it is not. Unset: the window goes by the kind
    // of run it was started for and by "Preklop v ročno".
    std::function<bool()> IsManualTrial;
    // Checks RadioRocno, running its click handler ("Preklop v ročno").
    std::function<void()> CheckManualTrial;
    std::function<MvSliderTexts()> ReadSliderTexts;
    std::function<ConditioningTexts()> ReadConditioningTexts;
    // Prepares the processing page for the new record.
    std::function<void(const ConditioningTexts&)> ShowExperimentData;
    // The analysis-start position (ScrollBar3) after an automatic run.
    std::function<void(int position)> SetAnalysisStart;
};

class TEksperiment : public QDialog {
    Q_OBJECT
public:
    // `store` and `server` must outlive the window. Adds the group
    // "Skupina1" to `server` (FormCreate).
    TEksperiment(Podatki& store, OpcServer& server, QWidget* parent = nullptr);
    ~TEksperiment() override;

    ExperimentHost Host;
    OpcGroup* ExperimentGroup = nullptr;
    OpcPlantPort Plant;
    RunEngine Engine;
    // The wait for good MV quality at the start of a run [ms].
    int QualityWaitLimitMs = QualityWaitMs;

    // --- Controls, top to bottom ---------------------------------------
    LiveChart* Chart1 = nullptr; // MV
    QLineSeries* LineSeries1 = nullptr;
    LiveChart* Chart_U = nullptr; // U
    QLineSeries* Series1 = nullptr;
    LiveChart* Chart3 = nullptr; // Y1
    QLineSeries* Series2 = nullptr;
    LiveChart* Chart2 = nullptr; // Y2
    QLineSeries* LineSeries5 = nullptr;
    QLabel* Label_Exp_MV = nullptr;
    QLabel* Label_Exp_U1 = nullptr;
    QLabel* Label_Exp_Y1 = nullptr;
    QLabel* Label_Exp_Y2 = nullptr;
    QLabel* Label1 = nullptr; // "t="
    QLabel* Label2 = nullptr; // experiment time
    QScrollBar* ScrollBar1 = nullptr;
    QLineEdit* VrednostVhodaEdit = nullptr;
    QPushButton* RocniAvtomatski = nullptr;
    QPushButton* KonecEksperimenta = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    // --- Operations --------------------------------------------------------
    // Empties ExperimentGroup and forgets Plant's items.
    void ClearItems();
    // Waits for the MV tag (keeping the GUI alive), sets the loop mode and
    // arms the step sequence; the slider and the MV edit are disabled.
    // Returns whether the MV quality became good.
    bool StartAutomaticRun();
    // Waits for the MV tag and warns when it shows no good quality, sets
    // the loop mode, enables the slider and the MV edit.
    void StartManualRun();

    // Handlers (public so that tests can call them as their events would).
    void FormShow();
    void Timer1Timer();
    void ScrollBar1Change(int position);
    void VrednostVhodaEditKeyPress();
    void RocniAvtomatskiClick();
    void KonecEksperimentaClick();

    // The close box and Esc end a running experiment as "Konec
    // eksperimenta" does, so that no run goes on behind a hidden window.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void FormCreate();
    void SyncManualMode();
    void FinishExperiment();
    void CloseWhenFinished();
    void ShowSample(const TickSample& sample);
    void ShowSlider();
    void ShowMVInEdit();
    void SetManualInputEnabled(bool enabled);
    bool WaitForMvQuality();
    // Connected, but the loop has none of its tags: the run is simulated.
    bool LoopWithoutTags() const;

    OpcServer& server_;
    bool running_ = false; // shown, first sample taken, not yet ended
    bool inTick_ = false;
    bool starting_ = false; // inside the wait of a start
    // The kind of run started, for when Host.IsManualTrial is unset.
    bool manualTrial_ = true;
};
