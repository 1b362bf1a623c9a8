// The controller page driven as a user drives it: the method list, the
// robustness slider, the response choice, the cascade box, the closed-loop
// sampling time, the controller form, the sequencer and the controller file.

#include "base/ChartView.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "support/LocaleScope.h"
#include "support/MainWindowFixture.h"
#include "tuning/ControllerFile.h"
#include "tuning/TuningText.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QStatusBar>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

// The gain labels in TuningLabel order, then the recommended sampling time.
const char* const ResultLabels[] = {"Label_Kp_Cascade", "Label_Ki",     "Label_Kp_P",
                                    "Label_PI_Kp",      "Label_PI_Ti",  "Label_PID_Kp",
                                    "Label_PID_Ti",     "Label_PID_Td", "Label_Priporocljiv"};
const char* const FormFields[] = {"Edit_Reg_Kp", "Edit_Reg_Ki", "Edit_Reg_Kd"};

class ControllerPage : public MainWindowFixture {
protected:
    void SetModel(ProcessModel& model, double K, double T, double L, double relativeError = 0)
    {
        model.Gain = K;
        model.TimeConstant = T;
        model.DeadTime = L;
        model.RelativeError = relativeError;
    }
    // The worked example: K = 1, T = 10, L = 2.
    void SetExampleModel() { SetModel(store.InnerModel, 1, 10, 2); }

    // What a pick from the list does.
    void Pick(const char* list, int index)
    {
        auto* combo = Find<TextComboBox>(list);
        combo->SetItemIndex(index);
        emit combo->activated(index);
    }
    void Enter(const char* edit, const QString& text)
    {
        auto* field = Find<QLineEdit>(edit);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QString Text(const char* name)
    {
        if (auto* label = form->findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        return Find<QLineEdit>(name)->text();
    }
    QStringList Texts(const auto& names)
    {
        QStringList texts;
        for (const char* name : names)
            texts << Text(name);
        return texts;
    }
    // Texts written with '.' in the locale's notation.
    static QStringList Localized(QStringList texts)
    {
        for (QString& text : texts)
            text.replace(QLatin1Char('.'), DecimalSeparator());
        return texts;
    }
    std::array<QLineSeries*, 5> Curves() const
    {
        return {form->LineSeries3, form->Series3, form->Series4, form->LineSeries4, form->Series5};
    }
};

TEST_F(ControllerPage, WorkedExampleThroughTheMethodListAndTheSlider)
{
    for (const QLocale& locale : {LocaleScope::Comma(), LocaleScope::Point()}) {
        LocaleScope scope(locale);
        SetExampleModel();
        Find<QScrollBar>("ScrollBar_Robust")->setValue(10);
        Pick("ComboBox1", 5);
        // Ziegler-Nichols: Q = 5; the recommended time is 1/(KiPI K1)/10.
        EXPECT_EQ(Texts(ResultLabels), Localized({"0", "0.75000", "5.00000", "4.500", "0.750000",
                                                  "6.000", "1.500000", "6.000", "0.133"}))
            << locale.name().toStdString();
        // The form follows the method: the PI row in the general parallel form.
        EXPECT_EQ(Texts(FormFields), Localized({"4.500", "0.750000", ""}));

        Find<QScrollBar>("ScrollBar_Robust")->setValue(0); // f = 0.1
        EXPECT_EQ(Text("Label_Kp_P"), Localized({"0.50000"})[0]);
        EXPECT_EQ(Text("Label_PID_Ti"), Localized({"0.150000"})[0]);
        Find<QScrollBar>("ScrollBar_Robust")->setValue(20); // f = 2.6456
        EXPECT_EQ(Text("Label_PI_Kp"), FormatFixed(4.5 * RobustFactorFor(20), 15, 3));
        EXPECT_EQ(Text("Label_PID_Td"), FormatFixed(6 * RobustFactorFor(20), 15, 3));
        // The converted parameters follow every recomputation.
        EXPECT_EQ(Texts(FormFields)[0], FormatFixed(4.5 * RobustFactorFor(20), 15, 3));
    }
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ControllerPage, ASlowerThanRecommendedSamplingTimeIsMarkedAndCurvesHideFromTheLegend)
{
    LocaleScope point(LocaleScope::Point());
    SetExampleModel();
    Enter("Edit_Vzorcenje", "1"); // recommended for the worked example: 0.133 s
    EXPECT_TRUE(form->StatusBar1->currentMessage().startsWith("Čas vzorčenja zaprte zanke (1 s)"))
        << form->StatusBar1->currentMessage().toStdString();
    EXPECT_FALSE(Find<QLineEdit>("Edit_Vzorcenje")->styleSheet().isEmpty());
    Enter("Edit_Vzorcenje", "0.1");
    EXPECT_TRUE(form->StatusBar1->currentMessage().isEmpty());
    EXPECT_TRUE(Find<QLineEdit>("Edit_Vzorcenje")->styleSheet().isEmpty());

    QLegendMarker* pid = form->Chart1->chart()->legend()->markers(form->Series4).value(0);
    ASSERT_NE(pid, nullptr);
    emit pid->clicked();
    EXPECT_FALSE(form->Series4->isVisible());
    EXPECT_TRUE(pid->font().strikeOut());
    emit pid->clicked();
    EXPECT_TRUE(form->Series4->isVisible());
}

TEST_F(ControllerPage, BlankMethodAndCascade)
{
    LocaleScope scope(LocaleScope::Point());
    SetExampleModel();
    SetModel(store.OuterModel, 2, 50, 5);
    Pick("ComboBox1", 6);
    EXPECT_EQ(Texts(ResultLabels), QStringList({"0", "0.00000", "0.00000", "0.000", "0.000000",
                                                "0.000", "0.000000", "0.000", "100.000"}));

    Pick("ComboBox1", 2);
    Find<QCheckBox>("CheckBox_CascadeReg")->setChecked(true);
    // The inner gain is the inner KpP over 0.85: 1.75 / 0.85. The outer P
    // and I rows are 0 and the PID row is the PI row.
    EXPECT_EQ(Text("Label_Kp_Cascade"), "2.0588");
    EXPECT_EQ(Text("Label_Kp_P"), "0.00000");
    EXPECT_EQ(Text("Label_Ki"), "0.00000");
    EXPECT_NE(Text("Label_PI_Kp"), "0.000");
    EXPECT_EQ(Text("Label_PID_Kp"), Text("Label_PI_Kp"));
    EXPECT_EQ(Text("Label_PID_Ti"), Text("Label_PI_Ti"));
    EXPECT_EQ(Text("Label_PID_Td"), "0.000");
    EXPECT_EQ(Text("Label_LabOjacSekv"), QStringLiteral("Maks. ojač. sekv.:"));
    EXPECT_EQ(Text("Label_OjacSekv"), "1.0000");
    EXPECT_EQ(Text("Edit_Reg_Kp"), FormatFixed(store.CascadeResults.KpPI, 15, 3));

    Find<QCheckBox>("CheckBox_CascadeReg")->setChecked(false);
    EXPECT_EQ(Text("Label_Kp_Cascade"), "0");
    EXPECT_EQ(Text("Label_PI_Kp"), "1.750");
    EXPECT_EQ(Text("Label_LabOjacSekv"), "");
    EXPECT_EQ(Text("Label_OjacSekv"), "");
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ControllerPage, ChartShowsTheComputedResponses)
{
    LocaleScope scope(LocaleScope::Point());
    SetExampleModel();
    Pick("ComboBox1", 5);
    Find<RadioGroup>("RadioGroup_Motnja")->SetItemIndex(1);

    // The same recomputation without the window.
    Podatki reference;
    reference.InnerModel = store.InnerModel;
    TuningRequest request;
    request.Method = 5;
    request.ResponseChoice = 1;
    const TuningPageResult expected = EvaluateTuning(reference, request);
    ASSERT_TRUE(expected.Responses);
    const ResponseSet& r = *expected.Responses;
    ASSERT_EQ(r.Horizon.N, 71);
    const std::vector<double>* curves[] = {&r.I, &r.PI, &r.PID, &r.Open, &r.P};
    const std::vector<double> time(r.Time.begin(), r.Time.end());
    for (std::size_t c = 0; c < 5; ++c) {
        std::vector<double> x, y;
        for (const QPointF& point : Curves()[c]->points()) {
            x.push_back(point.x());
            y.push_back(point.y());
        }
        EXPECT_EQ(x, time) << c;
        EXPECT_EQ(y, *curves[c]) << c;
    }
    EXPECT_EQ(form->Chart1->AxisY()->min(), r.AxisMin);
    EXPECT_EQ(form->Chart1->AxisY()->max(), r.AxisMax);
    EXPECT_EQ(form->Chart1->AxisX()->min(), 0);
    EXPECT_EQ(form->Chart1->AxisX()->max(), 70);
    EXPECT_TRUE(dialogs.Errors.isEmpty());

    // A sampling time that is not a number: the labels follow the slider,
    // the chart keeps its curves and the user reads why.
    const QList<QPointF> before = form->Series3->points();
    Find<QLineEdit>("Edit_Vzorcenje")->setText("abc");
    Find<QScrollBar>("ScrollBar_Robust")->setValue(0);
    EXPECT_EQ(Text("Label_Kp_P"), "0.50000");
    EXPECT_EQ(form->Series3->points(), before);
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains("abc")) << dialogs.Errors[0].toStdString();
}

TEST_F(ControllerPage, AutoSetupSuppressesOnlyTheMarkedHandlers)
{
    LocaleScope scope(LocaleScope::Point());
    SetExampleModel();
    QSignalSpy redraws(form->LineSeries4, &QXYSeries::pointsReplaced);
    form->AutoSetupInProgress = true;
    Pick("ComboBox1", 5);
    Find<QScrollBar>("ScrollBar_Robust")->setValue(12);
    Find<RadioGroup>("RadioGroup_Motnja")->SetItemIndex(1);
    Find<QCheckBox>("CheckBox_CascadeReg")->setChecked(true);
    Find<QCheckBox>("CheckBox_CascadeReg")->setChecked(false);
    Pick("ComboBox_Regulator", 1);
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(3);
    EXPECT_EQ(redraws.count(), 0);
    EXPECT_EQ(Text("Label_Kp_P"), "0");
    EXPECT_EQ(Texts(FormFields), QStringList({"0", "0", "0"}));

    // Enter in the sampling time and in a scale field still acts.
    Enter("Edit_Vzorcenje", "1");
    EXPECT_EQ(redraws.count(), 1);
    EXPECT_EQ(Text("Label_Kp_P"), FormatFixed(5 * RobustFactorFor(12), 15, 5));
    Enter("Edit_Reg_ScaleP", "1");
    EXPECT_EQ(Texts(FormFields),
              QStringList({FormatFixed(6 * RobustFactorFor(12), 15, 3), "4.000000", "1.000"}));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ControllerPage, ControllerFormsTypesAndScales)
{
    LocaleScope scope(LocaleScope::Point());
    SetExampleModel();
    Pick("ComboBox1", 5); // PID: Kp = 6, Ki = 1.5, Kd = 6
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(3);
    const char* const names[] = {"Label_Reg_Name_Kp", "Label_Reg_Name_Ki", "Label_Reg_Name_Kd"};
    Pick("ComboBox_Regulator", 1);
    EXPECT_EQ(Texts(names), QStringList({"Kp:", "Ti:", "Td:"}));
    EXPECT_EQ(Texts(FormFields), QStringList({"6.000", "4.000000", "1.000"}));
    Pick("ComboBox_Regulator", 2);
    EXPECT_EQ(Texts(names), QStringList({"Kp:", "1/Ti:", "Td:"}));
    EXPECT_EQ(Texts(FormFields), QStringList({"6.000", "0.250000", "1.000"}));
    Pick("ComboBox_Regulator", 3);
    EXPECT_EQ(Texts(FormFields), QStringList({"3.000", "2.000000", "2.000"}));

    // "I:" scales Ti in the form with times.
    Pick("ComboBox_Regulator", 1);
    Enter("Edit_Reg_ScaleI", "2");
    EXPECT_EQ(Text("Edit_Reg_Ki"), "8.000000");
    // A scale that is not a number changes no field.
    Enter("Edit_Reg_ScaleD", "x");
    EXPECT_EQ(dialogs.Errors.size(), 1);
    EXPECT_EQ(Texts(FormFields), QStringList({"6.000", "8.000000", "1.000"}));
    Enter("Edit_Reg_ScaleD", "1");

    // Type I: only the Ki field, the others hidden and emptied.
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(1);
    EXPECT_EQ(Texts(names), QStringList({"", "Ki:", ""}));
    EXPECT_EQ(Texts(FormFields), QStringList({"", "1.500000", ""}));
    EXPECT_TRUE(Find<QLineEdit>("Edit_Reg_Kp")->isHidden());
    EXPECT_FALSE(Find<QLineEdit>("Edit_Reg_Ki")->isHidden());
    EXPECT_TRUE(Find<QLineEdit>("Edit_Reg_Kd")->isHidden());
    Find<RadioGroup>("RadioGroup_IzbiraTipaReg")->SetItemIndex(3);
    EXPECT_FALSE(Find<QLineEdit>("Edit_Reg_Kd")->isHidden());
}

TEST_F(ControllerPage, SequencerDividesTheOuterGains)
{
    LocaleScope scope(LocaleScope::Point());
    SetExampleModel();
    SetModel(store.OuterModel, 2, 50, 5);
    auto* grid = Find<StringGrid>("StringGrid_Sekvencer");
    const char* const rows[][2] = {{"0", "0"}, {"50", "20"}, {"100", "100"}};
    for (int row = 0; row < 3; ++row) {
        grid->SetCell(0, row, rows[row][0]);
        grid->SetCell(1, row, rows[row][1]);
    }
    form->Label_MinY1->setText("10");
    form->Label_MaksY1->setText("90");
    Find<QCheckBox>("CheckBox_Sekvencer")->setChecked(true);
    Find<QCheckBox>("CheckBox_CascadeReg")->setChecked(true);
    EXPECT_EQ(Text("Label_OjacSekv"), "1.6000");
    EXPECT_EQ(Text("Edit_Reg_Kp"), FormatFixed(store.CascadeResults.KpPI / 1.6, 15, 3));
    EXPECT_EQ(Text("Edit_Reg_Ki"), FormatFixed(store.CascadeResults.KiPI / 1.6, 15, 6));

    Find<QCheckBox>("CheckBox_Sekvencer")->setChecked(false);
    Enter("Edit_Reg_ScaleP", "1");
    EXPECT_EQ(Text("Label_OjacSekv"), "1.0000");
    EXPECT_EQ(Text("Edit_Reg_Kp"), FormatFixed(store.CascadeResults.KpPI, 15, 3));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ControllerPage, ButtonPidTunesWithTheRecordedSamplingTime)
{
    LocaleScope scope(LocaleScope::Comma());
    SetExampleModel();
    store.SamplingTime = 1.0 / 3;
    Find<QPushButton>("Button_PID")->click();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 4);
    EXPECT_EQ(Text("Edit_Vzorcenje"), "0,333333333333");
    EXPECT_EQ(Text("Label_PI_Kp"), "2,139");    // area method: 0.85 A3 / (2 (A1 A2 - A0 A3))
    EXPECT_EQ(form->LineSeries4->count(), 211); // 10 L + 5 T = 70 s
    EXPECT_EQ(Text("Edit_Reg_Kp"), Text("Label_PI_Kp"));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

class ControllerFile : public ControllerPage {
protected:
    // Every control the file keeps, in the page's notation.
    QStringList PageState()
    {
        return {Text("Edit_Vzorcenje"),
                QString::number(form->ComboBox1->ItemIndex()),
                QString::number(form->ScrollBar_Robust->value()),
                QString::number(form->RadioGroup_Motnja->ItemIndex()),
                QString::number(form->ComboBox_Regulator->ItemIndex()),
                QString::number(form->RadioGroup_IzbiraTipaReg->ItemIndex()),
                Text("Edit_Reg_ScaleP"),
                Text("Edit_Reg_ScaleI"),
                Text("Edit_Reg_ScaleD"),
                QString::number(form->CheckBox_CascadeReg->isChecked())};
    }
    QStringList Shown() { return Texts(ResultLabels) + Texts(FormFields); }
    std::array<double, 8> Models() const
    {
        const ProcessModel& i = store.InnerModel;
        const ProcessModel& o = store.OuterModel;
        return {i.Gain, i.TimeConstant, i.DeadTime, i.RelativeError,
                o.Gain, o.TimeConstant, o.DeadTime, o.RelativeError};
    }
    // A page unlike the saved one in every control.
    void OtherPage()
    {
        SetModel(store.InnerModel, 3, 7, 1);
        SetModel(store.OuterModel, 1, 9, 2);
        Find<QLineEdit>("Edit_Vzorcenje")->setText("2");
        Pick("ComboBox1", 0);
        form->ScrollBar_Robust->setValue(4);
        form->RadioGroup_Motnja->SetItemIndex(0);
        Pick("ComboBox_Regulator", 0);
        form->RadioGroup_IzbiraTipaReg->SetItemIndex(0);
        Enter("Edit_Reg_ScaleP", "1");
        Enter("Edit_Reg_ScaleI", "1");
        Enter("Edit_Reg_ScaleD", "1");
        form->CheckBox_CascadeReg->setChecked(false);
    }

    QTemporaryDir dir;
};

TEST_F(ControllerFile, RoundTripThroughThePageRecomputesOnce)
{
    LocaleScope scope(LocaleScope::Comma());
    SetModel(store.InnerModel, 1.5, 12.25, 3, 0.0123);
    SetModel(store.OuterModel, 0.8, 40.125, 1e-5, 0.2);
    form->WorkDir = dir.path();
    Find<QLineEdit>("Edit_Vzorcenje")->setText("0,5");
    form->CheckBox_CascadeReg->setChecked(true);
    Pick("ComboBox1", 3);
    form->ScrollBar_Robust->setValue(13);
    form->RadioGroup_Motnja->SetItemIndex(1);
    Pick("ComboBox_Regulator", 2);
    form->RadioGroup_IzbiraTipaReg->SetItemIndex(3);
    Enter("Edit_Reg_ScaleP", "2");
    Enter("Edit_Reg_ScaleI", "0,5");
    Enter("Edit_Reg_ScaleD", "1,5");
    const QStringList state = PageState();
    const QStringList shown = Shown();
    const std::array<double, 8> models = Models();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();

    Find<QPushButton>("Button9")->click(); // cancelled
    const QString file = dir.filePath("zanka");
    dialogs.FileAnswers.push_back(file);
    Find<QPushButton>("Button9")->click();
    ASSERT_EQ(dialogs.FileRequests.size(), 2u);
    const FileDialogRequest& request = dialogs.FileRequests.back();
    EXPECT_EQ(request.Filter, "Controller settings (*.vkc)|*.vkc|All files (*.*)|*.*");
    EXPECT_EQ(request.DefaultExtension, "vkc");
    EXPECT_EQ(request.Directory, dir.path());
    ASSERT_TRUE(QFile::exists(file + ".vkc"));

    OtherPage();
    ASSERT_NE(PageState(), state);
    QSignalSpy redraws(form->LineSeries4, &QXYSeries::pointsReplaced);
    dialogs.FileAnswers.push_back(file + ".vkc");
    Find<QPushButton>("Button8")->click();
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(PageState(), state);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(Models(), models);
    EXPECT_EQ(redraws.count(), 1);
}

TEST_F(ControllerFile, AFailingFileChangesNothing)
{
    LocaleScope scope(LocaleScope::Point());
    SetModel(store.InnerModel, 1, 10, 2);
    SetModel(store.OuterModel, 2, 50, 5);
    ControllerSettings saved;
    saved.K1 = 9;
    saved.Method = 4;
    saved.SliderPosition = 3;
    saved.Cascade = true;
    QStringList lines = ControllerFileLines(saved);
    const QString shortFile = dir.filePath("short.vkc");
    const QString badFile = dir.filePath("bad.vkc");
    const auto write = [](const QString& name, const QStringList& content) {
        QFile out(name);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write((content.join("\r\n") + "\r\n").toUtf8());
    };
    write(shortFile, lines.mid(0, 37));
    lines[13] = "abc"; // T2, after K1 and the other inner values
    write(badFile, lines);

    Pick("ComboBox1", 5);
    const QStringList state = PageState();
    const QStringList shown = Shown();
    const std::array<double, 8> models = Models();
    QSignalSpy redraws(form->LineSeries4, &QXYSeries::pointsReplaced);
    for (const QString& file : {shortFile, badFile}) {
        dialogs.FileAnswers.push_back(file);
        Find<QPushButton>("Button8")->click();
    }
    EXPECT_EQ(dialogs.Errors.size(), 2);
    EXPECT_EQ(PageState(), state);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(Models(), models);
    EXPECT_EQ(redraws.count(), 0);
}

} // namespace
