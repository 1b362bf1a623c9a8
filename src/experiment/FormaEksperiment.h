#pragma once

// The experiment run window: samples the loop, generates the step sequence,
// switches the controller and records the samples. The run logic is the
// RunEngine (Engine); the window drives it from Timer1, shows what it
// reports, and talks to the plant through the items of its OPC group
// "Skupina1" (Plant).
//
// A caller describes the experiment by a RunPlan and calls Run(), which
// starts it (StartRun: items, checks, loop switch), shows the window
// modally until the run ends and returns its RunOutcome. The window reads
// nothing of the main window; the caller refreshes its own pages from the
// outcome and the store.

#include "experiment/OpcPlantPort.h"
#include "experiment/RecordJournal.h"
#include "experiment/RunEngine.h"
#include "experiment/RunPlan.h"
#include "experiment/RunStart.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <string>

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

// A live chart is drawn at least this often; at shorter sampling periods
// the four charts take turns [ms].
inline constexpr int MinChartRedrawMs = 200;

class TEksperiment : public QDialog {
    Q_OBJECT
public:
    // `store` and `server` must outlive the window. Adds the group
    // "Skupina1" to `server` (FormCreate).
    TEksperiment(Podatki& store, OpcServer& server, QWidget* parent = nullptr);
    ~TEksperiment() override;

    OpcGroup* ExperimentGroup = nullptr;
    OpcPlantPort Plant;
    RunEngine Engine;
    // The wait for good MV quality at the start of a run [ms].
    int QualityWaitLimitMs = QualityWaitMs;
    // The journal of the run's record: begun with the first sample, closed
    // when the run has ended; the main window discards it when the record is
    // saved or discarded.
    RecordJournal Journal;
    // Nobody is at the plant (a queued experiment): what the window would
    // tell in a message box goes to the status line and the run's notes
    // (RunOutcome::Notes), so that no box waits all night for a click. The
    // question about a loop that cannot be switched was asked when the
    // experiment was activated.
    bool Unattended = false;

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
    // The names of the four values with their tags' descriptions.
    std::array<QLabel*, 4> ValueCaptions{};
    QLabel* Label1 = nullptr; // "t="
    QLabel* Label2 = nullptr; // experiment time
    QScrollBar* ScrollBar1 = nullptr;
    QLineEdit* VrednostVhodaEdit = nullptr;
    QPushButton* RocniAvtomatski = nullptr;
    QPushButton* KonecEksperimenta = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    // --- Operations --------------------------------------------------------
    // Carries out the experiment of `plan`: starts it, shows the window
    // modally and returns when the run has ended (Finished, the record in
    // the store) or could not start (Refusal; the store's previous record
    // kept). Throws VarkolError when a start is already under way.
    RunOutcome Run(const RunPlan& plan);
    // Run's first half, for tests that show the window and take its ticks
    // themselves: starts `plan` and sets the window and the store's header
    // up for it.
    RunStart Start(const RunPlan& plan);
    // "Preklop v ročno" was pressed in this run.
    bool SwitchedToManual() const { return switchedToManual_; }

    // Handlers (public so that tests can call them as their events would).
    void FormShow();
    void Timer1Timer();
    void ScrollBar1Change(int position);
    void VrednostVhodaEditKeyPress();
    void RocniAvtomatskiClick();
    void KonecEksperimentaClick();

    // The close box and Esc end a running experiment as "Konec
    // eksperimenta" does, after the user confirms, so that no run goes on
    // behind a hidden window.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void FormCreate();
    void FinishExperiment();
    void CloseWhenFinished();
    void BeginJournal();
    void ReportPlantFaults();
    void ShowSample(const TickSample& sample);
    void ShowSlider();
    void ShowMVInEdit();
    void SetManualInputEnabled(bool enabled);
    bool WaitForMvQuality();
    // Connected, but the loop has none of its tags: the run is simulated.
    bool LoopWithoutTags() const;
    void ShowValueCaptions(const LoopTags& loop);
    // What the status line adds to the connection text: the signals without
    // a tag on the server, a loop that is not switched.
    QString RunNotes() const;
    // A handler's failure: a message box, or a note when unattended.
    template <typename Handler> bool Attempt(Handler&& handler);
    void Tell(const QString& message);

    Podatki& store_;
    OpcServer& server_;
    RunPlan plan_;
    std::array<std::string, 6> previousNames_; // the header Start replaced
    int previousSampleCount_ = 0;
    int previousSignalCount_ = 0;
    double previousSamplingTime_ = 0;
    bool running_ = false; // shown, first sample taken, not yet ended
    bool inTick_ = false;
    int ticksShown_ = 0;            // samples shown since the run began (chart turns)
    bool starting_ = false;         // inside the wait of a start
    bool switchedToManual_ = false; // "Preklop v ročno" was pressed
    QStringList untagged_;
    QStringList notes_; // what an unattended run would have shown
    bool loopNotSwitched_ = false;
    bool writeRefusalTold_ = false; // the present series of refused MV writes
};
