#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallSlovenianTranslations(app);
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    windows.Form1->show();
    // A night's queue survives a restart; entries already due run now.
    windows.Form1->RestoreQueue();
    return QApplication::exec();
}
