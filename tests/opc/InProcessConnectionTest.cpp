// The in-process transport: server list, connecting, groups and items on
// the server, deliveries through the event loop, writes, refusals, browsing.

#include "base/Errors.h"
#include "opc/OpcTestSupport.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString ConnectError(InProcessConnection& connection, const QString& progId,
                     const QString& computer = QString())
{
    try {
        connection.ConnectServer(progId, computer);
    } catch (const OpcError& e) {
        return QString::fromUtf8(e.what());
    }
    return "(connected)";
}

QString WriteError(OpcServer& connection, OpcItem& item, const QVariant& value)
{
    try {
        connection.WriteItem(item, value);
    } catch (const OpcError& e) {
        return QString::fromUtf8(e.what());
    }
    return "(written)";
}

} // namespace

// ---------------------------------------------------------------- server list

TEST(InProcessServerBrowser, ListsEachServerOnceInCategoryOrderAlarmsLast)
{
    auto registry = std::make_shared<InProcessRegistry>();
    using K = OpcServerKind;
    registry->Register(std::make_shared<InProcessServer>("Alarms.1", "A", KindBit(K::AE10)));
    registry->Register(
        std::make_shared<InProcessServer>("Da2.1", "B", KindBit(K::DA20) | KindBit(K::AE10)));
    registry->Register(
        std::make_shared<InProcessServer>("Da1.1", "C", KindBit(K::DA10) | KindBit(K::DA20)));
    registry->Register(std::make_shared<InProcessServer>("Hda.1", "D", KindBit(K::HDA10)));
    InProcessServerBrowser browser(registry);

    const unsigned asked = KindBit(K::DA10) | KindBit(K::DA20) | KindBit(K::AE10);
    const QList<ServerListEntry> list = browser.ListServers(asked, QString());
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].ProgID, "Da1.1");
    EXPECT_EQ(list[0].Kinds, KindBit(K::DA10) | KindBit(K::DA20));
    EXPECT_EQ(list[1].ProgID, "Da2.1");
    EXPECT_EQ(list[1].Kinds, KindBit(K::DA20) | KindBit(K::AE10));
    EXPECT_EQ(list[2].ProgID, "Alarms.1");
    EXPECT_EQ(list[2].Description, "A");
    EXPECT_NE(list[0].ClassId, list[1].ClassId);

    EXPECT_TRUE(browser.ListServers(asked, "far-away-plant").isEmpty());
    EXPECT_TRUE(InProcessServerBrowser(std::make_shared<InProcessRegistry>())
                    .ListServers(asked, QString())
                    .isEmpty());
}

// ---------------------------------------------------------------- connecting

TEST(InProcessConnection, ConnectAndDisconnectWithOneOnDisconnectPerTransition)
{
    TestConnection t;
    t.Connection.DisconnectServer();
    EXPECT_EQ(t.Disconnects, 0); // no transition while not connected

    t.Connect();
    EXPECT_TRUE(t.Connection.Active());
    EXPECT_EQ(t.Connection.ServerName, TestProgID);
    EXPECT_EQ(t.Connection.ServerStateText(), "running");

    t.Connect(); // passes through inactive
    EXPECT_EQ(t.Disconnects, 1);
    EXPECT_TRUE(t.Connection.Active());

    t.Connection.DisconnectServer();
    t.Connection.DisconnectServer();
    EXPECT_FALSE(t.Connection.Active());
    EXPECT_EQ(t.Disconnects, 2);
    EXPECT_EQ(t.Connection.ServerStateText(), QString());
}

TEST(InProcessConnection, RefusedConnectionsRaiseAndStayInactive)
{
    TestConnection t;
    const QString notFound = "Server name not found in registry or empty";
    EXPECT_EQ(ConnectError(t.Connection, QString()), notFound);
    EXPECT_EQ(ConnectError(t.Connection, "No.Such.Server"), notFound);
    EXPECT_FALSE(t.Connection.Active());

    t.Server->RefuseConnections = true;
    EXPECT_EQ(ConnectError(t.Connection, TestProgID),
              "Unable to connect to OPC server Test.Server.1");
    EXPECT_FALSE(t.Connection.Active());

    t.Server->RefuseConnections = false;
    EXPECT_EQ(ConnectError(t.Connection, TestProgID, "far-away-plant"),
              "Unable to connect to OPC server Test.Server.1");

    // A failed connect of a connected client still ended the old connection.
    t.Connect();
    EXPECT_EQ(ConnectError(t.Connection, "No.Such.Server"), notFound);
    EXPECT_FALSE(t.Connection.Active());
    EXPECT_EQ(t.Disconnects, 1);
    EXPECT_EQ(t.Connection.ServerName, "No.Such.Server");
}

TEST(InProcessConnection, AServerReportingSuspendedIsConnectedAllTheSame)
{
    TestConnection t;
    t.Server->State = 4;
    t.Connect();
    EXPECT_TRUE(t.Connection.Active());
    EXPECT_EQ(t.Connection.ServerStateText(), "suspended");
}

TEST(InProcessConnection, ConnectDelayKeepsTheEventLoopRunning)
{
    TestConnection t;
    t.Connection.ConnectDelay = 30;
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    t.Connect();
    EXPECT_TRUE(timerRan);
    EXPECT_TRUE(t.Connection.Active());
}

TEST(InProcessConnection, ShutdownRequestEndsTheConnectionLikeADisconnect)
{
    TestConnection t;
    OpcGroup* group = t.Connection.AddGroup("SkupReg");
    t.Connect();
    t.Server->RequestShutdown("maintenance");
    EXPECT_TRUE(PumpUntil([&] { return !t.Connection.Active(); }));
    EXPECT_EQ(t.Disconnects, 1);
    EXPECT_EQ(group->ServerHandle, -1);

    // A request still on its way when the client has moved to another server changes nothing.
    t.Registry->Register(MakeTestServer("Other.1"));
    t.Connect();
    t.Server->RequestShutdown();
    t.Connection.ConnectServer("Other.1", QString());
    PumpFor(20);
    EXPECT_TRUE(t.Connection.Active());
    EXPECT_EQ(t.Disconnects, 2);
}

// ---------------------------------------------------------------- groups and items on the server

TEST(InProcessConnection, GroupsAndWaitingItemsAreCreatedOnActivationAndReleasedAtTheEnd)
{
    TestConnection t;
    t.Connection.OPCGroupDefault.UpdateRate = 10;
    OpcGroup* group = t.Connection.AddGroup("Skupina1");
    OpcItem* item = t.Connection.AddItem(*group, "Area.Tag1");
    EXPECT_FALSE(t.Connection.GroupOnServer(*group));

    t.Connect();
    ASSERT_TRUE(t.Connection.GroupOnServer(*group));
    EXPECT_EQ(t.Connection.GroupOnServer(*group)->ItemCount, 1);
    EXPECT_NE(group->ServerHandle, -1);
    EXPECT_NE(item->ServerHandle, -1);
    EXPECT_TRUE(TestConnection::Delivered(item));

    // Groups and items added while active exist on the server at once.
    OpcGroup* later = t.Connection.AddGroup("SkupReg");
    OpcItem* laterItem = t.Connection.AddItem(*later, "Area.Tag2");
    EXPECT_NE(laterItem->ServerHandle, -1);
    EXPECT_TRUE(TestConnection::Delivered(laterItem));
    EXPECT_EQ(laterItem->Value, QVariant(7));

    t.Connection.DisconnectServer();
    EXPECT_EQ(group->ServerHandle, -1);
    EXPECT_EQ(item->ServerHandle, -1);
    EXPECT_EQ(item->Value, QVariant(1.5)); // the last delivered values stay

    t.Connect(); // and the groups come back with their items
    EXPECT_NE(laterItem->ServerHandle, -1);
    EXPECT_EQ(t.Connection.GroupOnServer(*group)->ItemCount, 1);
    EXPECT_TRUE(t.Reports.isEmpty());
}

TEST(InProcessConnection, ClearItemsRemovesTheItemsFromTheServer)
{
    TestConnection t;
    OpcGroup* group = t.FastGroup("SkupReg");
    t.Connect();
    t.Connection.AddItem(*group, "Area.Tag1");
    t.Connection.AddItem(*group, "Area.Tag2");
    t.Connection.ClearItems(*group);
    EXPECT_TRUE(group->OPCItems().empty());
    EXPECT_EQ(t.Connection.GroupOnServer(*group)->ItemCount, 0);
    PumpFor(30); // the group's ticks find nothing left to deliver to

    OpcItem* fresh = t.Connection.AddItem(*group, "Area.Tag1");
    EXPECT_TRUE(TestConnection::Delivered(fresh));
}

TEST(InProcessConnection, GroupStateReachesTheServerWhichGrantsItsFastestRate)
{
    TestConnection t;
    t.Server->MinUpdateRate = 50;
    OpcGroup* group = t.FastGroup();
    EXPECT_EQ(group->UpdateRate(), 10); // requested; the server decides on activation

    t.Connect();
    EXPECT_EQ(group->UpdateRate(), 50);
    EXPECT_EQ(t.Connection.GroupOnServer(*group)->UpdateRate, 50);

    group->SetUpdateRate(200);
    group->SetDeadBand(5);
    group->SetIsActive(false);
    const auto state = t.Connection.GroupOnServer(*group);
    EXPECT_EQ(group->UpdateRate(), 200);
    EXPECT_EQ(state->UpdateRate, 200);
    EXPECT_FLOAT_EQ(state->DeadBand, 5);
    EXPECT_FALSE(state->IsActive);
}

// ---------------------------------------------------------------- deliveries

TEST(InProcessConnection, TwoItemsForOneTagAreDeliveredIndependently)
{
    TestConnection t;
    OpcGroup* group = t.FastGroup();
    t.Connect();
    OpcItem* first = t.Connection.AddItem(*group, "Area.Tag1");
    ASSERT_TRUE(TestConnection::Delivered(first));
    OpcItem* second = t.Connection.AddItem(*group, "Area.Tag1");
    ASSERT_TRUE(TestConnection::Delivered(second)); // although the tag did not change
    EXPECT_EQ(second->Value, QVariant(1.5));
    EXPECT_TRUE(IsQualityGood(*second));

    t.Connection.WriteItem(*second, 2.5);
    EXPECT_TRUE(
        PumpUntil([&] { return first->Value == QVariant(2.5) && second->Value == QVariant(2.5); }));
}

TEST(InProcessConnection, WrittenValuesArriveOnlyThroughLaterDeliveries)
{
    TestConnection t;
    OpcGroup* group = t.FastGroup();
    OpcItem* item = t.Connection.AddItem(*group, "Area.Tag1");
    int dataChanges = 0;
    QObject::connect(&t.Connection, &OpcServer::OnDatachange, [&] { ++dataChanges; });
    t.Connect();
    ASSERT_TRUE(TestConnection::Delivered(item));

    group->SetUpdateRate(3600 * 1000); // no tick for the rest of the test
    const int before = dataChanges;
    t.Connection.WriteItem(*item, 9.0);
    EXPECT_EQ(item->Value, QVariant(1.5));
    PumpFor(50);
    EXPECT_EQ(item->Value, QVariant(1.5));
    EXPECT_EQ(dataChanges, before);
    EXPECT_EQ(t.Server->FindTag("Area.Tag1")->Value, QVariant(9.0));

    group->SetUpdateRate(10);
    EXPECT_TRUE(PumpUntil([&] { return item->Value == QVariant(9.0); }));
    EXPECT_EQ(dataChanges, before + 1);
}

TEST(InProcessConnection, DeliveriesCarryTheQualityClassOfTheTag)
{
    TestConnection t;
    OpcItem* item = t.Connection.AddItem(*t.FastGroup(), "Area.Tag1");
    t.Connect();
    ASSERT_TRUE(TestConnection::Delivered(item));
    EXPECT_TRUE(IsQualityGood(*item));

    t.Server->SetTagQuality("Area.Tag1", OpcQualityUncertain);
    ASSERT_TRUE(PumpUntil([&] { return item->Quality == OpcQualityUncertain; }));
    EXPECT_FALSE(IsQualityGood(*item));
}

TEST(InProcessConnection, DeadBandHoldsBackSmallChangesOfAnalogTags)
{
    TestConnection t;
    OpcGroup* group = t.FastGroup();
    group->SetDeadBand(10); // 10 % of 0..100
    OpcItem* analog = t.Connection.AddItem(*group, "Analog");
    t.Connect();
    ASSERT_TRUE(TestConnection::Delivered(analog));

    t.Server->SetTagValue("Analog", 55.0);
    PumpFor(40);
    EXPECT_EQ(analog->Value, QVariant(50.0));
    t.Server->SetTagValue("Analog", 61.0); // 11 from the last delivered value
    EXPECT_TRUE(PumpUntil([&] { return analog->Value == QVariant(61.0); }));
}

TEST(InProcessConnection, DelayedDeliveriesArriveLaterAndNeverAtRemovedItems)
{
    TestConnection t;
    t.Server->DeliveryDelay = 40;
    OpcGroup* group = t.FastGroup();
    OpcItem* item = t.Connection.AddItem(*group, "Area.Tag2");
    t.Connect();
    EXPECT_TRUE(TestConnection::Delivered(item));

    // Deliveries on their way when the items are cleared or the connection ends.
    t.Connection.WriteItem(*item, 8);
    PumpFor(15);
    t.Connection.ClearItems(*group);
    OpcItem* other = t.Connection.AddItem(*group, "Area.Tag2");
    PumpFor(15);
    t.Connection.DisconnectServer();
    PumpFor(80);
    EXPECT_EQ(other->Quality, 0);
}

TEST(InProcessConnection, DisconnectingInsideADeliveryIsSafe)
{
    TestConnection t;
    OpcGroup* group = t.FastGroup();
    t.Connection.AddItem(*group, "Area.Tag1");
    QObject::connect(&t.Connection, &OpcServer::OnDatachange,
                     [&] { t.Connection.DisconnectServer(); });
    t.Connect();
    EXPECT_TRUE(PumpUntil([&] { return !t.Connection.Active(); }));
    PumpFor(30);
    EXPECT_EQ(t.Disconnects, 1);
}

// ---------------------------------------------------------------- refusals

TEST(InProcessConnection, RefusedAddsAreReportedAndTheItemsStayWithoutValues)
{
    TestConnection t;
    t.Server->RefuseItem("Area.Tag2", 0x12345);
    OpcGroup* group = t.FastGroup();
    OpcItem* refused = t.Connection.AddItem(*group, "Area.Tag2");
    OpcItem* unknown = t.Connection.AddItem(*group, "Area.Nothing");
    OpcItem* good = t.Connection.AddItem(*group, "Area.Tag1");
    t.Connect();
    ASSERT_EQ(t.Reports.size(), 1);
    EXPECT_EQ(t.Reports[0],
              QStringLiteral("Cannot add Items:\r\n"
                             "Area.Tag2 - Unknown error : 74565\r\n"
                             "Area.Nothing - The item ID is not defined in the server address "
                             "space.\r\n"));

    OpcItem* empty = t.Connection.AddItem(*group, QString());
    ASSERT_EQ(t.Reports.size(), 2);
    EXPECT_TRUE(t.Reports[1].startsWith("OPC Command:\r\n - "));
    EXPECT_EQ(empty->Error, OpcResult::InvalidItemId);

    ASSERT_TRUE(TestConnection::Delivered(good));
    PumpFor(30);
    EXPECT_EQ(group->OPCItems().size(), 4u);
    for (OpcItem* item : {refused, unknown, empty}) {
        EXPECT_EQ(item->ServerHandle, -1);
        EXPECT_EQ(item->Quality, 0);
        EXPECT_FALSE(item->Value.isValid());
        EXPECT_FALSE(IsQualityGood(*item));
    }
}

TEST(InProcessConnection, RefusedWritesRaiseTheReportAndChangeNothing)
{
    TestConnection t;
    OpcGroup* group = t.Connection.AddGroup("SkupReg");
    OpcItem* tag1 = t.Connection.AddItem(*group, "Area.Tag1");
    OpcItem* readOnly = t.Connection.AddItem(*group, "Area.ReadOnly");
    OpcItem* tag2 = t.Connection.AddItem(*group, "Area.Tag2");
    t.Server->RefuseItem("Area.Sub.Text");
    OpcItem* notAdded = t.Connection.AddItem(*group, "Area.Sub.Text");
    t.Server->RefuseWrite("Area.Tag1");
    t.Connect();

    EXPECT_EQ(WriteError(t.Connection, *tag1, 2.0),
              "Cannot write Items:\r\nArea.Tag1 - Unspecified error\r\n");
    EXPECT_EQ(tag1->Error, OpcResult::Fail);
    EXPECT_EQ(WriteError(t.Connection, *readOnly, 2.0),
              QStringLiteral("Cannot write Items:\r\nArea.ReadOnly - The item's access rights do "
                             "not allow the operation.\r\n"));
    EXPECT_EQ(WriteError(t.Connection, *notAdded, 1),
              QStringLiteral("Cannot write Items:\r\nArea.Sub.Text - The value of the handle is "
                             "invalid.\r\n"));
    // A non-finite number is never sent to the plant.
    EXPECT_EQ(WriteError(t.Connection, *tag2, std::numeric_limits<double>::quiet_NaN()),
              QStringLiteral("Cannot write Items:\r\nArea.Tag2 - The value is not a finite "
                             "number\r\n"));
    EXPECT_TRUE(t.Server->WriteLog.isEmpty());
    EXPECT_EQ(t.Server->FindTag("Area.Tag1")->Value, QVariant(1.5));

    t.Server->AcceptAll();
    EXPECT_EQ(WriteError(t.Connection, *tag1, 0), "(written)");
    EXPECT_EQ(WriteError(t.Connection, *tag2, 2.5), "(written)");
    ASSERT_EQ(t.Server->WriteLog.size(), 2);
    EXPECT_EQ(t.Server->WriteLog[0].second.typeId(), QMetaType::Int); // as the client sent it
    EXPECT_EQ(t.Server->FindTag("Area.Tag1")->Value, QVariant(0.0));
    EXPECT_EQ(t.Server->FindTag("Area.Tag2")->Value, QVariant(2));
}

// ---------------------------------------------------------------- browsing

TEST(InProcessConnection, BrowsingListsBranchesAndLeavesThroughTheFilters)
{
    TestConnection t;
    t.Server->AddTag("Area.Tag3", OpcType::R8, 0.0, false);
    t.Connect();
    const auto names = [&](const QStringList& path, const OpcBrowseFilter& filter) {
        QStringList result;
        for (const OpcBrowseEntry& entry : t.Connection.BrowseBranch(path, filter))
            result << (entry.IsBranch ? entry.Name + '/' : entry.ItemID);
        return result;
    };
    const QStringList area = {"Area"};
    EXPECT_EQ(names({}, {}), (QStringList{"Area/", "Analog"}));
    EXPECT_EQ(names(area, {}),
              (QStringList{"Area.Tag1", "Area.Tag2", "Area.ReadOnly", "Sub/", "Area.Tag3"}));
    EXPECT_TRUE(names({"Nowhere"}, {}).isEmpty());

    OpcBrowseFilter byName;
    byName.NameFilter = "tag?";
    EXPECT_EQ(names(area, byName), (QStringList{"Area.Tag1", "Area.Tag2", "Area.Tag3"}));
    OpcBrowseFilter byType;
    byType.DataType = OpcType::I4;
    EXPECT_EQ(names(area, byType), (QStringList{"Area.Tag2", "Sub/"}));
    OpcBrowseFilter writable;
    writable.Writable = true;
    EXPECT_EQ(names(area, writable), (QStringList{"Area.Tag1", "Area.Tag2", "Sub/"}));
}
