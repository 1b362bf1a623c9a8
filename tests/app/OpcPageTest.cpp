#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "support/MainWindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class OpcPage : public MainWindowFixture {
protected:
    QString Status() { return Find<QLabel>("Label54")->text(); }
    QPushButton* Connect() { return Find<QPushButton>("PoveziOPCStreznik"); }
    QPushButton* Disconnect() { return Find<QPushButton>("PrekiniOPCStreznik"); }

    void ChooseServer(int index)
    {
        auto* servers = Find<TextComboBox>("ComboBox2");
        servers->setCurrentIndex(index);
        emit servers->activated(index);
    }

    // Clicks a cell of the tag table as the user does.
    void ClickCell(int column, int row)
    {
        auto* grid = Find<StringGrid>("OPCTabela");
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    QString CheckedRole()
    {
        for (int i = 1; i <= 18; ++i) {
            auto* button = Find<QRadioButton>(qPrintable(QStringLiteral("RadioButton%1").arg(i)));
            if (button->isChecked())
                return button->objectName();
        }
        return {};
    }

    bool Enabled(const char* name) { return Find<QWidget>(name)->isEnabled(); }
};

} // namespace

TEST_F(OpcPage, ConnectAndDisconnect)
{
    Connect()->click();
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(connection.ServerName, QStringLiteral("Varkol.Test.1"));
    EXPECT_TRUE(connection.ComputerName.isEmpty());
    EXPECT_EQ(Status(), QStringLiteral("running"));
    EXPECT_FALSE(Connect()->isEnabled());
    // The write-back group now exists on the server.
    EXPECT_NE(form->WriteBackGroup->ServerHandle, -1);

    Disconnect()->click();
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(Status(), QStringLiteral("stopped"));
    EXPECT_TRUE(Connect()->isEnabled());
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(OpcPage, RefusedConnectKeepsLabelAndButton)
{
    ChooseServer(1); // refuses connections
    Connect()->click();
    EXPECT_EQ(dialogs.Errors,
              QStringList{QStringLiteral("Unable to connect to OPC server Varkol.Broken.1")});
    EXPECT_FALSE(connection.Active());
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(Connect()->isEnabled());

    // After a connection has ended, a refused one leaves its "stopped".
    ChooseServer(0);
    Connect()->click();
    ASSERT_EQ(Status(), QStringLiteral("running"));
    Disconnect()->click();
    ChooseServer(1);
    Connect()->click();
    EXPECT_EQ(dialogs.Errors.size(), 2);
    EXPECT_EQ(Status(), QStringLiteral("stopped"));
    EXPECT_TRUE(Connect()->isEnabled());
}

TEST_F(OpcPage, SuspendedServerLeavesConnectEnabled)
{
    plant->State = 4;
    Connect()->click();
    EXPECT_TRUE(connection.Active());
    EXPECT_EQ(Status(), QStringLiteral("suspended"));
    EXPECT_TRUE(Connect()->isEnabled());

    // A state without a name shows an empty status.
    plant->State = 9;
    Connect()->click();
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(Connect()->isEnabled());
}

TEST_F(OpcPage, DisconnectWhileNotConnectedChangesNoLabel)
{
    QSignalSpy disconnects(&connection, &OpcServer::OnDisconnect);
    Disconnect()->click();
    EXPECT_EQ(disconnects.count(), 0);
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(Connect()->isEnabled());
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(OpcPage, ServerShutdownReadsStopped)
{
    Connect()->click();
    plant->RequestShutdown();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !connection.Active(); }, 2000));
    EXPECT_EQ(Status(), QStringLiteral("stopped"));
}

TEST_F(OpcPage, RefusedItemAddIsShownAndTheWorkGoesOn)
{
    Connect()->click();
    plant->RefuseItem(QStringLiteral("Loop.Unknown"));
    connection.AddItem(*form->WriteBackGroup, QStringLiteral("Loop.Unknown"));
    connection.AddItem(*form->WriteBackGroup, QStringLiteral("Loop.MV"));
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].startsWith(QStringLiteral("OPC Command:\r\nLoop.Unknown - ")));
    EXPECT_EQ(form->WriteBackGroup->OPCItems().size(), 2u);
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(OpcPage, SelectingARowChecksItsRole)
{
    ShowForm();
    EXPECT_TRUE(CheckedRole().isEmpty());
    EXPECT_FALSE(Enabled("RadioButton2"));
    EXPECT_FALSE(Enabled("RadioButton4"));

    ClickCell(0, 4);
    EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton5"));
    ClickCell(1, 19);
    EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton18"));
    ClickCell(0, 8);
    EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton8"));

    // Rows without a role and the unused second signals leave the choice.
    for (int row : {1, 3, 6, 13}) {
        ClickCell(0, row);
        EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton8")) << row;
    }
    EXPECT_EQ(form->CheckedRole(), TagRole::I);

    // A role disabled by the switching mode is still chosen by its row.
    EXPECT_FALSE(Enabled("RadioButton10"));
    ClickCell(0, 10);
    EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton10"));
    EXPECT_EQ(form->CheckedRole(), TagRole::RA);

    // A click on the current cell checks its row again after another role
    // was chosen by its button.
    ClickCell(0, 4);
    Find<QRadioButton>("RadioButton8")->click();
    ClickCell(0, 4);
    EXPECT_EQ(form->CheckedRole(), TagRole::Y1);
}

TEST_F(OpcPage, TabbingIntoTheTableChoosesNoRole)
{
    ShowForm();
    auto* grid = Find<StringGrid>("OPCTabela");
    grid->setCurrentCell(-1, -1);
    Find<QRadioButton>("RadioButton8")->click();
    grid->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(form->CheckedRole(), TagRole::I);
    QTest::keyClick(grid, Qt::Key_Down); // the arrow keys choose
    EXPECT_NE(form->CheckedRole(), TagRole::I);
}

TEST_F(OpcPage, SwitchingModeEnablesTheMatchingRoles)
{
    auto* grid = Find<StringGrid>("OPCTabela");
    grid->SetCell(0, 10, QStringLiteral("Plant.RA"));
    grid->SetCell(0, 11, QStringLiteral("Plant.Manual"));
    grid->SetCell(0, 12, QStringLiteral("Plant.Auto"));

    // Start: separate manual and automatic tags.
    EXPECT_FALSE(Enabled("RadioButton10"));
    EXPECT_FALSE(Enabled("Label14"));
    EXPECT_FALSE(Enabled("ComboBox3"));
    EXPECT_TRUE(Enabled("RadioButton11"));
    EXPECT_TRUE(Enabled("RadioButton12"));

    Find<RadioGroup>("RadioGroup4")->Button(0)->click();
    EXPECT_TRUE(Enabled("RadioButton10"));
    EXPECT_TRUE(Enabled("Label14"));
    EXPECT_TRUE(Enabled("ComboBox3"));
    EXPECT_FALSE(Enabled("RadioButton11"));
    EXPECT_FALSE(Enabled("RadioButton12"));
    // Controller 2 is not affected.
    EXPECT_FALSE(Enabled("RadioButton16"));
    EXPECT_TRUE(Enabled("RadioButton17"));

    Find<RadioGroup>("RadioGroup4")->Button(1)->click();
    EXPECT_FALSE(Enabled("RadioButton10"));
    EXPECT_TRUE(Enabled("RadioButton11"));
    EXPECT_EQ(grid->Cell(0, 10), QStringLiteral("Plant.RA"));
    EXPECT_EQ(grid->Cell(0, 11), QStringLiteral("Plant.Manual"));
    EXPECT_EQ(grid->Cell(0, 12), QStringLiteral("Plant.Auto"));

    Find<RadioGroup>("RadioGroup5")->SetItemIndex(0);
    EXPECT_TRUE(Enabled("RadioButton16"));
    EXPECT_TRUE(Enabled("Label15"));
    EXPECT_TRUE(Enabled("ComboBox4"));
    EXPECT_FALSE(Enabled("RadioButton17"));
    EXPECT_FALSE(Enabled("RadioButton18"));
    EXPECT_FALSE(Enabled("RadioButton10"));
}

TEST_F(OpcPage, RolesFormOneExclusiveGroup)
{
    Find<QRadioButton>("RadioButton3")->click();
    Find<QRadioButton>("RadioButton15")->click();
    EXPECT_EQ(CheckedRole(), QStringLiteral("RadioButton15"));
    EXPECT_FALSE(Find<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(form->CheckedRole(), TagRole::D2);
}
