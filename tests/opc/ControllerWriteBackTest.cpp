// The write-back of controller parameters against the demo server: what it
// refuses before anything is written, what it writes and reads back, and the
// values it keeps for "Povrni prejšnje".

#include "base/Errors.h"
#include "opc/ControllerWriteBack.h"
#include "opc/DemoServer.h"
#include "opc/OpcTestSupport.h"
#include "support/LocaleScope.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Log = QList<QPair<QString, QVariant>>;

LoopTags ControllerTags()
{
    LoopTags tags;
    tags.SetTag(TagRole::P, DemoTags::P1);
    tags.SetTag(TagRole::I, DemoTags::I1);
    tags.SetTag(TagRole::D, DemoTags::D1);
    return tags;
}

std::array<WriteBackField, 3> Fields(const char* p, const char* i, const char* d)
{
    return {WriteBackField{QString::fromUtf8(p)}, WriteBackField{QString::fromUtf8(i)},
            WriteBackField{QString::fromUtf8(d)}};
}

std::string Refusal(const LoopTags& tags, const std::array<WriteBackField, 3>& fields,
                    bool tuned = true)
{
    try {
        PlanWriteBack(tags, fields, tuned);
    } catch (const VarkolError& e) {
        return e.what();
    }
    return {};
}

struct Plant {
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Demo = CreateDemoServer();
    InProcessConnection Connection{Registry};
    OpcGroup* Group = nullptr;
    std::unique_ptr<ControllerWriteBack> WriteBack;

    Plant()
    {
        Registry->Register(Demo);
        Connection.ConnectDelay = 0;
        Group = Connection.AddGroup(QStringLiteral("SkupReg"));
        Group->SetUpdateRate(20);
        WriteBack = std::make_unique<ControllerWriteBack>(Connection, *Group);
        WriteBack->WaitMs = 1000;
        Connection.ConnectServer(DemoServerProgID, QString());
    }
    std::string Failure(const WriteBackPlan& plan)
    {
        try {
            WriteBack->Write(plan);
        } catch (const OpcError& e) {
            return e.what();
        }
        return {};
    }
};

} // namespace

TEST(ControllerWriteBack, RefusesPartialOrMeaninglessSetsBeforeWriting)
{
    LocaleScope point(LocaleScope::Point());
    const LoopTags tags = ControllerTags();
    EXPECT_NE(Refusal(tags, Fields("1", "2", "3"), false).find("še ni izračunanih"), std::string::npos);
    EXPECT_NE(Refusal(tags, Fields("0", "", "0")).find("vsi parametri"), std::string::npos);
    for (const auto& [fields, name] : {std::pair{Fields("1.5", "abc", "0.1"), "I"},
                                       std::pair{Fields("nan", "0.2", "0.1"), "P"},
                                       std::pair{Fields("1.5", "0.2", "inf"), "D"}})
        EXPECT_EQ(Refusal(tags, fields).rfind(std::string("Parameter ") + name + ": ", 0), 0u)
            << Refusal(tags, fields);

    // A value without a tag is refused; a P or PI controller without a D tag
    // has nothing to write there and is written without it.
    LoopTags noD = tags;
    noD.SetTag(TagRole::D, QString());
    EXPECT_NE(Refusal(noD, Fields("1", "2", "3")).find("\"D člen\""), std::string::npos);
    std::array<WriteBackField, 3> pi = Fields("1", "2", "");
    const WriteBackPlan plan = PlanWriteBack(noD, pi, true);
    EXPECT_TRUE(plan.Parameters[2].Skipped);
    pi[2] = WriteBackField{QStringLiteral("7"), false}; // hidden by the controller form
    EXPECT_TRUE(PlanWriteBack(noD, pi, true).Parameters[2].Skipped);
    // With its tag, an empty field is written as the integer 0.
    const WriteBackPlan zero = PlanWriteBack(tags, Fields("1", "2", ""), true);
    EXPECT_EQ(zero.Parameters[2].Value, QVariant(0));
    EXPECT_EQ(zero.Parameters[2].Value.typeId(), QMetaType::Int);
    EXPECT_EQ(zero.Question(), "Zapišem v regulator?\nP (Loop1.Controller1.P) = 1\n"
                               "I (Loop1.Controller1.I) = 2\nD (Loop1.Controller1.D) = 0");
}

TEST(ControllerWriteBack, WritesReadsBackAndRestoresThePreviousValues)
{
    LocaleScope comma(LocaleScope::Comma());
    Plant plant;
    plant.Demo->SetTagValue(DemoTags::P1, 2.0);
    plant.Demo->SetTagValue(DemoTags::I1, 0.5);
    plant.Demo->SetTagValue(DemoTags::D1, 0.0);
    const QString status =
        plant.WriteBack->Write(PlanWriteBack(ControllerTags(), Fields("1,5", "0,25", ""), true));
    ASSERT_EQ(plant.Demo->WriteLog,
              (Log{{DemoTags::P1, 1.5}, {DemoTags::I1, 0.25}, {DemoTags::D1, 0}}));
    EXPECT_EQ(status, "Naloženo v regulator: P (Loop1.Controller1.P) 2 → 1,5; "
                      "I (Loop1.Controller1.I) 0,5 → 0,25; D (Loop1.Controller1.D) 0 → 0.");

    const std::optional<WriteBackPlan> previous = plant.WriteBack->PreviousValues();
    ASSERT_TRUE(previous);
    plant.WriteBack->Write(*previous);
    EXPECT_EQ(plant.Demo->WriteLog.mid(3),
              (Log{{DemoTags::P1, 2.0}, {DemoTags::I1, 0.5}, {DemoTags::D1, 0.0}}));
    EXPECT_EQ(plant.Demo->FindTag(DemoTags::P1)->Value, QVariant(2.0));
}

TEST(ControllerWriteBack, SaysWhatWasWrittenWhenTheServerRefusesOrDoesNotAnswer)
{
    LocaleScope point(LocaleScope::Point());
    Plant plant;
    const WriteBackPlan plan = PlanWriteBack(ControllerTags(), Fields("1.5", "0.5", "0.1"), true);

    plant.Demo->RefuseWrite(DemoTags::I1);
    const std::string refused = plant.Failure(plan);
    EXPECT_EQ(plant.Demo->WriteLog, (Log{{DemoTags::P1, 1.5}}));
    EXPECT_EQ(refused.rfind("Cannot write Items:\r\n" + DemoTags::I1.toStdString(), 0), 0u) << refused;
    EXPECT_TRUE(refused.ends_with("Zapisano: P.")) << refused;
    EXPECT_TRUE(plant.WriteBack->PreviousValues()); // P was changed: it can be put back

    // A tag the server does not deliver: nothing is written.
    plant.Demo->AcceptAll();
    plant.Demo->WriteLog.clear();
    plant.WriteBack->WaitMs = 200;
    LoopTags unknown = ControllerTags();
    unknown.SetTag(TagRole::P, QStringLiteral("Loop1.Controller1.Nope"));
    EXPECT_NE(plant.Failure(PlanWriteBack(unknown, Fields("1", "2", "3"), true))
                  .find("\"Loop1.Controller1.Nope\" v 0.2 s ni dobila dobre kakovosti"),
              std::string::npos);
    EXPECT_TRUE(plant.Demo->WriteLog.isEmpty());

    // Without a connection: said at once.
    plant.Connection.DisconnectServer();
    EXPECT_NE(plant.Failure(plan).find("povezava z OPC strežnikom ni vzpostavljena"),
              std::string::npos);
}
