// The robustness figures on the controller page: the table and the Ms label
// follow every recomputation, the chosen type's row stands out, an unstable
// loop reads "nestabilno" in red, the frequency-response window follows the
// page while it is open, and the Ms target moves the slider.

#include "base/ChartView.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "support/LocaleScope.h"
#include "support/MainWindowFixture.h"
#include "tuning/FrequencyResponseWindow.h"
#include "tuning/TuningText.h"

#include <QAction>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTest>

namespace {

class RobustnessPage : public MainWindowFixture {
protected:
    RobustnessPage()
    {
        store.InnerModel.Gain = 1;
        store.InnerModel.TimeConstant = 10;
        store.InnerModel.DeadTime = 2;
    }
    QLabel* Label(const QString& name) { return form->findChild<QLabel*>(name); }
    QString Cell(const char* row, const char* column)
    {
        return Label(QStringLiteral("Label_Rob_%1_%2").arg(row, column))->text();
    }
    // The page's figures as the recomputation without the window gives them.
    ResponseSet Expected(int slider, int response)
    {
        Podatki reference;
        reference.InnerModel = store.InnerModel;
        TuningRequest request;
        request.Method = 5;
        request.SliderPosition = slider;
        request.ResponseChoice = response;
        return *EvaluateTuning(reference, request).Responses;
    }
    void Slide(int position) { Find<QScrollBar>("ScrollBar_Robust")->setValue(position); }
};

} // namespace

TEST_F(RobustnessPage, TableAndMsLabelFollowTheRecomputation)
{
    LocaleScope scope(LocaleScope::Comma());
    Find<TextComboBox>("ComboBox1")->SetItemIndex(5); // Ziegler-Nichols
    Slide(2);
    const ResponseSet slow = Expected(2, 0);
    const RobustnessRowTexts pi = FormatRobustness(slow.Robustness[LoopPI], false);
    EXPECT_EQ(QStringList({Cell("PI", "Ms"), Cell("PI", "GM"), Cell("PI", "PM"),
                           Cell("PI", "Odziv"), Cell("PI", "Umiritev"), Cell("PI", "IAE")}),
              QStringList(pi.Cells.begin(), pi.Cells.end()));
    EXPECT_EQ(Label(QStringLiteral("Label_RobustMs"))->text(),
              MsLabelText(slow.Robustness[LoopPID]));
    EXPECT_EQ(Label(QStringLiteral("Label_RobHead_Odziv"))->text(), "prenihaj [%]");

    // The chosen type (PI at start) stands out; a new choice moves it.
    EXPECT_TRUE(Label(QStringLiteral("Label_Rob_PI"))->font().bold());
    EXPECT_FALSE(Label(QStringLiteral("Label_Rob_PID"))->font().bold());
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(3);
    EXPECT_TRUE(Label(QStringLiteral("Label_Rob_PID_Ms"))->font().bold());
    EXPECT_FALSE(Label(QStringLiteral("Label_Rob_PI_Ms"))->font().bold());

    // Fast: the PID loop is unstable, in red with its margins.
    Slide(20);
    EXPECT_EQ(Cell("PID", "Ms"), "nestabilno");
    EXPECT_EQ(Label(QStringLiteral("Label_Rob_PID_GM"))->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_EQ(Label(QStringLiteral("Label_RobustMs"))->text(), "Ms (PID): nestabilno");

    // The disturbance response: its peak.
    Find<RadioGroup>("RadioGroup_Motnja")->SetItemIndex(1);
    EXPECT_EQ(Label(QStringLiteral("Label_RobHead_Odziv"))->text(), "vrh");
    EXPECT_EQ(Cell("P", "Odziv"),
              FormatRobustness(Expected(20, 1).Robustness[LoopP], true).Cells[ColumnResponse]);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(RobustnessPage, FrequencyWindowFollowsThePage)
{
    Find<TextComboBox>("ComboBox1")->SetItemIndex(5);
    Slide(4);
    Find<QPushButton>("Button_FrekvencniOdziv")->click();
    auto* window = form->findChild<FrequencyResponseWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Frekvenčni odziv"));
    QLineSeries* pid = window->NyquistSeries[LoopPID];
    ASSERT_GT(pid->count(), 100);
    EXPECT_GT(window->SensitivitySeries[LoopPI]->count(), 100);
    // The PI type's Ms circle about -1 and its line.
    const double ms = Expected(4, 0).Robustness[LoopPI].Frequency.Ms;
    ASSERT_GT(window->Series_MsCircle->count(), 0);
    EXPECT_NEAR(window->Series_MsCircle->at(0).x(), -1 + 1 / ms, 1e-12);
    EXPECT_EQ(window->Series_MsLine->at(0).y(), ms);
    EXPECT_EQ(window->Series_CriticalPoint->at(0), QPointF(-1, 0));
    for (QChartView* view :
         {static_cast<QChartView*>(window->Chart_Nyquist), window->Chart_Sensitivity})
        EXPECT_NE(view->findChild<QAction*>(QStringLiteral("Action_SavePicture")), nullptr);

    const QList<QPointF> before = pid->points();
    Slide(6);
    EXPECT_NE(pid->points(), before);
    // The chosen type's Ms follows the type choice.
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(3);
    EXPECT_EQ(window->Series_MsLine->at(0).y(), Expected(6, 0).Robustness[LoopPID].Frequency.Ms);

    // Closed, it is left alone.
    window->close();
    const QList<QPointF> closed = pid->points();
    Slide(8);
    EXPECT_EQ(pid->points(), closed);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(RobustnessPage, MsTargetMovesTheSlider)
{
    LocaleScope scope(LocaleScope::Point());
    Find<TextComboBox>("ComboBox1")->SetItemIndex(5);
    Slide(15);
    auto* target = Find<QLineEdit>("Edit_MsCilj");
    target->setText("1.6");
    Find<QPushButton>("Button_MsCilj")->click();
    Podatki reference;
    reference.InnerModel = store.InnerModel;
    TuningRequest request;
    request.Method = 5;
    const std::optional<int> expected = FastestSliderPosition(reference, request, 2, 1.6);
    ASSERT_TRUE(expected);
    EXPECT_EQ(Find<QScrollBar>("ScrollBar_Robust")->value(), *expected);
    EXPECT_TRUE(dialogs.Messages.isEmpty());

    // Out of reach: the slider stays and the user reads why.
    target->setText("1");
    QTest::keyClick(target, Qt::Key_Return);
    EXPECT_EQ(Find<QScrollBar>("ScrollBar_Robust")->value(), *expected);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].contains(QStringLiteral("Ms ≤ 1")));

    target->setText("x");
    Find<QPushButton>("Button_MsCilj")->click();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].startsWith(QStringLiteral("Ciljni Ms")));
}
