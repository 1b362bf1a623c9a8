// The transport-independent part of the OPC layer: reports, state texts,
// quality classes and the bookkeeping of groups and items while no server
// is connected.

#include "opc/OpcClient.h"
#include "app/Errors.h"
#include "opc/OpcTestSupport.h"

#include <gtest/gtest.h>

TEST(OpcItemErrorReport, HeaderAndOneLinePerItemEachEndingInCrLf)
{
    const QString report = OpcItemErrorReport(
        QStringLiteral("Cannot write Items:"),
        {{QStringLiteral("A.B"), OpcResult::BadRights, QStringLiteral("No rights.")},
         {QStringLiteral("C"), 74565, QString()},
         {QStringLiteral("D"), OpcResult::Fail, QString()}});
    EXPECT_EQ(report, QStringLiteral("Cannot write Items:\r\n"
                                     "A.B - No rights.\r\n"
                                     "C - Unknown error : 74565\r\n"
                                     "D - Unknown error : -2147467259\r\n"));
}

TEST(OpcItemErrorReport, StopsAfterTwentySixItems)
{
    QList<OpcItemError> refused;
    for (int i = 0; i < 30; ++i)
        refused.append({QStringLiteral("Tag%1").arg(i), OpcResult::Fail, QStringLiteral("x")});
    const QString report = OpcItemErrorReport(QStringLiteral("OPC Command:"), refused);
    EXPECT_EQ(report.count(QStringLiteral("\r\n")), 1 + 26);
    EXPECT_TRUE(report.contains(QStringLiteral("Tag25 - x\r\n")));
    EXPECT_FALSE(report.contains(QStringLiteral("Tag26")));
}

TEST(OpcServerStateText, NamesTheFiveStatesAndNothingElse)
{
    const QStringList expected = {QString(),
                                  QStringLiteral("running"),
                                  QStringLiteral("failed"),
                                  QStringLiteral("no config"),
                                  QStringLiteral("suspended"),
                                  QStringLiteral("test"),
                                  QString()};
    for (int state = 0; state < expected.size(); ++state)
        EXPECT_EQ(OpcServerStateText(state), expected[state]) << state;
    EXPECT_EQ(OpcServerStateText(-1), QString());
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

TEST(OpcVariantTypeNames, ThirtyTwoNamesIndexedByTypeCode)
{
    const QStringList& names = OpcVariantTypeNames();
    ASSERT_EQ(names.size(), 32);
    EXPECT_EQ(names[OpcType::Empty], QStringLiteral("EMPTY"));
    EXPECT_EQ(names[OpcType::R8], QStringLiteral("R8"));
    EXPECT_EQ(names[OpcType::Bool], QStringLiteral("BOOL"));
    EXPECT_EQ(names[15], QStringLiteral("undef"));
    EXPECT_EQ(names[31], QStringLiteral("LPWSTR"));
}

TEST(OpcGroupBookkeeping, GroupNamesMustBeNewAndNotBlank)
{
    TestConnection t;
    t.Connection.AddGroup(QStringLiteral("SkupReg"));
    for (const QString& name : {QStringLiteral("SkupReg"), QString(), QStringLiteral("  ")}) {
        try {
            t.Connection.AddGroup(name);
            ADD_FAILURE() << "accepted " << name.toStdString();
        } catch (const OpcError& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()),
                      QStringLiteral("Group %1 already exists").arg(name));
        }
    }
    EXPECT_EQ(t.Connection.OPCGroups().size(), 1u);
}

TEST(OpcGroupBookkeeping, GroupsTakeTheDefaultsAndTheirSetters)
{
    TestConnection t;
    t.Connection.OPCGroupDefault.UpdateRate = 250;
    t.Connection.OPCGroupDefault.IsActive = false;
    OpcGroup* group = t.Connection.AddGroup(QStringLiteral("Skupina1"));
    EXPECT_EQ(group->UpdateRate(), 250);
    EXPECT_FALSE(group->IsActive());
    EXPECT_EQ(group->ServerHandle, -1);

    group->SetUpdateRate(10);
    group->SetDeadBand(0);
    group->SetUpdateRate(-5);
    EXPECT_EQ(group->UpdateRate(), 0);
    group->SetDeadBand(2.5f);
    EXPECT_FLOAT_EQ(group->DeadBand(), 2.5f);
    EXPECT_THROW(group->SetDeadBand(101), OpcError);
    EXPECT_THROW(group->SetDeadBand(-1), OpcError);
    EXPECT_THROW(group->SetDeadBand(std::numeric_limits<float>::quiet_NaN()), OpcError);
    EXPECT_FLOAT_EQ(group->DeadBand(), 2.5f);
}

TEST(OpcGroupBookkeeping, ItemsWaitWhileInactiveAndClearItemsEmptiesTheGroup)
{
    TestConnection t;
    OpcGroup* group = t.Connection.AddGroup(QStringLiteral("Skupina1"));
    OpcItem* first = t.Connection.AddItem(*group, QStringLiteral("Area.Tag1"));
    OpcItem* second = t.Connection.AddItem(*group, QStringLiteral("Area.Tag1"));
    EXPECT_NE(first, second);
    ASSERT_EQ(group->OPCItems().size(), 2u);
    EXPECT_EQ(group->OPCItems()[0].get(), first);
    EXPECT_EQ(first->ServerHandle, -1);
    EXPECT_FALSE(first->Value.isValid());
    EXPECT_EQ(first->Quality, 0);

    t.Connection.ClearItems(*group);
    EXPECT_TRUE(group->OPCItems().empty());
    EXPECT_TRUE(t.Reports.isEmpty());
}

TEST(OpcGroupBookkeeping, WritesWhileInactiveAreDroppedSilently)
{
    TestConnection t;
    OpcGroup* group = t.Connection.AddGroup(QStringLiteral("Skupina1"));
    OpcItem* item = t.Connection.AddItem(*group, QStringLiteral("Area.Tag1"));
    EXPECT_NO_THROW(t.Connection.WriteItem(*item, 4.0));
    EXPECT_NO_THROW(t.Connection.WriteItem(*item, std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(t.Server->WriteLog.isEmpty());
    EXPECT_EQ(t.Connection.ServerStateText(), QString());
    EXPECT_TRUE(t.Connection.BrowseBranch({}, {}).isEmpty());
}
