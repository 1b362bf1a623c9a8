// The OPC page over OPC UA, driven as a user drives it, against the
// node-opcua test server: an endpoint typed in, the status bar's note, the
// loop's tags chosen in the browse dialog (which reopens where it was
// closed and takes Return at once).

#include "ProgramFixture.h"
#include "base/TextComboBox.h"
#include "experiment/SettingsFile.h"
#include "opc/UaTestServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

namespace {

class OpcUaRoad : public ProgramFixture {
protected:
    QString Status() { return Find<QLabel>("Label54")->text(); }

    void ConnectTyped(const QString& url)
    {
        auto* servers = Find<TextComboBox>("ComboBox2");
        servers->lineEdit()->clear();
        QTest::keyClicks(servers->lineEdit(), url);
        Find<QPushButton>("PoveziOPCStreznik")->click();
    }

    // "Izberi" on the row; the dialog must open in `path`, where Return
    // chooses `leaf` once it is current.
    void ChooseWithReturn(int row, const QStringList& path, const QString& leaf)
    {
        ClickCell(0, row);
        WhenBrowseDialogShown([path, leaf](OpcBrowseDialog* dialog) {
            EXPECT_EQ(dialog->CurrentPath(), path);
            QListWidget* list = dialog->lbItems;
            list->setCurrentItem(list->findItems(leaf, Qt::MatchExactly).value(0));
            QTest::keyClick(list, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->bCancel->click();
        });
        Find<QPushButton>("IzberiAjtemKnof")->click();
    }
};

} // namespace

TEST_F(OpcUaRoad, TypedEndpointBrowsedTagsAndTheUnencryptedNote)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server);
    form->show();
    QApplication::processEvents();

    ConnectTyped(server.Url());
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(Status(), QStringLiteral("running"));
    EXPECT_FALSE(Find<QPushButton>("PoveziOPCStreznik")->isEnabled());
    EXPECT_TRUE(form->StatusBar1->currentMessage().contains(QStringLiteral("ni šifrirana")));

    // The first choice from the Objects folder; the dialog then reopens in
    // the loop's folder, and Return takes the current entry.
    ClickCell(0, RoleRow(TagRole::MV));
    AnswerBrowse({QStringLiteral("Loop1")}, {QStringLiteral("MV")});
    Find<QPushButton>("IzberiAjtemKnof")->click();
    ChooseWithReturn(RoleRow(TagRole::U), {QStringLiteral("Loop1")}, QStringLiteral("U"));
    ChooseWithReturn(RoleRow(TagRole::Y1), {QStringLiteral("Loop1")}, QStringLiteral("Y1"));
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::MV)), QStringLiteral("ns=1;s=Loop1.MV"));
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::U)), QStringLiteral("ns=1;s=Loop1.U"));
    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::Y1)), QStringLiteral("ns=1;s=Loop1.Y1"));

    // The settings file keeps the typed endpoint.
    EXPECT_EQ(form->CurrentSettings().OpcServer, server.Url());

    Find<QPushButton>("PrekiniOPCStreznik")->click();
    EXPECT_EQ(Status(), QStringLiteral("stopped"));
    EXPECT_TRUE(form->StatusBar1->currentMessage().isEmpty());
    EXPECT_TRUE(Find<QPushButton>("PoveziOPCStreznik")->isEnabled());
}
