// The experiment run window driven as the main window and the user drive it:
// runs on the simulation and on the in-process demo server, the MV slider
// and edit, the switch to manual, the live charts and the ways a run ends.
// Ticks are taken by calling the timer's handler (the timer is stopped).

#include "experiment/FormaEksperiment.h"

#include "base/NumberText.h"
#include "data/Podatki.h"
#include "experiment/LiveChart.h"
#include "opc/DemoServer.h"
#include "opc/OpcTestSupport.h"
#include "support/LocaleScope.h"
#include "support/ScriptedDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

using Log = QList<QPair<QString, QVariant>>;

// The window on a fresh store, beside the demo server (not connected).
// Plan is the worked example of a step test: wait 10 s, two steps of 1
// lasting 5 s, sampling 1 s, start at MV 50, slider 0..100 in steps of 1.
struct Rig {
    ScriptedDialogs Scripted;
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Server = CreateDemoServer();
    InProcessConnection Connection{Registry};
    TEksperiment Window{*Store, Connection};
    TEksperiment& W = Window;
    RunPlan Plan;

    Rig()
    {
        Registry->Register(Server);
        Connection.ConnectDelay = 0;
        DemoPlantOf(*Server)->SetNoise(false);
        W.QualityWaitLimitMs = 0;
        Plan.Label = "Poskus1";
        Plan.SamplingMs = 1000;
        Plan.InitialInput = 50;
        Plan.WaitTime = 10;
        Plan.StepDuration = 5;
        Plan.NumberOfSteps = 2;
        Plan.StepSize = 1;
        Plan.ClosedLoopAfter = true;
    }

    void Connect() { Connection.ConnectServer(DemoServerProgID, QString()); }
    // The demo loop's tags in the plan, with one R/A tag or separate ones.
    void DemoTagsInPlan(bool singleSwitch, int manualValue = 0)
    {
        LoopTags& loop = Plan.Loop;
        loop.SetTag(TagRole::MV, DemoTags::MV);
        loop.SetTag(TagRole::U, DemoTags::U);
        loop.SetTag(TagRole::Y1, DemoTags::Y1);
        loop.SetTag(TagRole::Y2, DemoTags::Y2);
        loop.SetTag(TagRole::RA, DemoTags::RA1);
        loop.SetTag(TagRole::Manual, DemoTags::Manual1);
        loop.SetTag(TagRole::Auto, DemoTags::Auto1);
        loop.Switch1 = {singleSwitch ? 0 : 1, manualValue};
    }

    RunStart StartManual()
    {
        Plan.Automatic = false;
        return W.Start(Plan);
    }
    void ShowManual()
    {
        ASSERT_TRUE(StartManual().Started);
        Show();
    }
    void ShowAutomatic()
    {
        Plan.Automatic = true;
        ASSERT_TRUE(W.Start(Plan).Started);
        Show();
    }
    void Show()
    {
        W.show();
        W.Timer1->stop();
    }
    // Ticks until the window closes; with `pump`, each MV written is
    // delivered back before the next tick, so it is written once.
    void RunToEnd(bool pump = false)
    {
        for (int i = 0; i < 100 && W.isVisible(); ++i) {
            if (pump && W.Plant.ItemMV) {
                ASSERT_TRUE(PumpUntil(
                    [&] { return W.Plant.ItemMV->Value == QVariant(W.Engine.LastSample().MV); }));
            }
            W.Timer1Timer();
        }
        ASSERT_FALSE(W.isVisible());
    }
    // The run ended and closed the window as finished.
    bool Finished() const { return W.result() == QDialog::Accepted && W.Engine.CloseRequested; }
    double Column(int column, int sample) const { return Store->Column(column)[sample - 1]; }
    // MV of the samples of a finished run.
    std::vector<double> MVs() const
    {
        return std::vector<double>(Store->Column(1), Store->Column(1) + Store->SampleCount);
    }
};

std::vector<double> Levels(std::initializer_list<std::pair<double, int>> runs)
{
    std::vector<double> levels;
    for (const auto& [value, count] : runs)
        levels.insert(levels.end(), count, value);
    return levels;
}

} // namespace

TEST(FormaEksperiment, AManualRunOnTheSimulationIsShownStoredAndHandedOver)
{
    LocaleScope comma(LocaleScope::Comma());
    Rig rig;
    ASSERT_NE(rig.W.ExperimentGroup, nullptr);
    EXPECT_EQ(rig.W.ExperimentGroup->Name(), "Skupina1");
    EXPECT_EQ(rig.W.ExperimentGroup->UpdateRate(), 10);
    EXPECT_EQ(rig.W.ExperimentGroup->DeadBand(), 0.0f);
    EXPECT_FALSE(rig.W.ScrollBar1->isEnabled());

    rig.Plan.InitialInput = 30.25;
    rig.StartManual();
    EXPECT_EQ(rig.Scripted.Messages, QStringList{"Povezava z OPC streznikom ni vzpostavljena! "
                                                 "Aktivirana je simulacija procesa."});
    EXPECT_TRUE(rig.W.ScrollBar1->isEnabled());
    EXPECT_TRUE(rig.W.VrednostVhodaEdit->isEnabled());
    rig.Show();
    EXPECT_EQ(rig.W.windowTitle(), "Eksperiment Poskus1");
    EXPECT_EQ(rig.W.findChild<QLabel*>("Caption_Label_Exp_Y1")->text(), "Y1:");
    EXPECT_EQ(rig.W.StatusBar1->currentMessage(),
              "  Opozorilo: povezava s strežnikom ni vzpostavljena! Simulacija v teku...");
    EXPECT_EQ(rig.W.Label_Exp_MV->text(), "30,2500");
    EXPECT_EQ(rig.W.Label_Exp_U1->text(), "20,2500");
    EXPECT_EQ(rig.W.VrednostVhodaEdit->text(), "30,25");
    rig.W.Timer1Timer();
    rig.W.Timer1Timer();
    EXPECT_EQ(rig.W.Label2->text(), "2,0000");
    EXPECT_EQ(rig.W.Label_Exp_Y1->text(), FormatFixed(rig.Column(5, 3), 10, 4));
    EXPECT_EQ(rig.Column(3, 3), 20.25);

    rig.W.KonecEksperimenta->click();
    EXPECT_FALSE(rig.W.isVisible());
    EXPECT_EQ(rig.W.result(), QDialog::Accepted);
    EXPECT_FALSE(rig.W.Timer1->isActive());
    EXPECT_EQ(rig.Store->SampleCount, 10);
    EXPECT_EQ(rig.Store->SamplingTime, 1.0);
    for (int sample = 4; sample <= 10; ++sample) {
        EXPECT_EQ(Sample(rig.Store->Time, sample), sample - 1);
        for (int column = 1; column <= 6; ++column)
            EXPECT_EQ(rig.Column(column, sample), rig.Column(column, 3));
    }
    EXPECT_TRUE(rig.Finished());
    EXPECT_FALSE(rig.W.Engine.AnalysisStart) << "a manual trial leaves the analysis start";
    EXPECT_TRUE(rig.Server->WriteLog.isEmpty());
}

TEST(FormaEksperiment, AnAutomaticRunOnTheSimulationStepsAndEndsByItself)
{
    Rig rig;
    rig.W.ScrollBar1->setEnabled(true); // left so by an earlier manual trial
    rig.ShowAutomatic();
    EXPECT_TRUE(rig.Scripted.Messages.isEmpty());
    EXPECT_FALSE(rig.W.ScrollBar1->isEnabled());
    rig.RunToEnd();
    EXPECT_EQ(rig.W.result(), QDialog::Accepted);
    EXPECT_EQ(rig.MVs(), Levels({{50, 11}, {51, 6}, {52, 6}}));
    EXPECT_EQ(Sample(rig.Store->Time, 23), 22);
    EXPECT_EQ(rig.W.Engine.AnalysisStart, 8);
    EXPECT_TRUE(rig.Scripted.Errors.isEmpty()) << rig.Scripted.Errors.join("\n").toStdString();
}

TEST(FormaEksperiment, AnAutomaticRunOnTheDemoServerWritesMvOncePerLevelAndSwitchesTheLoop)
{
    const auto mvWrites = [](double a, double b, double c) {
        return Log{{DemoTags::MV, a}, {DemoTags::MV, b}, {DemoTags::MV, c}};
    };
    struct Case {
        bool Single;
        int ManualValue;
        Log Start, End;
    };
    const Case cases[] = {
        {true, 0, {{DemoTags::RA1, 0}}, {{DemoTags::RA1, 1}}},
        {true, 1, {{DemoTags::RA1, 1}}, {{DemoTags::RA1, 0}}},
        {false, 0, {{DemoTags::Manual1, 1}}, {{DemoTags::Auto1, 1}}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.Connect();
        rig.DemoTagsInPlan(c.Single, c.ManualValue);
        rig.W.QualityWaitLimitMs = 3000;
        rig.ShowAutomatic();
        EXPECT_EQ(rig.W.StatusBar1->currentMessage(), "  ");
        rig.RunToEnd(true);
        EXPECT_EQ(rig.Store->SampleCount, 23);
        EXPECT_EQ(rig.Server->WriteLog, c.Start + mvWrites(50, 51, 52) + c.End);
        for (const auto& [tag, value] : rig.Server->WriteLog)
            EXPECT_EQ(value.typeId(), tag == DemoTags::MV ? QMetaType::Double : QMetaType::Int);
        EXPECT_EQ(rig.Column(5, 1), 20.0) << "Y1 read from the server";
    }

    Rig quiet; // "Ne piši v OPC": nothing written, MV stays
    quiet.Connect();
    quiet.DemoTagsInPlan(true);
    quiet.Plan.NoOPCWrite = true;
    quiet.ShowAutomatic();
    quiet.RunToEnd();
    EXPECT_EQ(quiet.MVs(), Levels({{50, 17}}));
    EXPECT_EQ(quiet.Server->WriteLog, Log{});
}

TEST(FormaEksperiment, TheSliderAndTheTypedValueSetMv)
{
    LocaleScope comma(LocaleScope::Comma());
    Rig rig;
    rig.Plan.InitialInput = 30;
    rig.ShowManual();
    EXPECT_EQ(rig.W.ScrollBar1->maximum(), 100);
    EXPECT_EQ(rig.W.ScrollBar1->value(), 70) << "the top is the maximum";

    rig.W.ScrollBar1->setValue(25);
    EXPECT_EQ(rig.W.Engine.CurrentMV, 75);
    EXPECT_EQ(rig.W.VrednostVhodaEdit->text(), "75");

    // A typed value is kept as typed (not snapped to the slider's grid), and
    // Enter presses no button.
    rig.W.VrednostVhodaEdit->setText("37,3");
    QTest::keyClick(rig.W.VrednostVhodaEdit, Qt::Key_Return);
    EXPECT_TRUE(rig.W.isVisible());
    EXPECT_FALSE(rig.W.SwitchedToManual());
    EXPECT_EQ(rig.W.Engine.CurrentMV, 37.3);
    EXPECT_EQ(rig.W.ScrollBar1->value(), 63);
    EXPECT_EQ(rig.W.VrednostVhodaEdit->text(), "37,3");
    rig.W.Timer1Timer();
    EXPECT_EQ(rig.Column(1, 2), 37.3);

    // Above the range: only a confirmed value reaches MV and widens the slider.
    rig.W.VrednostVhodaEdit->setText("150");
    QTest::keyClick(rig.W.VrednostVhodaEdit, Qt::Key_Enter);
    EXPECT_EQ(rig.Scripted.Questions.value(0), "MV = 150 je zunaj drsnika 0 … 100. Zapišem?");
    EXPECT_EQ(rig.W.Engine.CurrentMV, 37.3);
    EXPECT_EQ(rig.W.VrednostVhodaEdit->text(), "37,3");
    rig.Scripted.AskAnswers = {true};
    rig.W.VrednostVhodaEdit->setText("150");
    QTest::keyClick(rig.W.VrednostVhodaEdit, Qt::Key_Enter);
    EXPECT_EQ(rig.W.ScrollBar1->maximum(), 150);
    EXPECT_EQ(rig.W.ScrollBar1->value(), 0);

    rig.W.VrednostVhodaEdit->setText("abc");
    QTest::keyClick(rig.W.VrednostVhodaEdit, Qt::Key_Return);
    EXPECT_EQ(rig.Scripted.Errors.size(), 1);
    EXPECT_EQ(rig.W.Engine.CurrentMV, 150);
}

TEST(FormaEksperiment, SwitchingToManualStopsTheStepsAndTheButtonServesTheNextRunAgain)
{
    Rig rig;
    rig.ShowAutomatic();
    for (int i = 0; i < 5; ++i)
        rig.W.Timer1Timer();
    rig.W.RocniAvtomatski->click();
    EXPECT_TRUE(rig.W.SwitchedToManual());
    EXPECT_FALSE(rig.W.RocniAvtomatski->isEnabled());
    EXPECT_TRUE(rig.W.ScrollBar1->isEnabled());
    EXPECT_EQ(rig.W.VrednostVhodaEdit->text(), "50");
    for (int i = 0; i < 40; ++i)
        rig.W.Timer1Timer();
    EXPECT_TRUE(rig.W.isVisible());
    rig.W.KonecEksperimenta->click();
    EXPECT_EQ(rig.MVs(), Levels({{50, 46}}));
    EXPECT_FALSE(rig.W.Engine.AnalysisStart);

    rig.ShowAutomatic();
    EXPECT_TRUE(rig.W.RocniAvtomatski->isEnabled());
    EXPECT_FALSE(rig.W.SwitchedToManual());
}

TEST(FormaEksperiment, ChartsHideTheFirstSampleAndKeepAbout200Seconds)
{
    Rig rig;
    rig.Plan.SamplingMs = 5000;
    rig.ShowManual();
    EXPECT_EQ(rig.W.Series2->count(), 1);
    rig.W.Timer1Timer(); // t = 5: the sample at 0 leaves the charts, not the store
    EXPECT_EQ(rig.W.Series2->count(), 1);
    EXPECT_EQ(rig.W.LineSeries1->at(0), QPointF(5, 50));
    EXPECT_EQ(Sample(rig.Store->Time, 1), 0);

    rig.W.VrednostVhodaEdit->setText("60");
    QTest::keyClick(rig.W.VrednostVhodaEdit, Qt::Key_Return);
    rig.W.Timer1Timer(); // t = 10: the MV chart holds 50 until the step
    const QList<QPointF> stairs{{5, 50}, {10, 50}, {10, 60}};
    EXPECT_EQ(rig.W.LineSeries1->points(), stairs);

    while (rig.W.Engine.ExperimentTime <= 205)
        rig.W.Timer1Timer();
    EXPECT_EQ(rig.Store->SampleCount - 1, 42);
    for (LiveChart* chart : {rig.W.Chart1, rig.W.Chart_U, rig.W.Chart3, rig.W.Chart2})
        EXPECT_EQ(chart->Count(), 40) << chart->objectName().toStdString();
    EXPECT_EQ(rig.W.Series2->count(), 40);
    EXPECT_EQ(rig.W.Series2->at(0).x(), 10);
    EXPECT_EQ(rig.W.LineSeries1->count(), 79);
    EXPECT_EQ(rig.W.LineSeries1->at(0), QPointF(10, 60));
    EXPECT_EQ(rig.W.Chart3->AxisX()->min(), 10);
    EXPECT_EQ(rig.W.Chart3->AxisX()->max(), 205);
}

TEST(FormaEksperiment, TheCloseBoxEscAndTheModalShowEndTheRunAsTheEndButtonDoes)
{
    // Closing asks first; No goes on recording.
    Rig closeBox;
    closeBox.ShowManual();
    closeBox.W.close();
    EXPECT_TRUE(closeBox.W.isVisible());
    EXPECT_EQ(closeBox.Scripted.Questions, QStringList{"Končam eksperiment?"});
    closeBox.Scripted.AskAnswers = {true};
    closeBox.W.close();
    EXPECT_FALSE(closeBox.W.isVisible());
    EXPECT_TRUE(closeBox.Finished());
    EXPECT_EQ(closeBox.Store->SampleCount, 10);

    Rig esc;
    esc.ShowManual();
    esc.Scripted.AskAnswers = {true};
    QTest::keyClick(&esc.W, Qt::Key_Escape);
    EXPECT_FALSE(esc.W.isVisible());
    EXPECT_TRUE(esc.Finished());

    // The program's way: Run, a modal show that the timer drives until the end.
    Rig modal;
    modal.Plan.SamplingMs = 50;
    QTimer::singleShot(300, modal.W.KonecEksperimenta, &QPushButton::click);
    const RunOutcome outcome = modal.W.Run(modal.Plan);
    EXPECT_TRUE(outcome.Finished);
    EXPECT_FALSE(outcome.SwitchedToManual);
    EXPECT_NE(modal.W.Label2->text(), FormatFixed(0, 10, 4)) << "the timer took samples";
}

TEST(FormaEksperiment, KeepingThePlantsMvNeedsAValueTheServerDelivered)
{
    Rig rig;
    rig.Connect();
    rig.Plan.KeepInitialInput = true;
    rig.Plan.Loop.SetTag(TagRole::MV, DemoTags::MV);
    rig.Server->RefuseItem(DemoTags::MV);
    const RunOutcome refused = rig.W.Run(rig.Plan);
    EXPECT_FALSE(refused.Finished);
    EXPECT_TRUE(refused.Refusal.contains("Začetnega vhoda ni mogoče ohraniti"));
    EXPECT_TRUE(rig.Server->WriteLog.isEmpty());

    // With the value delivered the run starts from it and writes nothing
    // (the loop has no switch tags: the user accepts a run without them).
    rig.Server->AcceptAll();
    rig.W.QualityWaitLimitMs = 3000;
    rig.Scripted.AskAnswers = {true};
    rig.ShowManual();
    EXPECT_EQ(rig.Scripted.Questions.size(), 1);
    rig.W.Timer1Timer();
    EXPECT_EQ(rig.Column(1, 1), 10.0);
    EXPECT_TRUE(rig.Server->WriteLog.isEmpty());
}

TEST(FormaEksperiment, AValueThatIsNotFiniteIsCountedButNotDrawn)
{
    LiveChart chart("Chart", "Series", "Title", LiveChart::Style::Stairs);
    chart.Append(0, 1);
    chart.Append(1, std::numeric_limits<double>::quiet_NaN());
    chart.Append(2, 3);
    EXPECT_EQ(chart.Series()->points(), (QList<QPointF>{{0, 1}, {2, 1}, {2, 3}}));
    EXPECT_DOUBLE_EQ(chart.AxisY()->max(), 3.1);
    chart.DropFirst();
    chart.DropFirst();
    EXPECT_EQ(chart.Count(), 1);
    EXPECT_EQ(chart.Series()->points(), QList<QPointF>{QPointF(2, 3)});
}
