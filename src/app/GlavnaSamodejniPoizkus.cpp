// The experiment page's automatic trials: activation into the queue, the
// scheduler that runs each queued experiment at its start moment with
// nobody at the plant, the automatic chain after the run, and the queue kept
// across restarts of the program.

#include "app/Glavna.h"

#include "base/Errors.h"
#include "base/MaskedTimeEdit.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "data/Podatki.h"
#include "experiment/AutomaticChain.h"
#include "experiment/FormaEksperiment.h"
#include "experiment/QueueFile.h"
#include "experiment/RunPlan.h"
#include "experiment/SettingsFile.h"
#include "opc/OpcClient.h"
#include "report/ReportPictures.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// "čez 1 d 02:03:04" / "čez 02:03:04"
QString Countdown(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, (ms + 999) / 1000);
    const qint64 days = seconds / 86400;
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(seconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                              .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return days > 0 ? QStringLiteral("čez %1 d %2").arg(days).arg(clock)
                    : QStringLiteral("čez %1").arg(clock);
}

} // namespace

// ----- Activation -------------------------------------------------------------

void TForm1::ActivateAutomaticTrial(const ExperimentSettings& settings)
{
    // 1. The start must lie ahead: later today, or on a later date.
    const QTime startTime = CajtZacetka->Time();
    if (!startTime.isValid())
        throw ConversionError(QStringLiteral("Začetek eksperimenta: '%1' ni veljaven čas.")
                                  .arg(CajtZacetka->text())
                                  .toStdString());
    const QDate startDate = DateTimePicker1->date();
    const QDateTime now = QDateTime::currentDateTime();
    if ((now.time() >= startTime && now.date() >= startDate) || now.date() > startDate) {
        Dialogs().ShowMessage(
            this, QStringLiteral("Naveden čas začetka eksperimenta je bolj zgoden od trenutnega"));
        return;
    }

    // Everything that can refuse the run is checked now, while the engineer
    // is here, and not at the start moment in the night.
    const RunPlan plan = MakeRunPlan(settings, QString(), true);
    const QString question = MissingSwitchQuestion(plan, dOPCServer1.Active());
    if (!question.isEmpty() && !Dialogs().Ask(this, question)) {
        StatusBar1->showMessage(QStringLiteral("Eksperiment ni bil aktiviran."));
        return;
    }

    // 2. The settings file; without it the experiment could not start.
    const QString fileName = SaveSettingsWithDialog();
    if (fileName.isEmpty()) {
        StatusBar1->showMessage(
            QStringLiteral("Eksperiment ni bil aktiviran: nastavitve niso bile shranjene."));
        return;
    }

    // 3 to 5. Into the queue by start moment; the scheduler runs.
    QueueEntry entry;
    entry.StartMs = QDateTime(startDate, startTime).toMSecsSinceEpoch();
    // The date as the page shows it (Slovenian, as the user chose it) and
    // the time as typed.
    entry.StartText = (DateTimePicker1->text() + u' ' + CajtZacetka->text()).toStdString();
    entry.Label = QFileInfo(fileName).completeBaseName().toStdString();
    entry.Dir = WorkDir.toStdString();
    Queue.Insert(std::move(entry));
    QueueChanged();
    Timer_ExperimentScheduler->start();
}

// ----- The queue and its file -------------------------------------------------

void TForm1::QueueChanged()
{
    QueueNote.clear();
    QStringList times, labels;
    QueueDirs.clear();
    for (const QueueEntry& entry : Queue.Entries()) {
        times << Text(entry.StartText);
        labels << Text(entry.Label);
        QueueDirs << Text(entry.Dir);
    }
    SetQueueLines(SeznamCakajocihEkspCas, times);
    SetQueueLines(SeznamCakajocihEkspOznaka, labels);
    if (QueueFileName.isEmpty())
        return;
    try {
        SaveQueue(QueueFileName, Queue);
    } catch (const VarkolError& e) {
        // The queue in the window is whole; only its copy on disk is behind.
        StatusBar1->showMessage(QStringLiteral("Čakalne vrste ni bilo mogoče shraniti: ") +
                                QString::fromUtf8(e.what()));
    }
}

void TForm1::RestoreQueue()
{
    if (QueueFileName.isEmpty())
        return;
    try {
        Queue = LoadQueue(QueueFileName);
    } catch (const VarkolError& e) {
        StatusBar1->showMessage(QStringLiteral("Čakalne vrste ni bilo mogoče obnoviti: ") +
                                QString::fromUtf8(e.what()));
        return;
    }
    QueueChanged();
    if (Queue.Empty())
        return;
    // Said until the queue changes, so the countdown does not hide it.
    QueueNote = QStringLiteral("Obnovljenih čakajočih samodejnih poizkusov: %1").arg(Queue.Size());
    StatusBar1->showMessage(QueueNote);
    Timer_ExperimentScheduler->start();
}

void TForm1::ShowQueueCountdown(qint64 nowMs)
{
    const QueueEntry& next = Queue.Front();
    const QString countdown =
        QStringLiteral("Naslednji samodejni poizkus \"%1\": %2, %3")
            .arg(Text(next.Label), Text(next.StartText), Countdown(next.StartMs - nowMs));
    StatusBar1->showMessage(QueueNote.isEmpty() ? countdown
                                                : QueueNote + QStringLiteral(". ") + countdown);
}

// ----- The scheduler ------------------------------------------------------------

void TForm1::Timer_ExperimentSchedulerTimer()
{
    // The run window is made after the main window's first paint; an entry
    // due before that waits for it.
    if (!Eksperiment)
        return;
    if (Queue.Empty()) {
        Timer_ExperimentScheduler->stop();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!Queue.FrontIsDue(now)) {
        ShowQueueCountdown(now);
        return;
    }
    // No tick may start a second experiment while this one runs.
    Timer_ExperimentScheduler->stop();
    const QueueEntry entry = Queue.Front();
    const QString folder = Text(entry.Dir);
    const QString label = Text(entry.Label);
    try {
        RunQueuedExperiment(entry);
    } catch (const std::exception& e) {
        // The entry stays at the head and the scheduler off until the
        // engineer activates again; nobody may be here to click a message
        // box, so the failure stays in the status bar and in L.log.
        const QString message = QStringLiteral("Samodejni poizkus \"%1\" (%2): %3")
                                    .arg(label, Text(entry.StartText), QString::fromUtf8(e.what()));
        const bool logged = AppendChainLog(folder, label, message);
        StatusBar1->showMessage(
            logged ? message + QStringLiteral(" Zapisano v %1.")
                                   .arg(QDir::toNativeSeparators(
                                       QDir(folder).filePath(label + QStringLiteral(".log"))))
                   : message);
        return;
    }
    // The entry that ran, wherever it is now.
    const auto& entries = Queue.Entries();
    const auto at = std::find(entries.begin(), entries.end(), entry);
    if (at != entries.end())
        Queue.RemoveAt(static_cast<int>(at - entries.begin()));
    QueueChanged();
    if (!Queue.Empty())
        Timer_ExperimentScheduler->start();
}

void TForm1::RunQueuedExperiment(const QueueEntry& entry)
{
    WorkDir = Text(entry.Dir);
    const QString label = Text(entry.Label);
    const QString step = QStringLiteral("nastavitve");
    ExperimentSettings settings;
    RunPlan plan;
    try {
        settings = ReadExperimentSettings(QDir(WorkDir).filePath(label + QStringLiteral(".vkx")));
        ApplySettings(settings);
        plan = MakeRunPlan(settings, label, true);
        CopyAutomaticSettings(settings);
    } catch (const VarkolError& e) {
        throw ChainFailure(step, QString::fromUtf8(e.what()), {});
    }

    RunOutcome outcome;
    try {
        if (!Eksperiment)
            throw VarkolError("Okno eksperimenta ni na voljo.");
        Eksperiment->Unattended = true;
        const auto attended = qScopeGuard([this] { Eksperiment->Unattended = false; });
        outcome = RunExperiment(plan);
    } catch (const VarkolError& e) {
        throw ChainFailure(QStringLiteral("eksperiment"), QString::fromUtf8(e.what()), {});
    }
    // What the run window would have shown goes beside the experiment's files.
    for (const QString& note : outcome.Notes)
        AppendChainLog(WorkDir, label, note);
    if (!outcome.Finished)
        throw ChainFailure(QStringLiteral("eksperiment"),
                           outcome.Refusal.isEmpty() ? QStringLiteral("eksperiment se ni končal.")
                                                     : outcome.Refusal,
                           {});

    ChainInputs inputs;
    inputs.Folder = WorkDir;
    inputs.Label = label;
    inputs.Title = windowTitle();
    inputs.Settings = settings;
    inputs.AnalysisStart = outcome.AnalysisStart;
    OffscreenPictureExporter pictures;
    const ChainResult result = RunAutomaticChain(Store, inputs, pictures);
    // The chain writes the data file first: the record is saved.
    if (!result.Files.isEmpty())
        DiscardRecordJournal();
    ShowChainResult(entry, result);
}

void TForm1::CopyAutomaticSettings(const ExperimentSettings& s)
{
    // The pages' change handlers skip their recomputation meanwhile; the
    // chain computes once with all of them set.
    AutoSetupInProgress = true;
    const auto done = qScopeGuard([this] { AutoSetupInProgress = false; });
    CheckBox_Model_Outer->setChecked(s.AutoCascade);
    CheckBox_CascadeReg->setChecked(s.AutoCascade);
    Edit8->setText(s.AutoFilter);
    Edit_Actuator_Maximum->setText(s.AutoActuatorMax);
    Edit_Actuator_Minimum->setText(s.AutoActuatorMin);
    Edit_Actuator_Velocity->setText(s.AutoActuatorVelocity);
    ComboBox1->SetItemIndex(s.AutoTuningMethod);
    Edit_Vzorcenje->setText(s.AutoSamplingTime);
    ScrollBar_Robust->setValue(s.AutoRobust);
    RadioGroup_Motnja->SetItemIndex(s.AutoResponse);
    ComboBox_Regulator->SetItemIndex(s.AutoControllerForm);
    Edit_Reg_ScaleP->setText(s.AutoScaleP);
    Edit_Reg_ScaleI->setText(s.AutoScaleI);
    Edit_Reg_ScaleD->setText(s.AutoScaleD);
    RadioGroup_IzbiraTipaReg->SetItemIndex(s.AutoControllerType);
    CheckBox1->setChecked(s.ReportProcessing);
    CheckBox2->setChecked(s.ReportModel);
    CheckBox3->setChecked(s.ReportController);
}

void TForm1::ShowChainResult(const QueueEntry& entry, const ChainResult& result)
{
    // The record is in its data file now.
    RecordUnsaved = false;
    const QString folder = Text(entry.Dir);
    RecordSource = Text(entry.Label) + QStringLiteral(".vkd");
    Label_Ime->setText(RecordSource);
    Label_Ime->setToolTip(QDir::toNativeSeparators(QDir(folder).filePath(RecordSource)));
    if (result.Identified) {
        ShowModel(CheckBox_Model_Outer->isChecked());
        ModelUnsaved = false;
        Label_IzvorModela->setText(QStringLiteral("Iz: %1, vzorci %2–%3")
                                       .arg(RecordSource)
                                       .arg(result.WindowStart)
                                       .arg(result.WindowEnd));
    }
    if (result.Tuned) {
        RecomputeTuningFromPage();
        ShowControllerFormFromPage();
    }
    QStringList names;
    for (const QString& file : result.Files)
        names << QFileInfo(file).fileName();
    StatusBar1->showMessage(QStringLiteral("Samodejni poizkus \"%1\" končan: %2 v %3.")
                                .arg(Text(entry.Label), names.join(QStringLiteral(", ")),
                                     QDir::toNativeSeparators(folder)));
}
