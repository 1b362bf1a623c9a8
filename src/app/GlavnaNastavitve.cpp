// The experiment settings file on the experiment page: "Shrani nastavitve"
// writes what the main window and the automatic-experiment settings window
// show, "Naloži nastavitve" sets them again from a file.

#include "app/Glavna.h"

#include "base/MaskedTimeEdit.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "experiment/SettingsFile.h"
#include "opc/UaClient.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

namespace {

const QString SaveFilter = QStringLiteral("Varkol Experiment (*.vkx)|*.vkx|All files|*.*");
const QString OpenFilter = QStringLiteral("Experiment (*.vkx)|*.vkx|All files|*.*");
const QString SettingsExtension = QStringLiteral("vkx");

} // namespace

ExperimentSettings TForm1::CurrentSettings() const
{
    ExperimentSettings s;
    const int server = ComboBox2->ItemIndex();
    const QString typed = ComboBox2->Text().trimmed();
    s.OpcServer = server >= 0              ? ComboBox2->itemText(server)
                  : IsUaEndpointUrl(typed) ? typed
                                           : QString();
    s.Loop = CurrentLoopTags();

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

    // Without the automatic-experiment settings window (tests of this
    // window alone) its lines keep their initial values.
    if (const TForm_SamodNastav* a = Form_SamodNastav) {
        s.AutoFilter = a->Edit_Sam_Filt->text();
        s.AutoActuatorMax = a->Edit_Sam_Max->text();
        s.AutoActuatorMin = a->Edit_Sam_Min->text();
        s.AutoActuatorVelocity = a->Edit_Sam_Velocity->text();
        s.AutoTuningMethod = a->ComboBox_Sam_IzbMetode->ItemIndex();
        s.AutoSamplingTime = a->Edit_Sam_Ts->text();
        s.AutoRobust = a->ScrollBar_Sam_Robust->value();
        s.AutoCascade = a->CheckBox_Sam_Cascade->isChecked();
        s.AutoLoadParameters = a->CheckBox_Sam_Nalozi->isChecked();
        s.AutoResponse = a->RadioGroup_Sam_Prikaz->ItemIndex();
        s.AutoControllerForm = a->ComboBox_Sam_TipReg->ItemIndex();
        s.AutoScaleP = a->Edit_Sam_SkalP->text();
        s.AutoScaleI = a->Edit_Sam_SkalI->text();
        s.AutoScaleD = a->Edit_Sam_SkalD->text();
        s.AutoControllerType = a->RadioGroup_Sam_PID->ItemIndex();
        s.ReportProcessing = a->CheckBox_Sam_PorocObd->isChecked();
        s.ReportModel = a->CheckBox_Sam_PorocMod->isChecked();
        s.ReportController = a->CheckBox_Sam_PorocReg->isChecked();
        s.ReportTemplate = a->Label13->text();
    }

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
    // A server that is not listed leaves none selected; an OPC UA endpoint
    // is shown as typed.
    const int server = ComboBox2->findText(s.OpcServer, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (server >= 0)
        ComboBox2->SetItemIndex(server);
    else if (IsUaEndpointUrl(s.OpcServer))
        ComboBox2->SetText(s.OpcServer.trimmed());
    else
        ComboBox2->SetItemIndex(-1);
    ShowLoopTags(s.Loop);

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

    if (TForm_SamodNastav* a = Form_SamodNastav) {
        a->Edit_Sam_Filt->setText(s.AutoFilter);
        a->Edit_Sam_Max->setText(s.AutoActuatorMax); // lines 56 and 62: the second counts
        a->Edit_Sam_Min->setText(s.AutoActuatorMin);
        a->Edit_Sam_Velocity->setText(s.AutoActuatorVelocity);
        a->ComboBox_Sam_IzbMetode->SetItemIndex(s.AutoTuningMethod);
        a->Edit_Sam_Ts->setText(s.AutoSamplingTime);
        a->ScrollBar_Sam_Robust->setValue(s.AutoRobust);
        a->CheckBox_Sam_Cascade->setChecked(s.AutoCascade);
        a->CheckBox_Sam_Nalozi->setChecked(s.AutoLoadParameters);
        a->RadioGroup_Sam_Prikaz->SetItemIndex(s.AutoResponse);
        a->ComboBox_Sam_TipReg->SetItemIndex(s.AutoControllerForm);
        a->Edit_Sam_SkalP->setText(s.AutoScaleP);
        a->Edit_Sam_SkalI->setText(s.AutoScaleI);
        a->Edit_Sam_SkalD->setText(s.AutoScaleD);
        a->RadioGroup_Sam_PID->SetItemIndex(s.AutoControllerType);
        a->CheckBox_Sam_PorocObd->setChecked(s.ReportProcessing);
        a->CheckBox_Sam_PorocMod->setChecked(s.ReportModel);
        a->CheckBox_Sam_PorocReg->setChecked(s.ReportController);
        a->Label13->setText(s.ReportTemplate);
    }

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
    const QString fileName = Dialogs().SaveFileName(
        this, {.Caption = QStringLiteral("Shrani nastavitve"),
               .Directory = WorkDir,
               .Filter = SaveFilter,
               .DefaultExtension = SettingsExtension,
               .FileName = ProposedSettingsFileName(CajtZacetka->text(), DateTimePicker1->date())});
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
    const QString fileName =
        Dialogs().OpenFileName(this, {.Caption = QStringLiteral("Naloži nastavitve"),
                                      .Directory = WorkDir,
                                      .Filter = OpenFilter,
                                      .DefaultExtension = SettingsExtension});
    if (!fileName.isEmpty())
        LoadSettingsFile(fileName);
}

void TForm1::LoadSettingsFile(const QString& fileName)
{
    // The whole file is read before any control changes.
    ApplySettings(ReadExperimentSettings(fileName));
}
