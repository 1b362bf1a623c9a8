// The demo server of the default registry: its listing, its address space
// and the plant behind its control loop.

#include "opc/DemoServer.h"
#include "opc/OpcTestSupport.h"
#include "support/ExpectClose.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

double TagValue(const InProcessServer& server, const QString& itemId)
{
    return server.FindTag(itemId)->Value.toDouble();
}

struct DemoLoop {
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Server = CreateDemoServer();
    DemoLoopPlant* Plant = DemoPlantOf(*Server);
    InProcessConnection Connection{Registry};
    OpcGroup* Group = nullptr;

    DemoLoop()
    {
        Registry->Register(Server);
        Connection.ConnectDelay = 0;
        Group = Connection.AddGroup("Skupina1");
        Group->SetUpdateRate(10);
        Connection.ConnectServer(DemoServerProgID, QString());
    }
    OpcItem* Add(const QString& itemId)
    {
        OpcItem* item = Connection.AddItem(*Group, itemId);
        EXPECT_TRUE(TestConnection::Delivered(item)) << itemId.toStdString();
        return item;
    }
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            Plant->Step();
    }
};

} // namespace

TEST(DemoServer, TheDefaultClientListsAndConnectsIt)
{
    OpcClientObjects opc = CreateDefaultOpcClient();
    using K = OpcServerKind;
    const QList<ServerListEntry> list =
        opc.Browser->ListServers(KindBit(K::DA10) | KindBit(K::DA20) | KindBit(K::AE10), QString());
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].ProgID, "Varkol.DemoServer.1");
    EXPECT_FALSE(list[0].Description.isEmpty());
    EXPECT_EQ(opc.Server->ConnectDelay, 300);

    opc.Server->ConnectDelay = 0;
    opc.Server->ConnectServer(list[0].ProgID, QString());
    EXPECT_TRUE(opc.Server->Active());
    EXPECT_EQ(opc.Server->ServerStateText(), "running");
    EXPECT_FALSE(opc.Server->BrowseBranch({}, {}).isEmpty());
}

TEST(DemoServer, OffersATagForEveryRoleOfTheLoopBesideOtherBranches)
{
    const auto server = CreateDemoServer();
    const auto writable = [&](const QString& itemId) {
        const InProcessTag* tag = server->FindTag(itemId);
        EXPECT_NE(tag, nullptr) << itemId.toStdString();
        return tag && tag->Writable;
    };
    EXPECT_TRUE(writable(DemoTags::MV));
    for (const QString& read : {DemoTags::U, DemoTags::Y1, DemoTags::Y2})
        EXPECT_FALSE(writable(read)) << read.toStdString();
    for (const char* controller : {"Controller1", "Controller2"})
        for (const char* role : {"P", "I", "D", "RA", "Manual", "Auto"})
            EXPECT_TRUE(writable(QString("Loop1.%1.%2").arg(controller, role)));

    QStringList root;
    for (const OpcBrowseEntry& entry : server->Browse({}, {}))
        root << entry.Name;
    EXPECT_EQ(root, (QStringList{"Loop1", "Boiler", "Pump1", "Server", "Spare"}));
}

TEST(DemoServer, WritingMvMovesUAndBothMeasurementsThroughTheTwoLags)
{
    DemoLoop loop;
    loop.Plant->StepTimer().stop();
    loop.Plant->SetNoise(false);
    OpcItem* u = loop.Add(DemoTags::U);
    OpcItem* mv = loop.Add(DemoTags::MV);
    OpcItem* y1 = loop.Add(DemoTags::Y1);
    OpcItem* y2 = loop.Add(DemoTags::Y2);
    EXPECT_EQ(mv->Value, QVariant(10.0));
    EXPECT_EQ(y1->Value, QVariant(20.0));

    loop.Connection.WriteItem(*mv, 11.0);
    loop.Steps(1); // U at once, the measurements one step later
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::U), 1.0);
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::Y1), 20.0);
    loop.Steps(1);
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::Y1), 20.1);
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::Y2), 30.0);
    loop.Steps(1);
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::Y1), 20.19);
    EXPECT_DOUBLE_EQ(TagValue(*loop.Server, DemoTags::Y2), 30.005);

    loop.Connection.WriteItem(*mv, 30); // an integer is taken as the double 30
    loop.Steps(400);
    ASSERT_TRUE(PumpUntil([&] { return y2->Value.toDouble() > 49.9; }));
    EXPECT_EQ(u->Value, QVariant(20.0));
    ExpectClose(y1->Value.toDouble(), 20 + (30 - 10), 1e-6);
    ExpectClose(y2->Value.toDouble(), 30 + (30 - 10), 1e-6);
    EXPECT_EQ(mv->Value, QVariant(30.0));
}

TEST(DemoServer, ControllerTagsKeepWhatIsWritten)
{
    DemoLoop loop;
    OpcItem* p = loop.Add(DemoTags::P1);
    OpcItem* i = loop.Add(DemoTags::I1);
    OpcItem* d = loop.Add(DemoTags::D1);
    OpcItem* ra = loop.Add(DemoTags::RA1);
    OpcItem* manual = loop.Add(DemoTags::Manual1);
    loop.Connection.WriteItem(*p, 2.5);
    loop.Connection.WriteItem(*i, 12.75);
    loop.Connection.WriteItem(*d, 0); // an empty parameter field
    loop.Connection.WriteItem(*ra, 0);
    loop.Connection.WriteItem(*manual, 1);
    ASSERT_TRUE(PumpUntil([&] {
        return p->Value == QVariant(2.5) && i->Value == QVariant(12.75) &&
               ra->Value == QVariant(0) && manual->Value == QVariant(1);
    }));
    EXPECT_EQ(d->Value, QVariant(0.0));
    ASSERT_EQ(loop.Server->WriteLog.size(), 5);
    EXPECT_EQ(loop.Server->WriteLog[2].first, DemoTags::D1);
    EXPECT_EQ(loop.Server->WriteLog[2].second.typeId(), QMetaType::Int);
}

TEST(DemoServer, ThePlantRunsOnItsOwnWithNoisyMeasurements)
{
    DemoLoop loop;
    OpcItem* y1 = loop.Add(DemoTags::Y1);
    QSet<double> seen;
    ASSERT_TRUE(PumpUntil([&] {
        seen.insert(y1->Value.toDouble());
        return seen.size() >= 4;
    }));
    for (double value : seen)
        ExpectClose(value, 20.0, 1.5);
}
