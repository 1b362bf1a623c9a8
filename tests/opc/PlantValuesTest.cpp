#include "opc/PlantValues.h"

#include "support/LocaleScope.h"

#include <gtest/gtest.h>

TEST(PlantValues, StoredValuesReadAsDoubles)
{
    EXPECT_EQ(VariantToDouble(QVariant(2.5)), 2.5);
    EXPECT_EQ(VariantToDouble(QVariant(2.5f)), 2.5);
    EXPECT_EQ(VariantToDouble(QVariant(-7)), -7);
    EXPECT_EQ(VariantToDouble(QVariant(quint16(65535))), 65535);
    EXPECT_EQ(VariantToDouble(QVariant(true)), 1);
    EXPECT_EQ(VariantToDouble(QVariant()), 0); // nothing delivered yet
    EXPECT_EQ(VariantToDouble(QVariant(QStringLiteral("abc"))), 0);
    {
        LocaleScope comma(LocaleScope::Comma());
        EXPECT_EQ(VariantToDouble(QVariant(QStringLiteral("1,5"))), 1.5);
        EXPECT_EQ(VariantToDouble(QVariant(QStringLiteral("1.5"))), 1.5);
    }
}

TEST(PlantValues, MVIsComparedInTheTagsOwnType)
{
    EXPECT_FALSE(VariantDiffersFrom(QVariant(0.1), 0.1));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(0.1), 0.1 + 1e-16));

    // A float tag holds 0.1 as 0.1f: no endless rewriting.
    EXPECT_FALSE(VariantDiffersFrom(QVariant(0.1f), 0.1));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(0.1f), 0.2));

    // Integer tags take the written value rounded, halves to even.
    EXPECT_FALSE(VariantDiffersFrom(QVariant(50), 50.0));
    EXPECT_FALSE(VariantDiffersFrom(QVariant(50), 50.4));
    EXPECT_FALSE(VariantDiffersFrom(QVariant(50), 50.5));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(51), 50.5));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(50), 51.0));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(quint32(0)), -1.0));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(qint64(0)), 1e30));
    EXPECT_FALSE(VariantDiffersFrom(QVariant(quint64(1) << 63), 9223372036854775808.0));

    EXPECT_FALSE(VariantDiffersFrom(QVariant(true), 1.0));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(false), 2.0));
    EXPECT_FALSE(VariantDiffersFrom(QVariant(QStringLiteral("12.5")), 12.5));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(QStringLiteral("x")), 0.0));
    EXPECT_TRUE(VariantDiffersFrom(QVariant(), 0.0));
}
