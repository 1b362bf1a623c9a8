#include "base/MaskedTimeEdit.h"
#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTime>
#include <QTimer>

namespace {

// The experiment parameters whose enabled state the trial kind and the
// "Ne piši v OPC" / "Ohrani začetni vhod" boxes decide.
const char* const Parameters[] = {
    "CasVzorcenjaEdit",  "CajtZacetka",           "DateTimePicker1",       "ZacetniVhodEdit",
    "CasCakanjaEdit",    "VelikostStopniceEdit",  "CasStopniceEdit",       "SteviloStopnicEdit",
    "CheckBox_ObeSmeri", "CheckBox_Zaprtozancni", "CheckBox_ZZPoPoizkusu", "OhraniZacetniVhod",
    "Button10"};

const QSet<QString> AllParameters = [] {
    QSet<QString> all;
    for (const char* name : Parameters)
        all.insert(QString::fromLatin1(name));
    return all;
}();

const QSet<QString> ManualSet = {"CasVzorcenjaEdit", "ZacetniVhodEdit", "CheckBox_Zaprtozancni",
                                 "CheckBox_ZZPoPoizkusu", "OhraniZacetniVhod"};
const QSet<QString> AutomaticNoWriteSet = {"CasVzorcenjaEdit", "CajtZacetka",     "DateTimePicker1",
                                           "CasCakanjaEdit",   "CasStopniceEdit", "Button10"};

class ExperimentPage : public MainWindowFixture {
protected:
    QSet<QString> EnabledParameters()
    {
        QSet<QString> enabled;
        for (const char* name : Parameters) {
            auto* control = Find<QWidget>(name);
            if (control->isEnabled())
                enabled.insert(QString::fromLatin1(name));
            // A caption always follows its control.
            if (auto* caption = form->findChild<QLabel*>(QStringLiteral("Caption_") +
                                                         QString::fromLatin1(name))) {
                EXPECT_EQ(caption->isEnabled(), control->isEnabled()) << name;
            }
        }
        return enabled;
    }

    void Click(const char* name) { Find<QAbstractButton>(name)->click(); }

    void FillQueue(const QStringList& times, const QStringList& labels, const QStringList& dirs)
    {
        form->QueueFileName.clear(); // nothing saved
        for (int i = 0; i < times.size(); ++i)
            form->Queue.Insert({4'000'000'000'000 + i, times[i].toStdString(),
                                labels[i].toStdString(), dirs[i].toStdString()});
        form->QueueChanged();
        Find<QTimer>("Timer_ExperimentScheduler")->start();
    }

    // Puts the caret on entry `line` of the start-time memo and presses `key`.
    void PressOnLine(int line, Qt::Key key)
    {
        auto* memo = Find<QPlainTextEdit>("SeznamCakajocihEkspCas");
        memo->setTextCursor(QTextCursor(memo->document()->findBlockByNumber(line)));
        QTest::keyClick(memo, key);
    }

    QStringList Lines(const char* memo)
    {
        const QString text = Find<QPlainTextEdit>(memo)->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }
};

} // namespace

TEST_F(ExperimentPage, TrialKindsEnableTheirParameters)
{
    EXPECT_TRUE(Find<QRadioButton>("RadioAvtomatsko")->isChecked());
    EXPECT_EQ(EnabledParameters(), AllParameters);

    Click("RadioRocno");
    EXPECT_EQ(EnabledParameters(), ManualSet);

    Click("RadioAvtomatsko");
    EXPECT_EQ(EnabledParameters(), AllParameters);
}

TEST_F(ExperimentPage, NoWriteLeavesOnlyTheRecordingParameters)
{
    Click("CheckBox_NePisi");
    EXPECT_EQ(EnabledParameters(), AutomaticNoWriteSet);

    // Switching the kind keeps the no-write restrictions.
    Click("RadioRocno");
    EXPECT_EQ(EnabledParameters(), QSet<QString>{"CasVzorcenjaEdit"});
    Click("RadioAvtomatsko");
    EXPECT_EQ(EnabledParameters(), AutomaticNoWriteSet);

    Click("CheckBox_NePisi");
    EXPECT_EQ(EnabledParameters(), AllParameters);
}

TEST_F(ExperimentPage, UncheckingNoWriteRestoresExactlyTheKindsSet)
{
    Click("RadioRocno");
    Click("OhraniZacetniVhod");
    EXPECT_FALSE(Find<QWidget>("ZacetniVhodEdit")->isEnabled());

    Click("CheckBox_NePisi");
    Click("CheckBox_NePisi");
    // The kind's set, with the initial input enabled although "Ohrani
    // začetni vhod" is still checked.
    EXPECT_TRUE(Find<QCheckBox>("OhraniZacetniVhod")->isChecked());
    EXPECT_EQ(EnabledParameters(), ManualSet);

    Click("RadioAvtomatsko");
    Click("CheckBox_NePisi");
    Click("CheckBox_NePisi");
    EXPECT_EQ(EnabledParameters(), AllParameters);
}

TEST_F(ExperimentPage, KeepingTheInitialInputDisablesItsEdit)
{
    Click("OhraniZacetniVhod");
    EXPECT_EQ(EnabledParameters(), AllParameters - QSet<QString>{"ZacetniVhodEdit"});
    EXPECT_FALSE(Find<QLabel>("Caption_ZacetniVhodEdit")->isEnabled());
    Click("OhraniZacetniVhod");
    EXPECT_EQ(EnabledParameters(), AllParameters);
}

TEST_F(ExperimentPage, SetPresentTimeIsAMomentAhead)
{
    const QTime before = QTime::currentTime();
    Click("Button1");
    const QTime after = QTime::currentTime();
    auto* start = Find<MaskedTimeEdit>("CajtZacetka");
    ASSERT_TRUE(start->Time().isValid()) << start->text().toStdString();
    EXPECT_EQ(start->text().size(), 8);
    // 8.64 s ahead of the click, to the second, across midnight too.
    const int ahead = (before.secsTo(start->Time()) + 86400) % 86400;
    const int elapsed = (before.secsTo(after) + 86400) % 86400;
    EXPECT_GE(ahead, 8);
    EXPECT_LE(ahead, 9 + elapsed);
}

TEST_F(ExperimentPage, DeleteRemovesTheCaretEntryFromAllThreeLists)
{
    FillQueue({"6.12.2026 09:00:00", "6.12.2026 09:30:00", "6.12.2026 10:00:00"},
              {"prvi", "drugi", "tretji"}, {"/d/1", "/d/2", "/d/3"});

    PressOnLine(1, Qt::Key_Delete);
    EXPECT_EQ(Lines("SeznamCakajocihEkspCas"),
              (QStringList{"6.12.2026 09:00:00", "6.12.2026 10:00:00"}));
    EXPECT_EQ(Lines("SeznamCakajocihEkspOznaka"), (QStringList{"prvi", "tretji"}));
    EXPECT_EQ(form->QueueDirs, (QStringList{"/d/1", "/d/3"}));
    EXPECT_TRUE(Find<QTimer>("Timer_ExperimentScheduler")->isActive());

    // Other keys change nothing: the memos are read-only.
    PressOnLine(0, Qt::Key_Backspace);
    QTest::keyClicks(Find<QPlainTextEdit>("SeznamCakajocihEkspCas"), QStringLiteral("x"));
    EXPECT_EQ(Lines("SeznamCakajocihEkspOznaka"), (QStringList{"prvi", "tretji"}));
    EXPECT_EQ(Lines("SeznamCakajocihEkspCas").size(), 2);
    EXPECT_EQ(form->QueueDirs.size(), 2);
}

TEST_F(ExperimentPage, DeletingTheLastEntryStopsTheScheduler)
{
    FillQueue({"6.12.2026 09:00:00", "6.12.2026 10:00:00"}, {"prvi", "drugi"}, {"/d/1", "/d/2"});
    auto* scheduler = Find<QTimer>("Timer_ExperimentScheduler");

    PressOnLine(1, Qt::Key_Delete);
    EXPECT_TRUE(scheduler->isActive());
    PressOnLine(0, Qt::Key_Delete);
    EXPECT_TRUE(Lines("SeznamCakajocihEkspCas").isEmpty());
    EXPECT_TRUE(Lines("SeznamCakajocihEkspOznaka").isEmpty());
    EXPECT_TRUE(form->QueueDirs.isEmpty());
    EXPECT_FALSE(scheduler->isActive());

    // Delete on an empty queue is harmless.
    PressOnLine(0, Qt::Key_Delete);
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}
