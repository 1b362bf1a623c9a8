// The program's start: the main window alone first, the other four windows
// once it has been drawn.

#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

TEST(Startup, TheAuxiliaryWindowsComeAfterTheMainWindowIsDrawn)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateMainWindow(store, *opc.Server, *opc.Browser);
    EXPECT_EQ(windows.Eksperiment, nullptr);
    EXPECT_EQ(windows.Form1->Eksperiment, nullptr);

    int runs = 0;
    AfterFirstPaint(*windows.Form1, [&] {
        ++runs;
        CreateAuxiliaryWindows(windows, store, *opc.Server);
    });
    QApplication::processEvents();
    EXPECT_EQ(runs, 0); // not drawn yet
    windows.Form1->show();
    QElapsedTimer waited;
    waited.start();
    while (runs == 0 && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(windows.Form1->Eksperiment, windows.Eksperiment.get());
    EXPECT_EQ(windows.Form1->Form_SamodNastav, windows.Form_SamodNastav.get());
    EXPECT_EQ(windows.Form1->Form_Histogram, windows.Form_Histogram.get());
    EXPECT_EQ(windows.Form1->Form_Obdelava_Large, windows.Form_Obdelava_Large.get());

    windows.Form1->repaint(); // later drawing runs nothing again
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
}
