// "Naloži v regulator" and "Povrni prejšnje": the controller page's P, I and
// D fields written to controller 1, and the values it held before written
// back. The rules live in ControllerWriteBack; here the page is read, the
// user asked, and the result shown.

#include "app/Glavna.h"

#include "base/Errors.h"
#include "base/UserDialogs.h"
#include "opc/ControllerWriteBack.h"
#include "opc/OpcClient.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>

void TForm1::Button16Click()
{
    // A message of an earlier write-back must not stand for this one.
    StatusBar1->clearMessage();
    const std::array<WriteBackField, 3> fields = {
        WriteBackField{Edit_Reg_Kp->text(), Edit_Reg_Kp->isVisibleTo(GroupBox_Scaled)},
        WriteBackField{Edit_Reg_Ki->text(), Edit_Reg_Ki->isVisibleTo(GroupBox_Scaled)},
        WriteBackField{Edit_Reg_Kd->text(), Edit_Reg_Kd->isVisibleTo(GroupBox_Scaled)}};
    WriteToController(PlanWriteBack(CurrentLoopTags(), fields, TuningCurrent));
}

void TForm1::Button_PovrniPrejsnjeClick()
{
    StatusBar1->clearMessage();
    const std::optional<WriteBackPlan> previous =
        WriteBack ? WriteBack->PreviousValues() : std::nullopt;
    if (!previous)
        throw OpcError("V regulator še ni bil zapisan noben parameter, ki bi ga lahko povrnil.");
    WriteToController(*previous);
}

void TForm1::WriteToController(const WriteBackPlan& plan)
{
    if (!WriteBack)
        throw OpcError("Parametri niso bili naloženi v regulator: skupina \"SkupReg\" ne obstaja.");
    if (!dOPCServer1.Active())
        throw OpcError("Parametri niso bili naloženi v regulator: povezava z OPC strežnikom ni "
                       "vzpostavljena.");
    if (!Dialogs().Ask(this, plan.Question())) {
        StatusBar1->showMessage(QStringLiteral("Parametri niso bili naloženi v regulator."));
        return;
    }
    // The waits keep the window alive; neither button may start a second
    // write-back meanwhile.
    Button16->setEnabled(false);
    Button_PovrniPrejsnje->setEnabled(false);
    const auto restore = qScopeGuard([this] {
        Button16->setEnabled(true);
        Button_PovrniPrejsnje->setEnabled(WriteBack->PreviousValues().has_value());
    });
    WriteBack->WaitMs = WriteBackQualityWaitMs;
    StatusBar1->showMessage(WriteBack->Write(plan));
}
