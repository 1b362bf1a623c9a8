#pragma once

// The program's five windows on an in-process registry holding the demo
// server (registered, not connected; its plant without noise), for the GUI
// tests that need the run window or the automatic-experiment settings
// window beside the main window. Dialogs are scripted; files go to a
// temporary directory.

#include "app/Glavna.h"
#include "app/VarkolWindows.h"
#include "base/StringGrid.h"
#include "data/Podatki.h"
#include "opc/DemoServer.h"
#include "opc/InProcessConnection.h"
#include "opc/OpcBrowseDialog.h"
#include "opc/OpcTestSupport.h"
#include "opc/UaConnection.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

class ProgramFixture : public testing::Test {
protected:
    ProgramFixture()
    {
        registry->Register(demo);
        DemoPlantOf(*demo)->SetNoise(false);
        connection.ConnectDelay = 0;
        windows = CreateVarkolWindows(store, connection, browser);
        form = windows.Form1.get();
        run = windows.Eksperiment.get();
    }

    // The control `name` of the main window; fails the test when absent.
    template <typename W> W* Find(const char* name)
    {
        W* widget = form->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << "no control " << name;
        return widget;
    }

    void Connect() { connection.ConnectServer(DemoServerProgID, QString()); }
    StringGrid& Tags() { return *Find<StringGrid>("OPCTabela"); }
    QString File(const QString& name) const { return dir.filePath(name); }

    // Once the run window is up as the modal window of an activation:
    // `drive` runs with the window's own timer stopped (it takes samples by
    // calling the tick handler), then "Konec eksperimenta" ends the run.
    void EndRunWhenShown(std::function<void()> drive)
    {
        auto* poll = new QTimer(form);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, drive] {
            if (QApplication::activeModalWidget() != run)
                return;
            poll->stop();
            poll->deleteLater();
            run->Timer1->stop();
            drive();
            run->findChild<QPushButton*>(QStringLiteral("KonecEksperimenta"))->click();
        });
        poll->start(5);
    }

    // A click on a cell of the tag table (the window must be shown).
    void ClickCell(int column, int row)
    {
        StringGrid& grid = Tags();
        const QRect cell = grid.visualRect(grid.model()->index(row, column));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }

    // Runs `act` on the browse dialog once it is the modal window (the
    // dialog may read the server's address space before it shows); fails
    // the test when no dialog comes within 10 s.
    static void WhenBrowseDialogShown(std::function<void(OpcBrowseDialog*)> act)
    {
        auto* poll = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, act] {
            auto* dialog = qobject_cast<OpcBrowseDialog*>(QApplication::activeModalWidget());
            if (!dialog && ++*tries < 2000)
                return;
            poll->stop();
            poll->deleteLater();
            ASSERT_NE(dialog, nullptr) << "no browse dialog";
            act(dialog);
        });
        poll->start(5);
    }

    // Answers the next browse dialog as a user would: enters the branches of
    // `path` and opens with `leaves` selected; no leaves cancels the dialog.
    static void AnswerBrowse(const QStringList& path, const QStringList& leaves)
    {
        WhenBrowseDialogShown([path, leaves](OpcBrowseDialog* dialog) {
            if (leaves.isEmpty()) {
                dialog->bCancel->click();
                return;
            }
            QListWidget* list = dialog->lbItems;
            for (const QString& branch : path) {
                list->setCurrentItem(list->findItems(branch, Qt::MatchExactly).value(0));
                QTest::keyClick(list, Qt::Key_Space);
            }
            list->clearSelection();
            for (const QString& leaf : leaves)
                list->findItems(leaf, Qt::MatchExactly).value(0)->setSelected(true);
            list->setFocus();
            dialog->bOpen->click();
        });
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    Podatki store;
    std::shared_ptr<InProcessRegistry> registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> demo = CreateDemoServer();
    // The program's own connection: OPC UA endpoints by URL, the registry's servers by name.
    UaConnection connection{registry};
    InProcessServerBrowser browser{registry};
    VarkolWindows windows;
    TForm1* form = nullptr;
    TEksperiment* run = nullptr;
};
