// The model page: the measured open-loop response beside the identified
// first-order-plus-dead-time model of the inner or outer process, its
// parameters and quality grade, the model file and the start of tuning.

#include "app/Glavna.h"

#include "base/ChartView.h"
#include "app/GlavnaLayout.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/UserDialogs.h"
#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "model/ModelChart.h"
#include "model/ModelClass.h"
#include "model/ModelFile.h"
#include "model/ModelQuality.h"
#include "model/ModelTexts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

constexpr int QualityLampSize = 18;

// A round lamp of one grade colour.
QLabel* NewQualityLamp(const char* name, const QColor& color)
{
    constexpr int Size = QualityLampSize;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(160), 1.5));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));
    painter.end();
    auto* lamp = NewLabel(name, QString());
    lamp->setPixmap(pixmap);
    lamp->setFixedSize(Size, Size);
    return lamp;
}

// The dialogs' filters and default extension of the model file.
const QString ModelSaveFilter = QStringLiteral("Varkol Model (*.vkm)|*.vkm|All files (*.*)|*.*");
const QString ModelOpenFilter = QStringLiteral("Varkol Models (*.vkm)|*.vkm|All files|*.*");
const QString ModelFileExtension = QStringLiteral("vkm");

} // namespace

QWidget* TForm1::BuildModelPage()
{
    ModTab = Named(new QWidget, "ModTab");
    auto* page = new QHBoxLayout(ModTab);

    auto* modelChart = new ModelChart;
    Chart_Model = Named(new ClickableChartView(modelChart), "Chart_Model");
    LineSeries1 = modelChart->Measured();
    LineSeries2 = modelChart->Output();
    page->addWidget(Chart_Model, 1);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    CheckBox_Model_Outer = NewCheckBox("CheckBox_Model_Outer", QStringLiteral("Zunanji proces"));
    right->addWidget(CheckBox_Model_Outer);
    CheckBox_Model_Refined = NewCheckBox("CheckBox_Model_Refined",
                                         QStringLiteral("Natančnejši model (izhodna napaka)"));
    right->addWidget(CheckBox_Model_Refined);

    GroupBox_Model = NewGroup("GroupBox_Model", QStringLiteral("Parametri modela"));
    Edit_Gain = NewEdit("Edit_Gain", QStringLiteral("0"), 90);
    Label_DGain = NewValueLabel("Label_DGain", QStringLiteral("0"), 80);
    Edit_Time = NewEdit("Edit_Time", QStringLiteral("0"), 90);
    Label_DTime = NewValueLabel("Label_DTime", QStringLiteral("0"), 80);
    Edit_Delay = NewEdit("Edit_Delay", QStringLiteral("0"), 90);
    Label_DDelay = NewValueLabel("Label_DDelay", QString(), 80);
    Label_STD = NewValueLabel("Label_STD", QStringLiteral("0"));
    Label_Rel_Pogresek = NewValueLabel("Label_Rel_Pogresek", QStringLiteral("0"));
    Label_Kvaliteta = NewValueLabel("Label_Kvaliteta");
    Image_Quality_Green = NewQualityLamp("Image_Quality_Green", QColor(0, 176, 0));
    Image_Quality_Yellow = NewQualityLamp("Image_Quality_Yellow", QColor(240, 220, 0));
    Image_Quality_Orange = NewQualityLamp("Image_Quality_Orange", QColor(255, 140, 0));
    Image_Quality_Red = NewQualityLamp("Image_Quality_Red", QColor(220, 0, 0));

    auto* model = new QGridLayout(GroupBox_Model);
    AddCaptionedRow(model, 0, Edit_Gain, QStringLiteral("Ocenjeno ojačenje: "));
    model->addWidget(CaptionFor(Label_DGain, QStringLiteral("+-")), 0, 2);
    model->addWidget(Label_DGain, 0, 3);
    model->addWidget(CaptionFor(Edit_Time, QStringLiteral("Ocenjena časovna konstanta [s]: ")), 1,
                     0);
    model->addWidget(Edit_Time, 1, 1);
    model->addWidget(CaptionFor(Label_DTime, QStringLiteral("+-")), 1, 2);
    model->addWidget(Label_DTime, 1, 3);
    AddCaptionedRow(model, 2, Edit_Delay, QStringLiteral("Ocenjen mrtvi čas [s]: "));
    model->addWidget(CaptionFor(Label_DDelay, QStringLiteral("+-")), 2, 2);
    model->addWidget(Label_DDelay, 2, 3);
    ShowDeadTimeInterval(QString());
    model->setRowMinimumHeight(3, 8);
    AddCaptionedRow(model, 4, Label_STD, QStringLiteral("Standardna deviacija:"));
    AddCaptionedRow(model, 5, Label_Rel_Pogresek, QStringLiteral("Relativni pogrešek modela:"));
    AddCaptionedRow(model, 6, Label_Kvaliteta, QStringLiteral("Kvaliteta modela:"));
    auto* lamps = new QHBoxLayout;
    lamps->setSpacing(0);
    for (QLabel* lamp :
         {Image_Quality_Green, Image_Quality_Yellow, Image_Quality_Orange, Image_Quality_Red})
        lamps->addWidget(lamp);
    lamps->addStretch();
    model->addLayout(lamps, 6, 2, 1, 2);
    // The row keeps its height whether a lamp shows or not.
    model->setRowMinimumHeight(6, QualityLampSize);
    // Where the model comes from: the data and window it was identified on,
    // or its file.
    Label_IzvorModela = NewLabel("Label_IzvorModela", QString());
    Label_IzvorModela->setWordWrap(true);
    model->addWidget(Label_IzvorModela, 7, 0, 1, 4);
    right->addWidget(GroupBox_Model);

    Button5 = NewButton("Button5", QStringLiteral("Uporabi model"));
    Button6 = NewButton("Button6", QStringLiteral("Naloži model"));
    Button7 = NewButton("Button7", QStringLiteral("Shrani model"));
    Button_PID = NewButton("Button_PID", QStringLiteral("Izračun PID parametrov"));
    QFont bold = Button_PID->font();
    bold.setBold(true);
    Button_PID->setFont(bold);
    right->addWidget(Button5);
    auto* files = new QHBoxLayout;
    files->addWidget(Button6);
    files->addWidget(Button7);
    right->addLayout(files);
    right->addSpacing(12);
    right->addWidget(Button_PID);
    right->addStretch();

    auto* rightPanel = new QWidget;
    rightPanel->setFixedWidth(430);
    rightPanel->setLayout(right);
    page->addWidget(rightPanel);
    return ModTab;
}

void TForm1::WireModelPage()
{
    OnEvent(CheckBox_Model_Outer, &QCheckBox::toggled, &TForm1::CheckBox_Model_OuterClick);
    OnEvent(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    OnEvent(Button6, &QPushButton::clicked, &TForm1::Button6Click);
    OnEvent(Button7, &QPushButton::clicked, &TForm1::Button7Click);
    OnEvent(Button_PID, &QPushButton::clicked, &TForm1::Button_PIDClick);
}

// "Izračun modela" sits on the processing page; what it starts is this page's.
void TForm1::Button_IzracunClick()
{
    if (RecordSource.isEmpty())
        throw ComputationError("Ni podatkov za izračun modela: naložite meritve ali izvedite "
                               "eksperiment.");
    IdentifyModels(ScrollBar3->value(), ScrollBar4->value(), CheckBox_Model_Outer->isChecked());
    Label_IzvorModela->setText(QStringLiteral("Iz: %1, vzorci %2–%3")
                                   .arg(RecordSource)
                                   .arg(ScrollBar3->value())
                                   .arg(ScrollBar4->value()));
    PageControl1->setCurrentIndex(3);
}

void TForm1::IdentifyModels(int windowStart, int windowEnd, bool showOuter)
{
    ::IdentifyModels(Store, windowStart, windowEnd, CheckBox_Model_Refined->isChecked());
    ModelUnsaved = true;
    TuningCurrent = false;
    ShowModel(showOuter);
    CheckSampling();
}

void TForm1::ShowModel(bool outer)
{
    const ProcessModel& model = outer ? Store.OuterModel : Store.InnerModel;
    PlotModel(outer ? Store.MeasuredOuter.data() : Store.MeasuredInner.data(),
              outer ? Store.ModelOutputOuter.data() : Store.ModelOutputInner.data(),
              Store.IdentSampleCount);
    const ModelTexts texts =
        ShowModelTexts(model, outer ? Store.OuterRefinement : Store.InnerRefinement);
    Edit_Gain->setText(texts.Gain);
    Edit_Time->setText(texts.TimeConstant);
    Edit_Delay->setText(texts.DeadTime);
    Label_DGain->setText(texts.GainDeviation);
    Label_DTime->setText(texts.TimeDeviation);
    ShowDeadTimeInterval(texts.DeadTimeDeviation);
    Label_STD->setText(texts.ResidualSTD);
    Label_Rel_Pogresek->setText(texts.RelativeError);
    GradeModel(model.RelativeError);
}

void TForm1::ShowDeadTimeInterval(const QString& text)
{
    // Only a refined model has an interval for its dead time; without one
    // the row looks as it always has.
    Label_DDelay->setText(text);
    Label_DDelay->setVisible(!text.isEmpty());
    CaptionOf(Label_DDelay)->setVisible(!text.isEmpty());
}

void TForm1::PlotModel(const double* measured, const double* modelOutput, int n)
{
    static_cast<ModelChart*>(Chart_Model->Chart())->Plot(Store.IdentTime.data(), measured, modelOutput, n);
}

void TForm1::HideQualityLamps()
{
    for (QLabel* lamp :
         {Image_Quality_Green, Image_Quality_Yellow, Image_Quality_Orange, Image_Quality_Red})
        lamp->hide();
}

void TForm1::GradeModel(double relativeError)
{
    HideQualityLamps();
    const ModelGrade grade = ::GradeModel(relativeError);
    Label_Kvaliteta->setText(QString::fromUtf8(GradeText(grade)));
    switch (grade) {
    case ModelGrade::VeryGood:
        Image_Quality_Green->show();
        break;
    case ModelGrade::Good:
        Image_Quality_Yellow->show();
        break;
    case ModelGrade::Poorer:
        Image_Quality_Orange->show();
        break;
    case ModelGrade::Poor:
        Image_Quality_Red->show();
        break;
    }
}

void TForm1::CheckSampling()
{
    const QString text =
        ModelStatusText(::CheckSampling(Store.InnerModel, Store.OuterModel, Store.SamplingTime),
                        Store.InnerRefinement.Shown || Store.OuterRefinement.Shown);
    if (text.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(text);
}

void TForm1::CheckBox_Model_OuterClick()
{
    if (AutoSetupInProgress)
        return;
    HideQualityLamps();
    ShowModel(CheckBox_Model_Outer->isChecked());
    CheckSampling();
}

void TForm1::Button5Click()
{
    // All three edits are read before anything changes, so a text that is
    // not a number leaves the stored model and the page as they were.
    const TypedModel typed =
        ParseTypedModel(Edit_Gain->text(), Edit_Time->text(), Edit_Delay->text());
    const bool outer = CheckBox_Model_Outer->isChecked();
    const ModelFitQuality quality =
        ApplyModel(Store, outer, typed.Gain, typed.TimeConstant, typed.DeadTime);
    ModelUnsaved = true;
    TuningCurrent = false;
    Label_IzvorModela->setText(QStringLiteral("Ročno vnesen model"));

    HideQualityLamps();
    PlotModel(outer ? Store.MeasuredOuter.data() : Store.MeasuredInner.data(),
              outer ? Store.ModelOutputOuter.data() : Store.ModelOutputInner.data(),
              Store.IdentSampleCount);
    Label_STD->setText(AppliedModelFigureText(quality.ResidualSTD));
    Label_Rel_Pogresek->setText(AppliedModelFigureText(quality.RelativeError));
    GradeModel(quality.RelativeError);
}

void TForm1::Button6Click()
{
    const QString fileName =
        Dialogs().OpenFileName(this, {.Caption = QStringLiteral("Naloži model"),
                                      .Directory = WorkDir,
                                      .Filter = ModelOpenFilter});
    if (!fileName.isEmpty())
        LoadModelFile(fileName);
}

void TForm1::LoadModelFile(const QString& fileName)
{
    LoadModel(fileName, Store);
    ModelUnsaved = false;
    TuningCurrent = false;
    Label_IzvorModela->setText(QStringLiteral("Iz: %1").arg(QFileInfo(fileName).fileName()));
    HideQualityLamps();
    ShowModel(CheckBox_Model_Outer->isChecked());
    CheckSampling();
}

void TForm1::Button7Click()
{
    const QString fileName =
        Dialogs().SaveFileName(this, {.Caption = QStringLiteral("Shrani model"),
                                      .Directory = WorkDir,
                                      .Filter = ModelSaveFilter,
                                      .DefaultExtension = ModelFileExtension});
    if (fileName.isEmpty())
        return;
    SaveModel(fileName, Store);
    ModelUnsaved = false;
    StatusBar1->showMessage(
        QStringLiteral("Model shranjen v %1.").arg(QDir::toNativeSeparators(fileName)));
}

void TForm1::Button_PIDClick()
{
    OpenTuningOfRecordedData();
}
