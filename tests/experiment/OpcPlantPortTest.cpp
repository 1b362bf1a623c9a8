// The run engine's plant over the OPC client: what it reads and writes on
// the items of a run, and what a role without an item does.

#include "experiment/OpcPlantPort.h"

#include "opc/OpcTestSupport.h"

#include <gtest/gtest.h>

TEST(OpcPlantPort, ARoleWithoutAnItemReadsZeroAndWritesNothing)
{
    TestConnection test;
    test.Connect();
    OpcPlantPort plant(test.Connection);
    // Connected, but a loop without any tag is no plant: it is simulated.
    EXPECT_FALSE(plant.Active());
    EXPECT_EQ(plant.Value(LoopTag::Y1), 0.0);
    EXPECT_FALSE(plant.MVDiffers(5.0));
    EXPECT_FALSE(plant.IsMVQualityGood());
    plant.WriteMV(5.0);
    for (SwitchTag tag : {SwitchTag::RA, SwitchTag::Manual, SwitchTag::Auto})
        plant.WriteSwitch(tag, 1);
    EXPECT_TRUE(test.Server->WriteLog.isEmpty());

    plant.ItemRA = test.Connection.AddItem(*test.FastGroup(), "Area.Tag2");
    EXPECT_FALSE(plant.Active()) << "a switch tag is not a loop tag";
    plant.ItemY1 = test.Connection.AddItem(*test.FastGroup("Skupina2"), "Area.Tag1");
    EXPECT_TRUE(plant.Active());
    plant.ForgetItems();
    EXPECT_EQ(plant.ItemY1, nullptr);
    EXPECT_FALSE(plant.Active());
}

TEST(OpcPlantPort, WritesMvAsADoubleAndCommandsAsIntegersAndComparesWithTheDeliveredValue)
{
    TestConnection test;
    OpcGroup* group = test.FastGroup();
    OpcPlantPort plant(test.Connection);
    plant.ItemMV = test.Connection.AddItem(*group, "Area.Tag1");     // R8, 1.5
    plant.ItemRA = test.Connection.AddItem(*group, "Area.Tag2");     // I4, 7
    plant.ItemY2 = test.Connection.AddItem(*group, "Area.ReadOnly"); // R8, 3.0
    EXPECT_FALSE(plant.Active());
    EXPECT_TRUE(plant.MVDiffers(1.5)) << "nothing delivered yet";
    EXPECT_FALSE(plant.IsMVQualityGood());

    test.Connect();
    ASSERT_TRUE(TestConnection::Delivered(plant.ItemMV));
    ASSERT_TRUE(TestConnection::Delivered(plant.ItemY2));
    EXPECT_TRUE(plant.IsMVQualityGood());
    EXPECT_EQ(plant.Value(LoopTag::MV), 1.5);
    EXPECT_EQ(plant.Value(LoopTag::Y2), 3.0);
    EXPECT_FALSE(plant.MVDiffers(1.5));
    EXPECT_TRUE(plant.MVDiffers(2.0));

    plant.WriteMV(2.0);
    plant.WriteSwitch(SwitchTag::RA, 0);
    ASSERT_EQ(test.Server->WriteLog.size(), 2);
    EXPECT_EQ(test.Server->WriteLog[0].first, "Area.Tag1");
    EXPECT_EQ(test.Server->WriteLog[0].second.typeId(), QMetaType::Double);
    EXPECT_EQ(test.Server->WriteLog[1].first, "Area.Tag2");
    EXPECT_EQ(test.Server->WriteLog[1].second, QVariant(0));
    EXPECT_EQ(test.Server->WriteLog[1].second.typeId(), QMetaType::Int);

    // A delivered value of uncertain quality is not a usable MV.
    test.Server->SetTagQuality("Area.Tag1", OpcQualityUncertain);
    ASSERT_TRUE(PumpUntil([&] { return plant.ItemMV->Quality == OpcQualityUncertain; }));
    EXPECT_FALSE(plant.IsMVQualityGood());
}
