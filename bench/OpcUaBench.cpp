// The OPC UA client against the node-opcua test server on loopback: connect
// (channel and session), a Read of 10 values, and how old the latest value
// of a 10 ms subscription is when it reaches the item. The same operations
// with node-opcua's own client: bench/opcua_node_client.js.
//
// Needs node-opcua in tests/opc/uaserver (scripts/test runs npm ci there).

#include "opc/UaClient.h"
#include "opc/UaConnection.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString g_url;

std::vector<Ua::ReadValueId> TenValues()
{
    std::vector<Ua::ReadValueId> nodes;
    for (const char* name : {"MV", "U", "Y1", "Y2", "P", "I", "D", "RA", "Manual", "Auto"})
        nodes.push_back({*Ua::ParseNodeId(std::string("ns=1;s=Loop1.") + name)});
    return nodes;
}

void BM_UaConnect(benchmark::State& state)
{
    for (auto _ : state) {
        UaClient client;
        client.Connect(g_url);
        state.PauseTiming();
        client.Close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UaConnect)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_UaRead10(benchmark::State& state)
{
    UaClient client;
    client.Connect(g_url);
    const std::vector<Ua::ReadValueId> nodes = TenValues();
    for (auto _ : state)
        benchmark::DoNotOptimize(client.Read(nodes));
    client.Close();
}
BENCHMARK(BM_UaRead10)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(500)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Age of each delivered value of a 10 ms subscription (arrival minus the
// server's source time stamp), as the item sees it: the median in ms.
void BM_UaSubscription10ms(benchmark::State& state)
{
    UaConnection connection(std::make_shared<InProcessRegistry>());
    connection.RememberEndpoints = false;
    OpcGroup* group = connection.AddGroup(QStringLiteral("Skupina1"));
    group->SetUpdateRate(10);
    OpcItem* fast = connection.AddItem(*group, QStringLiteral("ns=1;s=Loop1.Fast"));
    connection.ConnectServer(g_url, QString());
    std::vector<double> ages;
    QObject::connect(&connection, &OpcServer::OnDatachange, [&](OpcGroup*) {
        ages.push_back(
            double(QDateTime::currentMSecsSinceEpoch() - fast->TimeStamp.toMSecsSinceEpoch()));
    });
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    connection.DisconnectServer();
    std::sort(ages.begin(), ages.end());
    state.counters["deliveries"] = double(ages.size());
    state.counters["median_age_ms"] = ages.empty() ? -1 : ages[ages.size() / 2];
    state.counters["granted_rate_ms"] = group->UpdateRate();
}
BENCHMARK(BM_UaSubscription10ms)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess server;
    server.setWorkingDirectory(QStringLiteral(VARKOL_UA_SERVER_DIR));
    server.start(QStringLiteral("node"),
                 {QStringLiteral("server.js"), QStringLiteral("--port"), QString::number(port),
                  QStringLiteral("--pki"),
                  QDir::tempPath() + QStringLiteral("/varkol-ua-pki-bench")});
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains('\n') && clock.elapsed() < 60000 &&
           server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(100);
        out += server.readAllStandardOutput();
    }
    if (!out.startsWith("READY ")) {
        std::fprintf(stderr, "the node-opcua test server did not start (npm ci in %s)\n",
                     VARKOL_UA_SERVER_DIR);
        return 1;
    }
    g_url = QString::fromUtf8(out.mid(6, out.indexOf('\n') - 6)).trimmed();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.terminate();
    server.waitForFinished(5000);
    return 0;
}
