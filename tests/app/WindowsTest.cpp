#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(ProgramWindows, FiveWindowsCreatedHiddenAndAttached)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);

    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Varkol"));
    EXPECT_EQ(windows.Form1->windowTitle(), QStringLiteral(" Varkol 1.0.7"));
    EXPECT_EQ(windows.Eksperiment->windowTitle(), QStringLiteral("Eksperiment"));
    EXPECT_EQ(windows.Form_SamodNastav->windowTitle(),
              QStringLiteral("Dodatne nastavitve samodejnega poizkusa"));
    EXPECT_EQ(windows.Form_Histogram->windowTitle(), QStringLiteral("Histogram"));
    EXPECT_EQ(windows.Form_Obdelava_Large->windowTitle(), QStringLiteral("Prikaz signala"));

    EXPECT_EQ(windows.Form1->Eksperiment, windows.Eksperiment.get());
    EXPECT_EQ(windows.Form1->Form_SamodNastav, windows.Form_SamodNastav.get());
    EXPECT_EQ(windows.Form1->Form_Histogram, windows.Form_Histogram.get());
    EXPECT_EQ(windows.Form1->Form_Obdelava_Large, windows.Form_Obdelava_Large.get());
    // Each window is a window of its own, so names are looked up per window.
    EXPECT_TRUE(windows.Eksperiment->isWindow());
    EXPECT_FALSE(windows.Form1->isAncestorOf(windows.Eksperiment.get()));

    for (QWidget* window : {static_cast<QWidget*>(windows.Form1.get()),
                            static_cast<QWidget*>(windows.Eksperiment.get()),
                            static_cast<QWidget*>(windows.Form_SamodNastav.get()),
                            static_cast<QWidget*>(windows.Form_Histogram.get()),
                            static_cast<QWidget*>(windows.Form_Obdelava_Large.get())})
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST(ProgramWindows, OtherAutomaticSettingsOpenWithoutBlocking)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    windows.Form1->show();

    windows.Form1->findChild<QPushButton*>(QStringLiteral("Button10"))->click();
    EXPECT_TRUE(windows.Form_SamodNastav->isVisible());
    EXPECT_FALSE(windows.Form_SamodNastav->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(windows.Form1->isEnabled());
}

TEST(ProgramWindows, TheDefaultClientOffersTheDemoServer)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    opc.Server->ConnectDelay = 0;
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);

    auto* servers = windows.Form1->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    ASSERT_GE(servers->count(), 1);
    EXPECT_EQ(servers->currentText(), QStringLiteral("Varkol.DemoServer.1"));
    windows.Form1->findChild<QPushButton*>(QStringLiteral("PoveziOPCStreznik"))->click();
    EXPECT_TRUE(opc.Server->Active());
    EXPECT_EQ(windows.Form1->findChild<QLabel*>(QStringLiteral("Label54"))->text(),
              QStringLiteral("running"));
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}
