// Automatic trials from the experiment page: activation into the queue, the
// scheduler running queued experiments on the simulation through the run
// window and the automatic chain, a failure that leaves the entry waiting,
// the queue after a restart; and varkol-cli run on a settings file.

#include "ProgramFixture.h"
#include "base/MaskedTimeEdit.h"
#include "base/TextComboBox.h"
#include "experiment/FormaEksperiment.h"
#include "experiment/QueueFile.h"
#include "experiment/SettingsFile.h"
#include "support/LocaleScope.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>

#include <map>

namespace {

class AutomaticTrial : public ProgramFixture {
protected:
    AutomaticTrial()
    {
        form->QueueFileName = File(QStringLiteral("queue.json"));
        run->QualityWaitLimitMs = 50; // no plant to wait for
        // A step test whose models grade well, on the page and in the
        // automatic-experiment settings.
        Edit("CasVzorcenjaEdit", "0.5");
        Edit("CasCakanjaEdit", "10");
        Edit("VelikostStopniceEdit", "20");
        Edit("CasStopniceEdit", "30");
        Edit("SteviloStopnicEdit", "2");
        Edit("ZacetniVhodEdit", "10");
        Find<QCheckBox>("CheckBox_ObeSmeri")->setChecked(true);
        TForm_SamodNastav& automatic = *windows.Form_SamodNastav;
        automatic.Edit_Sam_Ts->setText(QStringLiteral("0.5"));
        automatic.ComboBox_Sam_IzbMetode->SetItemIndex(5);
        automatic.ComboBox_Sam_TipReg->SetItemIndex(1);
    }

    void Edit(const char* name, const char* text)
    {
        Find<QLineEdit>(name)->setText(QString::fromLatin1(text));
    }

    // Activates with the start at `start` and the settings saved as `file`.
    void ActivateAt(const QDateTime& start, const QString& file)
    {
        Find<MaskedTimeEdit>("CajtZacetka")->SetTime(start.time());
        Find<QDateEdit>("DateTimePicker1")->setDate(start.date());
        if (!file.isEmpty())
            dialogs.FileAnswers.push_back(file);
        Find<QPushButton>("AktivirajEksperiment")->click();
    }

    QString InFolder(const QString& folder, const QString& name)
    {
        QDir(dir.path()).mkpath(folder);
        return File(folder + u'/' + name);
    }

    // Every run window shown from now on is driven to its end at once (its
    // own timer stopped), noting each run's closed-loop-after choice.
    void DriveRuns()
    {
        auto* poll = new QTimer(form);
        QObject::connect(poll, &QTimer::timeout, poll, [this] {
            if (QApplication::activeModalWidget() != run || !run->isVisible())
                return;
            run->Timer1->stop();
            closedAfter[run->Engine.ExperimentLabel] = run->Engine.ClosedLoopAfter;
            for (int i = 0; i < 100000 && run->isVisible(); ++i)
                run->Timer1Timer();
        });
        poll->start(5);
    }

    QStringList Files(const QString& folder) const
    {
        return QDir(File(folder)).entryList(QDir::Files, QDir::Name);
    }
    QString Status() { return Find<QStatusBar>("StatusBar1")->currentMessage(); }
    QTimer* Scheduler() { return form->Timer_ExperimentScheduler; }

    LocaleScope point{LocaleScope::Point()};
    std::map<std::string, bool> closedAfter;
};

TEST_F(AutomaticTrial, ActivationNeedsAStartAheadAndASavedSettingsFile)
{
    const QDateTime now = QDateTime::currentDateTime();
    ActivateAt(now, QString());
    EXPECT_EQ(dialogs.Messages,
              QStringList{"Naveden čas začetka eksperimenta je bolj zgoden od trenutnega"});
    EXPECT_TRUE(form->Queue.Empty());
    EXPECT_FALSE(QFile::exists(File("a.vkx")));

    // The same time tomorrow is ahead.
    ActivateAt(now.addDays(1), File("a.vkx"));
    ASSERT_EQ(form->Queue.Size(), 1);
    EXPECT_TRUE(QFile::exists(File("a.vkx")));
    EXPECT_EQ(form->QueueDirs, QStringList{QDir::toNativeSeparators(dir.path())});
    EXPECT_EQ(Find<QPlainTextEdit>("SeznamCakajocihEkspOznaka")->toPlainText(), "a");
    EXPECT_TRUE(Scheduler()->isActive());
    EXPECT_EQ(LoadQueue(form->QueueFileName).Entries(), form->Queue.Entries());

    // A cancelled settings dialog queues nothing.
    ActivateAt(now.addDays(1), QString());
    EXPECT_EQ(form->Queue.Size(), 1);
    EXPECT_EQ(Status(), "Eksperiment ni bil aktiviran: nastavitve niso bile shranjene.");
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(AutomaticTrial, TwoQueuedExperimentsRunOneAfterTheOther)
{
    DriveRuns();
    const QDateTime start = QDateTime::currentDateTime().addSecs(2);
    // The first run keeps the loop open after it; the page says otherwise
    // when it starts, and its own file counts.
    Find<QCheckBox>("CheckBox_ZZPoPoizkusu")->setChecked(false);
    ActivateAt(start, InFolder("prva", "prva.vkx"));
    Find<QCheckBox>("CheckBox_ZZPoPoizkusu")->setChecked(true);
    ActivateAt(start, InFolder("druga", "druga.vkx"));
    ASSERT_EQ(form->Queue.Size(), 2);

    ASSERT_TRUE(PumpUntil([this] { return form->Queue.Empty(); }, 30000));
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.join('\n').toStdString();
    for (const char* label : {"prva", "druga"}) {
        const QString name = QString::fromLatin1(label);
        EXPECT_EQ(Files(name), (QStringList{name + ".docx", name + ".vkc", name + ".vkd",
                                            name + ".vkm", name + ".vkx"}));
    }
    EXPECT_FALSE(closedAfter.at("prva"));
    EXPECT_TRUE(closedAfter.at("druga"));
    EXPECT_FALSE(Scheduler()->isActive());
    EXPECT_TRUE(Status().startsWith("Samodejni poizkus \"druga\" končan"))
        << Status().toStdString();
    EXPECT_FALSE(form->RecordUnsaved);
    EXPECT_TRUE(LoadQueue(form->QueueFileName).Empty());
}

TEST_F(AutomaticTrial, AFailingStepLeavesTheEntryWaitingAndALog)
{
    DriveRuns();
    windows.Form_SamodNastav->Label13->setText(File("ni-predloge.dotx"));
    ActivateAt(QDateTime::currentDateTime().addSecs(2), InFolder("noc", "noc.vkx"));
    ASSERT_TRUE(PumpUntil([this] { return QFile::exists(File("noc/noc.log")); }, 30000));

    EXPECT_EQ(form->Queue.Size(), 1);
    EXPECT_FALSE(Scheduler()->isActive());
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    // What was written stays, the pictures among it.
    for (const char* kept : {"noc.vkd", "noc.vkm", "noc.vkc", "omidra.png"})
        EXPECT_TRUE(Files("noc").contains(QString::fromLatin1(kept))) << kept;
    EXPECT_FALSE(Files("noc").contains("noc.docx"));
    QFile log(File("noc/noc.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains("korak \"poročilo\" ni uspel"));
    EXPECT_TRUE(Status().contains("korak \"poročilo\" ni uspel")) << Status().toStdString();
}

TEST_F(AutomaticTrial, TheQueueComesBackAfterARestart)
{
    ExperimentQueue saved;
    const QDateTime tomorrow = QDateTime::currentDateTime().addDays(1);
    saved.Insert(
        {tomorrow.toMSecsSinceEpoch(), "jutri 06:00:00", "jutri", dir.path().toStdString()});
    SaveQueue(form->QueueFileName, saved);

    form->RestoreQueue();
    EXPECT_EQ(form->Queue.Entries(), saved.Entries());
    EXPECT_EQ(Find<QPlainTextEdit>("SeznamCakajocihEkspCas")->toPlainText(), "jutri 06:00:00");
    EXPECT_EQ(Status(), "Obnovljenih čakajočih samodejnih poizkusov: 1");
    EXPECT_TRUE(Scheduler()->isActive());
}

// varkol-cli run: the same experiment and chain without a window.
TEST_F(AutomaticTrial, TheCommandLineRunsASettingsFile)
{
    ExperimentSettings settings = form->CurrentSettings();
    WriteExperimentSettings(File("noc.vkx"), settings);
    QProcess cli;
    cli.start(QStringLiteral(VARKOL_CLI_PATH),
              {"run", File("noc.vkx"), "--simulate", "--out", File("izid")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    EXPECT_EQ(json["label"].toString(), "noc");
    EXPECT_EQ(json["files"].toArray().toVariantList(),
              (QVariantList{"noc.vkd", "noc.vkm", "noc.vkc", "noc.docx"}));
    EXPECT_GT(json["samples"].toInt(), 100);
    EXPECT_FALSE(json["inner"]["grade"].toString().isEmpty());
    EXPECT_TRUE(json["gains"].toObject().contains("Label_PID_Kp"));
    EXPECT_FALSE(json["fields"]["P"].toString().isEmpty());
    EXPECT_EQ(json["report"].toString(), "noc.docx");

    // A failing step: status 2, no JSON, the step named, the files kept.
    settings.ReportTemplate = File("ni-predloge.dotx");
    WriteExperimentSettings(File("slaba.vkx"), settings);
    cli.start(QStringLiteral(VARKOL_CLI_PATH), {"run", File("slaba.vkx"), "--simulate"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 2);
    EXPECT_TRUE(cli.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("poročilo"));
    EXPECT_TRUE(QFile::exists(File("slaba.vkc")));
}

} // namespace
