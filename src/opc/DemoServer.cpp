#include "opc/DemoServer.h"

#include "opc/UaConnection.h"

#include "opc/InProcessConnection.h"

namespace {

constexpr double MvAtRest = 10.0;
constexpr double Y1Offset = 20.0;
constexpr double Y2Offset = 30.0;

void AddController(InProcessServer& server, const QString& branch)
{
    using namespace OpcType;
    server.AddTag(branch + QStringLiteral(".P"), R8, 1.0, true);
    server.AddTag(branch + QStringLiteral(".I"), R8, 0.0, true);
    server.AddTag(branch + QStringLiteral(".D"), R8, 0.0, true);
    server.AddTag(branch + QStringLiteral(".RA"), I4, 1, true);
    server.AddTag(branch + QStringLiteral(".Manual"), I4, 0, true);
    server.AddTag(branch + QStringLiteral(".Auto"), I4, 0, true);
}

void AddAddressSpace(InProcessServer& server)
{
    using namespace OpcType;
    server.AddTag(DemoTags::MV, R8, MvAtRest, true, 0, 100);
    server.AddTag(DemoTags::U, R8, 0.0, false, -10, 90);
    server.AddTag(DemoTags::Y1, R8, Y1Offset, false, 0, 100);
    server.AddTag(DemoTags::Y2, R8, Y2Offset, false, 0, 100);
    AddController(server, QStringLiteral("Loop1.Controller1"));
    AddController(server, QStringLiteral("Loop1.Controller2"));

    server.AddTag(QStringLiteral("Boiler.Temperature"), R8, 84.5, false, 0, 150);
    server.AddTag(QStringLiteral("Boiler.Pressure"), R4, 2.4, false, 0, 10);
    server.AddTag(QStringLiteral("Boiler.Level"), I2, 62, false, 0, 100);
    server.AddTag(QStringLiteral("Boiler.Burner.On"), Bool, true, true);
    server.AddTag(QStringLiteral("Boiler.Burner.Stage"), UI1, 2, true);
    server.AddTag(QStringLiteral("Pump1.Running"), Bool, true, true);
    server.AddTag(QStringLiteral("Pump1.Speed"), R8, 1450.0, true, 0, 3000);
    server.AddTag(QStringLiteral("Pump1.Hours"), I4, 12034, false);
    server.AddTag(QStringLiteral("Server.Description"), Bstr, QStringLiteral("Varkol demo server"),
                  false);
    server.AddTag(QStringLiteral("Server.StartTime"), Date, QDateTime::currentDateTimeUtc(), false);
    server.AddBranch(QStringLiteral("Spare"));
}

} // namespace

DemoLoopPlant::DemoLoopPlant(InProcessServer& server) : QObject(&server), server_(server)
{
    setObjectName(QStringLiteral("DemoLoopPlant"));
    connect(&timer_, &QTimer::timeout, this, &DemoLoopPlant::Step);
    timer_.start(StepMilliseconds);
}

void DemoLoopPlant::Step()
{
    const InProcessTag* mvTag = server_.FindTag(DemoTags::MV);
    const double u = (mvTag ? mvTag->Value.toDouble() : MvAtRest) - MvAtRest;
    const double lag1Before = lag1_;
    const double lag2Before = lag2_;
    lag1_ = 0.9 * lag1_ + 0.1 * u;
    lag2_ = 0.95 * lag2_ + 0.05 * lag1Before;
    std::normal_distribution<double> noise1(0.0, 0.2);
    std::normal_distribution<double> noise2(0.0, 0.1);
    server_.SetTagValue(DemoTags::U, u);
    server_.SetTagValue(DemoTags::Y1, Y1Offset + lag1Before + (noise_ ? noise1(random_) : 0.0));
    server_.SetTagValue(DemoTags::Y2, Y2Offset + lag2Before + (noise_ ? noise2(random_) : 0.0));
}

std::shared_ptr<InProcessServer> CreateDemoServer()
{
    auto server = std::make_shared<InProcessServer>(
        DemoServerProgID, QStringLiteral("Varkol demo server (simulated control loop)"));
    AddAddressSpace(*server);
    new DemoLoopPlant(*server);
    return server;
}

DemoLoopPlant* DemoPlantOf(InProcessServer& server)
{
    return server.findChild<DemoLoopPlant*>(QString(), Qt::FindDirectChildrenOnly);
}

std::shared_ptr<InProcessRegistry> CreateDefaultRegistry()
{
    auto registry = std::make_shared<InProcessRegistry>();
    registry->Register(CreateDemoServer());
    return registry;
}

OpcClientObjects CreateDefaultOpcClient()
{
    const std::shared_ptr<InProcessRegistry> registry = CreateDefaultRegistry();
    return {std::make_unique<UaServerBrowser>(registry), std::make_unique<UaConnection>(registry)};
}
