// The controller page: tuning method and robustness, the gains of the four
// controller types, the simulated responses, the conversion into the plant
// controller's form with extra scaling, the write to the controller and the
// controller file.

#include "app/Glavna.h"

#include "base/ChartView.h"
#include "base/Errors.h"
#include "app/GlavnaLayout.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "tuning/ControllerFile.h"
#include "tuning/ResponseChart.h"
#include "tuning/TuningText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// A group of result labels, each beside its caption.
QGroupBox* ResultGroup(const char* name, const QString& caption,
                       const QList<QPair<QLabel*, QString>>& rows)
{
    auto* group = NewGroup(name, caption);
    auto* layout = new QGridLayout(group);
    int row = 0;
    for (const auto& [label, text] : rows) {
        AddCaptionedRow(layout, row, label, text);
        ++row;
    }
    layout->setColumnStretch(1, 1);
    return group;
}

// `index` when the radio group holds that item, else -1 (nothing checked).
int ListIndex(int index, const RadioGroup* group)
{
    return index >= 0 && index < group->Count() ? index : -1;
}

} // namespace

QWidget* TForm1::BuildControllerPage()
{
    RegTab = Named(new QWidget, "RegTab");
    auto* page = new QVBoxLayout(RegTab);
    auto* top = new QHBoxLayout;

    // Method, robustness, closed-loop sampling, response choice, cascade.
    auto* settings = new QVBoxLayout;
    GroupBox_Method = NewGroup("GroupBox_Method", QStringLiteral("Metoda nastavljanja"));
    ComboBox1 = Named(new TextComboBox(false), "ComboBox1");
    ComboBox1->addItems(
        {QStringLiteral("Metoda provršin - sledenje"), QStringLiteral("Metoda provršin - motnja"),
         QStringLiteral("Chien-Hrones-Reswick - sledenje"),
         QStringLiteral("Chien-Hrones-Reswick - motnja"), QStringLiteral("Metoda uravnoteženja"),
         QStringLiteral("Ziegler-Nichols - motnja"), QStringLiteral(" ")});
    ComboBox1->SetItemIndex(0);
    auto* method = new QVBoxLayout(GroupBox_Method);
    method->addWidget(ComboBox1);
    settings->addWidget(GroupBox_Method);

    GroupBox_Robust = NewGroup("GroupBox_Robust", QStringLiteral("Izbira robustnost- hitrost"));
    ScrollBar_Robust = Named(new QScrollBar(Qt::Horizontal), "ScrollBar_Robust");
    ScrollBar_Robust->setRange(0, 20);
    ScrollBar_Robust->setPageStep(5);
    ScrollBar_Robust->setValue(10);
    auto* robust = new QGridLayout(GroupBox_Robust);
    robust->addWidget(ScrollBar_Robust, 0, 0, 1, 3);
    robust->addWidget(NewLabel("Label_Robustno", QStringLiteral("Robustno")), 1, 0, Qt::AlignLeft);
    robust->addWidget(NewLabel("Label_RobustI", QStringLiteral("I")), 1, 1, Qt::AlignHCenter);
    robust->addWidget(NewLabel("Label_Hitro", QStringLiteral("Hitro")), 1, 2, Qt::AlignRight);
    AddMsControls(robust);
    settings->addWidget(GroupBox_Robust);

    auto* sampling =
        Named(new QGroupBox(QStringLiteral("Vzorčenje zaprte zanke")), "GroupBox_Sampling");
    Edit_Vzorcenje = NewEdit("Edit_Vzorcenje", QStringLiteral("1"), 80);
    Label_Priporocljiv = NewValueLabel("Label_Priporocljiv", QStringLiteral("0"), 80);
    auto* samplingLayout = new QGridLayout(sampling);
    samplingLayout->addWidget(CaptionFor(Edit_Vzorcenje, QStringLiteral("Čas vzorčenja [s]: ")), 0,
                              0);
    samplingLayout->addWidget(Edit_Vzorcenje, 0, 1);
    samplingLayout->addWidget(
        CaptionFor(Label_Priporocljiv, QStringLiteral("Priporočljiv čas vz. [PI]  <=")), 1, 0);
    samplingLayout->addWidget(Label_Priporocljiv, 1, 1);
    samplingLayout->setColumnStretch(2, 1);
    settings->addWidget(sampling);

    RadioGroup_Motnja = Named(
        new RadioGroup(QStringLiteral("Prikaz odzivov"),
                       {QStringLiteral("Odziv na referenco"), QStringLiteral("Odziv na motnjo")}),
        "RadioGroup_Motnja");
    RadioGroup_Motnja->SetItemIndex(0);
    settings->addWidget(RadioGroup_Motnja);
    CheckBox_CascadeReg = NewCheckBox("CheckBox_CascadeReg", QStringLiteral("Kaskada"));
    settings->addWidget(CheckBox_CascadeReg);
    settings->addStretch();
    auto* settingsPanel = new QWidget;
    settingsPanel->setFixedWidth(330);
    settings->setContentsMargins(0, 0, 0, 0);
    settingsPanel->setLayout(settings);
    top->addWidget(settingsPanel);

    // The gains of the four controller types.
    auto* results = new QGridLayout;
    Label_Kp_P = NewValueLabel("Label_Kp_P", QStringLiteral("0"));
    Label_Ki = NewValueLabel("Label_Ki", QStringLiteral("0"));
    Label_PI_Kp = NewValueLabel("Label_PI_Kp", QStringLiteral("0"));
    Label_PI_Ti = NewValueLabel("Label_PI_Ti", QStringLiteral("0"));
    Label_PID_Kp = NewValueLabel("Label_PID_Kp", QStringLiteral("0"));
    Label_PID_Ti = NewValueLabel("Label_PID_Ti", QStringLiteral("0"));
    Label_PID_Td = NewValueLabel("Label_PID_Td", QStringLiteral("0"));
    Label_Kp_Cascade = NewValueLabel("Label_Kp_Cascade", QStringLiteral("0"));
    GroupBox_P = ResultGroup("GroupBox_P", QStringLiteral("P regulator"),
                             {{Label_Kp_P, QStringLiteral("Kp:")}});
    GroupBox_I = ResultGroup("GroupBox_I", QStringLiteral("I regulator"),
                             {{Label_Ki, QStringLiteral("Ki:")}});
    GroupBox_PI =
        ResultGroup("GroupBox_PI", QStringLiteral("PI regulator"),
                    {{Label_PI_Kp, QStringLiteral("Kp:")}, {Label_PI_Ti, QStringLiteral("Ki: ")}});
    GroupBox_PID = ResultGroup("GroupBox_PID", QStringLiteral("PID regulator"),
                               {{Label_PID_Kp, QStringLiteral("Kp:")},
                                {Label_PID_Ti, QStringLiteral("Ki:")},
                                {Label_PID_Td, QStringLiteral("Kd:")}});
    results->addWidget(GroupBox_P, 0, 0);
    results->addWidget(GroupBox_I, 0, 1);
    results->addWidget(GroupBox_PI, 1, 0, Qt::AlignTop);
    results->addWidget(GroupBox_PID, 1, 1);
    auto* cascade = new QHBoxLayout;
    cascade->addWidget(CaptionFor(Label_Kp_Cascade, QStringLiteral("Ojačenje notranje zanke: ")));
    cascade->addWidget(Label_Kp_Cascade);
    cascade->addStretch();
    results->addLayout(cascade, 2, 0, 1, 2);
    Button9 = NewButton("Button9", QStringLiteral("Shrani v datoteko"));
    Button8 = NewButton("Button8", QStringLiteral("Naloži iz datoteke"));
    auto* files = new QHBoxLayout;
    files->addWidget(Button8);
    files->addWidget(Button9);
    files->addStretch();
    results->addLayout(files, 3, 0, 1, 2);
    results->addWidget(BuildRobustnessGroup(), 4, 0, 1, 2);
    results->setRowStretch(5, 1);
    top->addLayout(results, 1);

    // Conversion into the plant controller's form.
    GroupBox_Scaled = NewGroup("GroupBox_Scaled", QStringLiteral("Izračun skaliranih parametrov"));
    ComboBox_Regulator = Named(new TextComboBox(false), "ComboBox_Regulator");
    ComboBox_Regulator->addItems(
        {QStringLiteral("Splošni paralelni (Kp, Ki, Kd)"), QStringLiteral("Paralelni (Kp, Ti, Td)"),
         QStringLiteral("Paralelni (Kp, 1/Ti, Td)"), QStringLiteral("Serijski (Kp, Ti, Td)")});
    ComboBox_Regulator->SetText(QStringLiteral("Splošni paralelni"));
    RadioGroup_IzbiraTipaReg = Named(new RadioGroup(QStringLiteral("Izbira regulatorja"),
                                                    {QStringLiteral("P"), QStringLiteral("I"),
                                                     QStringLiteral("PI"), QStringLiteral("PID")},
                                                    4),
                                     "RadioGroup_IzbiraTipaReg");
    RadioGroup_IzbiraTipaReg->SetItemIndex(2);
    Edit_Reg_ScaleP = NewEdit("Edit_Reg_ScaleP", QStringLiteral("1"), 60);
    Edit_Reg_ScaleI = NewEdit("Edit_Reg_ScaleI", QStringLiteral("1"), 60);
    Edit_Reg_ScaleD = NewEdit("Edit_Reg_ScaleD", QStringLiteral("1"), 60);
    Label_Reg_Name_Kp = NewLabel("Label_Reg_Name_Kp", QStringLiteral("Kp:"));
    Label_Reg_Name_Ki = NewLabel("Label_Reg_Name_Ki", QStringLiteral("Ki:"));
    Label_Reg_Name_Kd = NewLabel("Label_Reg_Name_Kd", QStringLiteral("Kd:"));
    Edit_Reg_Kp = NewEdit("Edit_Reg_Kp", QStringLiteral("0"), 130);
    Edit_Reg_Ki = NewEdit("Edit_Reg_Ki", QStringLiteral("0"), 130);
    Edit_Reg_Kd = NewEdit("Edit_Reg_Kd", QStringLiteral("0"), 130);
    Label_Reg_Name_Kp->setBuddy(Edit_Reg_Kp);
    Label_Reg_Name_Ki->setBuddy(Edit_Reg_Ki);
    Label_Reg_Name_Kd->setBuddy(Edit_Reg_Kd);
    Label_LabOjacSekv = NewLabel("Label_LabOjacSekv", QStringLiteral(" "));
    Label_OjacSekv = NewLabel("Label_OjacSekv", QStringLiteral(" "));
    Button16 = NewButton("Button16", QStringLiteral("Naloži v regulator"));
    QFont bold = Button16->font();
    bold.setBold(true);
    Button16->setFont(bold);
    // Writes back what the controller held before the last write-back.
    Button_PovrniPrejsnje = NewButton("Button_PovrniPrejsnje", QStringLiteral("Povrni prejšnje"));
    Button_PovrniPrejsnje->setEnabled(false);

    auto* scaled = new QGridLayout(GroupBox_Scaled);
    scaled->addWidget(CaptionFor(ComboBox_Regulator, QStringLiteral("Izbira tipa regulatorja")), 0,
                      0, 1, 2);
    scaled->addWidget(ComboBox_Regulator, 1, 0, 1, 2);
    scaled->addWidget(RadioGroup_IzbiraTipaReg, 2, 0, 1, 2);
    scaled->addWidget(NewLabel("Label_DodatnoSkaliranje", QStringLiteral("Dodatno skaliranje:")), 3,
                      0, 1, 2);
    auto* scales = new QHBoxLayout;
    scales->addWidget(CaptionFor(Edit_Reg_ScaleP, QStringLiteral("P:")));
    scales->addWidget(Edit_Reg_ScaleP);
    scales->addSpacing(8);
    scales->addWidget(CaptionFor(Edit_Reg_ScaleI, QStringLiteral("I:")));
    scales->addWidget(Edit_Reg_ScaleI);
    scales->addSpacing(8);
    scales->addWidget(CaptionFor(Edit_Reg_ScaleD, QStringLiteral("D:")));
    scales->addWidget(Edit_Reg_ScaleD);
    scales->addStretch();
    scaled->addLayout(scales, 4, 0, 1, 2);
    scaled->setRowMinimumHeight(5, 6);
    scaled->addWidget(Label_Reg_Name_Kp, 6, 0);
    scaled->addWidget(Edit_Reg_Kp, 6, 1, Qt::AlignLeft);
    scaled->addWidget(Label_Reg_Name_Ki, 7, 0);
    scaled->addWidget(Edit_Reg_Ki, 7, 1, Qt::AlignLeft);
    scaled->addWidget(Label_Reg_Name_Kd, 8, 0);
    scaled->addWidget(Edit_Reg_Kd, 8, 1, Qt::AlignLeft);
    // A row of its own: the caption, shown only in a cascade, would otherwise
    // widen the names' column and move the fields sideways.
    auto* sequencer = new QHBoxLayout;
    sequencer->addWidget(Label_LabOjacSekv);
    sequencer->addWidget(Label_OjacSekv);
    sequencer->addStretch();
    scaled->addLayout(sequencer, 9, 0, 1, 2);
    auto* writeBack = new QHBoxLayout;
    writeBack->addWidget(Button16, 1);
    writeBack->addWidget(Button_PovrniPrejsnje);
    scaled->addLayout(writeBack, 10, 0, 1, 2);
    scaled->setColumnStretch(1, 1);
    scaled->setRowStretch(11, 1);
    GroupBox_Scaled->setFixedWidth(380);
    top->addWidget(GroupBox_Scaled);
    page->addLayout(top);

    // Open-loop and closed-loop responses.
    auto* responseChart = new ResponseChart;
    Chart1 = Named(new ClickableChartView(responseChart), "Chart1");
    LineSeries3 = responseChart->Series()[0];
    Series3 = responseChart->Series()[1];
    Series4 = responseChart->Series()[2];
    LineSeries4 = responseChart->Series()[3];
    Series5 = responseChart->Series()[4];
    // A click on a curve's name in the legend hides or shows the curve.
    for (QLegendMarker* marker : responseChart->legend()->markers()) {
        connect(marker, &QLegendMarker::clicked, this, [marker] {
            QAbstractSeries* series = marker->series();
            series->setVisible(!series->isVisible());
            marker->setVisible(true); // a hidden series hides its marker
            QFont font = marker->font();
            font.setStrikeOut(!series->isVisible());
            marker->setFont(font);
        });
    }
    page->addWidget(Chart1, 1);
    return RegTab;
}

void TForm1::WireControllerPage()
{
    OnEvent(ComboBox1, &TextComboBox::Change, &TForm1::ComboBox1Change);
    OnEvent(ScrollBar_Robust, &QScrollBar::valueChanged, &TForm1::ScrollBar_RobustChange);
    OnEvent(RadioGroup_Motnja, &RadioGroup::Click, &TForm1::RadioGroup_MotnjaClick);
    OnEvent(CheckBox_CascadeReg, &QCheckBox::toggled, &TForm1::CheckBox_CascadeRegClick);
    OnEvent(Edit_Vzorcenje, &QLineEdit::returnPressed, &TForm1::Edit_VzorcenjeKeyPress);
    OnEvent(ComboBox_Regulator, &TextComboBox::Change, &TForm1::ComboBox_RegulatorChange);
    OnEvent(RadioGroup_IzbiraTipaReg, &RadioGroup::Click, &TForm1::RadioGroup_IzbiraTipaRegClick);
    OnEvent(Edit_Reg_ScaleP, &QLineEdit::returnPressed, &TForm1::Edit_Reg_ScalePKeyPress);
    OnEvent(Edit_Reg_ScaleI, &QLineEdit::returnPressed, &TForm1::Edit_Reg_ScaleIKeyPress);
    OnEvent(Edit_Reg_ScaleD, &QLineEdit::returnPressed, &TForm1::Edit_Reg_ScaleDKeyPress);
    OnEvent(Button9, &QPushButton::clicked, &TForm1::Button9Click);
    OnEvent(Button8, &QPushButton::clicked, &TForm1::Button8Click);
    OnEvent(Button16, &QPushButton::clicked, &TForm1::Button16Click);
    OnEvent(Button_PovrniPrejsnje, &QPushButton::clicked, &TForm1::Button_PovrniPrejsnjeClick);
    WireRobustness();
}

void TForm1::ComboBox1Change()
{
    if (AutoSetupInProgress)
        return;
    RecomputeTuningFromPage();
}

void TForm1::ScrollBar_RobustChange()
{
    if (AutoSetupInProgress)
        return;
    RecomputeTuningFromPage();
}

void TForm1::RadioGroup_MotnjaClick()
{
    if (AutoSetupInProgress)
        return;
    RecomputeTuningFromPage();
}

void TForm1::CheckBox_CascadeRegClick()
{
    if (AutoSetupInProgress)
        return;
    RecomputeTuningFromPage();
}

void TForm1::Edit_VzorcenjeKeyPress()
{
    RecomputeTuningFromPage();
}

void TForm1::ComboBox_RegulatorChange()
{
    if (AutoSetupInProgress)
        return;
    ShowControllerFormFromPage();
}

void TForm1::RadioGroup_IzbiraTipaRegClick()
{
    if (AutoSetupInProgress)
        return;
    ShowChosenType();
    ShowControllerFormFromPage();
}

void TForm1::Edit_Reg_ScalePKeyPress()
{
    ShowControllerFormFromPage();
}

void TForm1::Edit_Reg_ScaleIKeyPress()
{
    ShowControllerFormFromPage();
}

void TForm1::Edit_Reg_ScaleDKeyPress()
{
    ShowControllerFormFromPage();
}

void TForm1::Button9Click()
{
    const QString fileName = Dialogs().SaveFileName(
        this, {.Caption = Button9->text(),
               .Directory = WorkDir,
               .Filter = QString::fromLatin1(ControllerFileFilter),
               .DefaultExtension = QString::fromLatin1(ControllerFileExtension)});
    if (fileName.isEmpty())
        return;
    ControllerSettings settings;
    const ProcessModel& inner = Store.InnerModel;
    const ProcessModel& outer = Store.OuterModel;
    settings.K1 = inner.Gain;
    settings.T1 = inner.TimeConstant;
    settings.L1 = inner.DeadTime;
    settings.InnerRelativeError = inner.RelativeError;
    settings.K2 = outer.Gain;
    settings.T2 = outer.TimeConstant;
    settings.L2 = outer.DeadTime;
    settings.OuterRelativeError = outer.RelativeError;
    settings.SamplingTimeText = Edit_Vzorcenje->text();
    settings.Method = ComboBox1->ItemIndex();
    settings.ResponseChoice = RadioGroup_Motnja->ItemIndex();
    settings.Form = ComboBox_Regulator->ItemIndex();
    settings.Type = RadioGroup_IzbiraTipaReg->ItemIndex();
    settings.SliderPosition = ScrollBar_Robust->value();
    settings.ScaleP = Edit_Reg_ScaleP->text();
    settings.ScaleI = Edit_Reg_ScaleI->text();
    settings.ScaleD = Edit_Reg_ScaleD->text();
    settings.Cascade = CheckBox_CascadeReg->isChecked();
    SaveController(fileName, settings);
}

void TForm1::Button8Click()
{
    const QString fileName = Dialogs().OpenFileName(
        this, {.Caption = Button8->text(),
               .Directory = WorkDir,
               .Filter = QString::fromLatin1(ControllerFileFilter),
               .DefaultExtension = QString::fromLatin1(ControllerFileExtension)});
    if (!fileName.isEmpty())
        LoadControllerFile(fileName);
}

void TForm1::LoadControllerFile(const QString& fileName)
{
    // The whole file is read first: a file that fails changes nothing.
    const ControllerSettings settings = LoadController(fileName);

    // Straight into the models; the model page keeps showing what it showed.
    ProcessModel& inner = Store.InnerModel;
    ProcessModel& outer = Store.OuterModel;
    inner.Gain = settings.K1;
    inner.TimeConstant = settings.T1;
    inner.DeadTime = settings.L1;
    inner.RelativeError = settings.InnerRelativeError;
    outer.Gain = settings.K2;
    outer.TimeConstant = settings.T2;
    outer.DeadTime = settings.L2;
    outer.RelativeError = settings.OuterRelativeError;

    {
        // Setting the slider, the radio groups and the cascade box would run
        // their handlers, each recomputing with partly restored settings;
        // only the recomputation with all of them restored counts.
        const QSignalBlocker blockers[] = {QSignalBlocker(ComboBox1),
                                           QSignalBlocker(ScrollBar_Robust),
                                           QSignalBlocker(RadioGroup_Motnja),
                                           QSignalBlocker(ComboBox_Regulator),
                                           QSignalBlocker(RadioGroup_IzbiraTipaReg),
                                           QSignalBlocker(CheckBox_CascadeReg)};
        Edit_Vzorcenje->setText(settings.SamplingTimeText);
        // An index the list does not hold leaves nothing selected; the slider
        // keeps to its range.
        ComboBox1->SetItemIndex(settings.Method);
        ScrollBar_Robust->setValue(settings.SliderPosition);
        RadioGroup_Motnja->SetItemIndex(ListIndex(settings.ResponseChoice, RadioGroup_Motnja));
        ComboBox_Regulator->SetItemIndex(settings.Form);
        RadioGroup_IzbiraTipaReg->SetItemIndex(ListIndex(settings.Type, RadioGroup_IzbiraTipaReg));
        Edit_Reg_ScaleP->setText(settings.ScaleP);
        Edit_Reg_ScaleI->setText(settings.ScaleI);
        Edit_Reg_ScaleD->setText(settings.ScaleD);
        CheckBox_CascadeReg->setChecked(settings.Cascade);
    }
    RecomputeTuningFromPage();
}

void TForm1::RecomputeTuningFromPage()
{
    // The fields that "Naloži v regulator" writes and the controller file
    // stores follow every new set of gains, also when the responses could
    // not be drawn: stale fields would send the previous tuning to the plant.
    try {
        RecomputeTuning(ComboBox1->ItemIndex(), ScrollBar_Robust->value(),
                        RadioGroup_Motnja->ItemIndex(), Edit_Vzorcenje->text(),
                        CheckBox_CascadeReg->isChecked());
    } catch (const VarkolError&) {
        ShowControllerFormFromPage();
        throw;
    }
    ShowControllerFormFromPage();
}

void TForm1::ShowControllerFormFromPage()
{
    ShowControllerForm(ComboBox_Regulator->ItemIndex(), RadioGroup_IzbiraTipaReg->ItemIndex(),
                       CheckBox_CascadeReg->isChecked());
}

void TForm1::OpenTuningOfRecordedData()
{
    PageControl1->setCurrentIndex(4); // the controller page
    Edit_Vzorcenje->setText(FormatGeneral(Store.SamplingTime, 12));
    RecomputeTuningFromPage();
}

void TForm1::RecomputeTuning(int method, int robustPosition, int responseChoice,
                             const QString& samplingTimeText, bool cascade)
{
    TuningRequest request;
    request.Method = method;
    request.SliderPosition = robustPosition;
    request.ResponseChoice = responseChoice;
    request.SamplingTimeText = samplingTimeText;
    request.Cascade = cascade;
    // Everything is computed before the first label changes: a tuning that
    // fails leaves every label as it was.
    TuningPageResult result = EvaluateTuning(Store, request);
    TuningCurrent = true; // the gains of the present model stand
    const std::array<QLabel*, TuningLabelCount> labels = {
        Label_Kp_Cascade, Label_Ki,     Label_Kp_P,   Label_PI_Kp,
        Label_PI_Ti,      Label_PID_Kp, Label_PID_Ti, Label_PID_Td};
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i]->setText(result.Labels.Gains[i]);
    Label_Priporocljiv->setText(result.Labels.RecommendedTs);
    // The gains stand; without responses the chart keeps its curves and the
    // caller stops here.
    if (!result.Responses)
        throw ComputationError(result.ResponseError.toStdString());
    PlotResponses(*result.Responses);
    ShowRobustness(std::move(*result.Responses), responseChoice == DisturbanceResponse);
    ShowSamplingAdvice(Store.ClosedLoopTs, result.Tuning.RecommendedTs);
}

void TForm1::ShowSamplingAdvice(double ts, double recommended)
{
    // A controller sampled slower than recommended responds far from the
    // simulated curves: the field turns orange and the status bar says why.
    static const QString tooSlow = QStringLiteral("Čas vzorčenja zaprte zanke");
    const bool slow = recommended > 0 && ts > recommended;
    Edit_Vzorcenje->setStyleSheet(slow ? QStringLiteral("background-color: #ffc069;") : QString());
    if (slow)
        StatusBar1->showMessage(
            QStringLiteral("%1 (%2 s) je daljši od priporočljivega (%3 s): simulirani odzivi se lahko "
                           "precej razlikujejo od odzivov naprave.")
                .arg(tooSlow, FormatGeneral(ts, 6), FormatGeneral(recommended, 6)));
    else if (StatusBar1->currentMessage().startsWith(tooSlow))
        StatusBar1->clearMessage();
}

void TForm1::PlotResponses(const ResponseSet& responses)
{
    static_cast<ResponseChart*>(Chart1->Chart())->Plot(responses);
}

void TForm1::ShowControllerForm(int form, int type, bool cascade)
{
    ControllerFormRequest request;
    request.Form = form;
    request.Type = type;
    request.Cascade = cascade;
    request.ScaleP = Edit_Reg_ScaleP->text();
    request.ScaleI = Edit_Reg_ScaleI->text();
    request.ScaleD = Edit_Reg_ScaleD->text();
    request.SequencerPresent = CheckBox_Sekvencer->isChecked();
    for (int row = 0; row < StringGrid_Sekvencer->rowCount(); ++row) {
        request.SequencerInputs << StringGrid_Sekvencer->Cell(0, row);
        request.SequencerOutputs << StringGrid_Sekvencer->Cell(1, row);
    }
    request.Y1MinText = Label_MinY1->text();
    request.Y1MaxText = Label_MaksY1->text();
    // A text that is not a number stops the display before any field changes.
    const ControllerFormTexts texts = EvaluateControllerForm(Store, request);
    const std::array<QLabel*, 3> names = {Label_Reg_Name_Kp, Label_Reg_Name_Ki, Label_Reg_Name_Kd};
    const std::array<QLineEdit*, 3> fields = {Edit_Reg_Kp, Edit_Reg_Ki, Edit_Reg_Kd};
    for (std::size_t i = 0; i < 3; ++i) {
        names[i]->setText(texts.Names[i]);
        fields[i]->setText(texts.Fields[i]);
        fields[i]->setVisible(texts.Visible[i]);
    }
    Label_LabOjacSekv->setText(texts.SequencerCaption);
    Label_OjacSekv->setText(texts.SequencerGainText);
}
