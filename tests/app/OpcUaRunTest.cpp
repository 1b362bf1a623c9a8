// Trials by hand and the write-back over OPC UA, against the node-opcua
// test server's loop (U follows MV in manual, Y1 and Y2 lag behind): both
// ways of switching the loop, P, I and D read back from the server, refused
// writes, and the server lost in the middle of a run (the run ends keeping
// its samples) and connected again.

#include "ProgramFixture.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "experiment/RunEngine.h"
#include "opc/UaClient.h"
#include "opc/UaTestServer.h"
#include "support/LocaleScope.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QString Node(const char* name)
{
    return QStringLiteral("ns=1;s=Loop1.") + QLatin1String(name);
}

class OpcUaRun : public ProgramFixture {
protected:
    OpcUaRun()
    {
        Find<QRadioButton>("RadioRocno")->click();
        Tags().SetCell(0, RoleRow(TagRole::MV), Node("MV"));
        Tags().SetCell(0, RoleRow(TagRole::U), Node("U"));
        Tags().SetCell(0, RoleRow(TagRole::Y1), Node("Y1"));
        Tags().SetCell(0, RoleRow(TagRole::Y2), Node("Y2"));
        Tags().SetCell(0, RoleRow(TagRole::RA), Node("RA"));
        Find<RadioGroup>("RadioGroup4")->SetItemIndex(0);
        Find<TextComboBox>("ComboBox3")->SetItemIndex(0);
    }

    // The server's present value of a node, read by a client of its own.
    QVariant ServerValue(const QString& node)
    {
        UaClient client;
        client.Connect(server.Url());
        const std::vector<Ua::DataValue> values =
            client.Read({{*Ua::ParseNodeId(node.toStdString())}});
        client.Close();
        return values[0].Value ? UaToQVariant(*values[0].Value) : QVariant();
    }

    // Takes `ticks` samples once the plant's U has followed MV.
    void TicksOnThePlant(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            PumpUntil([this] {
                const OpcItem* u = run->Plant.ItemU;
                return u && u->Value.toDouble() == run->Engine.CurrentMV;
            });
            run->Timer1Timer();
        }
    }
    void Activate(const char* name)
    {
        dialogs.FileAnswers.push_back(File(QString::fromLatin1(name)));
        Find<QPushButton>("AktivirajEksperiment")->click();
    }
    QString Errors() const { return dialogs.Errors.join('\n'); }

    UaTestServer server;
};

} // namespace

TEST_F(OpcUaRun, ByHandInBothSwitchModesThenTheParametersWrittenBack)
{
    START_UA_TEST_SERVER(server);
    LocaleScope point(LocaleScope::Point());
    connection.ConnectServer(server.Url(), QString());

    // One R/A tag, 0 meaning manual: manual at the start, 1 after.
    Find<QLineEdit>("ZacetniVhodEdit")->setText(QStringLiteral("42"));
    EndRunWhenShown([&] { TicksOnThePlant(4); });
    Activate("ra.vkx");
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    // MV written, U, Y1 and Y2 recorded from the server's data changes.
    const int last = store.SampleCount - 1;
    ASSERT_GE(store.SampleCount, 4);
    EXPECT_EQ(store.Column(1)[last], 42.0);
    EXPECT_EQ(store.Column(3)[last], 42.0);
    EXPECT_GT(store.Column(5)[last], 0.0);
    EXPECT_GT(store.Column(6)[last], 0.0);
    EXPECT_EQ(ServerValue(Node("MV")), QVariant(42.0));
    EXPECT_EQ(ServerValue(Node("RA")), QVariant(1));

    // Separate tags: Manual (a Boolean) at the start, Auto (an Int16) after.
    Tags().SetCell(0, RoleRow(TagRole::Manual), Node("Manual"));
    Tags().SetCell(0, RoleRow(TagRole::Auto), Node("Auto"));
    Find<RadioGroup>("RadioGroup4")->SetItemIndex(1);
    Find<QLineEdit>("ZacetniVhodEdit")->setText(QStringLiteral("43"));
    EndRunWhenShown([&] { TicksOnThePlant(2); });
    Activate("separate.vkx");
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    EXPECT_EQ(store.Column(3)[store.SampleCount - 1], 43.0);
    EXPECT_EQ(ServerValue(Node("Auto")), QVariant(1));
    EXPECT_EQ(ServerValue(Node("Manual")), QVariant(false));

    // "Naloži v regulator": P, I and D in the server; the empty D as 0.
    Tags().SetCell(0, RoleRow(TagRole::P), Node("P"));
    Tags().SetCell(0, RoleRow(TagRole::I), Node("I"));
    Tags().SetCell(0, RoleRow(TagRole::D), Node("D"));
    form->WriteBackGroup->SetUpdateRate(20);
    form->TuningCurrent = true;
    Find<QLineEdit>("Edit_Reg_Kp")->setText(QStringLiteral("1.5"));
    Find<QLineEdit>("Edit_Reg_Ki")->setText(QStringLiteral("0.25"));
    Find<QLineEdit>("Edit_Reg_Kd")->setText(QString());
    dialogs.AskAnswers = {true};
    Find<QPushButton>("Button16")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    EXPECT_EQ(ServerValue(Node("P")), QVariant(1.5));
    EXPECT_EQ(ServerValue(Node("I")), QVariant(0.25));
    EXPECT_EQ(ServerValue(Node("D")), QVariant(0.0));

    // Refused: a read-only variable, a value a Byte cannot hold.
    Tags().SetCell(0, RoleRow(TagRole::P), Node("SP"));
    dialogs.AskAnswers = {true};
    Find<QPushButton>("Button16")->click();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(
        dialogs.Errors[0].contains("Cannot write Items:\r\nns=1;s=Loop1.SP - BadNotWritable"))
        << dialogs.Errors[0].toStdString();
    Tags().SetCell(0, RoleRow(TagRole::P), QStringLiteral("ns=1;s=Types.Byte"));
    Find<QLineEdit>("Edit_Reg_Kp")->setText(QStringLiteral("300"));
    dialogs.AskAnswers = {true};
    Find<QPushButton>("Button16")->click();
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(dialogs.Errors[1].contains("ns=1;s=Types.Byte - BadOutOfRange"))
        << dialogs.Errors[1].toStdString();
    EXPECT_EQ(ServerValue(QStringLiteral("ns=1;s=Types.Byte")), QVariant(200u));
}

TEST_F(OpcUaRun, TheServerLostDuringARunAndConnectedAgain)
{
    START_UA_TEST_SERVER(server);
    connection.TimeoutMs = 2000;
    auto* servers = Find<TextComboBox>("ComboBox2");
    servers->SetText(server.Url());
    Find<QPushButton>("PoveziOPCStreznik")->click();
    ASSERT_EQ(Find<QLabel>("Label54")->text(), QStringLiteral("running"));

    Find<QLineEdit>("ZacetniVhodEdit")->setText(QStringLiteral("30"));
    int before = 0;
    EndRunWhenShown([&] {
        TicksOnThePlant(3);
        before = store.SampleCount;
        server.Kill();
        EXPECT_TRUE(PumpUntil([&] { return !connection.Active(); }, 10000));
        for (int i = 0; i < 3 && run->isVisible(); ++i)
            run->Timer1Timer();
    });
    Activate("lost.vkx");
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    EXPECT_EQ(Find<QLabel>("Label54")->text(), QStringLiteral("stopped"));
    // The run ends on the loss and keeps what was measured up to it.
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].contains(QStringLiteral("prekinila")))
        << dialogs.Messages[0].toStdString();
    EXPECT_GE(before, 3);
    EXPECT_GE(store.SampleCount, before);
    EXPECT_EQ(store.Column(3)[before - 1], 30.0);

    // Started again: "Poveži" connects, the group's items deliver again.
    START_UA_TEST_SERVER(server, server.Port());
    ASSERT_TRUE(Find<QPushButton>("PoveziOPCStreznik")->isEnabled());
    Find<QPushButton>("PoveziOPCStreznik")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << Errors().toStdString();
    EXPECT_EQ(Find<QLabel>("Label54")->text(), QStringLiteral("running"));
    const auto& items = run->ExperimentGroup->OPCItems();
    ASSERT_FALSE(items.empty());
    EXPECT_TRUE(PumpUntil([&] { return IsQualityGood(*items.front()); }, 10000));
}
