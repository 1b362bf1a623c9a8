#pragma once

// A main window on in-process OPC servers, for the GUI tests of its pages.
// The server list offers, in this order: "Varkol.Test.1" (connects; one
// writable tag "Loop.MV"), "Varkol.Broken.1" (refuses connections) and
// "Varkol.Events.1" (alarms and events only). "Varkol.Historian.1" is
// registered too, but is of a kind the window does not ask for.

#include "app/Glavna.h"
#include "data/Podatki.h"
#include "opc/InProcessConnection.h"
#include "opc/InProcessServer.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>

#include <memory>

#include <gtest/gtest.h>

class MainWindowFixture : public testing::Test {
protected:
    MainWindowFixture()
    {
        plant->AddTag(QStringLiteral("Loop.MV"), OpcType::R8, 0.0, true);
        broken->RefuseConnections = true;
        registry->Register(plant);
        registry->Register(broken);
        registry->Register(std::make_shared<InProcessServer>(QStringLiteral("Varkol.Historian.1"),
                                                             QStringLiteral("History"),
                                                             KindBit(OpcServerKind::HDA10)));
        registry->Register(std::make_shared<InProcessServer>(QStringLiteral("Varkol.Events.1"),
                                                             QStringLiteral("Events"),
                                                             KindBit(OpcServerKind::AE10)));
        connection.ConnectDelay = 0;
        form = std::make_unique<TForm1>(store, connection, browser);
    }

    // The control `name` of the main window; fails the test when absent.
    template <typename W> W* Find(const char* name)
    {
        W* widget = form->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << "no control " << name;
        return widget;
    }

    // Shows the window and lets it lay out, for tests that click at places.
    void ShowForm()
    {
        form->show();
        QApplication::processEvents();
    }

    ScriptedDialogs dialogs;
    Podatki store;
    std::shared_ptr<InProcessRegistry> registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> plant = std::make_shared<InProcessServer>(
        QStringLiteral("Varkol.Test.1"), QStringLiteral("Test plant"));
    std::shared_ptr<InProcessServer> broken = std::make_shared<InProcessServer>(
        QStringLiteral("Varkol.Broken.1"), QStringLiteral("Unreachable"));
    InProcessConnection connection{registry};
    InProcessServerBrowser browser{registry};
    std::unique_ptr<TForm1> form;
};
