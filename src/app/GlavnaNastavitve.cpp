// The experiment settings file on the experiment page: "Shrani nastavitve"
// writes what the main window and the automatic-experiment settings window
// show, "Naloži nastavitve" sets them again from a file.

#include "app/Glavna.h"

#include "app/MaskedTimeEdit.h"
#include "app/RadioGroup.h"
#include "app/SettingsFile.h"
#include "app/StringGrid.h"
#include "app/TextComboBox.h"
#include "app/UserDialogs.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString SaveFilter = QStringLiteral("Varkol Experiment (*.vkx)|*.vkx|All files|*.*");
const QString OpenFilter = QStringLiteral("Experiment (*.vkx)|*.vkx|All files|*.*");
const QString SettingsExtension = QStringLiteral("vkx");

// Tag-table rows that the file holds; 6 and 13 carry no role.
constexpr int StoredTagRows[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19};

// The controls of the automatic-experiment settings window, reached by
// their names and read by their kind (edit or label text, check box, item
// index of a combo box or radio group, scroll-bar position). A control the
// window does not have keeps the stored value as it was and receives
// nothing, so the file keeps its 98 lines whatever the window holds.
class NamedControls {
public:
    explicit NamedControls(const QWidget* window) : window_(window) {}

    QString Text(const char* name, const QString& fallback) const
    {
        QWidget* control = Find(name);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return edit->text();
        if (auto* label = qobject_cast<QLabel*>(control))
            return label->text();
        return fallback;
    }
    void SetText(const char* name, const QString& text) const
    {
        QWidget* control = Find(name);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
    }

    bool Checked(const char* name, bool fallback) const
    {
        auto* box = qobject_cast<QCheckBox*>(Find(name));
        return box ? box->isChecked() : fallback;
    }
    void SetChecked(const char* name, bool checked) const
    {
        if (auto* box = qobject_cast<QCheckBox*>(Find(name)))
            box->setChecked(checked);
    }

    int Index(const char* name, int fallback) const
    {
        QWidget* control = Find(name);
        if (auto* group = qobject_cast<RadioGroup*>(control))
            return group->ItemIndex();
        if (auto* list = qobject_cast<TextComboBox*>(control))
            return list->ItemIndex();
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return combo->currentIndex();
        if (auto* slider = qobject_cast<QAbstractSlider*>(control))
            return slider->value();
        if (auto* box = qobject_cast<QGroupBox*>(control)) {
            const QList<QRadioButton*> buttons = box->findChildren<QRadioButton*>();
            for (int i = 0; i < buttons.size(); ++i)
                if (buttons[i]->isChecked())
                    return i;
            return -1;
        }
        return fallback;
    }
    void SetIndex(const char* name, int index) const
    {
        QWidget* control = Find(name);
        if (auto* group = qobject_cast<RadioGroup*>(control)) {
            group->SetItemIndex(index);
        } else if (auto* list = qobject_cast<TextComboBox*>(control)) {
            list->SetItemIndex(index);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
            slider->setValue(index);
        } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
            const QList<QRadioButton*> buttons = box->findChildren<QRadioButton*>();
            if (index >= 0 && index < buttons.size())
                buttons[index]->setChecked(true);
        }
    }

private:
    QWidget* Find(const char* name) const
    {
        return window_ ? window_->findChild<QWidget*>(QLatin1String(name)) : nullptr;
    }

    const QWidget* window_;
};

} // namespace

ExperimentSettings TForm1::CurrentSettings() const
{
    ExperimentSettings s;
    const int server = ComboBox2->ItemIndex();
    s.OpcServer = server >= 0 ? ComboBox2->itemText(server) : QString();
    for (const int row : StoredTagRows) {
        s.Tags[row] = OPCTabela->Cell(0, row);
        s.Descriptions[row] = OPCTabela->Cell(1, row);
    }
    s.RAMode1 = RadioGroup4->ItemIndex();
    s.ManualValue1 = ComboBox3->ItemIndex();
    s.RAMode2 = RadioGroup5->ItemIndex();
    s.ManualValue2 = ComboBox4->ItemIndex();

    s.SamplingPeriod = CasVzorcenjaEdit->text();
    s.KeepInitialInput = OhraniZacetniVhod->isChecked();
    s.InitialInput = ZacetniVhodEdit->text();
    s.WaitTime = CasCakanjaEdit->text();
    s.StepSize = VelikostStopniceEdit->text();
    s.StepDuration = CasStopniceEdit->text();
    s.NumberOfSteps = SteviloStopnicEdit->text();
    s.BothDirections = CheckBox_ObeSmeri->isChecked();
    s.ClosedLoopDuring = CheckBox_Zaprtozancni->isChecked();
    s.NoOPCWrite = CheckBox_NePisi->isChecked();
    s.ManualTrial = RadioRocno->isChecked();
    s.MVMax = Edit_MVMax->text();
    s.MVMin = Edit_MVMin->text();
    s.MVStep = Edit_MVStep->text();

    const NamedControls automatic(Form_SamodNastav);
    s.AutoFilter = automatic.Text("Edit_Sam_Filt", s.AutoFilter);
    s.AutoActuatorMax = automatic.Text("Edit_Sam_Max", s.AutoActuatorMax);
    s.AutoActuatorMin = automatic.Text("Edit_Sam_Min", s.AutoActuatorMin);
    s.AutoActuatorVelocity = automatic.Text("Edit_Sam_Velocity", s.AutoActuatorVelocity);
    s.AutoTuningMethod = automatic.Index("ComboBox_Sam_IzbMetode", s.AutoTuningMethod);
    s.AutoSamplingTime = automatic.Text("Edit_Sam_Ts", s.AutoSamplingTime);
    s.AutoRobust = automatic.Index("ScrollBar_Sam_Robust", s.AutoRobust);
    s.AutoCascade = automatic.Checked("CheckBox_Sam_Cascade", s.AutoCascade);
    s.AutoLoadParameters = automatic.Checked("CheckBox_Sam_Nalozi", s.AutoLoadParameters);
    s.AutoResponse = automatic.Index("RadioGroup_Sam_Prikaz", s.AutoResponse);
    s.AutoControllerForm = automatic.Index("ComboBox_Sam_TipReg", s.AutoControllerForm);
    s.AutoScaleP = automatic.Text("Edit_Sam_SkalP", s.AutoScaleP);
    s.AutoScaleI = automatic.Text("Edit_Sam_SkalI", s.AutoScaleI);
    s.AutoScaleD = automatic.Text("Edit_Sam_SkalD", s.AutoScaleD);
    s.AutoControllerType = automatic.Index("RadioGroup_Sam_PID", s.AutoControllerType);
    s.ReportProcessing = automatic.Checked("CheckBox_Sam_PorocObd", s.ReportProcessing);
    s.ReportModel = automatic.Checked("CheckBox_Sam_PorocMod", s.ReportModel);
    s.ReportController = automatic.Checked("CheckBox_Sam_PorocReg", s.ReportController);
    s.ReportTemplate = automatic.Text("Label13", s.ReportTemplate);

    s.StartTime = CajtZacetka->text();
    s.ClosedLoopAfter = CheckBox_ZZPoPoizkusu->isChecked();
    s.SequencerPresent = CheckBox_Sekvencer->isChecked();
    for (int row = 0; row < ExperimentSettings::SequencerRows; ++row) {
        s.SequencerInput[row] = StringGrid_Sekvencer->Cell(0, row);
        s.SequencerOutput[row] = StringGrid_Sekvencer->Cell(1, row);
    }
    return s;
}

void TForm1::ApplySettings(const ExperimentSettings& s)
{
    // A drop-down list: a server that is not listed leaves none selected.
    ComboBox2->SetText(s.OpcServer);
    for (const int row : StoredTagRows) {
        OPCTabela->SetCell(0, row, s.Tags[row]);
        OPCTabela->SetCell(1, row, s.Descriptions[row]);
    }
    RadioGroup4->SetItemIndex(s.RAMode1);
    ComboBox3->SetItemIndex(s.ManualValue1);
    RadioGroup5->SetItemIndex(s.RAMode2);
    ComboBox4->SetItemIndex(s.ManualValue2);

    CasVzorcenjaEdit->setText(s.SamplingPeriod);
    OhraniZacetniVhod->setChecked(s.KeepInitialInput);
    ZacetniVhodEdit->setText(s.InitialInput);
    CasCakanjaEdit->setText(s.WaitTime);
    VelikostStopniceEdit->setText(s.StepSize);
    CasStopniceEdit->setText(s.StepDuration);
    SteviloStopnicEdit->setText(s.NumberOfSteps);
    CheckBox_ObeSmeri->setChecked(s.BothDirections);
    CheckBox_Zaprtozancni->setChecked(s.ClosedLoopDuring);
    CheckBox_NePisi->setChecked(s.NoOPCWrite);
    (s.ManualTrial ? RadioRocno : RadioAvtomatsko)->setChecked(true);
    Edit_MVMax->setText(s.MVMax);
    Edit_MVMin->setText(s.MVMin);
    Edit_MVStep->setText(s.MVStep);

    const NamedControls automatic(Form_SamodNastav);
    automatic.SetText("Edit_Sam_Filt", s.AutoFilter);
    automatic.SetText("Edit_Sam_Max", s.AutoActuatorMax);
    automatic.SetText("Edit_Sam_Min", s.AutoActuatorMin);
    automatic.SetText("Edit_Sam_Velocity", s.AutoActuatorVelocity);
    automatic.SetIndex("ComboBox_Sam_IzbMetode", s.AutoTuningMethod);
    automatic.SetText("Edit_Sam_Ts", s.AutoSamplingTime);
    automatic.SetIndex("ScrollBar_Sam_Robust", s.AutoRobust);
    automatic.SetChecked("CheckBox_Sam_Cascade", s.AutoCascade);
    automatic.SetChecked("CheckBox_Sam_Nalozi", s.AutoLoadParameters);
    automatic.SetIndex("RadioGroup_Sam_Prikaz", s.AutoResponse);
    automatic.SetIndex("ComboBox_Sam_TipReg", s.AutoControllerForm);
    automatic.SetText("Edit_Sam_SkalP", s.AutoScaleP);
    automatic.SetText("Edit_Sam_SkalI", s.AutoScaleI);
    automatic.SetText("Edit_Sam_SkalD", s.AutoScaleD);
    automatic.SetIndex("RadioGroup_Sam_PID", s.AutoControllerType);
    automatic.SetChecked("CheckBox_Sam_PorocObd", s.ReportProcessing);
    automatic.SetChecked("CheckBox_Sam_PorocMod", s.ReportModel);
    automatic.SetChecked("CheckBox_Sam_PorocReg", s.ReportController);
    automatic.SetText("Label13", s.ReportTemplate);

    CajtZacetka->setText(s.StartTime);
    CheckBox_ZZPoPoizkusu->setChecked(s.ClosedLoopAfter);
    CheckBox_Sekvencer->setChecked(s.SequencerPresent);
    for (int row = 0; row < ExperimentSettings::SequencerRows; ++row) {
        StringGrid_Sekvencer->SetCell(0, row, s.SequencerInput[row]);
        StringGrid_Sekvencer->SetCell(1, row, s.SequencerOutput[row]);
    }

    // The switching modes decide which role rows are enabled, whether or not
    // their index changed.
    RadioGroup4Click();
    RadioGroup5Click();
}

QString TForm1::SaveSettingsWithDialog()
{
    const ExperimentSettings settings = CurrentSettings();
    FileDialogRequest request;
    request.Caption = QStringLiteral("Shrani nastavitve");
    request.Directory = WorkDir;
    request.Filter = SaveFilter;
    request.DefaultExtension = SettingsExtension;
    request.FileName = ProposedSettingsFileName(CajtZacetka->text(), DateTimePicker1->date());
    const QString fileName = Dialogs().SaveFileName(this, request);
    if (!fileName.isEmpty()) {
        WriteExperimentSettings(fileName, settings);
        WorkDir = QDir::toNativeSeparators(QFileInfo(fileName).absolutePath());
    }
    // The data, model and controller file dialogs open in WorkDir, so they
    // follow it from here on.
    return fileName;
}

void TForm1::ShraniNastavitveClick()
{
    SaveSettingsWithDialog();
}

void TForm1::NaloziNastavitveClick()
{
    FileDialogRequest request;
    request.Caption = QStringLiteral("Naloži nastavitve");
    request.Directory = WorkDir;
    request.Filter = OpenFilter;
    request.DefaultExtension = SettingsExtension;
    const QString fileName = Dialogs().OpenFileName(this, request);
    if (fileName.isEmpty())
        return;
    // The whole file is read before any control changes.
    ApplySettings(ReadExperimentSettings(fileName));
}
