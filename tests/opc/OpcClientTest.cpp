// The transport-independent part of the OPC layer: reports, state texts,
// quality classes and the bookkeeping of groups and items while no server
// is connected.

#include "opc/OpcClient.h"
#include "base/Errors.h"
#include "opc/OpcTestSupport.h"

#include <gtest/gtest.h>

TEST(OpcItemErrorReport, OneCrLfLinePerItemUpToTwentySix)
{
    QList<OpcItemError> refused = {{"A.B", OpcResult::BadRights, "No rights."},
                                   {"C", OpcResult::Fail, QString()}};
    EXPECT_EQ(OpcItemErrorReport("Cannot write Items:", refused),
              QStringLiteral("Cannot write Items:\r\nA.B - No rights.\r\n"
                             "C - Unknown error : -2147467259\r\n"));
    for (int i = 0; i < 30; ++i)
        refused.append({QString("Tag%1").arg(i), 1, "x"});
    const QString report = OpcItemErrorReport("OPC Command:", refused);
    EXPECT_EQ(report.count("\r\n"), 1 + 26);
    EXPECT_TRUE(report.endsWith("Tag23 - x\r\n"));
}

TEST(OpcServerStateText, NamesTheFiveStatesAndNothingElse)
{
    const char* expected[] = {"", "running", "failed", "no config", "suspended", "test", ""};
    for (int state = 0; state < 7; ++state)
        EXPECT_EQ(OpcServerStateText(state), QString::fromUtf8(expected[state])) << state;
}

TEST(IsQualityGood, OnlyBothBitsOfTheMaskMakeAGoodQuality)
{
    OpcItem item;
    const std::pair<quint16, bool> cases[] = {
        {0xC0, true},  {0xD8, true},  // good, also with a substatus
        {0x40, false}, {0x54, false}, // uncertain
        {0x00, false}, {0x18, false}, // bad (not connected / comm failure)
        {0x80, false},                // the reserved class
    };
    for (const auto& [quality, good] : cases) {
        item.Quality = quality;
        EXPECT_EQ(IsQualityGood(item), good) << std::hex << quality;
    }
}

TEST(OpcGroupBookkeeping, GroupNamesMustBeNewAndNotBlank)
{
    TestConnection t;
    t.Connection.AddGroup("SkupReg");
    for (const QString& name : QStringList{"SkupReg", "", "  "}) {
        try {
            t.Connection.AddGroup(name);
            ADD_FAILURE() << "accepted " << name.toStdString();
        } catch (const OpcError& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), QString("Group %1 already exists").arg(name));
        }
    }
    EXPECT_EQ(t.Connection.OPCGroups().size(), 1u);
}

TEST(OpcGroupBookkeeping, GroupsTakeTheDefaultsAndTheirSetters)
{
    TestConnection t;
    t.Connection.OPCGroupDefault.UpdateRate = 250;
    t.Connection.OPCGroupDefault.IsActive = false;
    OpcGroup* group = t.Connection.AddGroup("Skupina1");
    EXPECT_EQ(group->UpdateRate(), 250);
    EXPECT_FALSE(group->IsActive());
    EXPECT_EQ(group->ServerHandle, -1);

    group->SetUpdateRate(-5);
    EXPECT_EQ(group->UpdateRate(), 0);
    group->SetDeadBand(2.5f);
    EXPECT_FLOAT_EQ(group->DeadBand(), 2.5f);
    EXPECT_THROW(group->SetDeadBand(101), OpcError);
    EXPECT_THROW(group->SetDeadBand(-1), OpcError);
    EXPECT_THROW(group->SetDeadBand(std::numeric_limits<float>::quiet_NaN()), OpcError);
    EXPECT_FLOAT_EQ(group->DeadBand(), 2.5f);
}

TEST(OpcGroupBookkeeping, WritesWhileInactiveAreDroppedSilently)
{
    TestConnection t;
    OpcGroup* group = t.Connection.AddGroup("Skupina1");
    OpcItem* item = t.Connection.AddItem(*group, "Area.Tag1");
    EXPECT_NO_THROW(t.Connection.WriteItem(*item, 4.0));
    EXPECT_NO_THROW(t.Connection.WriteItem(*item, std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(t.Server->WriteLog.isEmpty());
    EXPECT_EQ(t.Connection.ServerStateText(), QString());
    EXPECT_TRUE(t.Connection.BrowseBranch({}, {}).isEmpty());
}
