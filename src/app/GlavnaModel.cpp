// The model page: the measured open-loop response beside the identified
// first-order-plus-dead-time model of the inner or outer process, its
// parameters and quality grade, the model file and the start of tuning.

#include "app/Glavna.h"

#include "app/ChartView.h"
#include "app/GlavnaLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A round lamp of one grade colour.
QLabel* NewQualityLamp(const char* name, const QColor& color)
{
    constexpr int Size = 18;
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

} // namespace

QWidget* TForm1::BuildModelPage()
{
    ModTab = Named(new QWidget, "ModTab");
    auto* page = new QHBoxLayout(ModTab);

    Chart_Model =
        Named(new ClickableChartView(QStringLiteral("Odprtozančni odziv procesa")), "Chart_Model");
    LineSeries1 = Chart_Model->AddLineSeries(QStringLiteral("LineSeries1"),
                                             QStringLiteral("Meritev"), QColor(0, 0, 255));
    LineSeries2 = Chart_Model->AddLineSeries(QStringLiteral("LineSeries2"), QStringLiteral("Model"),
                                             QColor(255, 0, 0));
    Chart_Model->chart()->legend()->setAlignment(Qt::AlignBottom);
    Chart_Model->chart()->legend()->show();
    page->addWidget(Chart_Model, 1);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    CheckBox_Model_Outer = NewCheckBox("CheckBox_Model_Outer", QStringLiteral("Zunanji proces"));
    right->addWidget(CheckBox_Model_Outer);

    GroupBox_Model = NewGroup("GroupBox_Model", QStringLiteral("Parametri modela"));
    Edit_Gain = NewEdit("Edit_Gain", QStringLiteral("0"), 90);
    Label_DGain = NewValueLabel("Label_DGain", QStringLiteral("0"), 80);
    Edit_Time = NewEdit("Edit_Time", QStringLiteral("0"), 90);
    Label_DTime = NewValueLabel("Label_DTime", QStringLiteral("0"), 80);
    Edit_Delay = NewEdit("Edit_Delay", QStringLiteral("0"), 90);
    Label_STD = NewValueLabel("Label_STD", QStringLiteral("0"));
    Label_Rel_Pogresek = NewValueLabel("Label_Rel_Pogresek", QStringLiteral("0"));
    Label_Kvaliteta = NewValueLabel("Label_Kvaliteta");
    Image_Quality_Green = NewQualityLamp("Image_Quality_Green", QColor(0, 176, 0));
    Image_Quality_Yellow = NewQualityLamp("Image_Quality_Yellow", QColor(240, 220, 0));
    Image_Quality_Orange = NewQualityLamp("Image_Quality_Orange", QColor(255, 140, 0));
    Image_Quality_Red = NewQualityLamp("Image_Quality_Red", QColor(220, 0, 0));

    auto* model = new QGridLayout(GroupBox_Model);
    model->addWidget(CaptionFor(Edit_Gain, QStringLiteral("Ocenjeno ojačenje: ")), 0, 0);
    model->addWidget(Edit_Gain, 0, 1);
    model->addWidget(CaptionFor(Label_DGain, QStringLiteral("+-")), 0, 2);
    model->addWidget(Label_DGain, 0, 3);
    model->addWidget(CaptionFor(Edit_Time, QStringLiteral("Ocenjena časovna konstanta [s]: ")), 1,
                     0);
    model->addWidget(Edit_Time, 1, 1);
    model->addWidget(CaptionFor(Label_DTime, QStringLiteral("+-")), 1, 2);
    model->addWidget(Label_DTime, 1, 3);
    model->addWidget(CaptionFor(Edit_Delay, QStringLiteral("Ocenjen mrtvi čas [s]: ")), 2, 0);
    model->addWidget(Edit_Delay, 2, 1);
    model->setRowMinimumHeight(3, 8);
    model->addWidget(CaptionFor(Label_STD, QStringLiteral("Standardna deviacija:")), 4, 0);
    model->addWidget(Label_STD, 4, 1);
    model->addWidget(CaptionFor(Label_Rel_Pogresek, QStringLiteral("Relativni pogrešek modela:")),
                     5, 0);
    model->addWidget(Label_Rel_Pogresek, 5, 1);
    model->addWidget(CaptionFor(Label_Kvaliteta, QStringLiteral("Kvaliteta modela:")), 6, 0);
    model->addWidget(Label_Kvaliteta, 6, 1);
    auto* lamps = new QHBoxLayout;
    lamps->setSpacing(0);
    for (QLabel* lamp :
         {Image_Quality_Green, Image_Quality_Yellow, Image_Quality_Orange, Image_Quality_Red})
        lamps->addWidget(lamp);
    lamps->addStretch();
    model->addLayout(lamps, 6, 2, 1, 2);
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

void TForm1::CheckBox_Model_OuterClick()
{
    // Will show the outer (checked) or inner model and check the sampling.
}

void TForm1::Button5Click()
{
    // Will re-evaluate the shown model with the edited gain, time constant
    // and dead time.
}

void TForm1::Button6Click()
{
    // Will load a model file (.vkm) and show it.
}

void TForm1::Button7Click()
{
    // Will save both models with their signals as a .vkm file.
}

void TForm1::Button_PIDClick()
{
    OpenTuningOfRecordedData();
}

void TForm1::IdentifyModels(int /*windowStart*/, int /*windowEnd*/, bool /*showOuter*/)
{
    // Will remove the initial offsets, identify and grade both models.
}
