// The report page: the sections of the report, its template and the button
// that writes it.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"
#include "base/ChartView.h"
#include "base/Errors.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "report/PorociloClass.h"
#include "report/ReportPictures.h"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// The wait cursor while a report is built.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The size a chart has on screen; a page never laid out yet gives its
// chart the size it gets in the window as it opens.
QSize OnScreenSize(const QChartView* view, QSize standard)
{
    const QSize size = view->size();
    return view->testAttribute(Qt::WA_Resized) && size.width() >= view->minimumWidth() &&
                   size.height() >= view->minimumHeight()
               ? size
               : standard;
}

} // namespace

QWidget* TForm1::BuildReportPage()
{
    PorTab = Named(new QWidget, "PorTab");
    auto* page = new QVBoxLayout(PorTab);

    GroupBox_ReportContent = NewGroup("GroupBox_ReportContent", QStringLiteral("Vsebina poročila"));
    CheckBox1 = NewCheckBox("CheckBox1", QStringLiteral("Obdelava"), true);
    CheckBox2 = NewCheckBox("CheckBox2", QStringLiteral("Model"), true);
    CheckBox3 = NewCheckBox("CheckBox3", QStringLiteral("Regulator"), true);
    auto* content = new QVBoxLayout(GroupBox_ReportContent);
    content->addWidget(CheckBox1);
    content->addWidget(CheckBox2);
    content->addWidget(CheckBox3);

    auto* templateGroup = Named(new QGroupBox(QStringLiteral("Predloga")), "GroupBox_Template");
    Label63 = NewValueLabel("Label63", BuiltInTemplateName, 320);
    Button_IzberiPredlogo = NewButton("Button_IzberiPredlogo", QStringLiteral("Izberi predlogo"));
    auto* templateRow = new QGridLayout(templateGroup);
    AddCaptionedRow(templateRow, 0, Label63, QStringLiteral("Predloga:"));
    templateRow->addWidget(Button_IzberiPredlogo, 1, 1, Qt::AlignLeft);
    templateRow->setColumnStretch(1, 1);

    Button_Naredi_porocilo =
        NewButton("Button_Naredi_porocilo", QStringLiteral("Izdelaj poročilo"));
    QFont bold = Button_Naredi_porocilo->font();
    bold.setBold(true);
    Button_Naredi_porocilo->setFont(bold);
    Button_Naredi_porocilo->setMinimumHeight(34);

    auto* column = new QVBoxLayout;
    column->addWidget(GroupBox_ReportContent);
    column->addWidget(templateGroup);
    column->addSpacing(8);
    column->addWidget(Button_Naredi_porocilo);
    auto* row = new QHBoxLayout;
    row->addLayout(column);
    row->addStretch();
    page->addLayout(row);
    page->addStretch();
    return PorTab;
}

void TForm1::WireReportPage()
{
    OnEvent(Button_Naredi_porocilo, &QPushButton::clicked, &TForm1::Button_Naredi_porociloClick);
    OnEvent(Button_IzberiPredlogo, &QPushButton::clicked, &TForm1::Button_IzberiPredlogoClick);
}

void TForm1::Button_Naredi_porociloClick()
{
    // 1. The file of the report; a name without an extension gets ".docx".
    const FileDialogRequest SaveDialog_Porocilo{.Caption = QStringLiteral("Shrani poročilo"),
                                                .Directory = WorkDir,
                                                .DefaultExtension = QStringLiteral("docx")};
    const QString fileName = Dialogs().SaveFileName(this, SaveDialog_Porocilo);
    if (fileName.isEmpty())
        return;
    WaitCursor wait;
    // 2. The pictures go beside the report.
    const QString folder = PictureFolder(fileName);
    // 3. The ten pictures.
    ExportReportPictures(ReportCharts(), Store, ScrollBar3->value(), ScrollBar4->value(), folder);
    // 4. The report; the pictures are deleted once it is written (and left
    // where they are when it fails).
    TPorocilo porocilo;
    const ReportOutcome outcome =
        porocilo.WriteReport(CurrentReportInputs(fileName), [this](const QString& document) {
            return Dialogs().OpenDocument(this, document);
        });
    DeleteReportPictures(folder);
    const QString shown = QDir::toNativeSeparators(outcome.FileName);
    StatusBar1->showMessage(outcome.Shown
                                ? QStringLiteral("Poročilo je shranjeno v %1.").arg(shown)
                                : QStringLiteral("Poročilo je shranjeno v %1; program za odpiranje "
                                                 "dokumentov .docx ni nastavljen.")
                                      .arg(shown));
}

void TForm1::Button_IzberiPredlogoClick()
{
    const QString fileName = Dialogs().OpenFileName(
        this, {.Caption = QStringLiteral("Izberi predlogo"), .Directory = WorkDir});
    if (fileName.isEmpty())
        return;
    Label63->setText(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()));
}

ReportInputs TForm1::CurrentReportInputs(const QString& fileName) const
{
    ReportInputs in;
    in.Title = windowTitle();
    in.FileName = fileName;
    in.Template = Label63->text();
    in.ServerName = ComboBox2->currentText();
    in.Tags = CurrentLoopTags();
    const std::array<std::array<QLabel*, 3>, 4> statistics = {
        {{Label_MaksMV1, Label_MinMV1, Label_STDMV1},
         {Label_MaksU1, Label_MinU1, Label_STDU1},
         {Label_MaksY1, Label_MinY1, Label_STDY1},
         {Label_MaksY2, Label_MinY2, Label_STDY2}}};
    for (std::size_t i = 0; i < statistics.size(); ++i)
        in.Statistics[i] = {statistics[i][0]->text(), statistics[i][1]->text(),
                            statistics[i][2]->text()};
    in.Gain = Edit_Gain->text();
    in.TimeConstant = Edit_Time->text();
    in.DeadTime = Edit_Delay->text();
    in.ModelStd = Label_STD->text();
    in.RelativeError = Label_Rel_Pogresek->text();
    in.Quality = Label_Kvaliteta->text();
    in.IKi = Label_Ki->text();
    in.PKp = Label_Kp_P->text();
    in.PIKp = Label_PI_Kp->text();
    in.PIKi = Label_PI_Ti->text();
    in.PIDKp = Label_PID_Kp->text();
    in.PIDKi = Label_PID_Ti->text();
    in.PIDKd = Label_PID_Td->text();
    in.ScaledP = Edit_Reg_Kp->text();
    in.ScaledI = Edit_Reg_Ki->text();
    in.ScaledD = Edit_Reg_Kd->text();
    in.Processing = CheckBox1->isChecked();
    in.Model = CheckBox2->isChecked();
    in.Controller = CheckBox3->isChecked();
    in.CloseAfterSave = false;
    return in;
}

ReportPictureCharts TForm1::ReportCharts() const
{
    if (!Form_Obdelava_Large || !Form_Histogram)
        throw VarkolError("Okni za prikaz signala in histograma nista odprti.");
    ReportPictureCharts charts;
    charts.Signal = Form_Obdelava_Large->Chart();
    charts.SignalSize = OnScreenSize(Form_Obdelava_Large->ChartView(),
                                     QSize(LargeSignalChart::Width, LargeSignalChart::Height));
    charts.Histogram = Form_Histogram->Chart();
    charts.HistogramSize = OnScreenSize(Form_Histogram->ChartView(),
                                        QSize(HistogramChart::Width, HistogramChart::Height));
    charts.Model = {Chart_Model->chart(),
                    OnScreenSize(Chart_Model, OffscreenReportCharts::ModelSize)};
    charts.Responses = {Chart1->chart(),
                        OnScreenSize(Chart1, OffscreenReportCharts::ResponsesSize)};
    return charts;
}
