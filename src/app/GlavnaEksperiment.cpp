// The experiment page: the kind of trial (run by hand or automatic at a
// start time), its parameters, activation, the settings file, the queue of
// waiting automatic experiments, the MV slider range of the run window and
// the sequencer.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"
#include "base/Errors.h"
#include "base/MaskedTimeEdit.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "experiment/FormaEksperiment.h"
#include "experiment/RunPlan.h"
#include "experiment/SettingsFile.h"
#include "opc/OpcClient.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <string>
#include <utility>

namespace {

// Hands the key presses of a widget to a handler; a handler that returns
// true has consumed the key.
class KeyDownFilter : public QObject {
public:
    KeyDownFilter(QObject* parent, std::function<bool(int)> handler)
        : QObject(parent), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            return handler_(static_cast<QKeyEvent*>(event)->key());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int)> handler_;
};

using Controls = std::initializer_list<QWidget*>;

QPlainTextEdit* NewQueueMemo(const char* name)
{
    auto* memo = Named(new QPlainTextEdit, name);
    memo->setReadOnly(true);
    // Read-only, but the caret still moves, so that Delete can name a line.
    memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

} // namespace

QWidget* TForm1::BuildExperimentPage()
{
    EkspTab = Named(new QWidget, "EkspTab");
    auto* page = new QHBoxLayout(EkspTab);

    // Left column: kind of trial, parameters, actions.
    auto* left = new QVBoxLayout;
    GroupBox_Mode = NewGroup("GroupBox_Mode", QStringLiteral("Vrsta poizkusa"));
    RadioRocno = Named(new QRadioButton(QStringLiteral("Ročno voden poizkus")), "RadioRocno");
    RadioAvtomatsko =
        Named(new QRadioButton(QStringLiteral("Samodejni poizkus")), "RadioAvtomatsko");
    RadioAvtomatsko->setChecked(true);
    auto* mode = new QVBoxLayout(GroupBox_Mode);
    mode->addWidget(RadioRocno);
    mode->addWidget(RadioAvtomatsko);
    left->addWidget(GroupBox_Mode);

    GroupBox_Parameters = NewGroup("GroupBox_Parameters", QStringLiteral("Parametri poizkusa"));
    CasVzorcenjaEdit = NewEdit("CasVzorcenjaEdit", QStringLiteral("1"), 90);
    CajtZacetka = Named(new MaskedTimeEdit(QStringLiteral("12:00:00")), "CajtZacetka");
    CajtZacetka->setFixedWidth(90);
    DateTimePicker1 = Named(new QDateEdit, "DateTimePicker1");
    // Dates in Slovenian, whatever the system's language; numbers keep the
    // system's decimal separator.
    DateTimePicker1->setLocale(QLocale(QLocale::Slovenian, QLocale::Slovenia));
    DateTimePicker1->setDisplayFormat(QStringLiteral("d. M. yyyy"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setMinimumWidth(120);
    Button1 = NewButton("Button1", QStringLiteral("Nastavi sedanji čas"));
    ZacetniVhodEdit = NewEdit("ZacetniVhodEdit", QStringLiteral("0"), 90);
    CasCakanjaEdit = NewEdit("CasCakanjaEdit", QStringLiteral("0"), 90);
    VelikostStopniceEdit = NewEdit("VelikostStopniceEdit", QStringLiteral("0"), 90);
    CasStopniceEdit = NewEdit("CasStopniceEdit", QStringLiteral("0"), 90);
    SteviloStopnicEdit = NewEdit("SteviloStopnicEdit", QStringLiteral("1"), 90);
    CheckBox_ObeSmeri = NewCheckBox("CheckBox_ObeSmeri", QStringLiteral("Stopnice v obe smeri"));
    CheckBox_Zaprtozancni =
        NewCheckBox("CheckBox_Zaprtozancni", QStringLiteral("Zaprta zanka med poizkusom"));
    CheckBox_ZZPoPoizkusu =
        NewCheckBox("CheckBox_ZZPoPoizkusu", QStringLiteral("Zaprta zanka po poizkusu"), true);
    OhraniZacetniVhod = NewCheckBox("OhraniZacetniVhod", QStringLiteral("Ohrani začetni vhod"));
    CheckBox_NePisi = NewCheckBox("CheckBox_NePisi", QStringLiteral("Ne piši v OPC"));

    auto* parameters = new QGridLayout(GroupBox_Parameters);
    parameters->setColumnStretch(3, 1);
    int row = 0;
    auto addRow = [&](QWidget* edit, const QString& caption) {
        AddCaptionedRow(parameters, row, edit, caption);
        ++row;
    };
    addRow(CasVzorcenjaEdit, QStringLiteral("Čas vzorčenja: [s]"));
    AddCaptionedRow(parameters, row, CajtZacetka, QStringLiteral("Začetek eksperimenta:"));
    parameters->addWidget(DateTimePicker1, row, 2);
    ++row;
    parameters->addWidget(Button1, row, 1, 1, 2, Qt::AlignLeft);
    ++row;
    addRow(ZacetniVhodEdit, QStringLiteral("Začetni vhod: "));
    addRow(CasCakanjaEdit, QStringLiteral("Čas čakanja: [s]"));
    addRow(VelikostStopniceEdit, QStringLiteral("Velikost stopnice:"));
    addRow(CasStopniceEdit, QStringLiteral("Čas ene stopnice: [s]"));
    addRow(SteviloStopnicEdit, QStringLiteral("Število stopnic:"));
    parameters->setRowMinimumHeight(row++, 6);
    for (QCheckBox* box : {CheckBox_ObeSmeri, CheckBox_Zaprtozancni, CheckBox_ZZPoPoizkusu,
                           OhraniZacetniVhod, CheckBox_NePisi})
        parameters->addWidget(box, row++, 0, 1, 3);
    left->addWidget(GroupBox_Parameters);

    AktivirajEksperiment =
        NewButton("AktivirajEksperiment", QStringLiteral("Aktiviraj eksperiment"));
    QFont bold = AktivirajEksperiment->font();
    bold.setBold(true);
    AktivirajEksperiment->setFont(bold);
    AktivirajEksperiment->setMinimumHeight(34);
    Button10 = NewButton("Button10", QStringLiteral("Ostale nastavitve samodejnega poizkusa"));
    NaloziNastavitve = NewButton("NaloziNastavitve", QStringLiteral("Naloži nastavitve"));
    ShraniNastavitve = NewButton("ShraniNastavitve", QStringLiteral("Shrani nastavitve"));
    left->addWidget(AktivirajEksperiment);
    left->addWidget(Button10);
    auto* files = new QHBoxLayout;
    files->addWidget(NaloziNastavitve);
    files->addWidget(ShraniNastavitve);
    left->addLayout(files);
    left->addStretch();
    page->addLayout(left, 0);

    // Middle: the queue of automatic experiments, one entry per line of
    // both memos.
    GroupBox_Queue = NewGroup("GroupBox_Queue", QStringLiteral("Čakajoči poizkusi"));
    SeznamCakajocihEkspCas = NewQueueMemo("SeznamCakajocihEkspCas");
    SeznamCakajocihEkspOznaka = NewQueueMemo("SeznamCakajocihEkspOznaka");
    auto* queue = new QGridLayout(GroupBox_Queue);
    queue->addWidget(CaptionFor(SeznamCakajocihEkspCas, QStringLiteral("Začetek")), 0, 0);
    queue->addWidget(CaptionFor(SeznamCakajocihEkspOznaka, QStringLiteral("Oznaka")), 0, 1);
    queue->addWidget(SeznamCakajocihEkspCas, 1, 0);
    queue->addWidget(SeznamCakajocihEkspOznaka, 1, 1);
    queue->setColumnStretch(0, 1);
    queue->setColumnStretch(1, 1);
    page->addWidget(GroupBox_Queue, 1);

    // Right column: MV slider range of the run window, the sequencer.
    auto* right = new QVBoxLayout;
    GroupBox_MVSlider = NewGroup("GroupBox_MVSlider", QStringLiteral("Drsnik vhoda (MV)"));
    Edit_MVMax = NewEdit("Edit_MVMax", QStringLiteral("100"), 90);
    Edit_MVMin = NewEdit("Edit_MVMin", QStringLiteral("0"), 90);
    Edit_MVStep = NewEdit("Edit_MVStep", QStringLiteral("1"), 90);
    auto* slider = new QGridLayout(GroupBox_MVSlider);
    AddCaptionedRow(slider, 0, Edit_MVMax, QStringLiteral("Maksimum:"));
    AddCaptionedRow(slider, 1, Edit_MVMin, QStringLiteral("Minimum:"));
    AddCaptionedRow(slider, 2, Edit_MVStep, QStringLiteral("Korak:"));
    slider->setColumnStretch(2, 1);
    right->addWidget(GroupBox_MVSlider);

    GroupBox_Sequencer = NewGroup("GroupBox_Sequencer", QStringLiteral("Sekvencer"));
    CheckBox_Sekvencer = NewCheckBox("CheckBox_Sekvencer", QStringLiteral("Sekvencer prisoten"));
    constexpr int SequencerColumnWidth = 100;
    StringGrid_Sekvencer =
        Named(new StringGrid(2, 10, SequencerColumnWidth, 19), "StringGrid_Sekvencer");
    auto* sequencer = new QVBoxLayout(GroupBox_Sequencer);
    sequencer->addWidget(CheckBox_Sekvencer);
    auto* headings = new QHBoxLayout;
    headings->setSpacing(0);
    auto* inputHeading = NewLabel("Label_Vhod", QStringLiteral("Vhod"));
    inputHeading->setFixedWidth(SequencerColumnWidth);
    headings->addWidget(inputHeading);
    headings->addWidget(NewLabel("Label_Izhod", QStringLiteral("Izhod")));
    headings->addStretch();
    sequencer->addLayout(headings);
    sequencer->setSpacing(4);
    sequencer->addWidget(StringGrid_Sekvencer, 0, Qt::AlignLeft);
    right->addWidget(GroupBox_Sequencer);
    right->addStretch();
    page->addLayout(right, 0);
    return EkspTab;
}

void TForm1::WireExperimentPage()
{
    connect(RadioRocno, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            Guard(this, [this] { RadioRocnoClick(); });
    });
    connect(RadioAvtomatsko, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            Guard(this, [this] { RadioAvtomatskoClick(); });
    });
    OnEvent(CheckBox_NePisi, &QCheckBox::toggled, &TForm1::CheckBox_NePisiClick);
    OnEvent(OhraniZacetniVhod, &QCheckBox::toggled, &TForm1::OhraniZacetniVhodClick);
    OnEvent(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    OnEvent(Button10, &QPushButton::clicked, &TForm1::Button10Click);
    OnEvent(AktivirajEksperiment, &QPushButton::clicked, &TForm1::AktivirajEksperimentClick);
    OnEvent(ShraniNastavitve, &QPushButton::clicked, &TForm1::ShraniNastavitveClick);
    OnEvent(NaloziNastavitve, &QPushButton::clicked, &TForm1::NaloziNastavitveClick);
    SeznamCakajocihEkspCas->installEventFilter(new KeyDownFilter(this, [this](int key) {
        if (key != Qt::Key_Delete)
            return false;
        Guard(this, [&] { SeznamCakajocihEkspCasKeyDown(key); });
        return true;
    }));
}

void TForm1::RadioRocnoClick()
{
    for (QWidget* control :
         Controls{CheckBox_Zaprtozancni, CheckBox_ZZPoPoizkusu, OhraniZacetniVhod, ZacetniVhodEdit})
        SetEnabledWithCaption(control, true);
    for (QWidget* control :
         Controls{CasCakanjaEdit, VelikostStopniceEdit, CasStopniceEdit, SteviloStopnicEdit,
                  CajtZacetka, CheckBox_ObeSmeri, DateTimePicker1, Button10})
        SetEnabledWithCaption(control, false);
    if (CheckBox_NePisi->isChecked())
        ApplyNoWriteSet();
}

void TForm1::RadioAvtomatskoClick()
{
    for (QWidget* control :
         Controls{CheckBox_Zaprtozancni, CheckBox_ZZPoPoizkusu, OhraniZacetniVhod, ZacetniVhodEdit,
                  CasCakanjaEdit, VelikostStopniceEdit, CasStopniceEdit, SteviloStopnicEdit,
                  CajtZacetka, CheckBox_ObeSmeri, DateTimePicker1, Button10})
        SetEnabledWithCaption(control, true);
    if (CheckBox_NePisi->isChecked())
        ApplyNoWriteSet();
}

void TForm1::ApplyNoWriteSet()
{
    // Without writes the loop is only recorded: nothing that drives MV or
    // switches the controller applies. The wait and the step duration stay,
    // they set the length of the recording.
    for (QWidget* control :
         Controls{CheckBox_Zaprtozancni, CheckBox_ZZPoPoizkusu, OhraniZacetniVhod, ZacetniVhodEdit,
                  VelikostStopniceEdit, SteviloStopnicEdit, CheckBox_ObeSmeri})
        SetEnabledWithCaption(control, false);
}

void TForm1::CheckBox_NePisiClick()
{
    if (RadioRocno->isChecked())
        RadioRocnoClick();
    else
        RadioAvtomatskoClick();
    if (CheckBox_NePisi->isChecked())
        ApplyNoWriteSet();
}

void TForm1::OhraniZacetniVhodClick()
{
    SetEnabledWithCaption(ZacetniVhodEdit, !OhraniZacetniVhod->isChecked());
}

void TForm1::Button1Click()
{
    // A moment (0.0001 day) ahead, so that a start "now" is still in the
    // future when the experiment is activated.
    CajtZacetka->SetTime(QTime::currentTime().addMSecs(8640));
}

void TForm1::Button10Click()
{
    if (!Form_SamodNastav)
        return;
    Form_SamodNastav->show();
    Form_SamodNastav->raise();
    Form_SamodNastav->activateWindow();
}

QStringList TForm1::QueueLines(const QPlainTextEdit* memo) const
{
    QString text = memo->toPlainText();
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char('\n'));
}

void TForm1::SetQueueLines(QPlainTextEdit* memo, const QStringList& lines)
{
    memo->setPlainText(lines.join(QLatin1Char('\n')));
}

void TForm1::SeznamCakajocihEkspCasKeyDown(int key)
{
    if (key != Qt::Key_Delete)
        return;
    const int line = SeznamCakajocihEkspCas->textCursor().blockNumber();
    Queue.RemoveAt(line);
    QueueChanged();
    if (Queue.Empty()) {
        Timer_ExperimentScheduler->stop();
        return;
    }
    // Keep the caret on the entry that took the deleted one's place.
    const int caretLine = std::min(line, Queue.Size() - 1);
    QTextCursor cursor(SeznamCakajocihEkspCas->document()->findBlockByNumber(caretLine));
    SeznamCakajocihEkspCas->setTextCursor(cursor);
}

void TForm1::AktivirajEksperimentClick()
{
    // The run window's start waits for the plant, keeping the GUI alive; the
    // button must not start a second activation meanwhile.
    AktivirajEksperiment->setEnabled(false);
    const auto restore = qScopeGuard([this] { AktivirajEksperiment->setEnabled(true); });

    // The sampling period and the wait are corrected in the edits before
    // anything is saved.
    ExperimentSettings settings = CurrentSettings();
    if (CorrectRunTimes(settings)) {
        CasVzorcenjaEdit->setText(settings.SamplingPeriod);
        CasCakanjaEdit->setText(settings.WaitTime);
    }
    if (RadioRocno->isChecked()) {
        ActivateManualTrial(settings);
        return;
    }
    ActivateAutomaticTrial(settings);
}

void TForm1::ActivateManualTrial(const ExperimentSettings& settings)
{
    // Everything that can be refused is read before the settings file is
    // written, so a refused activation leaves no file behind.
    RunPlan plan = MakeRunPlan(settings, QString(), false);
    const QString fileName = SaveSettingsWithDialog();
    if (fileName.isEmpty()) {
        StatusBar1->showMessage(
            QStringLiteral("Eksperiment ni bil aktiviran: nastavitve niso bile shranjene."));
        return;
    }
    plan.Label = QFileInfo(fileName).completeBaseName();
    if (RunExperiment(plan).Finished)
        PageControl1->setCurrentIndex(2);
}

RunOutcome TForm1::RunExperiment(const RunPlan& plan)
{
    if (!Eksperiment)
        throw VarkolError("Okno eksperimenta ni na voljo.");
    // The run window reports tags the server refuses itself, once and in
    // the user's language.
    ItemReportsMuted = true;
    RunOutcome outcome;
    {
        const auto unmute = qScopeGuard([this] { ItemReportsMuted = false; });
        outcome = Eksperiment->Run(plan);
    }
    if (!outcome.Finished) {
        if (!outcome.Refusal.isEmpty())
            throw VarkolError(outcome.Refusal.toStdString());
        return outcome;
    }
    if (outcome.SwitchedToManual)
        RadioRocno->setChecked(true);
    ShowExperimentData(Edit8->text(), Edit_Actuator_Maximum->text(), Edit_Actuator_Minimum->text(),
                       Edit_Actuator_Velocity->text());
    if (outcome.AnalysisStart) {
        ScrollBar3->setValue(*outcome.AnalysisStart);
        StoredWindow.first = ScrollBar3->value();
    }
    if (!outcome.UntaggedSignals.isEmpty())
        StatusBar1->showMessage(QStringLiteral("Posneto brez OPC točke na strežniku: %1.")
                                    .arg(outcome.UntaggedSignals.join(QStringLiteral(", "))));
    return outcome;
}
