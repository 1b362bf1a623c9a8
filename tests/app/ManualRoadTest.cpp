// The whole manual road of a tuning, driven through the controls as a user
// drives it, on the program's windows as main() creates them: connect to the
// demo server and browse the controller's tags, run a trial by hand on the
// built-in simulation (the loop's own rows left empty), process it, identify
// the model, tune, and load the parameters into the demo server's
// controller.

#include "ProgramFixture.h"
#include "base/ChartView.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "experiment/LiveChart.h"
#include "experiment/RunEngine.h"
#include "support/LocaleScope.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include <string_view>
#include <vector>

namespace {

using Log = QList<QPair<QString, QVariant>>;

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class ManualRoad : public ProgramFixture {
protected:
    ManualRoad()
    {
        // The program draws its noise unseeded; the road is reproducible.
        run->Engine.Simulation = ProcessSimulation(MakeSeededUniformGenerator(2024));
    }

    int Page() { return Find<QTabWidget>("PageControl1")->currentIndex(); }
    QString Text(const char* name)
    {
        if (auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(name)))
            return edit->text();
        return Find<QLabel>(name)->text();
    }
    double Number(const char* name) { return ParseNumber(Text(name)); }
    void Type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void Type(const char* name, const QString& text) { Type(Find<QLineEdit>(name), text); }
    void Browse(int row, const QString& leaf)
    {
        ClickCell(0, row);
        AnswerBrowse({QStringLiteral("Loop1"), QStringLiteral("Controller1")}, {leaf});
        Find<QPushButton>("IzberiAjtemKnof")->click();
    }
    QString Errors() const { return dialogs.Errors.join('\n'); }

    // The run window while it is the modal window of the activation.
    void RunByHand();
    std::vector<double> mvShown; // MV label of the run window after each move
    QString runStatus;
    qsizetype livePoints = 0;
};

// Samples on the run window's own timer, then by its tick handler: MV 10
// (the simulated loop at rest), typed 20, the slider a page down (10 again),
// then "Konec eksperimenta".
void ManualRoad::RunByHand()
{
    auto tick = [this](int samples) {
        for (int i = 0; i < samples; ++i)
            run->Timer1Timer();
    };
    EXPECT_TRUE(PumpUntil([this] { return store.SampleCount > 4; }))
        << "the run window's timer takes no samples";
    run->Timer1->stop();
    tick(40);
    mvShown.push_back(ParseNumber(run->Label_Exp_MV->text()));

    Type(run->VrednostVhodaEdit, QStringLiteral("20"));
    QTest::keyClick(run->VrednostVhodaEdit, Qt::Key_Return);
    tick(150);
    mvShown.push_back(ParseNumber(run->Label_Exp_MV->text()));

    QTest::keyClick(run->ScrollBar1, Qt::Key_PageDown);
    EXPECT_EQ(run->VrednostVhodaEdit->text(), QStringLiteral("10"));
    tick(150);
    mvShown.push_back(ParseNumber(run->Label_Exp_MV->text()));

    runStatus = run->StatusBar1->currentMessage();
    livePoints = run->Series2->count();
    run->KonecEksperimenta->click();
}

} // namespace

TEST_F(ManualRoad, FromTheTagTableToTheParametersInTheController)
{
    LocaleScope comma(LocaleScope::Comma());
    form->show();
    QApplication::processEvents();

    // ---- OPC page: the demo server, its controller's tags by browsing.
    ASSERT_EQ(Page(), 0);
    auto* servers = Find<TextComboBox>("ComboBox2");
    const int demoIndex = servers->findText(DemoServerProgID);
    ASSERT_GE(demoIndex, 0) << "the demo server is not listed";
    servers->SetItemIndex(demoIndex);
    Find<QPushButton>("PoveziOPCStreznik")->click();
    EXPECT_EQ(Text("Label54"), QStringLiteral("running"));
    Browse(7, QStringLiteral("P"));
    Browse(8, QStringLiteral("I"));
    Browse(9, QStringLiteral("D"));
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::P)), DemoTags::P1);
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::I)), DemoTags::I1);
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::D)), DemoTags::D1);
    const QStringList descriptions = {"Ventil", "", "Izhod reg.", "", "Temperatura", "Tlak"};
    for (int row = 0; row < descriptions.size(); ++row)
        Tags().SetCell(1, row, descriptions[row]);
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();

    // ---- Experiment page: a trial by hand from MV 10, sampled every 0,1 s.
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    Find<QRadioButton>("RadioRocno")->click();
    Type("CasVzorcenjaEdit", QStringLiteral("0,1"));
    Type("ZacetniVhodEdit", QStringLiteral("10"));
    bool ranByHand = false;
    auto* poll = new QTimer(form);
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, &ranByHand] {
        if (QApplication::activeModalWidget() != run)
            return;
        poll->stop();
        ranByHand = true;
        RunByHand();
    });
    poll->start(5);
    dialogs.FileAnswers.push_back(File("cevovod_1"));
    Find<QPushButton>("AktivirajEksperiment")->click();
    delete poll;

    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    ASSERT_TRUE(ranByHand) << dialogs.Messages.join("\n").toStdString()
                           << " status: " << form->StatusBar1->currentMessage().toStdString();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    // The settings dialog was asked and answered; its extension was added.
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_TRUE(QFile::exists(File("cevovod_1.vkx")));
    EXPECT_EQ(run->windowTitle(), QStringLiteral("Eksperiment cevovod_1"));
    EXPECT_EQ(mvShown, (std::vector<double>{10, 20, 10}));
    // Connected, but the loop has no tags: simulated, and said so.
    EXPECT_EQ(dialogs.Messages, QStringList{Utf8(NoLoopTagsMessage)});
    EXPECT_EQ(runStatus, Utf8(StatusNoLoopTagsText));
    EXPECT_GT(livePoints, 300);
    // The loop has no tags: the connected server received nothing.
    EXPECT_EQ(demo->WriteLog, Log{});

    // ---- Processing page: the record, conditioned and plotted.
    ASSERT_EQ(Page(), 2);
    // The sample at the show, at least three on the timer, 340 by hand.
    const int samples = store.SampleCount;
    EXPECT_GE(samples, 344);
    EXPECT_EQ(Text("Label_Ns"), QString::number(samples));
    EXPECT_EQ(Text("Label_Ts"), QStringLiteral("0,1"));
    EXPECT_EQ(Number("Label_MaksMV1"), 20);
    EXPECT_EQ(Number("Label_MinMV1"), 10);
    EXPECT_NEAR(Number("Label_MaksU1"), 10, 1e-9);
    for (const char* deviation : {"Label_STDMV1", "Label_STDU1", "Label_STDY1", "Label_STDY2"})
        EXPECT_GT(Number(deviation), 1) << deviation;
    for (QLineSeries* series : {form->Series_MV, form->Series_U, form->Series_Y, form->Series_Y2})
        EXPECT_EQ(series->count(), samples) << series->objectName().toStdString();
    EXPECT_EQ(form->ScrollBar3->value(), 1);
    EXPECT_EQ(form->ScrollBar4->value(), samples);

    // ---- Model page: the simulated process, U to Y1 with unit gain and a
    // time constant of about 9.5 samples.
    Find<QPushButton>("Button_Izracun")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    ASSERT_EQ(Page(), 3);
    EXPECT_NEAR(Number("Edit_Gain"), 1.0, 0.05);
    EXPECT_NEAR(Number("Edit_Time"), 0.95, 0.2);
    EXPECT_LE(Number("Edit_Delay"), 0.3);
    EXPECT_FALSE(Text("Label_Kvaliteta").isEmpty());
    int lamps = 0;
    for (QLabel* lamp : {form->Image_Quality_Green, form->Image_Quality_Yellow,
                         form->Image_Quality_Orange, form->Image_Quality_Red})
        lamps += lamp->isVisible() ? 1 : 0;
    EXPECT_EQ(lamps, 1);
    EXPECT_TRUE(form->Image_Quality_Green->isVisible() || form->Image_Quality_Yellow->isVisible())
        << Text("Label_Kvaliteta").toStdString();
    EXPECT_GT(form->LineSeries1->count(), 100);
    EXPECT_EQ(form->LineSeries2->count(), form->LineSeries1->count());

    // ---- Controller page: the gains of every type and their responses.
    Find<QPushButton>("Button_PID")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    ASSERT_EQ(Page(), 4);
    EXPECT_EQ(Text("Edit_Vzorcenje"), QStringLiteral("0,1"));
    for (const char* gain : {"Label_Ki", "Label_Kp_P", "Label_PI_Kp", "Label_PI_Ti", "Label_PID_Kp",
                             "Label_PID_Ti", "Label_PID_Td"})
        EXPECT_GT(Number(gain), 0) << gain << " '" << Text(gain).toStdString() << "'";
    for (QLineSeries* series :
         {form->LineSeries3, form->Series3, form->Series4, form->LineSeries4, form->Series5})
        EXPECT_GT(series->count(), 10) << series->objectName().toStdString();

    // The plant's controller is parallel (Kp, Ti, Td), PID.
    auto* controllerForm = Find<TextComboBox>("ComboBox_Regulator");
    controllerForm->setFocus();
    QTest::keyClick(controllerForm, Qt::Key_Down);
    QTest::keyClick(controllerForm, Qt::Key_Down);
    ASSERT_EQ(controllerForm->ItemIndex(), 1) << controllerForm->currentText().toStdString();
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->Button(3)->click();
    EXPECT_EQ(Text("Label_Reg_Name_Ki"), QStringLiteral("Ti:"));
    const double kp = Number("Edit_Reg_Kp");
    const double ti = Number("Edit_Reg_Ki");
    const double td = Number("Edit_Reg_Kd");
    EXPECT_NEAR(kp, Number("Label_PID_Kp"), 1e-3 * kp);
    EXPECT_GT(ti, 0);
    EXPECT_GT(td, 0);

    // ---- "Naloži v regulator": the shown values arrive at P, I and D.
    dialogs.AskAnswers = {true, true};
    Find<QPushButton>("Button16")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    EXPECT_EQ(demo->WriteLog, (Log{{DemoTags::P1, kp}, {DemoTags::I1, ti}, {DemoTags::D1, td}}));
    EXPECT_TRUE(
        PumpUntil([this, kp] { return demo->FindTag(DemoTags::P1)->Value == QVariant(kp); }));
    EXPECT_EQ(demo->FindTag(DemoTags::D1)->Value, QVariant(td));
    EXPECT_TRUE(form->StatusBar1->currentMessage().endsWith(
        QStringLiteral("D (%1) 0 → %2.").arg(DemoTags::D1, Text("Edit_Reg_Kd"))))
        << form->StatusBar1->currentMessage().toStdString();

    // A controller without a D term: the empty field is the integer 0.
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->Button(2)->click();
    EXPECT_TRUE(Text("Edit_Reg_Kd").isEmpty()) << Text("Edit_Reg_Kd").toStdString();
    Find<QPushButton>("Button16")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    ASSERT_EQ(demo->WriteLog.size(), 6);
    EXPECT_EQ(demo->WriteLog[3], (QPair<QString, QVariant>{DemoTags::P1, Number("Edit_Reg_Kp")}));
    EXPECT_EQ(demo->WriteLog[5], (QPair<QString, QVariant>{DemoTags::D1, 0}));
    EXPECT_EQ(demo->WriteLog[5].second.typeId(), QMetaType::Int);
    EXPECT_TRUE(form->StatusBar1->currentMessage().endsWith(QStringLiteral(" → 0.")));
}
