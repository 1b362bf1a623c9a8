// The processing page ("Obdelava"): the four conditioned signals with their
// statistics over the experiment window, the choice of the raw column behind
// each signal, the filter and actuator limits, and the measured-data file.

#include "app/Glavna.h"

#include "app/ChartView.h"
#include "app/GlavnaLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QScrollBar* NewHorizontalScrollBar(const char* name, int minimum, int maximum, int position)
{
    auto* bar = Named(new QScrollBar(Qt::Horizontal), name);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setMinimumWidth(110);
    return bar;
}

// A chart with its maximum, minimum and standard deviation below it.
QWidget* SignalCell(ClickableChartView* chart, QLabel* maximum, QLabel* minimum, QLabel* std)
{
    auto* cell = new QWidget;
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(chart, 1);
    auto* stats = new QHBoxLayout;
    stats->addWidget(CaptionFor(maximum, QStringLiteral("Maks:")));
    stats->addWidget(maximum);
    stats->addSpacing(10);
    stats->addWidget(CaptionFor(minimum, QStringLiteral("Min:")));
    stats->addWidget(minimum);
    stats->addSpacing(10);
    stats->addWidget(CaptionFor(std, QStringLiteral("STD:")));
    stats->addWidget(std);
    stats->addStretch();
    layout->addLayout(stats);
    return cell;
}

} // namespace

QWidget* TForm1::BuildProcessingPage()
{
    ObdTab = Named(new QWidget, "ObdTab");
    auto* page = new QHBoxLayout(ObdTab);

    // Left: the four signals and the experiment window.
    auto* left = new QVBoxLayout;
    Chart_MV = Named(new ClickableChartView(QStringLiteral("Manipulativni signal")), "Chart_MV");
    Chart_U = Named(new ClickableChartView(QStringLiteral("Izhod regulatorja")), "Chart_U");
    Chart_Y =
        Named(new ClickableChartView(QStringLiteral("Meritev 1 (notranji odziv)")), "Chart_Y");
    Chart2 = Named(new ClickableChartView(QStringLiteral("Meritev 2 (zunanji odziv)")), "Chart2");
    Series_MV = Chart_MV->AddLineSeries(QStringLiteral("Series_MV"), QStringLiteral("MV"),
                                        QColor(255, 0, 0));
    Series_U =
        Chart_U->AddLineSeries(QStringLiteral("Series_U"), QStringLiteral("U"), QColor(128, 0, 0));
    Series_Y =
        Chart_Y->AddLineSeries(QStringLiteral("Series_Y"), QStringLiteral("Y1"), QColor(0, 0, 255));
    Series_Y2 =
        Chart2->AddLineSeries(QStringLiteral("Series_Y2"), QStringLiteral("Y2"), QColor(0, 128, 0));
    Label_MaksMV1 = NewValueLabel("Label_MaksMV1", QStringLiteral("0"));
    Label_MinMV1 = NewValueLabel("Label_MinMV1", QStringLiteral("0"));
    Label_STDMV1 = NewValueLabel("Label_STDMV1", QStringLiteral("0"));
    Label_MaksU1 = NewValueLabel("Label_MaksU1", QStringLiteral("0"));
    Label_MinU1 = NewValueLabel("Label_MinU1", QStringLiteral("0"));
    Label_STDU1 = NewValueLabel("Label_STDU1", QStringLiteral("0"));
    Label_MaksY1 = NewValueLabel("Label_MaksY1", QStringLiteral("0"));
    Label_MinY1 = NewValueLabel("Label_MinY1", QStringLiteral("0"));
    Label_STDY1 = NewValueLabel("Label_STDY1", QStringLiteral("0"));
    Label_MaksY2 = NewValueLabel("Label_MaksY2", QStringLiteral("0"));
    Label_MinY2 = NewValueLabel("Label_MinY2", QStringLiteral("0"));
    Label_STDY2 = NewValueLabel("Label_STDY2", QStringLiteral("0"));
    auto* charts = new QGridLayout;
    charts->addWidget(SignalCell(Chart_MV, Label_MaksMV1, Label_MinMV1, Label_STDMV1), 0, 0);
    charts->addWidget(SignalCell(Chart_U, Label_MaksU1, Label_MinU1, Label_STDU1), 0, 1);
    charts->addWidget(SignalCell(Chart_Y, Label_MaksY1, Label_MinY1, Label_STDY1), 1, 0);
    charts->addWidget(SignalCell(Chart2, Label_MaksY2, Label_MinY2, Label_STDY2), 1, 1);
    left->addLayout(charts, 1);

    auto* window = Named(new QGroupBox(QStringLiteral("Okno poizkusa")), "GroupBox_Window");
    ScrollBar3 = NewHorizontalScrollBar("ScrollBar3", 1, 1, 1);
    ScrollBar4 = NewHorizontalScrollBar("ScrollBar4", 1, 1, 1);
    auto* bounds = new QGridLayout(window);
    bounds->addWidget(CaptionFor(ScrollBar3, QStringLiteral("Začetek poizkusa")), 0, 0);
    bounds->addWidget(ScrollBar3, 0, 1);
    bounds->addWidget(CaptionFor(ScrollBar4, QStringLiteral("Konec poizkusa")), 1, 0);
    bounds->addWidget(ScrollBar4, 1, 1);
    bounds->setColumnStretch(1, 1);
    left->addWidget(window);
    page->addLayout(left, 1);

    // Right: the data set, the column choosers, conditioning and actions.
    auto* right = new QVBoxLayout;
    GroupBox_Data = NewGroup("GroupBox_Data", QStringLiteral("Podatki"));
    Label_Ime = NewValueLabel("Label_Ime", QString(), 200);
    Label_Datum = NewValueLabel("Label_Datum");
    Label_Ura = NewValueLabel("Label_Ura");
    Label_Ts = NewValueLabel("Label_Ts");
    Label_Ns = NewValueLabel("Label_Ns");
    Label_Ime->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Button3 = NewButton("Button3", QStringLiteral("Naloži iz datoteke"));
    Button4 = NewButton("Button4", QStringLiteral("Shrani v datoteko"));
    auto* dataLayout = new QGridLayout(GroupBox_Data);
    dataLayout->addWidget(CaptionFor(Label_Ime, QStringLiteral("Datoteka:")), 0, 0);
    dataLayout->addWidget(Label_Ime, 0, 1, 1, 2);
    dataLayout->addWidget(CaptionFor(Label_Datum, QStringLiteral("Datum:")), 1, 0);
    dataLayout->addWidget(Label_Datum, 1, 1);
    dataLayout->addWidget(CaptionFor(Label_Ura, QStringLiteral("Ura:")), 2, 0);
    dataLayout->addWidget(Label_Ura, 2, 1);
    dataLayout->addWidget(CaptionFor(Label_Ts, QStringLiteral("Čas vzorčenja [s]:")), 3, 0);
    dataLayout->addWidget(Label_Ts, 3, 1);
    dataLayout->addWidget(CaptionFor(Label_Ns, QStringLiteral("Število vzorcev:")), 4, 0);
    dataLayout->addWidget(Label_Ns, 4, 1);
    dataLayout->setColumnStretch(2, 1);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(Button3);
    fileButtons->addWidget(Button4);
    dataLayout->addLayout(fileButtons, 5, 0, 1, 3);
    right->addWidget(GroupBox_Data);

    GroupBox_Columns = NewGroup("GroupBox_Columns", QStringLiteral("Izbira stolpcev"));
    ScrollBar_MV = NewHorizontalScrollBar("ScrollBar_MV", 1, 6, 1);
    ScrollBar1 = NewHorizontalScrollBar("ScrollBar1", 1, 6, 3);
    ScrollBar2 = NewHorizontalScrollBar("ScrollBar2", 1, 6, 5);
    ScrollBar5 = NewHorizontalScrollBar("ScrollBar5", 1, 6, 6);
    Edit_Stolpec_MV = NewEdit("Edit_Stolpec_MV", QStringLiteral("1"), 40);
    Edit_Stolpec_U = NewEdit("Edit_Stolpec_U", QStringLiteral("3"), 40);
    Edit_Stolpec_Y = NewEdit("Edit_Stolpec_Y", QStringLiteral("5"), 40);
    Edit_Stolpec_Y1 = NewEdit("Edit_Stolpec_Y1", QStringLiteral("6"), 40);
    Label_MVDescription = NewLabel("Label_MVDescription", QString());
    Label22 = NewLabel("Label22", QString());
    Label20 = NewLabel("Label20", QString());
    Label68 = NewLabel("Label68", QString());
    auto* columns = new QGridLayout(GroupBox_Columns);
    columns->setVerticalSpacing(1);
    int row = 0;
    auto addChooser = [&](const QString& caption, QScrollBar* bar, QLineEdit* number,
                          QLabel* name) {
        number->setReadOnly(true);
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        columns->addWidget(CaptionFor(bar, caption), row, 0);
        columns->addWidget(bar, row, 1);
        columns->addWidget(number, row, 2);
        columns->addWidget(name, row + 1, 1, 1, 2);
        row += 2;
    };
    addChooser(QStringLiteral("MV:"), ScrollBar_MV, Edit_Stolpec_MV, Label_MVDescription);
    addChooser(QStringLiteral("U:"), ScrollBar1, Edit_Stolpec_U, Label22);
    addChooser(QStringLiteral("Y1:"), ScrollBar2, Edit_Stolpec_Y, Label20);
    addChooser(QStringLiteral("Y2:"), ScrollBar5, Edit_Stolpec_Y1, Label68);
    columns->setColumnStretch(1, 1);
    right->addWidget(GroupBox_Columns);

    GroupBox_Filter = NewGroup("GroupBox_Filter", QStringLiteral("Filtriranje signalov"));
    Edit8 = NewEdit("Edit8", QStringLiteral("0"), 90);
    auto* filter = new QHBoxLayout(GroupBox_Filter);
    filter->addWidget(CaptionFor(Edit8, QStringLiteral("Čas [s]")));
    filter->addWidget(Edit8);
    filter->addStretch();
    right->addWidget(GroupBox_Filter);

    GroupBox_Actuator = NewGroup("GroupBox_Actuator", QStringLiteral("Omejitve izvršnih členov"));
    Edit_Actuator_Maximum = NewEdit("Edit_Actuator_Maximum", QStringLiteral("100"), 90);
    Edit_Actuator_Minimum = NewEdit("Edit_Actuator_Minimum", QStringLiteral("0"), 90);
    Edit_Actuator_Velocity = NewEdit("Edit_Actuator_Velocity", QStringLiteral("1"), 90);
    auto* actuator = new QGridLayout(GroupBox_Actuator);
    actuator->addWidget(CaptionFor(Edit_Actuator_Maximum, QStringLiteral("Maksimum:")), 0, 0);
    actuator->addWidget(Edit_Actuator_Maximum, 0, 1);
    actuator->addWidget(CaptionFor(Edit_Actuator_Minimum, QStringLiteral("Minimum:")), 1, 0);
    actuator->addWidget(Edit_Actuator_Minimum, 1, 1);
    actuator->addWidget(CaptionFor(Edit_Actuator_Velocity, QStringLiteral("Čas odp. [s]:")), 2, 0);
    actuator->addWidget(Edit_Actuator_Velocity, 2, 1);
    actuator->setColumnStretch(2, 1);
    right->addWidget(GroupBox_Actuator);

    Button2 = NewButton("Button2", QStringLiteral("Uporabi filter in omejitve"));
    Button_Izracun = NewButton("Button_Izracun", QStringLiteral("Izračun modela"));
    QFont bold = Button_Izracun->font();
    bold.setBold(true);
    Button_Izracun->setFont(bold);
    right->addWidget(Button2);
    right->addWidget(Button_Izracun);
    right->addStretch();

    auto* rightPanel = new QWidget;
    rightPanel->setFixedWidth(350);
    rightPanel->setLayout(right);
    right->setContentsMargins(0, 0, 0, 0);
    page->addWidget(rightPanel);
    return ObdTab;
}

void TForm1::WireProcessingPage()
{
    OnEvent(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    OnEvent(ScrollBar_MV, &QScrollBar::valueChanged, &TForm1::ScrollBar_MVChange);
    OnEvent(ScrollBar1, &QScrollBar::valueChanged, &TForm1::ScrollBar1Change);
    OnEvent(ScrollBar2, &QScrollBar::valueChanged, &TForm1::ScrollBar2Change);
    OnEvent(ScrollBar5, &QScrollBar::valueChanged, &TForm1::ScrollBar5Change);
    OnEvent(ScrollBar3, &QScrollBar::valueChanged, &TForm1::ScrollBar3Change);
    OnEvent(ScrollBar4, &QScrollBar::valueChanged, &TForm1::ScrollBar4Change);
    OnEvent(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    OnEvent(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    OnEvent(Button_Izracun, &QPushButton::clicked, &TForm1::Button_IzracunClick);
    OnEvent(Chart_MV, &ClickableChartView::RightClicked, &TForm1::Chart_MVRightClick);
    OnEvent(Chart_MV, &ClickableChartView::DoubleClicked, &TForm1::Chart_MVDblClick);
    OnEvent(Chart_U, &ClickableChartView::RightClicked, &TForm1::Chart_URightClick);
    OnEvent(Chart_U, &ClickableChartView::DoubleClicked, &TForm1::Chart_UDblClick);
    OnEvent(Chart_Y, &ClickableChartView::RightClicked, &TForm1::Chart_YRightClick);
    OnEvent(Chart_Y, &ClickableChartView::DoubleClicked, &TForm1::Chart_YDblClick);
    OnEvent(Chart2, &ClickableChartView::RightClicked, &TForm1::Chart2RightClick);
    OnEvent(Chart2, &ClickableChartView::DoubleClicked, &TForm1::Chart2DblClick);
}

void TForm1::Button2Click()
{
    // Will condition all four signals with the filter and actuator limits and
    // redraw them over the experiment window.
}

void TForm1::ScrollBar_MVChange()
{
    // Will recompute and redraw MV from the newly chosen column.
}

void TForm1::ScrollBar1Change()
{
    // Will recompute and redraw U from the newly chosen column.
}

void TForm1::ScrollBar2Change()
{
    // Will recompute and redraw Y1 from the newly chosen column.
}

void TForm1::ScrollBar5Change()
{
    // Will recompute and redraw Y2 from the newly chosen column.
}

void TForm1::ScrollBar3Change()
{
    // Will keep the window start below the end and redraw the signals.
}

void TForm1::ScrollBar4Change()
{
    // Will keep the window end above the start and redraw the signals.
}

void TForm1::Button3Click()
{
    // Will load measured data (.vkd or a foreign text export) into the store.
}

void TForm1::Button4Click()
{
    // Will save the measured data as a .vkd file.
}

void TForm1::Button_IzracunClick()
{
    // Will identify the models over the experiment window and show the model
    // page.
}

void TForm1::Chart_MVRightClick()
{
    // Will show the histogram of MV over the experiment window.
}

void TForm1::Chart_MVDblClick()
{
    // Will show MV in the large signal view.
}

void TForm1::Chart_URightClick()
{
    // Will show the histogram of U over the experiment window.
}

void TForm1::Chart_UDblClick()
{
    // Will show U in the large signal view.
}

void TForm1::Chart_YRightClick()
{
    // Will show the histogram of Y1 over the experiment window.
}

void TForm1::Chart_YDblClick()
{
    // Will show Y1 in the large signal view.
}

void TForm1::Chart2RightClick()
{
    // Will show the histogram of Y2 over the experiment window.
}

void TForm1::Chart2DblClick()
{
    // Will show Y2 in the large signal view.
}

void TForm1::ShowExperimentData(const QString& /*filterTime*/, const QString& /*upperLimit*/,
                                const QString& /*lowerLimit*/, const QString& /*openingTime*/)
{
    // Will reset the choosers to the standard columns, condition the new
    // data with these texts and plot all four signals.
}
