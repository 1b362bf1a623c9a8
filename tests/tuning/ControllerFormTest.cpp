#include "tuning/ControllerForm.h"
#include "support/ExpectClose.h"

#include <gtest/gtest.h>

namespace {

// The Ziegler-Nichols gains of K = 1, T = 10, L = 2.
const ControllerGains WorkedGains = {0.75, 5, 4.5, 0.75, 6, 1.5, 6};

ControllerFormValues Form(int form, int type, const ControllerGains& g = WorkedGains, double f = 1,
                          double seq = 1, double sP = 1, double sI = 1, double sD = 1)
{
    return ComputeControllerForm(form, type, g, f, seq, sP, sI, sD);
}

void ExpectFields(const ControllerFormValues& v, std::array<std::optional<double>, 3> want)
{
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(v.Values[i].has_value(), want[i].has_value());
        if (want[i]) {
            ExpectClose(*v.Values[i], *want[i], 1e-12);
        }
    }
}

using Names = std::array<std::string, 3>;

} // namespace

TEST(ControllerForm, PidInTheFourForms)
{
    ControllerFormValues v = Form(0, FormTypePID);
    EXPECT_EQ(v.Names, (Names{"Kp:", "Ki:", "Kd:"}));
    ExpectFields(v, {6.0, 1.5, 6.0});
    v = Form(1, FormTypePID);
    EXPECT_EQ(v.Names, (Names{"Kp:", "Ti:", "Td:"}));
    ExpectFields(v, {6.0, 4.0, 1.0});
    v = Form(2, FormTypePID);
    EXPECT_EQ(v.Names, (Names{"Kp:", "1/Ti:", "Td:"}));
    ExpectFields(v, {6.0, 0.25, 1.0});
    // Series: Ti = 4, Td = 1, w = 0.
    v = Form(3, FormTypePID);
    EXPECT_EQ(v.Names, (Names{"Kp:", "Ti:", "Td:"}));
    ExpectFields(v, {3.0, 2.0, 2.0});
    // A form below 0 (nothing selected) is the general parallel form.
    EXPECT_EQ(Form(-1, FormTypePID).Names, (Names{"Kp:", "Ki:", "Kd:"}));
}

TEST(ControllerForm, SeriesFormWithoutEquivalent)
{
    // Ti = 2 < 4 Td = 4: w = -1, all three zero.
    ControllerGains g = WorkedGains;
    g.KiPID = 3;
    ExpectFields(Form(3, FormTypePID, g), {0.0, 0.0, 0.0});
    // Ti = 0 (no integral action): fallback -1, w = 5.
    const SeriesPid s = SeriesForm(2, 0, 1);
    ExpectClose(s.Kp, 0.5 * 2 * (1 + std::sqrt(5.0)), 1e-12);
    EXPECT_EQ(s.Ti, 0);
}

TEST(ControllerForm, PIandSingleTermTypes)
{
    ControllerFormValues v = Form(3, FormTypePI);
    EXPECT_EQ(v.Names, (Names{"Kp:", "Ti:", ""}));
    ExpectFields(v, {4.5, 6.0, std::nullopt});
    v = Form(2, FormTypePI);
    EXPECT_EQ(v.Names, (Names{"Kp:", "1/Ti:", ""}));
    ExpectFields(v, {4.5, 0.75 / 4.5, std::nullopt});
    for (int form = 0; form <= 3; ++form) {
        v = Form(form, FormTypeI);
        EXPECT_EQ(v.Names, (Names{"", "Ki:", ""}));
        ExpectFields(v, {std::nullopt, 0.75, std::nullopt});
        v = Form(form, FormTypeP);
        EXPECT_EQ(v.Names, (Names{"Kp:", "", ""}));
        ExpectFields(v, {5.0, std::nullopt, std::nullopt});
    }
    // An unknown type shows nothing.
    ExpectFields(Form(0, -1), {std::nullopt, std::nullopt, std::nullopt});
}

TEST(ControllerForm, ScalingRobustnessAndSequencer)
{
    // The I scale doubles Ki in form 0, Ti in form 1 and 1/Ti in form 2.
    EXPECT_DOUBLE_EQ(*Form(0, FormTypePID, WorkedGains, 1, 1, 1, 2).Values[1], 3.0);
    EXPECT_DOUBLE_EQ(*Form(1, FormTypePID, WorkedGains, 1, 1, 1, 2).Values[1], 8.0);
    EXPECT_DOUBLE_EQ(*Form(2, FormTypePID, WorkedGains, 1, 1, 1, 2).Values[1], 0.5);
    // The robustness factor and the sequencer factor scale gains, not times.
    ExpectFields(Form(1, FormTypePID, WorkedGains, 2, 0.5), {6.0, 4.0, 1.0});
    ExpectFields(Form(0, FormTypePID, WorkedGains, 2, 0.5, 3, 1, 10), {18.0, 1.5, 60.0});
    // Only the scale factors a type uses are read.
    EXPECT_TRUE(ScalesUsedBy(FormTypeP).P && !ScalesUsedBy(FormTypeP).I);
    EXPECT_TRUE(!ScalesUsedBy(FormTypeI).P && ScalesUsedBy(FormTypeI).I);
    EXPECT_FALSE(ScalesUsedBy(FormTypePI).D);
    EXPECT_TRUE(ScalesUsedBy(FormTypePID).D);
}

TEST(Sequencer, LargestSlopeOverTheY1Range)
{
    const std::vector<SequencerPoint> points = {{0, 0}, {50, 20}, {100, 100}};
    EXPECT_DOUBLE_EQ(SequencerMaxGain(points, 10, 90), 1.6);
    EXPECT_DOUBLE_EQ(SequencerFactor(1.6), 1 / 1.6);
    // Fewer than two points: gain 1.
    EXPECT_EQ(SequencerMaxGain({}, 0, 1), 1);
    EXPECT_EQ(SequencerMaxGain({{1, 1}}, 0, 1), 1);
    // A vertical segment counts as 1000.
    EXPECT_EQ(SequencerMaxGain({{0, 0}, {0, 10}, {10, 20}}, 0, 20), 1000);
    // Slopes 5, 1, 4: a range above the steep first segment leaves it out.
    const std::vector<SequencerPoint> bent = {{0, 0}, {10, 50}, {20, 60}, {30, 100}};
    EXPECT_DOUBLE_EQ(SequencerMaxGain(bent, 70, 100), 4);
    EXPECT_DOUBLE_EQ(SequencerMaxGain(bent, 0, 40), 5);
    // A characteristic without slope would make the gains infinite: factor 1.
    EXPECT_EQ(SequencerMaxGain({{0, 5}, {10, 5}}, 0, 10), 0);
    EXPECT_EQ(SequencerFactor(0), 1);
}
