// The OPC client interface over OPC UA, against the node-opcua test server
// (and a hostile one of our own).

#include "opc/UaConnection.h"
#include "opc/UaClient.h"
#include "opc/UaTestServer.h"

#include "base/Errors.h"
#include "base/EventWait.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return WaitWithEvents(done, timeoutMs);
}

QString WriteError(OpcServer& server, OpcItem& item, const QVariant& value)
{
    try {
        server.WriteItem(item, value);
    } catch (const OpcError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// Forgets the endpoints a test connected to, so that the server lists of
// later tests in the same program are as they would be.
struct ForgetEndpoints {
    ~ForgetEndpoints()
    {
        QSettings(QStringLiteral("varkol"), QStringLiteral("varkol"))
            .remove(QStringLiteral("OpcUa"));
    }
};

QStringList Names(const QList<OpcBrowseEntry>& entries)
{
    QStringList names;
    for (const OpcBrowseEntry& entry : entries)
        names.append(entry.Name);
    return names;
}

} // namespace

TEST(UaConnection, ConnectBrowseSubscribeWriteAndDisconnect)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server);

    ForgetEndpoints forget;
    UaConnection connection(std::make_shared<InProcessRegistry>());
    QStringList reports;
    QObject::connect(&connection, &OpcServer::ItemErrorReport,
                     [&](const QString& report) { reports.append(report); });
    OpcGroup* group = connection.AddGroup(QStringLiteral("Skupina1"));
    OpcItem* mv = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.MV"));
    connection.ConnectServer(server.Url(), QString());
    ASSERT_TRUE(connection.Active());
    EXPECT_TRUE(connection.IsUaConnection());
    EXPECT_EQ(connection.ServerStateText(), QStringLiteral("running"));
    EXPECT_EQ(RememberedUaEndpoints().value(0), server.Url());
    EXPECT_NE(mv->ServerHandle, -1);

    // The server list: the endpoint remembered, and the server that
    // FindServers reports at a discovery URL.
    UaServerBrowser browser(std::make_shared<InProcessRegistry>());
    browser.DiscoveryUrl = server.Url();
    browser.DiscoveryTimeoutMs = 2000;
    const QList<ServerListEntry> servers =
        browser.ListServers(KindBit(OpcServerKind::DA20), QString());
    ASSERT_FALSE(servers.isEmpty());
    EXPECT_EQ(servers[0].ProgID, server.Url());

    // The address space from the Objects folder.
    const QList<OpcBrowseEntry> root = connection.BrowseBranch({}, {});
    EXPECT_TRUE(Names(root).contains(QStringLiteral("Loop1")));
    const QList<OpcBrowseEntry> loop = connection.BrowseBranch({QStringLiteral("Loop1")}, {});
    const QStringList loopNames = Names(loop);
    EXPECT_EQ(loopNames.mid(0, 4), (QStringList{"MV", "U", "Y1", "Y2"}));
    const auto sp =
        std::find_if(loop.begin(), loop.end(), [](const auto& e) { return e.Name == "SP"; });
    ASSERT_NE(sp, loop.end());
    EXPECT_EQ(sp->ItemID, QStringLiteral("ns=1;s=Loop1.SP"));
    EXPECT_EQ(sp->DataType, OpcType::R8);
    EXPECT_TRUE(sp->Readable);
    EXPECT_FALSE(sp->Writable);
    OpcBrowseFilter writable;
    writable.Writable = true;
    EXPECT_FALSE(
        Names(connection.BrowseBranch({QStringLiteral("Loop1")}, writable)).contains("SP"));
    OpcBrowseFilter booleans;
    booleans.DataType = OpcType::Bool;
    EXPECT_EQ(Names(connection.BrowseBranch({QStringLiteral("Loop1")}, booleans)),
              QStringList{"Manual"});
    // 150 variables: more than one answer (100 each), BrowseNext for the rest.
    EXPECT_EQ(connection.BrowseBranch({QStringLiteral("Big")}, {}).size(), 150);
    OpcBrowseFilter named;
    named.NameFilter = QStringLiteral("v00?");
    EXPECT_EQ(connection.BrowseBranch({QStringLiteral("Big")}, named).size(), 9);
    EXPECT_TRUE(connection.BrowseBranch({QStringLiteral("Nowhere")}, {}).isEmpty());

    // A group is a subscription; the run window's 10 ms rate is granted as revised.
    group->SetUpdateRate(10);
    EXPECT_GT(group->UpdateRate(), 0);
    OpcItem* u = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.U"));
    OpcItem* manual = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.Manual"));
    ASSERT_TRUE(
        WaitFor([&] { return IsQualityGood(*mv) && IsQualityGood(*u) && IsQualityGood(*manual); }));
    EXPECT_EQ(manual->Value.typeId(), QMetaType::Bool);
    EXPECT_TRUE(mv->TimeStamp.isValid());

    // Writes in the variable's own type: MV is a Double, Manual a Boolean.
    connection.WriteItem(*manual, 1);
    connection.WriteItem(*mv, 42.5);
    EXPECT_TRUE(WaitFor([&] { return u->Value.toDouble() == 42.5; }));

    OpcGroup* types = connection.AddGroup(QStringLiteral("Types"));
    auto add = [&](const char* id) { return connection.AddItem(*types, QString::fromLatin1(id)); };
    OpcItem* int16 = add("ns=1;s=Types.Int16");
    OpcItem* byte = add("ns=1;s=Types.Byte");
    OpcItem* date = add("ns=1;s=Types.DateTime");
    OpcItem* text = add("ns=1;s=Types.String");
    OpcItem* readOnly = add("ns=1;s=Loop1.SP");
    connection.WriteItem(*int16, 2.5); // ties to even: 2
    connection.WriteItem(*text, 1.25);
    EXPECT_TRUE(
        WaitFor([&] { return int16->Value == QVariant(2) && text->Value.toString() == "1.25"; }));
    EXPECT_TRUE(WriteError(connection, *readOnly, 1.0).contains("BadNotWritable"));
    EXPECT_TRUE(WriteError(connection, *byte, 300).contains("BadOutOfRange"));
    EXPECT_TRUE(WriteError(connection, *date, 1.0).contains("BadTypeMismatch"));
    EXPECT_TRUE(WriteError(connection, *byte, 255).isEmpty());

    // Refused adds: reported, the items stay without values.
    OpcItem* unknown = add("ns=1;s=Loop1.Nothing");
    OpcItem* broken = add("Loop1.MV");
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[0].startsWith("OPC Command:\r\nns=1;s=Loop1.Nothing - BadNodeIdUnknown"));
    EXPECT_TRUE(reports[1].contains("Loop1.MV - BadNodeIdInvalid"));
    EXPECT_EQ(unknown->ServerHandle, -1);
    EXPECT_EQ(broken->ServerHandle, -1);
    EXPECT_TRUE(WriteError(connection, *unknown, 1.0).contains("BadNodeIdUnknown"));

    // Removing items deletes their monitored items; the rest go on.
    connection.ClearItems(*types);
    EXPECT_TRUE(types->OPCItems().empty());

    QSignalSpy disconnected(&connection, &OpcServer::OnDisconnect);
    connection.DisconnectServer();
    EXPECT_EQ(disconnected.count(), 1);
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(mv->ServerHandle, -1);
    connection.WriteItem(*mv, 1.0); // inactive: nothing, no report
}

TEST(UaConnection, ServerKilledEndsTheConnectionAndReconnectionRestoresItems)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server);

    // The secure channel's token is renewed at 75 % of its revised lifetime.
    UaClient client;
    client.RequestedLifetimeMs = 1000;
    client.Connect(server.Url());
    const uint32_t firstToken = client.TokenId();
    const uint32_t lifetime = client.RevisedLifetimeMs();
    ASSERT_GT(lifetime, 0u);
    PumpEvents();
    EXPECT_TRUE(WaitFor([&] { return client.TokenId() != firstToken; }, int(lifetime)));
    EXPECT_EQ(client.Read({{*Ua::ParseNodeId("ns=1;s=Loop1.SP")}}).at(0).Value->Real, 50.0);
    client.Close();

    UaConnection connection(std::make_shared<InProcessRegistry>());
    connection.RememberEndpoints = false;
    connection.TimeoutMs = 2000;
    OpcGroup* group = connection.AddGroup(QStringLiteral("Skupina1"));
    group->SetUpdateRate(10);
    OpcItem* fast = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.Fast"));
    connection.ConnectServer(server.Url(), QString());
    ASSERT_TRUE(WaitFor([&] { return IsQualityGood(*fast); }));

    QSignalSpy disconnected(&connection, &OpcServer::OnDisconnect);
    server.Kill();
    ASSERT_TRUE(WaitFor([&] { return disconnected.count() == 1; }));
    EXPECT_FALSE(connection.Active());
    EXPECT_EQ(connection.ServerStateText(), QString());
    connection.WriteItem(*fast, 1.0); // dropped silently
    EXPECT_THROW(connection.ConnectServer(server.Url(), QString()), OpcError);
    EXPECT_EQ(disconnected.count(), 1);

    START_UA_TEST_SERVER(server, server.Port());
    connection.ConnectServer(server.Url(), QString());
    const QVariant before = fast->Value;
    ASSERT_TRUE(WaitFor([&] { return fast->Value != before && IsQualityGood(*fast); }));
    connection.DisconnectServer();
    EXPECT_EQ(disconnected.count(), 2);
}

TEST(UaConnection, EndpointWithoutSecurityPolicyNoneIsRefusedNamingWhatItOffers)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server, 0, QStringList{QStringLiteral("--no-none")});
    UaConnection connection(std::make_shared<InProcessRegistry>());
    connection.RememberEndpoints = false;
    try {
        connection.ConnectServer(server.Url(), QString());
        FAIL() << "connected";
    } catch (const OpcError& e) {
        const QString message = QString::fromUtf8(e.what());
        EXPECT_TRUE(message.startsWith("Unable to connect to OPC server " + server.Url()))
            << e.what();
        EXPECT_TRUE(message.contains("Basic256Sha256/SignAndEncrypt")) << e.what();
    }
    EXPECT_FALSE(connection.Active());
}

// A server that answers the HEL with the given bytes.
TEST(UaClient, BrokenOrHostileServersGiveAnErrorAndAClosedConnection)
{
    const std::vector<QByteArray> answers = {
        // ACK with a receive buffer under 8192.
        QByteArray::fromHex("41434b46"
                            "1c000000"
                            "00000000"
                            "00100000"
                            "00100000"
                            "00000000"
                            "00000000"),
        // A message header claiming 2 GB.
        QByteArray::fromHex("41434b4600000080"),
        // ERR BadTcpInternalError "nope".
        QByteArray::fromHex("45525246"
                            "14000000"
                            "00008280"
                            "04000000"
                            "6e6f7065"),
        // An OPN answer where an ACK belongs.
        QByteArray::fromHex("4f504e460c00000000000000"),
    };
    for (const QByteArray& answer : answers) {
        QTcpServer hostile;
        ASSERT_TRUE(hostile.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&hostile, &QTcpServer::newConnection, [&] {
            QTcpSocket* socket = hostile.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [socket, answer] {
                socket->readAll();
                socket->write(answer);
            });
        });
        UaClient client;
        client.TimeoutMs = 1000;
        EXPECT_THROW(
            client.Connect(QStringLiteral("opc.tcp://127.0.0.1:%1").arg(hostile.serverPort())),
            UaError)
            << answer.toHex().toStdString();
        EXPECT_FALSE(client.IsOpen());
    }
    UaClient client;
    EXPECT_THROW(client.Connect(QStringLiteral("http://127.0.0.1:1")), UaError);
}

TEST(UaConnection, QualityWordsAndWriteEncodings)
{
    EXPECT_EQ(UaQuality(Ua::Status::Good), 0xC0);
    EXPECT_EQ(UaQuality(0x40900000u), 0x44);
    EXPECT_EQ(UaQuality(0x40000000u), 0x40);
    EXPECT_EQ(UaQuality(0x808C0000u), 0x10);
    EXPECT_EQ(UaQuality(Ua::Status::BadNodeIdUnknown), 0x00);

    uint32_t status = 0;
    using T = Ua::BuiltinType;
    EXPECT_EQ(UaFromQVariant(3.5, T::Int32, status)->Int, 4);
    EXPECT_EQ(UaFromQVariant(-0.5, T::Int16, status)->Int, 0);
    EXPECT_TRUE(UaFromQVariant(1, T::Boolean, status)->Bool);
    EXPECT_EQ(UaFromQVariant(QStringLiteral("2,5"), T::Double, status)->Real, 2.5);
    EXPECT_EQ(UaFromQVariant(4294967295.0, T::UInt32, status)->UInt, 4294967295u);
    EXPECT_FALSE(UaFromQVariant(-1, T::UInt32, status));
    EXPECT_EQ(status, Ua::Status::BadOutOfRange);
    EXPECT_FALSE(UaFromQVariant(1e39, T::Float, status));
    EXPECT_FALSE(UaFromQVariant(QStringLiteral("x"), T::Double, status));
    EXPECT_EQ(status, Ua::Status::BadTypeMismatch);
    EXPECT_FALSE(UaFromQVariant(1.0, T::Guid, status));
    EXPECT_EQ(status, Ua::Status::BadTypeMismatch);

    // The type writes are encoded in: the DataType, else the value's own.
    Ua::Variant number = Ua::Variant::Of(T::Float);
    EXPECT_EQ(UaBuiltinTypeOf(Ua::NodeId::Num(11), &number), T::Double);
    EXPECT_EQ(UaBuiltinTypeOf(Ua::NodeId::Num(24), &number), T::Float);  // BaseDataType
    EXPECT_EQ(UaBuiltinTypeOf(Ua::NodeId::Num(290), &number), T::Float); // Duration
    EXPECT_EQ(UaBuiltinTypeOf(Ua::NodeId::Num(24), nullptr), T::Null);
}

// 10 ms updates for a while (15 s; VARKOL_UA_SOAK_SECONDS=60 for a minute):
// MV written every 10 ms by another client, the loop's fast counter
// changing every 10 ms; no delivery is needed in time, but the latest value
// always arrives.
TEST(UaConnection, TenMillisecondUpdatesKeepTheLatestValue)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server);
    const int seconds = qEnvironmentVariableIntValue("VARKOL_UA_SOAK_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("VARKOL_UA_SOAK_SECONDS")
                            : 15;

    UaConnection connection(std::make_shared<InProcessRegistry>());
    connection.RememberEndpoints = false;
    OpcGroup* group = connection.AddGroup(QStringLiteral("Skupina1"));
    group->SetUpdateRate(10);
    OpcItem* mv = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.MV"));
    OpcItem* fast = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.Fast"));
    connection.ConnectServer(server.Url(), QString());
    int deliveries = 0;
    QObject::connect(&connection, &OpcServer::OnDatachange, [&](OpcGroup*) { ++deliveries; });

    UaClient writer;
    writer.Connect(server.Url());
    const Ua::NodeId mvNode = *Ua::ParseNodeId("ns=1;s=Loop1.MV");
    double written = 0;
    bool busy = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (busy)
            return;
        busy = true;
        Ua::Variant value = Ua::Variant::Of(Ua::BuiltinType::Double);
        value.Real = written + 1;
        if (writer.Write({{mvNode, value}}).at(0) == Ua::Status::Good)
            written = value.Real;
        busy = false;
    });
    timer.start(10);
    WaitFor([] { return false; }, seconds * 1000);
    timer.stop();

    ASSERT_TRUE(connection.Active());
    EXPECT_GT(written, seconds * 20.0); // at least a fifth of the 10 ms writes
    EXPECT_TRUE(WaitFor([&] { return mv->Value.toDouble() == written; }, 2000))
        << mv->Value.toDouble() << " != " << written;
    const double counter = writer.Read({{*Ua::ParseNodeId("ns=1;s=Loop1.Fast")}}).at(0).Value->Real;
    EXPECT_TRUE(WaitFor([&] { return fast->Value.toDouble() >= counter; }, 2000));
    // A delivery in (nearly) every publishing cycle the server granted.
    EXPECT_GT(deliveries, seconds * 1000 / std::max(group->UpdateRate(), 10) / 2);
    writer.Close();
}
