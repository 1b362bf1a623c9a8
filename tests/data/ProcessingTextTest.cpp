#include "base/Errors.h"
#include "data/ProcessingText.h"
#include "support/LocaleScope.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Refusal(const char* filter, const char* max, const char* min, const char* velocity)
{
    try {
        ParseConditioningSettings(QString::fromUtf8(filter), QString::fromUtf8(max),
                                  QString::fromUtf8(min), QString::fromUtf8(velocity));
    } catch (const ConversionError& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(ConditioningSettingsText, NonsenseIsRefusedNamingTheField)
{
    LocaleScope scope(LocaleScope::Point());
    const ConditioningSettings s = ParseConditioningSettings("2.5", "80", "20", "0");
    EXPECT_EQ(s.FilterTime, 2.5);
    EXPECT_EQ(s.Maximum, 80);
    EXPECT_EQ(s.Minimum, 20);
    EXPECT_EQ(s.Velocity, 0);
    EXPECT_EQ(Refusal("0", "abc", "0", "1"), "Maksimum izvršnega člena: 'abc' ni veljavno število");
    EXPECT_EQ(Refusal("0", "10", "20", "1"), "Minimum izvršnega člena (20) je večji od maksimuma (10).");
    EXPECT_NE(Refusal("0", "100", "0", "-1").find("Čas odp. [s]"), std::string::npos);
    EXPECT_NE(Refusal("-0.5", "100", "0", "1").find("Čas filtra [s]"), std::string::npos);
    EXPECT_EQ(Refusal("0", "5", "5", "1"), ""); // a fixed actuator is a setting, not nonsense
}
