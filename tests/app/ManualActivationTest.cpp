// "Aktiviraj eksperiment" for a trial run by hand: the corrections, the
// settings file, the run window prepared from the page and run (on the
// simulation and on the demo server's tags), the processing page after it;
// and the activations that do not run.

#include "ProgramFixture.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "experiment/RunEngine.h"
#include "experiment/SettingsFile.h"
#include "support/LocaleScope.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>

#include <array>
#include <string>

namespace {

using Log = QList<QPair<QString, QVariant>>;

class ManualActivation : public ProgramFixture {
protected:
    ManualActivation()
    {
        Find<QRadioButton>("RadioRocno")->click();
        const QStringList names = {"Ventil",       "Ventil 2",    "Izhod reg.",
                                   "Izhod reg. 2", "Temperatura", "Tlak"};
        for (int row = 0; row < 6; ++row)
            Tags().SetCell(1, row, names[row]);
    }

    void Edit(const char* name, const QString& text) { Find<QLineEdit>(name)->setText(text); }
    QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
    void Activate(const QString& answer)
    {
        if (!answer.isEmpty())
            dialogs.FileAnswers.push_back(answer);
        Find<QPushButton>("AktivirajEksperiment")->click();
    }
    int Page() { return Find<QTabWidget>("PageControl1")->currentIndex(); }

    // The loop's tags of the demo server in the table; the R/A switching
    // by one tag (`singleSwitch`, manual value 1) or by two.
    void DemoTagsInTable(bool singleSwitch)
    {
        Tags().SetCell(0, RoleRow(TagRole::MV), DemoTags::MV);
        Tags().SetCell(0, RoleRow(TagRole::U), DemoTags::U);
        Tags().SetCell(0, RoleRow(TagRole::Y1), DemoTags::Y1);
        Tags().SetCell(0, RoleRow(TagRole::Y2), DemoTags::Y2);
        Tags().SetCell(0, RoleRow(TagRole::RA), DemoTags::RA1);
        Tags().SetCell(0, RoleRow(TagRole::Manual), DemoTags::Manual1);
        Tags().SetCell(0, RoleRow(TagRole::Auto), DemoTags::Auto1);
        Find<RadioGroup>("RadioGroup4")->SetItemIndex(singleSwitch ? 0 : 1);
        Find<TextComboBox>("ComboBox3")->SetItemIndex(1);
    }

    // Takes `ticks` samples, each after the plant has answered the MV that
    // was written before it.
    void TicksOnThePlant(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            PumpUntil([this] {
                const OpcItem* u = run->Plant.ItemU;
                return u && u->Value.toDouble() == run->Engine.CurrentMV - 10;
            });
            run->Timer1Timer();
        }
    }
};

} // namespace

TEST_F(ManualActivation, OnTheSimulationFromCorrectionsToTheProcessingPage)
{
    LocaleScope comma(LocaleScope::Comma());
    run->QualityWaitLimitMs = 50;
    Edit("CasVzorcenjaEdit", "0,01");
    Edit("CasCakanjaEdit", "0");
    Edit("ZacetniVhodEdit", "42,5");
    Find<QCheckBox>("CheckBox_ZZPoPoizkusu")->setChecked(false);
    int ticks = 0;
    EndRunWhenShown([&] {
        EXPECT_FALSE(run->findChild<QPushButton*>("RocniAvtomatski")->isVisible());
        EXPECT_EQ(run->windowTitle(), QStringLiteral("Eksperiment poskus.1"));
        for (; ticks < 4; ++ticks)
            run->Timer1Timer();
    });
    Activate(File("poskus.1.vkx"));

    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(dialogs.Messages,
              QStringList{QString::fromUtf8(NoConnectionMessage.data(),
                                            static_cast<qsizetype>(NoConnectionMessage.size()))});
    // Corrected in the edits before the settings were saved.
    EXPECT_EQ(Text("CasVzorcenjaEdit"), QStringLiteral("0,05"));
    EXPECT_EQ(Text("CasCakanjaEdit"), QStringLiteral("0,1"));
    const ExperimentSettings saved = ReadExperimentSettings(File("poskus.1.vkx"));
    EXPECT_EQ(saved.SamplingPeriod, QStringLiteral("0,05"));
    EXPECT_EQ(saved.WaitTime, QStringLiteral("0,1"));
    EXPECT_TRUE(saved.ManualTrial);
    EXPECT_EQ(form->WorkDir, QDir::toNativeSeparators(dir.path()));

    const RunEngine& engine = run->Engine;
    EXPECT_EQ(engine.ExperimentLabel, "poskus.1");
    EXPECT_EQ(engine.SamplingMs, 50);
    EXPECT_EQ(engine.InitialInput, 42.5);
    EXPECT_FALSE(engine.ClosedLoopAfter);
    EXPECT_FALSE(engine.SingleRASwitch);
    // The sample at show time and four ticks, padded to ten.
    EXPECT_EQ(store.SampleCount, 10);
    EXPECT_EQ(store.SignalCount, 6);
    EXPECT_DOUBLE_EQ(store.SamplingTime, 0.05);
    EXPECT_EQ(store.Column(1)[0], 42.5);
    const std::array<std::string, 6> names = {"Ventil",       "Ventil 2",    "Izhod reg.",
                                              "Izhod reg. 2", "Temperatura", "Tlak"};
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(store.ColumnNames[i], names[i]);
    EXPECT_FALSE(run->isVisible());
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(Find<QPushButton>("AktivirajEksperiment")->isEnabled());
}

TEST_F(ManualActivation, OnTheDemoServerTheLoopTagsAreWrittenUnlessNoWrite)
{
    LocaleScope point(LocaleScope::Point());
    Connect();
    DemoTagsInTable(true);
    Edit("ZacetniVhodEdit", "42");
    EndRunWhenShown([&] { TicksOnThePlant(3); });
    Activate(File("ra.vkx"));
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.join('\n').toStdString();

    // The items in the order the run window expects them.
    QStringList added;
    for (const auto& item : run->ExperimentGroup->OPCItems())
        added << item->ItemID;
    EXPECT_EQ(added,
              (QStringList{DemoTags::U, DemoTags::MV, DemoTags::Y1, DemoTags::Y2, DemoTags::RA1}));
    // Manual by the chosen value 1 at the start, MV, automatic (0) after.
    ASSERT_GE(demo->WriteLog.size(), 3);
    EXPECT_EQ(demo->WriteLog.first(), (QPair<QString, QVariant>{DemoTags::RA1, 1}));
    EXPECT_EQ(demo->WriteLog.last(), (QPair<QString, QVariant>{DemoTags::RA1, 0}));
    for (const auto& write : demo->WriteLog.mid(1, demo->WriteLog.size() - 2))
        EXPECT_EQ(write, (QPair<QString, QVariant>{DemoTags::MV, 42.0}));
    // The plant answered: U = MV - 10 was recorded.
    EXPECT_EQ(store.Column(3)[3], 32.0);
    EXPECT_EQ(Page(), 2);

    // Separate manual and automatic tags.
    demo->WriteLog.clear();
    DemoTagsInTable(false);
    Edit("ZacetniVhodEdit", "43");
    EndRunWhenShown([&] { TicksOnThePlant(2); });
    Activate(File("ločeno.vkx"));
    ASSERT_GE(demo->WriteLog.size(), 3);
    EXPECT_EQ(demo->WriteLog.first(), (QPair<QString, QVariant>{DemoTags::Manual1, 1}));
    EXPECT_EQ(demo->WriteLog.last(), (QPair<QString, QVariant>{DemoTags::Auto1, 1}));
    EXPECT_EQ(demo->WriteLog[1], (QPair<QString, QVariant>{DemoTags::MV, 43.0}));

    // "Ne piši v OPC": the run reads the plant and writes nothing at all.
    demo->WriteLog.clear();
    DemoTagsInTable(true);
    Find<QCheckBox>("CheckBox_NePisi")->setChecked(true);
    EndRunWhenShown([&] {
        PumpUntil([this] { return run->Plant.ItemY1 && IsQualityGood(*run->Plant.ItemY1); });
        run->Timer1Timer();
        run->Timer1Timer();
    });
    Activate(File("brez.vkx"));
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_TRUE(run->Engine.NoOPCWrite);
    EXPECT_EQ(demo->WriteLog, Log{});
    // Measured on the plant, not simulated.
    EXPECT_EQ(run->findChild<QStatusBar*>("StatusBar1")->currentMessage(), QStringLiteral("  "));
}

TEST_F(ManualActivation, ActivationsThatDoNotRun)
{
    LocaleScope comma(LocaleScope::Comma());
    run->QualityWaitLimitMs = 50;
    store.SampleCount = 123;
    store.SignalCount = 4;
    store.ColumnNames[0] = "star";
    bool shown = false;
    QObject::connect(run, &QDialog::finished, [&shown] { shown = true; });

    // A cancelled save dialog cancels the activation; the corrections stay.
    Edit("CasVzorcenjaEdit", "0,02");
    Activate({});
    EXPECT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_FALSE(shown);
    EXPECT_EQ(Text("CasVzorcenjaEdit"), QStringLiteral("0,05"));
    EXPECT_TRUE(Find<QStatusBar>("StatusBar1")->currentMessage().contains("ni bil aktiviran"));

    // A field that is not a number stops it before the dialog.
    Edit("ZacetniVhodEdit", "abc");
    Activate(File("ne.vkx"));
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].startsWith(QStringLiteral("Začetni vhod: 'abc'")));
    EXPECT_EQ(dialogs.FileRequests.size(), 1u);
    dialogs.FileAnswers.clear();
    Edit("ZacetniVhodEdit", "0");

    // Slider parameters that give no slider are refused before the dialog
    // too; the record in the store stays as it was.
    Edit("Edit_MVMin", "90");
    Edit("Edit_MVMax", "10");
    Activate(File("zavrnjen.vkx"));
    EXPECT_FALSE(shown);
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(dialogs.Errors[1].startsWith("Drsnik MV")) << dialogs.Errors[1].toStdString();
    EXPECT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(store.SampleCount, 123);
    EXPECT_EQ(store.SignalCount, 4);
    EXPECT_EQ(store.ColumnNames[0], "star");
    EXPECT_EQ(Page(), 0);
}
