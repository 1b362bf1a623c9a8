#include "base/NumberText.h"

#include "base/Errors.h"
#include "support/LocaleScope.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

TEST(GeneralFormat, SignificantDigitsAndNotation)
{
    EXPECT_EQ(FormatGeneralC(0, 10), "0");
    EXPECT_EQ(FormatGeneralC(-0.0, 10), "0");
    EXPECT_EQ(FormatGeneralC(1e-5, 10), "1E-5");
    EXPECT_EQ(FormatGeneralC(1e-5, 12, 4), "1E-0005");
    EXPECT_EQ(FormatGeneralC(0.0001, 10), "0.0001");
    EXPECT_EQ(FormatGeneralC(1.5e20, 14), "1.5E20");
    EXPECT_EQ(FormatGeneralC(1.5e20, 14, 4), "1.5E0020");
    EXPECT_EQ(FormatGeneralC(0.1, 12), "0.1");
    EXPECT_EQ(FormatGeneralC(1.0 / 3.0, 8), "0.33333333");
    EXPECT_EQ(FormatGeneralC(-2.0 / 3.0, 8), "-0.66666667");
    EXPECT_EQ(FormatGeneralC(123456789, 8), "1.2345679E8");
    EXPECT_EQ(FormatGeneralC(12345678, 8), "12345678");
    EXPECT_EQ(FormatGeneralC(100, 8), "100");
    EXPECT_EQ(FormatGeneralC(99999999.6, 8), "1E8");  // rounding carries into the exponent
    EXPECT_EQ(FormatGeneralC(9.99999996, 8), "10");
    EXPECT_EQ(FormatGeneralC(0.000123456, 3), "0.000123");
    EXPECT_EQ(FormatGeneralC(-1.25e-7, 10), "-1.25E-7");
}

TEST(GeneralFormat, HalvesRoundAwayFromZeroOnTheExactValue)
{
    EXPECT_EQ(FormatGeneralC(2.5, 1), "3");
    EXPECT_EQ(FormatGeneralC(-2.5, 1), "-3");
    EXPECT_EQ(FormatGeneralC(0.125, 2), "0.13");
    // 0.15 is stored as 0.1499999999999999944..., so it rounds down.
    EXPECT_EQ(FormatGeneralC(0.15, 1), "0.1");
    // 2.675 is stored below the half as well.
    EXPECT_EQ(FormatGeneralC(2.675, 3), "2.67");
    EXPECT_EQ(FormatGeneralC(1.0000000000005, 13), "1.000000000001");
}

TEST(FixedFormat, DecimalsAndSignificantDigits)
{
    EXPECT_EQ(FormatFixedC(0.0625, 15, 3), "0.063");
    EXPECT_EQ(FormatFixedC(5, 15, 5), "5.00000");
    EXPECT_EQ(FormatFixedC(0.75, 15, 6), "0.750000");
    EXPECT_EQ(FormatFixedC(-0.0004, 15, 3), "0.000");  // no minus on a zero
    EXPECT_EQ(FormatFixedC(-0.0005, 15, 3), "-0.001");
    EXPECT_EQ(FormatFixedC(0, 10, 4), "0.0000");
    EXPECT_EQ(FormatFixedC(12345678.98765, 10, 4), "12345678.9900");
    EXPECT_EQ(FormatFixedC(1, 8, 4), "1.0000");
    EXPECT_EQ(FormatFixedC(123.456, 6, 3), "123.456");
    EXPECT_EQ(FormatFixedC(1234567.8, 6, 3), "1.23457E6");  // 10^P or more: general
    EXPECT_EQ(FormatFixedC(999999.6, 6, 3), "1E6");
    EXPECT_EQ(FormatFixedC(0.5, 15, 0), "1");
    EXPECT_EQ(FormatFixedC(-12.5, 15, 0), "-13");
}

TEST(NumberText, UsesTheLocaleSeparator)
{
    {
        LocaleScope comma(LocaleScope::Comma());
        EXPECT_EQ(DecimalSeparator(), ",");
        EXPECT_EQ(FormatGeneral(0.75, 8), "0,75");
        EXPECT_EQ(FormatFixed(4.5, 15, 3), "4,500");
        EXPECT_EQ(FormatGeneral(1.5e-7, 12, 4), "1,5E-0007");
        EXPECT_EQ(ParseNumber("0,75"), 0.75);
        EXPECT_EQ(ParseNumber(" -1,5E3 "), -1500);
        EXPECT_THROW(ParseNumber("0.75"), ConversionError);
    }
    {
        LocaleScope point(LocaleScope::Point());
        EXPECT_EQ(FormatGeneral(0.75, 8), "0.75");
        EXPECT_EQ(ParseNumber("0.75"), 0.75);
        EXPECT_THROW(ParseNumber("0,75"), ConversionError);
    }
}

TEST(NumberText, ParsingRefusesWhatIsNotAFiniteNumber)
{
    LocaleScope point(LocaleScope::Point());
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "e5", "inf", "nan", "1e999", "--1", "1 2", "."}) {
        EXPECT_THROW(ParseNumber(bad), ConversionError) << bad;
    }
    try {
        ParseNumber("12a");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("'12a'"), std::string::npos);
    }
    EXPECT_EQ(ParseNumber("+.5"), 0.5);
    EXPECT_EQ(ParseNumber("5."), 5);
    EXPECT_EQ(ParseNumber("1E-5"), 1e-5);

    EXPECT_EQ(ParseInteger(" 42 "), 42);
    EXPECT_EQ(ParseInteger("-1"), -1);
    EXPECT_THROW(ParseInteger("1.0"), ConversionError);
    EXPECT_THROW(ParseInteger("99999999999"), ConversionError);
    EXPECT_THROW(ParseInteger(""), ConversionError);
}

TEST(NumberText, SampleFieldsAcceptEitherMark)
{
    for (const QLocale& locale : {LocaleScope::Comma(), LocaleScope::Point()}) {
        LocaleScope scope(locale);
        EXPECT_EQ(ParseSampleField(u"1,25"), 1.25);
        EXPECT_EQ(ParseSampleField(u"1.25"), 1.25);
        EXPECT_EQ(ParseSampleField(u"-3,5E-0004"), -3.5e-4);
        EXPECT_EQ(ParseSampleField(u" 7\r"), 7);
        EXPECT_FALSE(ParseSampleField(u"x"));
        EXPECT_FALSE(ParseSampleField(u""));
        EXPECT_FALSE(ParseSampleField(u"1,2,3"));
    }
}

TEST(NumberText, GeneralTextsReadBackToTheSameDigits)
{
    LocaleScope comma(LocaleScope::Comma());
    for (double v : {0.1, 1.0 / 3.0, -123.456789012345, 6.02214076e23, 1e-300, 4.9e-320}) {
        const QString text = FormatGeneral(v, 17);
        EXPECT_EQ(ParseNumber(text), v) << text.toStdString();
    }
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity(), 8), "INF");
}
