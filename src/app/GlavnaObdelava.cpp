// The processing page ("Obdelava"): the four conditioned signals with their
// statistics over the experiment window, the choice of the raw column behind
// each signal, the filter and actuator limits, and the measured-data file.

#include "app/Glavna.h"

#include "base/ChartView.h"
#include "base/Errors.h"
#include "app/GlavnaLayout.h"
#include "base/NumberText.h"
#include "data/ChartSeries.h"
#include "data/ChartStyle.h"
#include "data/DataFile.h"
#include "data/ObdelavaClass.h"
#include "data/ProcessedSignals.h"
#include "data/ProcessingChoosers.h"
#include "data/ProcessingText.h"
#include "model/ModelQuality.h"
#include "data/SignalStatistics.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

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
    // Where the window starts and ends, as sample number and time.
    Label_ZacetekOkna = NewValueLabel("Label_ZacetekOkna", QString(), 150);
    Label_KonecOkna = NewValueLabel("Label_KonecOkna", QString(), 150);
    Button_ShranjenoOkno = NewButton("Button_ShranjenoOkno", QStringLiteral("Shranjeno okno"));
    Button_ShranjenoOkno->setToolTip(
        QStringLiteral("Okno poizkusa, kot je shranjeno s podatki (ali določeno ob poizkusu)"));
    auto* bounds = new QGridLayout(window);
    AddCaptionedRow(bounds, 0, ScrollBar3, QStringLiteral("Začetek poizkusa"));
    AddCaptionedRow(bounds, 1, ScrollBar4, QStringLiteral("Konec poizkusa"));
    bounds->addWidget(Label_ZacetekOkna, 0, 2);
    bounds->addWidget(Label_KonecOkna, 1, 2);
    bounds->addWidget(Button_ShranjenoOkno, 0, 3, 2, 1, Qt::AlignVCenter);
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
    AddCaptionedRow(dataLayout, 1, Label_Datum, QStringLiteral("Datum:"));
    AddCaptionedRow(dataLayout, 2, Label_Ura, QStringLiteral("Ura:"));
    AddCaptionedRow(dataLayout, 3, Label_Ts, QStringLiteral("Čas vzorčenja [s]:"));
    AddCaptionedRow(dataLayout, 4, Label_Ns, QStringLiteral("Število vzorcev:"));
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
        // A click beside the handle moves one column, and the handle keeps
        // a size that shows where it stands among a few columns.
        bar->setPageStep(1);
        number->setReadOnly(true);
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        AddCaptionedRow(columns, row, bar, caption);
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
    AddCaptionedRow(actuator, 0, Edit_Actuator_Maximum, QStringLiteral("Maksimum:"));
    AddCaptionedRow(actuator, 1, Edit_Actuator_Minimum, QStringLiteral("Minimum:"));
    AddCaptionedRow(actuator, 2, Edit_Actuator_Velocity, QStringLiteral("Čas odp. [s]:"));
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
    OnEvent(Button_ShranjenoOkno, &QPushButton::clicked, &TForm1::Button_ShranjenoOknoClick);
    OnEvent(Chart_MV, &ClickableChartView::RightClicked, &TForm1::Chart_MVRightClick);
    OnEvent(Chart_MV, &ClickableChartView::DoubleClicked, &TForm1::Chart_MVDblClick);
    OnEvent(Chart_U, &ClickableChartView::RightClicked, &TForm1::Chart_URightClick);
    OnEvent(Chart_U, &ClickableChartView::DoubleClicked, &TForm1::Chart_UDblClick);
    OnEvent(Chart_Y, &ClickableChartView::RightClicked, &TForm1::Chart_YRightClick);
    OnEvent(Chart_Y, &ClickableChartView::DoubleClicked, &TForm1::Chart_YDblClick);
    OnEvent(Chart2, &ClickableChartView::RightClicked, &TForm1::Chart2RightClick);
    OnEvent(Chart2, &ClickableChartView::DoubleClicked, &TForm1::Chart2DblClick);
}

namespace {

// The controls that show one processed signal and choose its raw column.
struct SignalControls {
    ClickableChartView* Chart;
    QLineSeries* Series;
    QLabel* Max;
    QLabel* Min;
    QLabel* Std;
    QScrollBar* Column;
    QLineEdit* Number;
    QLabel* Name;
};

SignalControls ControlsOf(const TForm1& f, ProcessedSignal signal)
{
    switch (signal) {
    case ProcessedSignal::MV:
        return {f.Chart_MV,     f.Series_MV,    f.Label_MaksMV1,   f.Label_MinMV1,
                f.Label_STDMV1, f.ScrollBar_MV, f.Edit_Stolpec_MV, f.Label_MVDescription};
    case ProcessedSignal::U:
        return {f.Chart_U,     f.Series_U,   f.Label_MaksU1,   f.Label_MinU1,
                f.Label_STDU1, f.ScrollBar1, f.Edit_Stolpec_U, f.Label22};
    case ProcessedSignal::Y1:
        return {f.Chart_Y,     f.Series_Y,   f.Label_MaksY1,   f.Label_MinY1,
                f.Label_STDY1, f.ScrollBar2, f.Edit_Stolpec_Y, f.Label20};
    case ProcessedSignal::Y2:
        break;
    }
    return {f.Chart2,      f.Series_Y2,  f.Label_MaksY2,    f.Label_MinY2,
            f.Label_STDY2, f.ScrollBar5, f.Edit_Stolpec_Y1, f.Label68};
}

ColumnChoice ChosenColumns(const TForm1& f)
{
    return {f.ScrollBar_MV->value(), f.ScrollBar1->value(), f.ScrollBar2->value(),
            f.ScrollBar5->value()};
}

// The chooser's column in its number box and that column's name beside it.
void ShowColumn(const TForm1& f, ProcessedSignal signal)
{
    const SignalControls controls = ControlsOf(f, signal);
    const int column = controls.Column->value();
    controls.Number->setText(QString::number(column));
    controls.Name->setText(
        column >= 1 && column <= Podatki::MaxColumns
            ? QString::fromStdString(f.Store.ColumnNames[static_cast<std::size_t>(column - 1)])
            : QString());
}

ConditioningSettings EditSettings(const TForm1& f)
{
    return ParseConditioningSettings(f.Edit8->text(), f.Edit_Actuator_Maximum->text(),
                                     f.Edit_Actuator_Minimum->text(),
                                     f.Edit_Actuator_Velocity->text());
}

// Sets a chooser without running its handler: the caller has worked out the
// whole page state and redraws once.
void SetChooser(QScrollBar* bar, const ChooserState& state)
{
    const QSignalBlocker blocker(bar);
    bar->setRange(state.Minimum, state.Maximum);
    bar->setValue(state.Position);
}

// "12 (11 s)": a window bound as sample number and its time.
QString WindowBoundText(const Podatki& store, int sample)
{
    if (sample < 1 || sample > store.SampleCount)
        return QString();
    return QStringLiteral("%1 (%2 s)").arg(sample).arg(FormatGeneral(Sample(store.Time, sample), 6));
}

void SetWindowChoosers(const TForm1& f, const WindowChoosers& window)
{
    SetChooser(f.ScrollBar3, window.Start);
    SetChooser(f.ScrollBar4, window.End);
    f.Label_ZacetekOkna->setText(WindowBoundText(f.Store, window.Start.Position));
    f.Label_KonecOkna->setText(WindowBoundText(f.Store, window.End.Position));
}

// The window and column choosers for new data, with the columns' numbers
// and names; with fewer than six signals there is no Y2 to name.
void SetChoosers(const TForm1& f, const ProcessingLayout& layout)
{
    SetWindowChoosers(f, layout.Window);
    const ColumnChoice& c = layout.Columns;
    SetChooser(f.ScrollBar_MV, {1, layout.ColumnMaximum, c.MV});
    SetChooser(f.ScrollBar1, {1, layout.ColumnMaximum, c.U});
    SetChooser(f.ScrollBar2, {1, layout.ColumnMaximum, c.Y1});
    SetChooser(f.ScrollBar5, {1, layout.ColumnMaximum, c.Y2});
    for (const ProcessedSignal signal : AllProcessedSignals)
        ShowColumn(f, signal);
    if (f.Store.SignalCount < 6)
        f.Label68->clear();
}

// The Y2 chart with its statistics below it.
void ShowY2(const TForm1& f, bool shown)
{
    f.Chart2->setVisible(shown);
    f.Chart2->parentWidget()->setVisible(shown);
}

// New data on the page: MV, U and Y1 drawn over the window; Y2 shown and
// drawn only when the data hold six signals.
void PlotNewData(TForm1& f)
{
    const bool y2 = f.Store.SignalCount >= 6;
    ShowY2(f, y2);
    for (const ProcessedSignal signal : AllProcessedSignals)
        if (signal != ProcessedSignal::Y2 || y2)
            f.PlotSignal(signal, f.ScrollBar3->value(), f.ScrollBar4->value());
}

// After a window chooser moved: MV, U and Y1 redrawn, Y2 too when there are
// at least three signals, else its chart hidden.
void PlotWindow(TForm1& f)
{
    for (const ProcessedSignal signal : AllProcessedSignals) {
        if (signal == ProcessedSignal::Y2 && f.Store.SignalCount < 3) {
            ShowY2(f, false);
            continue;
        }
        f.PlotSignal(signal, f.ScrollBar3->value(), f.ScrollBar4->value());
    }
}

// The load and save dialogs, captioned like the button that opens them.
FileDialogRequest DataFileRequest(const TForm1& f, const QPushButton& button)
{
    FileDialogRequest request;
    request.Caption = button.text();
    request.Directory = f.WorkDir;
    request.Filter = MeasurementFileFilter;
    request.DefaultExtension = MeasurementFileExtension;
    return request;
}

void ShowWithoutBlocking(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowHistogramOf(TForm1& f, ProcessedSignal signal)
{
    // No data, no histogram.
    if (!f.Form_Histogram || f.RecordSource.isEmpty())
        return;
    f.Form_Histogram->ShowSignalHistogram(f.Store, signal, f.ScrollBar3->value(),
                                          f.ScrollBar4->value());
    ShowWithoutBlocking(f.Form_Histogram);
}

void ShowLargePlotOf(TForm1& f, ProcessedSignal signal)
{
    if (!f.Form_Obdelava_Large || f.RecordSource.isEmpty())
        return;
    f.Form_Obdelava_Large->ShowSignal(f.Store, signal, f.ScrollBar3->value(),
                                      f.ScrollBar4->value());
    ShowWithoutBlocking(f.Form_Obdelava_Large);
}

} // namespace

// ----- Conditioning and the column choosers -------------------------------

void TForm1::Button2Click()
{
    const ConditioningSettings settings = EditSettings(*this);
    ConditionSignals(Store, ChosenColumns(*this), settings);
    for (const ProcessedSignal signal : AllProcessedSignals) {
        PlotSignal(signal, ScrollBar3->value(), ScrollBar4->value());
        ShowColumn(*this, signal);
    }
}

// Each column chooser recomputes only its own signal. The chooser's number
// and name are shown first: they describe the chooser, whatever the
// conditioning that follows makes of a wrong edit box.

void TForm1::ScrollBar_MVChange()
{
    ShowColumn(*this, ProcessedSignal::MV);
    TObdelava(Store).ConditionMV(ScrollBar_MV->value(), Store.SampleCount, Store.SamplingTime);
    PlotSignal(ProcessedSignal::MV, ScrollBar3->value(), ScrollBar4->value());
}

void TForm1::ScrollBar1Change()
{
    ShowColumn(*this, ProcessedSignal::U);
    const ConditioningSettings s = EditSettings(*this);
    TObdelava(Store).ConditionU(ScrollBar1->value(), Store.SampleCount, Store.SamplingTime,
                                s.FilterTime, s.Velocity, s.Minimum, s.Maximum);
    PlotSignal(ProcessedSignal::U, ScrollBar3->value(), ScrollBar4->value());
}

void TForm1::ScrollBar2Change()
{
    ShowColumn(*this, ProcessedSignal::Y1);
    TObdelava(Store).ConditionY1(ScrollBar2->value(), Store.SampleCount, Store.SamplingTime,
                                 EditSettings(*this).FilterTime);
    PlotSignal(ProcessedSignal::Y1, ScrollBar3->value(), ScrollBar4->value());
}

void TForm1::ScrollBar5Change()
{
    ShowColumn(*this, ProcessedSignal::Y2);
    TObdelava(Store).ConditionY2(ScrollBar5->value(), Store.SampleCount, Store.SamplingTime,
                                 EditSettings(*this).FilterTime);
    PlotSignal(ProcessedSignal::Y2, ScrollBar3->value(), ScrollBar4->value());
}

// ----- The experiment window ------------------------------------------------

void TForm1::NewRecordShown(const QString& source, const WindowChoosers& window)
{
    RecordSource = source;
    StoredWindow = {window.Start.Position, window.End.Position};
    // The sampling warning and the model's origin belonged to the data
    // shown before.
    if (StatusBar1->currentMessage() == QString::fromUtf8(SamplingWarningText))
        StatusBar1->clearMessage();
}

void TForm1::Button_ShranjenoOknoClick()
{
    if (RecordSource.isEmpty())
        return;
    SetWindowChoosers(*this, LoadedWindowChoosers(Store.SampleCount, Store.WindowGap,
                                                  StoredWindow.first, StoredWindow.second));
    PlotWindow(*this);
}

void TForm1::ScrollBar3Change()
{
    SetWindowChoosers(*this, WindowChoosersAfterStartChange(Store.SampleCount, ScrollBar3->value(),
                                                            ScrollBar4->value()));
    PlotWindow(*this);
}

void TForm1::ScrollBar4Change()
{
    SetWindowChoosers(*this,
                      WindowChoosersAfterEndChange(Store.SampleCount, Store.WindowGap,
                                                   ScrollBar3->value(), ScrollBar4->value()));
    PlotWindow(*this);
}

// ----- New data: a file or an experiment ------------------------------------

void TForm1::Button3Click()
{
    const QString fileName = Dialogs().OpenFileName(this, DataFileRequest(*this, *Button3));
    if (!fileName.isEmpty())
        LoadDataFile(fileName);
}

void TForm1::LoadDataFile(const QString& fileName)
{
    // Everything that can fail comes before the first change: a file that
    // does not load leaves the store and the page as they were.
    const LoadedMeasurements loaded = ReadMeasurementFile(fileName);
    const MeasurementFileSettings& file = loaded.Settings;
    const ConditioningSettings settings = ParseConditioningSettings(
        file.FilterTime, file.ActuatorMaximum, file.ActuatorMinimum, file.ActuatorVelocity);
    const int windowStart = ParseInteger(file.WindowStart);
    const int windowEnd = ParseInteger(file.WindowEnd);

    StoreMeasurements(Store, loaded.Data);
    DiscardRecordJournal(); // the record it kept is no longer the store's
    const ProcessingLayout layout = PrepareLoadedData(Store, settings, windowStart, windowEnd);

    Label_Ts->setText(FormatGeneral(Store.SamplingTime, 15));
    Label_Ns->setText(QString::number(Store.SampleCount));
    Label_Datum->setText(file.Date);
    Label_Ura->setText(file.Time);
    Label_Ime->setText(QFileInfo(fileName).fileName());
    Label_Ime->setToolTip(QDir::toNativeSeparators(fileName));
    Edit8->setText(file.FilterTime);
    Edit_Actuator_Maximum->setText(file.ActuatorMaximum);
    Edit_Actuator_Minimum->setText(file.ActuatorMinimum);
    Edit_Actuator_Velocity->setText(file.ActuatorVelocity);
    SetChoosers(*this, layout);
    NewRecordShown(QFileInfo(fileName).fileName(), layout.Window);
    RecordUnsaved = false; // the record shown is the file's
    PlotNewData(*this);
}

void TForm1::Button4Click()
{
    if (RecordSource.isEmpty())
        throw FileError("Ni izmerjenih podatkov za shranjevanje: naložite meritve ali izvedite "
                        "eksperiment.");
    const ConditioningSettings settings = EditSettings(*this);
    const QString fileName = Dialogs().SaveFileName(this, DataFileRequest(*this, *Button4));
    if (fileName.isEmpty())
        return;
    const ColumnChoice columns = ChosenColumns(*this);
    SaveMeasurements(Store, fileName, CurrentDateText(), CurrentTimeText(), Store.SamplingTime,
                     Store.SampleCount, ScrollBar3->value(), ScrollBar4->value(), settings, columns,
                     FieldNames(Store, columns));
    RecordUnsaved = false;
    DiscardRecordJournal();
    RecordSource = QFileInfo(fileName).fileName();
    Label_Ime->setText(RecordSource);
    Label_Ime->setToolTip(QDir::toNativeSeparators(fileName));
    StatusBar1->showMessage(QStringLiteral("Meritve shranjene v %1.").arg(QDir::toNativeSeparators(fileName)));
}

void TForm1::ShowExperimentData(const QString& filterTime, const QString& upperLimit,
                                const QString& lowerLimit, const QString& openingTime)
{
    // The store holds a record that exists nowhere else.
    RecordUnsaved = true;
    // The choosers follow the new record first, so that they never describe
    // data the store no longer holds, even when a text below is wrong.
    const ProcessingLayout layout = ExperimentLayout(Store);
    SetChoosers(*this, layout);
    NewRecordShown(QStringLiteral("posnetek eksperimenta"), layout.Window);
    // The data set is the new record, taken now and not from a file; the
    // labels must not go on describing the file loaded before.
    Label_Ts->setText(FormatGeneral(Store.SamplingTime, 15));
    Label_Ns->setText(QString::number(Store.SampleCount));
    Label_Datum->setText(CurrentDateText());
    Label_Ura->setText(CurrentTimeText());
    Label_Ime->clear();
    Label_Ime->setToolTip(QString());

    const ConditioningSettings settings =
        ParseConditioningSettings(filterTime, upperLimit, lowerLimit, openingTime);
    ConditionSignals(Store, layout.Columns, settings);
    PlotNewData(*this);
}

// ----- Plots and the views behind them -------------------------------------

void TForm1::PlotSignal(ProcessedSignal signal, int start, int end)
{
    const SignalControls controls = ControlsOf(*this, signal);
    const double* values = ProcessedValues(Store, signal).data();
    start = std::max(start, 1);
    end = std::min(end, Store.SampleCount);
    FillLineSeriesFromSamples(controls.Series, Store.Time.data(), values, start, end);

    const SignalStatistics statistics = ComputeSignalStatistics(values, start, end);
    if (!std::isfinite(statistics.Max) || !std::isfinite(statistics.Min) ||
        !std::isfinite(statistics.Std)) {
        for (QLabel* label : {controls.Max, controls.Min, controls.Std})
            label->clear();
        throw ComputationError(QStringLiteral("%1: vrednosti v oknu poizkusa niso končna števila.")
                                   .arg(controls.Chart->chart()->title())
                                   .toStdString());
    }
    const SignalStatisticsTexts texts = StatisticsTexts(statistics);
    controls.Max->setText(texts.Max);
    controls.Min->setText(texts.Min);
    controls.Std->setText(texts.Std);
    SetAxisRange(controls.Chart->AxisY(), statistics.AxisMin, statistics.AxisMax);
    if (start <= end)
        SetAxisRange(controls.Chart->AxisX(), Sample(Store.Time, start), Sample(Store.Time, end));
}

void TForm1::Chart_MVRightClick()
{
    ShowHistogramOf(*this, ProcessedSignal::MV);
}

void TForm1::Chart_MVDblClick()
{
    ShowLargePlotOf(*this, ProcessedSignal::MV);
}

void TForm1::Chart_URightClick()
{
    ShowHistogramOf(*this, ProcessedSignal::U);
}

void TForm1::Chart_UDblClick()
{
    ShowLargePlotOf(*this, ProcessedSignal::U);
}

void TForm1::Chart_YRightClick()
{
    ShowHistogramOf(*this, ProcessedSignal::Y1);
}

void TForm1::Chart_YDblClick()
{
    ShowLargePlotOf(*this, ProcessedSignal::Y1);
}

void TForm1::Chart2RightClick()
{
    ShowHistogramOf(*this, ProcessedSignal::Y2);
}

void TForm1::Chart2DblClick()
{
    ShowLargePlotOf(*this, ProcessedSignal::Y2);
}
