// Fault drills: a run on an in-process plant whose server misbehaves mid-run.
// In each the run goes on (or ends) as a user would expect, every sample is
// stored at its nominal time with the value the plant delivered for it, and
// a fault is told once, not once per tick. Ticks are taken by calling the
// timer's handler; before each, the plant's Y1 is set to the sample's number
// and delivered, so that a lost or shifted sample shows in the record.

#include "experiment/FormaEksperiment.h"

#include "data/Podatki.h"
#include "opc/OpcTestSupport.h"
#include "opc/UaConnection.h"
#include "opc/UaTestServer.h"
#include "support/ScriptedDialogs.h"

#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString MV = QStringLiteral("L.MV");
const QString U = QStringLiteral("L.U");
const QString Y1 = QStringLiteral("L.Y1");
const QString Y2 = QStringLiteral("L.Y2");
const QString RA = QStringLiteral("L.RA");

struct Drill {
    ScriptedDialogs Scripted;
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Server =
        std::make_shared<InProcessServer>(QStringLiteral("Drill.Plant.1"), QStringLiteral("Plant"));
    InProcessConnection Connection{Registry};
    TEksperiment W{*Store, Connection};
    RunPlan Plan;
    int Ticks = 0;

    // An automatic run of the worked example: wait 10 s, two steps of 1
    // lasting 5 s, sampling 1 s, from MV 50: 23 samples.
    Drill()
    {
        for (const QString& tag : {MV, U, Y1, Y2})
            Server->AddTag(tag, OpcType::R8, 0.0, tag == MV);
        Server->AddTag(RA, OpcType::I4, 1, true);
        Registry->Register(Server);
        Connection.ConnectDelay = 0;
        Connection.ConnectServer(Server->ProgID(), QString());
        Plan.Label = QStringLiteral("Vaja");
        Plan.Automatic = true;
        Plan.SamplingMs = 1000;
        Plan.InitialInput = 50;
        Plan.WaitTime = 10;
        Plan.StepDuration = 5;
        Plan.NumberOfSteps = 2;
        Plan.StepSize = 1;
        Plan.ClosedLoopAfter = true;
        Plan.Loop.SetTag(TagRole::MV, MV);
        Plan.Loop.SetTag(TagRole::U, U);
        Plan.Loop.SetTag(TagRole::Y1, Y1);
        Plan.Loop.SetTag(TagRole::Y2, Y2);
        Plan.Loop.SetTag(TagRole::RA, RA);
        Plan.Loop.Switch1 = {0, 0};
    }

    void Show()
    {
        Server->SetTagValue(Y1, 1.0); // the value of sample 1
        ASSERT_TRUE(W.Start(Plan).Started);
        ASSERT_TRUE(PumpUntil([&] { return W.Plant.ItemY1->Value == QVariant(1.0); }));
        W.show();
        W.Timer1->stop();
        Ticks = 1;
    }

    // The next tick, with Y1 = its sample's number; `deliver`: waits for the
    // value to reach the program first.
    void Tick(bool deliver = true)
    {
        ++Ticks;
        Server->SetTagValue(Y1, double(Ticks));
        if (deliver) {
            ASSERT_TRUE(
                PumpUntil([&] { return W.Plant.ItemY1->Value == QVariant(double(Ticks)); }));
        }
        W.Timer1Timer();
    }

    bool Finished() const { return !W.isVisible() && W.Engine.CloseRequested; }

    // Samples 1..n hold their number in Y1 and their nominal time.
    void ExpectSamplesInPlace(int n) const
    {
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(Store->Column(5)[i - 1], double(i)) << "Y1 of sample " << i;
            EXPECT_DOUBLE_EQ(Store->Time[static_cast<std::size_t>(i - 1)], i - 1.0);
        }
    }

    QString Status() const { return W.StatusBar1->currentMessage(); }
};

TEST(FaultDrill, TheServerGoneMidRunEndsTheRunWithThePlantsSamplesOnly)
{
    Drill d;
    d.Show();
    for (int i = 0; i < 11; ++i)
        d.Tick();
    // The server's process ends: the link breaks and it takes no new
    // connection.
    d.Server->RefuseConnections = true;
    d.Connection.DisconnectServer();
    d.W.Timer1Timer();
    d.W.Timer1Timer();

    ASSERT_TRUE(d.Finished()) << "the run went on without its plant";
    EXPECT_EQ(d.Store->SampleCount, 12);
    d.ExpectSamplesInPlace(12);
    EXPECT_FALSE(d.Status().contains(QStringLiteral("Simulacija")));
    ASSERT_EQ(d.Scripted.Messages.size(), 0); // told when the window has closed
}

TEST(FaultDrill, AShutdownRequestEndsTheRunOnceAndTellsItOnce)
{
    Drill d;
    RunOutcome outcome;
    // Run shows the window modally: the drill runs inside its event loop,
    // once the window is up.
    QTimer drill;
    drill.setInterval(5);
    QObject::connect(&drill, &QTimer::timeout, [&] {
        if (!d.W.isVisible() || !drill.isActive())
            return;
        drill.stop();
        d.W.Timer1->stop();
        d.Ticks = 1;
        for (int i = 0; i < 14; ++i)
            d.Tick();
        d.Server->RequestShutdown(QStringLiteral("Vzdrževanje"));
        ASSERT_TRUE(PumpUntil([&] { return !d.Connection.Active(); }));
        d.W.Timer1Timer();
        d.W.Timer1Timer();
    });
    drill.start();
    d.Server->SetTagValue(Y1, 1.0);
    outcome = d.W.Run(d.Plan);

    EXPECT_TRUE(outcome.Finished);
    EXPECT_EQ(d.Store->SampleCount, 15);
    d.ExpectSamplesInPlace(15);
    ASSERT_EQ(d.Scripted.Messages.size(), 1);
    EXPECT_TRUE(d.Scripted.Messages[0].contains(QStringLiteral("15 vzorcev")));
    // Nothing could be written after the loss: the loop switch of the end
    // was dropped, not refused.
    EXPECT_EQ(d.Server->WriteLog.back().first, MV);
}

TEST(FaultDrill, RefusedWritesMidRunCostNoSampleAndAreToldOnce)
{
    Drill d;
    d.Show();
    for (int i = 0; i < 10; ++i)
        d.Tick(); // sample 11, time 10: the first step follows it
    d.Server->RefuseWrite(MV);
    for (int i = 0; i < 4; ++i)
        d.Tick(); // each tries MV = 51 again
    EXPECT_EQ(d.Store->SampleCount, 16) << "the next sample's number";
    EXPECT_TRUE(d.Status().contains(QStringLiteral("MV ni zapisan")));
    PumpFor(20); // the message is told outside the tick
    EXPECT_EQ(d.Scripted.Messages.size(), 1);
    EXPECT_TRUE(d.Scripted.Messages.value(0).contains(QStringLiteral("zavrnil zapis MV")));

    d.Server->AcceptAll();
    while (!d.Finished() && d.Ticks < 40)
        d.Tick();
    ASSERT_TRUE(d.Finished());
    EXPECT_EQ(d.Store->SampleCount, 23);
    d.ExpectSamplesInPlace(23);
    EXPECT_FALSE(d.Status().contains(QStringLiteral("MV ni zapisan")));
    EXPECT_EQ(d.Scripted.Messages.size(), 1);
    EXPECT_EQ(d.Store->Column(1)[11], 51.0) << "the record holds the MV the run set";
    EXPECT_EQ(d.Server->FindTag(MV)->Value, QVariant(52.0));
}

TEST(FaultDrill, QualitiesTurningBadAreShownWhileTheyLastAndTheRecordGoesOn)
{
    Drill d;
    d.Show();
    for (int i = 0; i < 5; ++i)
        d.Tick();
    d.Server->SetTagQuality(Y2, OpcQualityBad);
    d.Server->SetTagQuality(U, OpcQualityUncertain);
    for (int i = 0; i < 5; ++i)
        d.Tick();
    EXPECT_TRUE(d.Status().contains(QStringLiteral("Slaba kakovost: U, Y2.")));
    d.Server->SetTagQuality(Y2, OpcQualityGood);
    d.Server->SetTagQuality(U, OpcQualityGood);
    while (!d.Finished() && d.Ticks < 40)
        d.Tick();
    ASSERT_TRUE(d.Finished());
    EXPECT_EQ(d.Store->SampleCount, 23);
    d.ExpectSamplesInPlace(23);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty());
}

TEST(FaultDrill, DeliveriesSlowerThanSamplingNeverSendAnOldMvAndShiftNoSample)
{
    Drill d;
    d.Plan.SamplingMs = 100; // wait 1 s, steps of 0.5 s
    d.Plan.WaitTime = 1;
    d.Plan.StepDuration = 0.5;
    d.Show();
    d.Server->DeliveryDelay = 250;
    int n = 1;
    while (!d.Finished() && n < 60) {
        PumpFor(100);
        d.W.Timer1Timer();
        ++n;
    }
    ASSERT_TRUE(d.Finished());
    const int count = d.Store->SampleCount;
    EXPECT_EQ(count, n);
    for (int i = 1; i <= count; ++i)
        EXPECT_NEAR(d.Store->Time[static_cast<std::size_t>(i - 1)], 0.1 * (i - 1), 1e-9);
    // The write repeats until the value is delivered back, but always the
    // present level: never one the run has left.
    double last = 0;
    for (const auto& [tag, value] : d.Server->WriteLog) {
        if (tag != MV)
            continue;
        EXPECT_GE(value.toDouble(), last);
        last = value.toDouble();
    }
    EXPECT_EQ(last, 52.0);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty());
}

TEST(FaultDrill, ABurstOfDeliveriesBetweenTicksGivesOneSampleWithTheLatestValues)
{
    Drill d;
    d.Show();
    d.Tick();
    for (int k = 1; k <= 300; ++k) {
        d.Server->SetTagValue(Y2, double(k));
        if (k % 10 == 0)
            PumpFor(12);
    }
    ASSERT_TRUE(PumpUntil([&] { return d.W.Plant.ItemY2->Value == QVariant(300.0); }));
    d.Tick();
    EXPECT_EQ(d.Store->SampleCount, 4) << "the next sample's number";
    EXPECT_EQ(d.Store->Column(6)[2], 300.0);
    d.ExpectSamplesInPlace(3);
}

// The same drills against the OPC UA test server's loop (node-opcua in a
// child process). Its plant moves on its own, so the record is checked for
// sample count and nominal times; the server's faults are switched through
// its standard input. Sampling 100 ms from MV 30 in manual; an automatic run
// waits 1 s and makes two steps of 1 lasting 0.5 s: 23 samples.
struct UaDrill {
    UaTestServer Server;
    ScriptedDialogs Scripted;
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    UaConnection Connection{std::make_shared<InProcessRegistry>()};
    TEksperiment W{*Store, Connection};
    RunPlan Plan;
    int Ticks = 0;

    UaDrill()
    {
        Connection.RememberEndpoints = false;
        Connection.TimeoutMs = 2000;
        W.QualityWaitLimitMs = 10000;
        Plan.SamplingMs = 100;
        Plan.InitialInput = 30;
        for (const auto& [role, name] : {std::pair{TagRole::MV, "MV"},
                                         {TagRole::U, "U"},
                                         {TagRole::Y1, "Y1"},
                                         {TagRole::Y2, "Y2"},
                                         {TagRole::RA, "RA"}})
            Plan.Loop.SetTag(role, QStringLiteral("ns=1;s=Loop1.") + QString::fromLatin1(name));
        Plan.Loop.Switch1 = {0, 0};
    }

    void Automatic()
    {
        Plan.Automatic = true;
        Plan.WaitTime = 1;
        Plan.StepDuration = 0.5;
        Plan.NumberOfSteps = 2;
        Plan.StepSize = 1;
    }

    void Show()
    {
        Connection.ConnectServer(Server.Url(), QString());
        ASSERT_TRUE(W.Start(Plan).Started);
        W.show();
        W.Timer1->stop();
        Ticks = 1;
    }

    // A sampling period of events, then the tick.
    void Tick()
    {
        PumpFor(Plan.SamplingMs);
        W.Timer1Timer();
        ++Ticks;
    }

    bool Finished() const { return !W.isVisible() && W.Engine.CloseRequested; }

    void RunToTheEnd()
    {
        while (!Finished() && Ticks < 60)
            Tick();
    }

    // Every sample is there at its nominal time.
    void ExpectNominalTimes(int count) const
    {
        EXPECT_EQ(Store->SampleCount, count);
        for (int i = 1; i <= Store->SampleCount; ++i)
            EXPECT_NEAR(Store->Time[static_cast<std::size_t>(i - 1)], 0.1 * (i - 1), 1e-9);
    }

    QString Status() const { return W.StatusBar1->currentMessage(); }
};

TEST(FaultDrill, TheOpcUaServerKilledMidRunEndsTheRunWithItsSamples)
{
    UaDrill d;
    START_UA_TEST_SERVER(d.Server);
    d.Show();
    for (int i = 0; i < 20; ++i)
        d.Tick();
    EXPECT_EQ(d.Store->Column(3)[19], 30.0) << "U follows MV on the plant in manual";

    d.Server.Kill();
    ASSERT_TRUE(PumpUntil([&] { return !d.Connection.Active(); }, 15000));
    d.W.Timer1Timer();
    EXPECT_FALSE(d.W.isVisible());
    EXPECT_TRUE(d.W.Engine.ConnectionLost);
    d.ExpectNominalTimes(21);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty()) << d.Scripted.Messages.join(u'\n').toStdString();
}

TEST(FaultDrill, TheOpcUaServerShuttingDownMidRunEndsTheRunWithItsSamples)
{
    UaDrill d;
    START_UA_TEST_SERVER(d.Server);
    d.Show();
    for (int i = 0; i < 10; ++i)
        d.Tick();
    // The server announces its shutdown and ends its sessions 300 ms later.
    ASSERT_TRUE(d.Server.Send(QStringLiteral("shutdown 300")));
    while (d.Connection.Active() && d.Ticks < 100)
        d.Tick();
    ASSERT_FALSE(d.Connection.Active());
    EXPECT_FALSE(d.W.isVisible()) << "the tick after the loss ends the run";
    EXPECT_TRUE(d.W.Engine.ConnectionLost);
    d.ExpectNominalTimes(d.Ticks - 1);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty()) << d.Scripted.Messages.join(u'\n').toStdString();
}

TEST(FaultDrill, TheOpcUaServerRefusingWritesMidRunCostsNoSampleAndIsToldOnce)
{
    UaDrill d;
    START_UA_TEST_SERVER(d.Server);
    d.Automatic();
    d.Show();
    for (int i = 0; i < 9; ++i)
        d.Tick();
    ASSERT_TRUE(d.Server.Send(QStringLiteral("refuse MV")));
    for (int i = 0; i < 5; ++i)
        d.Tick(); // the first step is due: each tick tries MV = 31 again
    PumpFor(200);
    EXPECT_TRUE(d.Status().contains(QStringLiteral("MV ni zapisan"))) << d.Status().toStdString();
    ASSERT_EQ(d.Scripted.Messages.size(), 1);
    EXPECT_TRUE(d.Scripted.Messages[0].contains(QStringLiteral("zavrnil zapis MV")));

    ASSERT_TRUE(d.Server.Send(QStringLiteral("accept")));
    d.RunToTheEnd();
    ASSERT_TRUE(d.Finished());
    d.ExpectNominalTimes(23);
    EXPECT_FALSE(d.Status().contains(QStringLiteral("MV ni zapisan")));
    EXPECT_EQ(d.Scripted.Messages.size(), 1);
    EXPECT_EQ(d.Store->Column(1)[22], 32.0) << "the record holds the MV the run set";
}

TEST(FaultDrill, OpcUaQualitiesTurningBadAreShownWhileTheyLastAndTheRecordGoesOn)
{
    UaDrill d;
    START_UA_TEST_SERVER(d.Server);
    d.Show();
    for (int i = 0; i < 3; ++i)
        d.Tick();
    ASSERT_TRUE(d.Server.Send(QStringLiteral("quality Y2 bad")));
    ASSERT_TRUE(d.Server.Send(QStringLiteral("quality U uncertain")));
    for (int i = 0; i < 5; ++i)
        d.Tick();
    EXPECT_TRUE(d.Status().contains(QStringLiteral("Slaba kakovost: U, Y2.")))
        << d.Status().toStdString();
    ASSERT_TRUE(d.Server.Send(QStringLiteral("quality Y2 good")));
    ASSERT_TRUE(d.Server.Send(QStringLiteral("quality U good")));
    for (int i = 0; i < 5; ++i)
        d.Tick();
    EXPECT_FALSE(d.Status().contains(QStringLiteral("Slaba kakovost"))) << d.Status().toStdString();
    d.W.KonecEksperimentaClick();
    d.ExpectNominalTimes(14);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty()) << d.Scripted.Messages.join(u'\n').toStdString();
}

TEST(FaultDrill, AnOpcUaServerStallingLongerThanSamplingShiftsNoSampleAndSendsNoOldMv)
{
    UaDrill d;
    START_UA_TEST_SERVER(d.Server);
    d.Automatic();
    d.Show();
    ASSERT_TRUE(d.Server.Send(QStringLiteral("log")));
    // Three stalls of 350 ms: during each the run goes on without news,
    // across the steps at samples 11 and 16.
    for (int stall = 0; stall < 3; ++stall) {
        d.Server.Send(QStringLiteral("stall 350"), 0);
        for (int i = 0; i < 5; ++i)
            d.Tick();
    }
    d.RunToTheEnd();
    ASSERT_TRUE(d.Finished());
    d.ExpectNominalTimes(23);
    // A write may repeat until its value is delivered back, but always the
    // present level: never one the run has left.
    QList<double> written;
    for (const QByteArray& line : d.Server.Output().split('\n'))
        if (line.startsWith("WRITE MV "))
            written.append(line.mid(9).toDouble());
    ASSERT_FALSE(written.isEmpty());
    for (qsizetype i = 1; i < written.size(); ++i)
        EXPECT_GE(written[i], written[i - 1]) << "write " << i;
    EXPECT_EQ(written.back(), 32.0);
    EXPECT_EQ(d.Store->Column(1)[22], 32.0);
    EXPECT_TRUE(d.Scripted.Messages.isEmpty()) << d.Scripted.Messages.join(u'\n').toStdString();
}

} // namespace
