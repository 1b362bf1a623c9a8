#include "base/ChartView.h"
#include "data/DataFile.h"
#include "model/ExperimentData.h"
#include "model/ModelFile.h"
#include "support/LocaleScope.h"
#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QValueAxis>

#include <algorithm>
#include <memory>
#include <ostream>

// Readable failure messages for texts.
static inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
static inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace {

// A number in the page's fixed format with exactly `decimals` decimals.
bool HasDecimals(const QString& text, int decimals)
{
    return QRegularExpression(QStringLiteral(R"(^-?\d+\.\d{%1}$)").arg(decimals))
        .match(text)
        .hasMatch();
}

// Everything the model page shows, to compare the page before and after.
struct ModelPageState {
    QStringList Texts; // gain, time, delay, deviations, STD, relative error, grade
    QStringList VisibleLamps;
    qsizetype MeasuredPoints = 0;
    qsizetype ModelPoints = 0;
    QString Status;

    bool operator==(const ModelPageState&) const = default;
};

void PrintTo(const ModelPageState& s, std::ostream* os)
{
    *os << s.Texts.join(QLatin1Char('|')).toStdString() << " lamps "
        << s.VisibleLamps.join(QLatin1Char(',')).toStdString() << " points " << s.MeasuredPoints
        << "/" << s.ModelPoints << " status '" << s.Status.toStdString() << "'";
}

SyntheticExperiment StepExperiment(double ts, FopdtParameters inner, FopdtParameters outer,
                                   int n = 300)
{
    SyntheticExperiment plan;
    plan.Input = StepInput(n, 30, 1.0);
    plan.SamplingTime = ts;
    plan.Inner = inner;
    plan.Outer = outer;
    plan.OffsetU = 20; // the page must show the offsets removed
    plan.OffsetY1 = 40;
    plan.OffsetY2 = 60;
    return plan;
}

} // namespace

class ModelPage : public MainWindowFixture {
protected:
    // Conditioned signals in the store and the whole record as the window,
    // as the processing page leaves them.
    void LoadExperiment(const SyntheticExperiment& plan)
    {
        MakeExperiment(store, plan);
        form->RecordSource = QStringLiteral("sintetika.vkd");
        SetWindow(1, store.SampleCount);
    }

    void SetWindow(int start, int end)
    {
        const QSignalBlocker blockStart(Find<QScrollBar>("ScrollBar3"));
        const QSignalBlocker blockEnd(Find<QScrollBar>("ScrollBar4"));
        form->ScrollBar3->setRange(1, store.SampleCount);
        form->ScrollBar4->setRange(1, store.SampleCount);
        form->ScrollBar3->setValue(start);
        form->ScrollBar4->setValue(end);
    }

    void Click(const char* button) { Find<QPushButton>(button)->click(); }

    QString Text(const char* name)
    {
        if (auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(name)))
            return edit->text();
        return Find<QLabel>(name)->text();
    }

    double Number(const char* name) { return Text(name).toDouble(); }

    QLineSeries* Series(const char* name)
    {
        auto* series =
            form->Chart_Model->chart()->findChild<QLineSeries*>(QString::fromLatin1(name));
        EXPECT_NE(series, nullptr) << "no series " << name;
        return series;
    }

    ModelPageState State()
    {
        ModelPageState s;
        for (const char* name :
             {"Edit_Gain", "Edit_Time", "Edit_Delay", "Label_DGain", "Label_DTime", "Label_STD",
              "Label_Rel_Pogresek", "Label_Kvaliteta"})
            s.Texts << Text(name);
        for (const char* lamp : {"Image_Quality_Green", "Image_Quality_Yellow",
                                 "Image_Quality_Orange", "Image_Quality_Red"})
            if (!Find<QLabel>(lamp)->isHidden())
                s.VisibleLamps << QString::fromLatin1(lamp);
        s.MeasuredPoints = Series("LineSeries1")->count();
        s.ModelPoints = Series("LineSeries2")->count();
        s.Status = form->StatusBar1->currentMessage();
        return s;
    }

    LocaleScope locale{LocaleScope::Point()};
    const QString warning = QStringLiteral("Opozorilo: Vzorčenje je preredko");
};

TEST_F(ModelPage, IzracunModelaIdentifiesTheWindowAndShowsTheModelPage)
{
    LoadExperiment(StepExperiment(1, {2, 10, 3}, {0.5, 20, 5}));
    form->PageControl1->setCurrentIndex(2);
    Click("Button_Izracun");

    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form->PageControl1->currentIndex(), 3);
    EXPECT_EQ(Text("Label_IzvorModela"),
              QStringLiteral("Iz: sintetika.vkd, vzorci 1–%1").arg(store.SampleCount));
    // Data made with the dead time 3 s come back one sample later.
    EXPECT_PRED2(HasDecimals, Text("Edit_Gain"), 3);
    EXPECT_NEAR(Number("Edit_Gain"), 2, 0.02);
    EXPECT_EQ(Text("Edit_Delay"), "4.0");
    EXPECT_NEAR(Number("Edit_Time"), 10, 1);
    EXPECT_PRED2(HasDecimals, Text("Edit_Time"), 2);
    EXPECT_PRED2(HasDecimals, Text("Label_DGain"), 3);
    EXPECT_PRED2(HasDecimals, Text("Label_DTime"), 2);
    EXPECT_PRED2(HasDecimals, Text("Label_STD"), 5);
    EXPECT_PRED2(HasDecimals, Text("Label_Rel_Pogresek"), 5);
    const ModelPageState s = State();
    // Noise-free data of this speed fit within 1.3 %.
    EXPECT_NEAR(Number("Label_Rel_Pogresek"), 0.0129, 0.0005);
    EXPECT_EQ(s.Texts.last(), "Dobra");
    EXPECT_EQ(s.VisibleLamps, QStringList{"Image_Quality_Yellow"});
    EXPECT_EQ(s.Status, "");

    // The measured response without its initial offset, the model beside it,
    // and the vertical axis a tenth of the span beyond both.
    ASSERT_EQ(s.MeasuredPoints, 300);
    ASSERT_EQ(s.ModelPoints, 300);
    EXPECT_EQ(Series("LineSeries1")->at(0).y(), 0);
    EXPECT_NEAR(Series("LineSeries1")->at(299).y(), 2, 1e-3);
    EXPECT_EQ(Series("LineSeries2")->at(299).x(), 299);
    double top = 0;
    for (int i = 0; i < 300; ++i)
        top = std::max({top, Series("LineSeries1")->at(i).y(), Series("LineSeries2")->at(i).y()});
    EXPECT_NEAR(form->Chart_Model->AxisY()->min(), -0.1 * top, 1e-9);
    EXPECT_NEAR(form->Chart_Model->AxisY()->max(), 1.1 * top, 1e-9);

    // Ticked beforehand, the outer model is the one shown.
    form->CheckBox_Model_Outer->setChecked(true);
    form->PageControl1->setCurrentIndex(2);
    Click("Button_Izracun");
    EXPECT_NEAR(Number("Edit_Gain"), 0.5, 0.005);
    EXPECT_EQ(Text("Edit_Delay"), "6.0");
    EXPECT_LT(Number("Label_Rel_Pogresek"), 0.01);
    EXPECT_EQ(Text("Label_Kvaliteta"), "Zelo dobra");
    EXPECT_EQ(State().VisibleLamps, QStringList{"Image_Quality_Green"});

    // A window the method cannot use: the message, and the page stays.
    const ModelPageState before = State();
    SetWindow(10, 12);
    form->PageControl1->setCurrentIndex(2);
    Click("Button_Izracun");
    EXPECT_EQ(dialogs.Errors.size(), 1);
    EXPECT_EQ(form->PageControl1->currentIndex(), 2);
    EXPECT_EQ(State(), before);
}

TEST_F(ModelPage, AMeasurementFileLoadedOnTheProcessingPageIsIdentifiedOverItsWindow)
{
    // The experiment in the raw columns (MV, MV, U, U, Y1, Y2), saved with
    // the window 21..300 and loaded the way the user does.
    auto recorded = std::make_unique<Podatki>();
    MakeExperiment(*recorded, StepExperiment(1, {2, 10, 3}, {0.5, 20, 5}));
    const Podatki::Signal* recordedSignals[] = {&recorded->ProcessedMV, &recorded->ProcessedMV,
                                                &recorded->ProcessedU,  &recorded->ProcessedU,
                                                &recorded->ProcessedY1, &recorded->ProcessedY2};
    for (int k = 1; k <= 6; ++k)
        std::copy_n(recordedSignals[k - 1]->begin(), 300, recorded->Column(k));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("korak.vkd"));
    SaveMeasurements(*recorded, file, QStringLiteral("1.2.2024"), QStringLiteral("10:00:00"), 1,
                     300, 21, 300, ConditioningSettings(), ColumnChoice(),
                     FieldNames(*recorded, ColumnChoice()));
    dialogs.FileAnswers.push_back(file);
    Click("Button3");
    Click("Button_Izracun");

    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form->PageControl1->currentIndex(), 3);
    EXPECT_EQ(store.IdentSampleCount, 280);
    EXPECT_EQ(State().MeasuredPoints, 280);
    EXPECT_NEAR(Number("Edit_Gain"), 2, 0.02);
    EXPECT_EQ(Text("Edit_Delay"), "4.0");
}

TEST_F(ModelPage, SamplingWarningLooksAtBothProcessesAndClearsWhenSamplingSuffices)
{
    // A fast outer process (T 2 s at Ts 3 s) while the inner one is shown.
    LoadExperiment(StepExperiment(3, {2, 60, 6}, {1, 2, 0}));
    Click("Button_Izracun");
    EXPECT_NEAR(Number("Edit_Gain"), 2, 0.02);
    EXPECT_EQ(form->StatusBar1->currentMessage(), warning);

    LoadExperiment(StepExperiment(1, {2, 10, 3}, {0.5, 20, 5}));
    Click("Button_Izracun");
    EXPECT_EQ(form->StatusBar1->currentMessage(), "");
}

TEST_F(ModelPage, TheOuterCheckBoxSwitchesTheShownModelExceptDuringAutomaticSetup)
{
    LoadExperiment(StepExperiment(1, {2, 10, 3}, {0.5, 20, 5}));
    Click("Button_Izracun");
    const ModelPageState inner = State();

    form->CheckBox_Model_Outer->click();
    EXPECT_NEAR(Number("Edit_Gain"), 0.5, 0.005);
    EXPECT_EQ(Series("LineSeries1")->at(299).y(), Sample(store.MeasuredOuter, 300));
    EXPECT_EQ(Series("LineSeries2")->at(299).y(), Sample(store.ModelOutputOuter, 300));
    EXPECT_EQ(State().VisibleLamps.size(), 1);
    form->CheckBox_Model_Outer->click();
    EXPECT_EQ(State(), inner);

    // A model whose sampling is too sparse is found by the switch as well.
    store.OuterModel.TimeConstant = 1;
    store.OuterModel.DeadTime = 1;
    form->AutoSetupInProgress = true;
    form->CheckBox_Model_Outer->click();
    EXPECT_EQ(State(), inner);
    form->AutoSetupInProgress = false;
    form->CheckBox_Model_Outer->click();
    EXPECT_EQ(State().Texts, inner.Texts);
    EXPECT_EQ(form->StatusBar1->currentMessage(), warning);
}

TEST_F(ModelPage, UporabiModelReevaluatesTheShownModelWithTheEditedValues)
{
    // Ts 3 s with a fast outer process: the sampling warning is up.
    LoadExperiment(StepExperiment(3, {2, 60, 6}, {1, 2, 0}));
    Click("Button_Izracun");
    ASSERT_EQ(form->StatusBar1->currentMessage(), warning);
    const ModelPageState identified = State();
    const ProcessModel before = store.InnerModel;
    const int delaySamples = store.InnerDelaySamples;

    form->Edit_Gain->setText(QStringLiteral("1.5"));
    form->Edit_Time->setText(QStringLiteral("60"));
    form->Edit_Delay->setText(QStringLiteral("9"));
    Click("Button5");
    EXPECT_TRUE(dialogs.Errors.isEmpty());
    EXPECT_EQ(store.InnerModel.Gain, 1.5);
    EXPECT_EQ(store.InnerModel.TimeConstant, 60);
    EXPECT_EQ(store.InnerModel.DeadTime, 9);
    EXPECT_NEAR(Series("LineSeries2")->at(299).y(), 1.5, 1e-3);
    EXPECT_PRED2(HasDecimals, Text("Label_STD"), 4);
    EXPECT_PRED2(HasDecimals, Text("Label_Rel_Pogresek"), 4);
    EXPECT_NEAR(Number("Label_Rel_Pogresek"), store.InnerModel.RelativeError, 5e-5);
    // A quarter of the gain missing grades poor.
    EXPECT_EQ(Text("Label_Kvaliteta"), "Slaba");
    EXPECT_EQ(State().VisibleLamps, QStringList{"Image_Quality_Red"});
    // Deviations, the delay in samples and the sampling check stay.
    EXPECT_EQ(Text("Label_DGain"), identified.Texts[3]);
    EXPECT_EQ(Text("Label_DTime"), identified.Texts[4]);
    EXPECT_EQ(store.InnerModel.GainDeviation, before.GainDeviation);
    EXPECT_EQ(store.InnerDelaySamples, delaySamples);
    EXPECT_EQ(form->StatusBar1->currentMessage(), warning);

    // A value that is not a number: the message, and nothing changes.
    const ProcessModel applied = store.InnerModel;
    const ModelPageState shown = State();
    form->Edit_Gain->setText(QStringLiteral("2"));
    form->Edit_Time->setText(QStringLiteral("abc"));
    Click("Button5");
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains(QStringLiteral("abc")));
    EXPECT_EQ(store.InnerModel.Gain, applied.Gain);
    EXPECT_EQ(store.InnerModel.RelativeError, applied.RelativeError);
    EXPECT_EQ(State().VisibleLamps, shown.VisibleLamps);
    EXPECT_EQ(Text("Label_STD"), shown.Texts[5]);
}

TEST_F(ModelPage, AModelFileRoundTripsThroughThePageAndAFailingOneChangesNothing)
{
    const LocaleScope comma(LocaleScope::Comma());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    form->WorkDir = dir.path();
    auto experiment = StepExperiment(1, {2, 10, 3}, {0.5, 20, 5});
    experiment.Noise = 0.05;
    LoadExperiment(experiment);
    Click("Button_Izracun");
    const ModelPageState saved = State();
    EXPECT_EQ(Text("Edit_Gain").indexOf(QLatin1Char(',')), 1) << Text("Edit_Gain").toStdString();

    // Cancelled dialogs do nothing.
    Click("Button7");
    Click("Button6");
    EXPECT_TRUE(dialogs.Errors.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    dialogs.FileAnswers.push_back(dir.filePath(QStringLiteral("zanka")));
    Click("Button7");
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("zanka.vkm"))));
    const FileDialogRequest save = dialogs.FileRequests.back();
    EXPECT_EQ(save.Filter, "Varkol Model (*.vkm)|*.vkm|All files (*.*)|*.*");
    EXPECT_EQ(save.DefaultExtension, "vkm");
    EXPECT_EQ(save.Directory, dir.path());

    // Other data identified, then the file loaded: the page as it was saved.
    LoadExperiment(StepExperiment(3, {2, 60, 6}, {1, 2, 0}, 100));
    Click("Button_Izracun");
    ASSERT_NE(State(), saved);
    dialogs.FileAnswers.push_back(dir.filePath(QStringLiteral("zanka.vkm")));
    Click("Button6");
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(dialogs.FileRequests.back().Filter, "Varkol Models (*.vkm)|*.vkm|All files|*.*");
    EXPECT_EQ(dialogs.FileRequests.back().Directory, dir.path());
    EXPECT_EQ(State(), saved);
    EXPECT_EQ(store.SamplingTime, 1);

    // A file cut short: the message; model, arrays and page stay.
    QFile whole(dir.filePath(QStringLiteral("zanka.vkm")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath(QStringLiteral("kratka.vkm")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(whole.size() / 2));
    cut.close();
    const ProcessModel model = store.InnerModel;
    const double lastReference = Sample(store.MeasuredInner, 300);
    dialogs.FileAnswers.push_back(cut.fileName());
    Click("Button6");
    EXPECT_EQ(dialogs.Errors.size(), 1);
    EXPECT_EQ(store.InnerModel.Gain, model.Gain);
    EXPECT_EQ(store.IdentSampleCount, 300);
    EXPECT_EQ(Sample(store.MeasuredInner, 300), lastReference);
    EXPECT_EQ(State(), saved);
}

TEST_F(ModelPage, ANegativeFittedTimeConstantIsShownAsZero)
{
    // Y1 overshoots at once and settles: a first-order fit needs T < 0.
    const int n = 200;
    for (int i = 1; i <= n; ++i) {
        const double u = i > 30 ? 1 : 0;
        Sample(store.Time, i) = i - 1;
        Sample(store.ProcessedMV, i) = u;
        Sample(store.ProcessedU, i) = u;
        Sample(store.ProcessedY1, i) = (i > 31 ? 1 : 0) + 1.5 * (i == 32 ? 1 : 0);
        Sample(store.ProcessedY2, i) = u;
    }
    store.SampleCount = n;
    form->RecordSource = QStringLiteral("prenihaj.vkd");
    SetWindow(1, n);
    Click("Button_Izracun");
    EXPECT_EQ(Text("Edit_Time"), "0.00");
}

TEST_F(ModelPage, TheRefinedModelIsShownWithItsIntervalsAndUsedWhenTheBoxIsTicked)
{
    LoadExperiment(StepExperiment(1, {2, 10, 3}, {0.5, 20, 5}));
    QCheckBox* refined = Find<QCheckBox>("CheckBox_Model_Refined");
    EXPECT_EQ(refined->text(), "Natančnejši model (izhodna napaka)");
    EXPECT_FALSE(refined->isChecked());
    Click("Button_Izracun");
    EXPECT_TRUE(Find<QLabel>("Label_DDelay")->isHidden());
    EXPECT_TRUE(Find<QLabel>("Caption_Label_DDelay")->isHidden());

    // Ticked: the process's own dead time, no sample late, with intervals.
    refined->setChecked(true);
    Click("Button_Izracun");
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Text("Edit_Gain"), "2.000");
    EXPECT_EQ(Text("Edit_Time"), "10.00");
    EXPECT_EQ(Text("Edit_Delay"), "3.00");
    EXPECT_EQ(Text("Label_DDelay"), "0.00");
    EXPECT_FALSE(Find<QLabel>("Label_DDelay")->isHidden());
    EXPECT_FALSE(Find<QLabel>("Caption_Label_DDelay")->isHidden());
    EXPECT_EQ(Text("Label_Kvaliteta"), "Zelo dobra");
    EXPECT_EQ(form->StatusBar1->currentMessage(), "Prikazan je natančnejši model (izhodna napaka)");
    EXPECT_EQ(Series("LineSeries2")->at(299).y(), Sample(store.ModelOutputInner, 300));
    EXPECT_NEAR(Series("LineSeries2")->at(299).y(), Series("LineSeries1")->at(299).y(), 1e-6);

    // "Uporabi model" evaluates the shown values as a refined model.
    Click("Button5");
    EXPECT_EQ(store.InnerModel.DeadTime, 3);
    EXPECT_EQ(Text("Label_Kvaliteta"), "Zelo dobra");

    // Saving writes the model shown.
    QTemporaryDir dir;
    dialogs.FileAnswers.push_back(dir.filePath(QStringLiteral("fina.vkm")));
    Click("Button7");
    auto saved = std::make_unique<Podatki>();
    LoadModel(dir.filePath(QStringLiteral("fina.vkm")), *saved);
    EXPECT_EQ(saved->InnerModel.DeadTime, 3);

    // Off again: the identification as it always was.
    refined->setChecked(false);
    Click("Button_Izracun");
    EXPECT_EQ(Text("Edit_Delay"), "4.0");
    EXPECT_TRUE(Find<QLabel>("Label_DDelay")->isHidden());
    EXPECT_EQ(form->StatusBar1->currentMessage(), "");
}
