// The workstation as it records: its windows, and a manual trial on the
// process simulation sampled every 50 ms that goes on until the program is
// killed. The crash drill of the recovery tests kills it mid-run and
// recovers its record from the journal in the user's data folder.

#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "experiment/RunPlan.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ScriptedDialogs dialogs; // no message box may wait for a user
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    windows.Form1->show();
    windows.Eksperiment->QualityWaitLimitMs = 0;

    RunPlan plan;
    plan.Label = QStringLiteral("vaja");
    plan.SamplingMs = 50;
    plan.InitialInput = 20;
    QTimer::singleShot(0, windows.Form1.get(), [&] { windows.Form1->RunExperiment(plan); });
    return QApplication::exec();
}
