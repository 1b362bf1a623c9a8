// The item browse dialog, driven as a user would, over the demo server.

#include "opc/OpcBrowseDialog.h"
#include "opc/DemoServer.h"
#include "opc/OpcTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class OpcBrowseDialogTest : public testing::Test {
protected:
    OpcBrowseDialogTest()
    {
        registry->Register(server);
        connection.ConnectDelay = 0;
        connection.ConnectServer(DemoServerProgID, QString());
    }

    static QStringList Names(const OpcBrowseDialog& dialog)
    {
        QStringList names;
        for (int row = 0; row < dialog.lbItems->count(); ++row)
            names << dialog.lbItems->item(row)->text();
        return names;
    }
    static QListWidgetItem* Entry(const OpcBrowseDialog& dialog, const QString& name)
    {
        const auto found = dialog.lbItems->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    static void DoubleClick(OpcBrowseDialog& dialog, const QString& name)
    {
        QListWidgetItem* item = Entry(dialog, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        const QPoint at = dialog.lbItems->visualItemRect(item).center();
        QTest::mouseClick(dialog.lbItems->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(dialog.lbItems->viewport(), Qt::LeftButton, {}, at);
    }
    static void Click(OpcBrowseDialog& dialog, const QString& name, Qt::KeyboardModifiers keys = {})
    {
        QListWidgetItem* item = Entry(dialog, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        const QPoint at = dialog.lbItems->visualItemRect(item).center();
        QTest::mouseClick(dialog.lbItems->viewport(), Qt::LeftButton, keys, at);
    }
    static void Show(OpcBrowseDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    std::shared_ptr<InProcessRegistry> registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> server = CreateDemoServer();
    InProcessConnection connection{registry};
};

} // namespace

TEST_F(OpcBrowseDialogTest, OpensAtTheRootWithAllFiltersOff)
{
    OpcBrowseDialog dialog(connection);
    EXPECT_EQ(dialog.windowTitle(), "Select OPC Item");
    EXPECT_EQ(dialog.lPath->text(), "root");
    EXPECT_FALSE(dialog.bBack->isEnabled());
    ASSERT_EQ(dialog.cDataType->count(), 32);
    EXPECT_EQ(dialog.cDataType->currentIndex(), 0);
    EXPECT_EQ(dialog.cDataType->currentText(), "EMPTY");
    EXPECT_EQ(dialog.cDataType->itemText(31), "LPWSTR");
    EXPECT_EQ(dialog.lbItems->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Names(dialog), (QStringList{"Loop1", "Boiler", "Pump1", "Server", "Spare"}));
}

TEST_F(OpcBrowseDialogTest, EntersBranchesAndGoesBackUp)
{
    OpcBrowseDialog dialog(connection);
    Show(dialog);
    DoubleClick(dialog, "Loop1");
    EXPECT_EQ(dialog.lPath->text(), "Loop1");
    EXPECT_EQ(Names(dialog), (QStringList{"MV", "U", "Y1", "Y2", "Controller1", "Controller2"}));
    // Branches and leaves look different.
    EXPECT_NE(Entry(dialog, "MV")->icon().cacheKey(),
              Entry(dialog, "Controller1")->icon().cacheKey());
    EXPECT_EQ(Entry(dialog, "MV")->icon().cacheKey(), Entry(dialog, "U")->icon().cacheKey());

    dialog.lbItems->setCurrentItem(Entry(dialog, "Controller2"));
    QTest::keyClick(dialog.lbItems, Qt::Key_Space);
    EXPECT_EQ(dialog.CurrentPath(), (QStringList{"Loop1", "Controller2"}));
    EXPECT_EQ(dialog.lPath->text(), "Loop1.Controller2");
    EXPECT_EQ(Names(dialog), (QStringList{"P", "I", "D", "RA", "Manual", "Auto"}));

    QTest::keyClick(dialog.lbItems, Qt::Key_Backspace);
    EXPECT_EQ(dialog.lPath->text(), "Loop1");
    EXPECT_EQ(dialog.lbItems->currentItem()->text(), "Controller2");

    Click(dialog, "Controller1");
    dialog.bOpen->click(); // "&Open" on a branch enters it
    EXPECT_EQ(dialog.lPath->text(), "Loop1.Controller1");
    EXPECT_FALSE(dialog.isHidden());

    dialog.bBack->click();
    dialog.bBack->click();
    EXPECT_EQ(dialog.lPath->text(), "root");
    EXPECT_FALSE(dialog.bBack->isEnabled());
    QTest::keyClick(dialog.lbItems, Qt::Key_Backspace); // nothing above the root
    EXPECT_EQ(Names(dialog).size(), 5);
}

TEST_F(OpcBrowseDialogTest, FiltersReReadTheBranch)
{
    OpcBrowseDialog dialog(connection);
    Show(dialog);
    DoubleClick(dialog, "Loop1");

    dialog.eFilter->setFocus();
    QTest::keyClicks(dialog.eFilter, "y*");
    EXPECT_EQ(Names(dialog).size(), 6); // not before it is confirmed
    dialog.bOpen->click();              // "&Open" while the filter has the focus
    EXPECT_EQ(Names(dialog), (QStringList{"Y1", "Y2"}));
    EXPECT_FALSE(dialog.isHidden());

    dialog.eFilter->clear();
    QTest::keyClick(dialog.eFilter, Qt::Key_Return);
    EXPECT_EQ(Names(dialog).size(), 6);
    EXPECT_FALSE(dialog.isHidden());

    dialog.cbWritable->click();
    EXPECT_EQ(Names(dialog), (QStringList{"MV", "Controller1", "Controller2"}));
    dialog.cbWritable->click();

    dialog.lbItems->setFocus();
    dialog.bBack->click();
    DoubleClick(dialog, "Boiler");
    dialog.cDataType->setCurrentIndex(OpcType::R4);
    EXPECT_EQ(Names(dialog), (QStringList{"Pressure", "Burner"}));
    dialog.cDataType->setCurrentIndex(OpcType::Empty);
    EXPECT_EQ(Names(dialog), (QStringList{"Temperature", "Pressure", "Level", "Burner"}));
}

TEST_F(OpcBrowseDialogTest, OpenReturnsTheSelectedLeavesInListOrder)
{
    OpcBrowseDialog dialog(connection);
    Show(dialog);
    DoubleClick(dialog, "Loop1");
    Click(dialog, "Y2");
    Click(dialog, "Controller1", Qt::ControlModifier);
    Click(dialog, "MV", Qt::ControlModifier);
    dialog.lbItems->setFocus();
    dialog.bOpen->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedItemIDs(), (QStringList{"Loop1.MV", "Loop1.Y2"}));

    OpcBrowseDialog again(connection);
    Show(again);
    DoubleClick(again, "Pump1");
    DoubleClick(again, "Speed"); // a double-click on a leaf chooses it
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(again.SelectedItemIDs(), QStringList{"Pump1.Speed"});
}

TEST_F(OpcBrowseDialogTest, BrowseItemsReturnsTheChoiceOrNothing)
{
    QStringList items = {"kept"};
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<OpcBrowseDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->bCancel->click();
    });
    EXPECT_FALSE(BrowseItems(connection, items));
    EXPECT_EQ(items, QStringList{"kept"});

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<OpcBrowseDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->lbItems->setCurrentRow(0); // Loop1
        QTest::keyClick(dialog->lbItems, Qt::Key_Space);
        dialog->lbItems->setCurrentRow(1); // U
        dialog->lbItems->item(0)->setSelected(true);
        dialog->lbItems->setFocus();
        dialog->bOpen->click();
    });
    EXPECT_TRUE(BrowseItems(connection, items));
    EXPECT_EQ(items, (QStringList{"Loop1.MV", "Loop1.U"}));
}

TEST_F(OpcBrowseDialogTest, BrowseItemsWhileNotConnectedShowsNothing)
{
    connection.DisconnectServer();
    QStringList items;
    bool dialogShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = QApplication::activeModalWidget()) {
            dialogShown = true;
            dialog->close();
        }
    });
    EXPECT_FALSE(BrowseItems(connection, items));
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(items.isEmpty());
}
