#include "app/MainWindowPlace.h"
#include "app/ProgramArguments.h"
#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerOnTerminal(argc, argv))
        return *status;
    QApplication app(argc, argv);
    const FileArguments files = FileArgumentsOf(QApplication::arguments());
    if (!files.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(files.Error));
        return 1;
    }
    InstallSlovenianTranslations(app);
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    // The main window first; the four auxiliary windows (the run window, the
    // automatic-experiment settings, the histogram and the large signal
    // view) are made once it has been drawn, and then the files named open.
    VarkolWindows windows = CreateMainWindow(store, *opc.Server, *opc.Browser);
    QSettings place{QString::fromLatin1(PlaceSettingsOrganization),
                    QString::fromLatin1(PlaceSettingsApplication)};
    RestoreWindowPlace(*windows.Form1, place);
    windows.Form1->show();
    QObject::connect(&app, &QApplication::aboutToQuit, windows.Form1.get(),
                     [&] { SaveWindowPlace(*windows.Form1, place); });
    AfterFirstPaint(*windows.Form1, [&] {
        CreateAuxiliaryWindows(windows, store, *opc.Server);
        // A record that a crash or a power cut left unsaved is offered
        // first, before anything else can take the store.
        windows.Form1->OfferRecordRecovery();
        if (!files.Files.isEmpty())
            windows.Form1->OpenFiles(files.Files);
        // A night's queue survives a restart; entries already due run now,
        // with the run window there to run them.
        windows.Form1->RestoreQueue();
    });
    return QApplication::exec();
}
