// varkol-cli opc against the node-opcua test server.

#include "cli/CliRun.h"
#include "opc/UaTestServer.h"

#include <QJsonArray>

namespace {

QStringList Opc(const UaTestServer& server, const QString& what, const QStringList& rest = {})
{
    return QStringList{QStringLiteral("opc"), what, server.Url()} + rest;
}

} // namespace

TEST(CliOpc, ServersBrowseReadWriteAndWatch)
{
    UaTestServer server;
    START_UA_TEST_SERVER(server);

    const CliResult servers = RunCli({"opc", "servers", server.Url(), "--timeout", "3000"});
    ASSERT_EQ(servers.ExitCode, 0) << servers.Error.toStdString();
    EXPECT_EQ(
        servers.Json["servers"].toArray()[0].toObject()["discovery_urls"].toArray()[0].toString(),
        server.Url());

    const CliResult browse = RunCli(Opc(server, "browse", {"ns=1;s=Loop1"}));
    ASSERT_EQ(browse.ExitCode, 0) << browse.Error.toStdString();
    const QJsonArray children = browse.Json["children"].toArray();
    const QJsonObject mv = children[0].toObject();
    EXPECT_EQ(mv["node_id"].toString(), "ns=1;s=Loop1.MV");
    EXPECT_EQ(mv["browse_name"].toString(), "MV");
    EXPECT_EQ(mv["node_class"].toString(), "Variable");
    EXPECT_EQ(mv["data_type"].toString(), "Double");
    EXPECT_EQ(mv["access"].toString(), "rw");
    // Without a node: the Objects folder.
    const QJsonArray objects = RunCli(Opc(server, "browse")).Json["children"].toArray();
    EXPECT_TRUE(std::any_of(objects.begin(), objects.end(), [](const QJsonValue& v) {
        return v.toObject()["browse_name"] == "Big";
    }));

    const CliResult write = RunCli(Opc(server, "write", {"ns=1;s=Types.Int16", "-7.5"}));
    ASSERT_EQ(write.ExitCode, 0) << write.Error.toStdString();
    EXPECT_EQ(write.Json["type"].toString(), "Int16");
    EXPECT_EQ(write.Json["value"].toInt(), -8);
    const CliResult read = RunCli(Opc(server, "read", {"ns=1;s=Types.Int16", "ns=1;s=Loop1.SP"}));
    ASSERT_EQ(read.ExitCode, 0) << read.Error.toStdString();
    const QJsonArray values = read.Json["values"].toArray();
    EXPECT_EQ(values[0].toObject()["value"].toInt(), -8);
    EXPECT_EQ(values[1].toObject()["value"].toDouble(), 50.0);
    EXPECT_EQ(values[1].toObject()["type"].toString(), "Double");
    EXPECT_EQ(values[1].toObject()["status"].toString(), "Good");

    const CliResult refused = RunCli(Opc(server, "write", {"ns=1;s=Loop1.SP", "1"}));
    EXPECT_EQ(refused.ExitCode, 2);
    EXPECT_TRUE(refused.Error.contains("ns=1;s=Loop1.SP: BadNotWritable"))
        << refused.Error.toStdString();
    EXPECT_EQ(RunCli(Opc(server, "write", {"ns=1;s=Types.Byte", "300"})).ExitCode, 2);
    EXPECT_EQ(RunCli(Opc(server, "read", {"Loop1.MV"})).ExitCode, 1);

    QProcess watch;
    watch.start(
        QStringLiteral(VARKOL_CLI_PATH),
        Opc(server, "watch", {"ns=1;s=Loop1.Fast", "--seconds", "1.5", "--interval", "100"}));
    ASSERT_TRUE(watch.waitForFinished(30000));
    EXPECT_EQ(watch.exitCode(), 0);
    const QList<QByteArray> lines = watch.readAllStandardOutput().trimmed().split('\n');
    EXPECT_GE(lines.size(), 5);
    EXPECT_EQ(QJsonDocument::fromJson(lines.last()).object()["node_id"].toString(),
              "ns=1;s=Loop1.Fast");

    server.Stop();
    const CliResult gone = RunCli(Opc(server, "read", {"i=2259", "--timeout", "500"}));
    EXPECT_EQ(gone.ExitCode, 2);
    EXPECT_TRUE(gone.Error.contains("Unable to connect to OPC server")) << gone.Error.toStdString();
}
