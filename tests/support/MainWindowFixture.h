#pragma once

// A main window on a fake OPC server, for the GUI tests of its pages. The
// server list offers two servers; the first one connects.

#include "app/Glavna.h"
#include "data/Podatki.h"
#include "support/FakeOpc.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>

#include <memory>

#include <gtest/gtest.h>

class MainWindowFixture : public testing::Test {
protected:
    MainWindowFixture()
    {
        browser.ProgIDs = {QStringLiteral("Varkol.Demo.1"),
                           QStringLiteral("Unregistered.Server.1")};
        server.KnownProgIDs = {QStringLiteral("Varkol.Demo.1")};
        form = std::make_unique<TForm1>(store, server, browser);
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
    FakeOpcServer server;
    FakeOpcServerBrowser browser;
    std::unique_ptr<TForm1> form;
};
