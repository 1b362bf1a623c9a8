// The start of an experiment against the demo server: every check that can
// refuse a run comes before the first write to the plant.

#include "data/Podatki.h"
#include "experiment/OpcPlantPort.h"
#include "experiment/RunEngine.h"
#include "experiment/RunStart.h"
#include "opc/DemoServer.h"
#include "opc/OpcTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Log = QList<QPair<QString, QVariant>>;

struct Rig {
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Demo = CreateDemoServer();
    InProcessConnection Connection{Registry};
    OpcGroup* Group = nullptr;
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    OpcPlantPort Plant{Connection};
    RunEngine Engine{*Store, Plant, MakeSeededUniformGenerator(1)};
    RunPlan Plan;
    QStringList Questions;
    bool Answer = false;

    Rig()
    {
        Registry->Register(Demo);
        Connection.ConnectDelay = 0;
        Group = Connection.AddGroup(QStringLiteral("Skupina1"));
        Group->SetUpdateRate(10);
        Connection.ConnectServer(DemoServerProgID, QString());
        Plan.Loop.SetTag(TagRole::MV, DemoTags::MV);
        Plan.Loop.SetTag(TagRole::U, DemoTags::U);
        Plan.Loop.SetTag(TagRole::Y1, DemoTags::Y1);
        Plan.Loop.SetTag(TagRole::Manual, DemoTags::Manual1);
        Plan.Loop.SetTag(TagRole::Auto, DemoTags::Auto1);
    }
    RunStart Start()
    {
        RunStartHooks hooks;
        hooks.WaitForMvQuality = [this] { return PumpUntil([this] { return Plant.IsMVQualityGood(); }, 500); };
        hooks.Ask = [this](const QString& q) {
            Questions << q;
            return Answer;
        };
        return StartRun(Plan, Connection, *Group, Plant, Engine, hooks);
    }
};

} // namespace

TEST(RunStart, ARefusedRunWritesNothingToThePlant)
{
    Rig noValue; // keeping the plant's MV without a good value to keep
    noValue.Plan.KeepInitialInput = true;
    noValue.Demo->SetTagQuality(DemoTags::MV, OpcQualityUncertain);
    const RunStart refused = noValue.Start();
    EXPECT_FALSE(refused.Started);
    EXPECT_TRUE(refused.Refusal.contains("Začetnega vhoda ni mogoče ohraniti"));
    EXPECT_TRUE(noValue.Demo->WriteLog.isEmpty());

    Rig noSwitch; // MV would be written, the controller has no switch tags
    noSwitch.Plan.Loop.SetTag(TagRole::Auto, QString());
    EXPECT_FALSE(noSwitch.Start().Started);
    ASSERT_EQ(noSwitch.Questions.size(), 1);
    EXPECT_TRUE(noSwitch.Questions[0].contains("Avtomatsko"));
    EXPECT_TRUE(noSwitch.Demo->WriteLog.isEmpty());
    noSwitch.Answer = true;
    const RunStart accepted = noSwitch.Start();
    EXPECT_TRUE(accepted.Started && accepted.LoopNotSwitched);
    EXPECT_EQ(noSwitch.Demo->WriteLog, (Log{{DemoTags::Manual1, 1}}));
}

TEST(RunStart, TheLoopIsSwitchedFirstAndRefusedTagsAreNamed)
{
    Rig rig;
    rig.Plan.Automatic = true;
    rig.Plan.WaitTime = 4;
    rig.Plan.Loop.SetTag(TagRole::Y2, QStringLiteral("Loop1.Nope"));
    const RunStart start = rig.Start();
    ASSERT_TRUE(start.Started) << start.Refusal.toStdString();
    EXPECT_EQ(start.UntaggedSignals, QStringList{"Y2"});
    EXPECT_TRUE(rig.Questions.isEmpty());
    EXPECT_EQ(rig.Demo->WriteLog, (Log{{DemoTags::Manual1, 1}}));
    EXPECT_EQ(rig.Engine.NextEventTime, 4);
    // The group holds this run's items only, also when it is started again.
    rig.Start();
    EXPECT_EQ(rig.Group->OPCItems().size(), 6u);
}
