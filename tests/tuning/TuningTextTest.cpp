#include "tuning/TuningText.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "support/ExpectClose.h"
#include "support/LocaleScope.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

ProcessModel Model(double K, double T, double L)
{
    ProcessModel m;
    m.Gain = K;
    m.TimeConstant = T;
    m.DeadTime = L;
    return m;
}

TuningPageResult Evaluate(Podatki& store, int method, int slider = 10, bool cascade = false,
                          const QString& ts = QStringLiteral("1"), int response = 0)
{
    TuningRequest request;
    request.Method = method;
    request.SliderPosition = slider;
    request.Cascade = cascade;
    request.SamplingTimeText = ts;
    request.ResponseChoice = response;
    return EvaluateTuning(store, request);
}

using Labels = std::array<QString, TuningLabelCount>;

// Label order: cascade, Ki, Kp_P, PI_Kp, PI_Ti, PID_Kp, PID_Ti, PID_Td.
Labels Texts(std::initializer_list<const char*> texts)
{
    Labels labels;
    std::size_t i = 0;
    for (const char* t : texts)
        labels[i++] = QString::fromUtf8(t);
    return labels;
}

class TuningPage : public testing::Test {
protected:
    Podatki Store;
    void SetUp() override
    {
        Store.InnerModel = Model(1, 10, 2);
        Store.OuterModel = Model(2, 30, 5);
    }
};

} // namespace

TEST_F(TuningPage, LabelsOfTheWorkedExampleInBothLocales)
{
    {
        LocaleScope locale(LocaleScope::Point());
        const TuningPageResult r = Evaluate(Store, 5);
        EXPECT_EQ(r.Labels.Gains, Texts({"0", "0.75000", "5.00000", "4.500", "0.750000", "6.000",
                                         "1.500000", "6.000"}));
        // h1 = 10/4.5, h2 = 1/0.75: a tenth of the smaller one.
        EXPECT_EQ(r.Labels.RecommendedTs, "0.133");
        ExpectClose(r.Tuning.RecommendedTs, 0.133, 1e-15);
    }
    LocaleScope locale(LocaleScope::Comma());
    const TuningPageResult r = Evaluate(Store, 5);
    EXPECT_EQ(r.Labels.Gains[LabelKpP], "5,00000");
    EXPECT_EQ(r.Labels.Gains[LabelPITi], "0,750000");
    EXPECT_EQ(r.Labels.RecommendedTs, "0,133");
}

TEST_F(TuningPage, MethodsAndTheRobustnessSlider)
{
    LocaleScope locale(LocaleScope::Point());
    // Balance method: PI only.
    const TuningPageResult balance = Evaluate(Store, 4);
    EXPECT_EQ(balance.Labels.Gains[LabelPIKp], "0.847");
    EXPECT_EQ(balance.Labels.Gains[LabelPITi], "0.083333");
    EXPECT_EQ(balance.Labels.Gains[LabelPIDKp], "0.000");
    EXPECT_EQ(balance.Labels.Gains[LabelPIDTi], "0.000000");
    EXPECT_EQ(balance.Labels.Gains[LabelPIDTd], "0.000");
    // Slider 0: a tenth; slider 20: 2.6456 times; the stored gains stay.
    const TuningPageResult slow = Evaluate(Store, 5, 0);
    EXPECT_EQ(slow.Labels.Gains[LabelKpP], "0.50000");
    EXPECT_EQ(slow.Labels.Gains[LabelPIDTd], "0.600");
    EXPECT_EQ(Store.TuningResults.KpP, 5);
    EXPECT_EQ(Store.RobustFactor, 0.1);
    const TuningPageResult fast = Evaluate(Store, 5, 20);
    ExpectClose(fast.Tuning.RobustFactor, 2.6456, 1e-4);
    ExpectClose(ParseNumber(fast.Labels.Gains[LabelKpP]), 5 * 2.6456, 1e-3);
    ExpectClose(RobustFactorFor(10), 1, 1e-7);
    // The blank method, and no method selected (taken as method 0).
    const TuningPageResult blank = Evaluate(Store, 6);
    EXPECT_EQ(blank.Labels.Gains, Texts({"0", "0.00000", "0.00000", "0.000", "0.000000", "0.000",
                                         "0.000000", "0.000"}));
    EXPECT_EQ(Evaluate(Store, -1).Labels.Gains, Evaluate(Store, 0).Labels.Gains);
    EXPECT_EQ(Evaluate(Store, -1).Tuning.Method, 0);
}

TEST_F(TuningPage, CascadeShowsTheOuterSetAndTheInnerGain)
{
    LocaleScope locale(LocaleScope::Point());
    Evaluate(Store, 5);
    const ControllerGains single = Store.TuningResults;
    const TuningPageResult r = Evaluate(Store, 2, 10, true);
    // Inner gain: the inner method-2 KpP (0.35 * 5) without the factor 0.85.
    EXPECT_EQ(r.Labels.Gains[LabelKpCascade], FormatFixed(1.75 / 0.85, 15, 4));
    EXPECT_EQ(r.Labels.Gains[LabelKi], "0.00000");
    EXPECT_EQ(r.Labels.Gains[LabelKpP], "0.00000");
    EXPECT_EQ(r.Labels.Gains[LabelPIDKp], r.Labels.Gains[LabelPIKp]);
    EXPECT_EQ(r.Labels.Gains[LabelPIDTi], r.Labels.Gains[LabelPITi]);
    EXPECT_EQ(r.Labels.Gains[LabelPIDTd], "0.000");
    EXPECT_NE(r.Labels.Gains[LabelPIKp], "0.000");
    // The inner gain lives in the single-loop KpP; the rest of the single
    // set stays as it was.
    EXPECT_EQ(Store.InnerGain(), 1.75 / 0.85);
    EXPECT_EQ(Store.TuningResults.KpP, Store.InnerGain());
    EXPECT_EQ(Store.TuningResults.KpPID, single.KpPID);
    EXPECT_EQ(Store.CascadeResults.KpPI, r.Tuning.Gains.KpPI);
    // Cascade recommended time: T2 / |KpPI f| and 1 / (KiPI f K2).
    const double f = r.Tuning.RobustFactor;
    const double h = std::min(30 / (r.Tuning.Gains.KpPI * f), 1 / (r.Tuning.Gains.KiPI * f * 2));
    ExpectClose(r.Tuning.RecommendedTs, std::nearbyint(100 * h) * 0.001, 1e-12);
    ASSERT_TRUE(r.Responses);
    // The blank method in a cascade shows its inner gain (0).
    EXPECT_EQ(Evaluate(Store, 6, 10, true).Labels.Gains[LabelKpCascade], "0.0000");
}

TEST_F(TuningPage, FailuresOfTheSimulationKeepTheLabels)
{
    LocaleScope locale(LocaleScope::Point());
    // A model of zeros: all gains 0, h = 1000, then K1 = 0 stops the
    // simulation with a message instead of a division by zero.
    Store.InnerModel = Model(0, 0, 0);
    TuningPageResult r = Evaluate(Store, 0);
    EXPECT_EQ(r.Labels.RecommendedTs, "100.000");
    EXPECT_EQ(r.Labels.Gains[LabelPIKp], "0.000");
    EXPECT_FALSE(r.Responses);
    EXPECT_FALSE(r.ResponseError.isEmpty());

    // A sampling time that is not a number: gains updated, no responses,
    // the stored sampling time unchanged.
    Store.InnerModel = Model(1, 10, 2);
    ASSERT_TRUE(Evaluate(Store, 5, 10, false, "0.5").Responses);
    r = Evaluate(Store, 2, 10, false, "abc");
    EXPECT_EQ(r.Labels.Gains[LabelPIKp], "1.750");
    EXPECT_EQ(Store.TuningResults.KpPI, 1.75);
    EXPECT_FALSE(r.Responses);
    EXPECT_TRUE(r.ResponseError.contains("abc"));
    EXPECT_EQ(Store.ClosedLoopTs, 0.5);
    // Zero and empty texts fall back to the last valid sampling time.
    EXPECT_EQ(Evaluate(Store, 2, 10, false, "0").Responses->Horizon.N, 141);
    EXPECT_EQ(Evaluate(Store, 2, 10, false, "").Responses->Horizon.Ts, 0.5);

    // With no valid sampling time yet, a first entry of 0 is an error.
    Podatki fresh;
    fresh.InnerModel = Model(1, 10, 2);
    r = Evaluate(fresh, 5, 10, false, "0");
    EXPECT_FALSE(r.Responses);
    EXPECT_FALSE(r.ResponseError.isEmpty());
    EXPECT_EQ(r.Labels.Gains[LabelKpP], "5.00000");
}

TEST_F(TuningPage, AFailingTuningChangesNothing)
{
    LocaleScope locale(LocaleScope::Point());
    Evaluate(Store, 5, 10, false, "0.5");
    const ControllerGains before = Store.TuningResults;
    // A gain so small that 5.05/K overflows: no label may show inf.
    Store.InnerModel = Model(1.0E-320, 10, 0.5);
    EXPECT_THROW(Evaluate(Store, 0, 20), ComputationError);
    EXPECT_EQ(Store.TuningResults.KpPI, before.KpPI);
    EXPECT_EQ(Store.RobustFactor, RobustFactorFor(10));
    EXPECT_EQ(Store.ClosedLoopTs, 0.5);
}

namespace {

ControllerFormRequest FormRequest(int form, int type, bool cascade = false)
{
    ControllerFormRequest request;
    request.Form = form;
    request.Type = type;
    request.Cascade = cascade;
    return request;
}

} // namespace

TEST_F(TuningPage, ControllerFormTexts)
{
    LocaleScope locale(LocaleScope::Point());
    Evaluate(Store, 5);
    ControllerFormTexts t = EvaluateControllerForm(Store, FormRequest(1, FormTypePID));
    EXPECT_EQ(t.Fields, (std::array<QString, 3>{"6.000", "4.000000", "1.000"}));
    EXPECT_EQ(t.Names, (std::array<QString, 3>{"Kp:", "Ti:", "Td:"}));
    EXPECT_EQ(t.SequencerCaption, "");
    EXPECT_EQ(t.SequencerGainText, "");
    t = EvaluateControllerForm(Store, FormRequest(-1, FormTypeI));
    EXPECT_EQ(t.Fields, (std::array<QString, 3>{"", "0.750000", ""}));
    EXPECT_EQ(t.Visible, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(t.Names, (std::array<QString, 3>{"", "Ki:", ""}));

    // Scale texts are read only where the type needs them.
    ControllerFormRequest request = FormRequest(0, FormTypePI);
    request.ScaleD = "x";
    request.ScaleI = "2";
    EXPECT_EQ(EvaluateControllerForm(Store, request).Fields[1], "1.500000");
    request.ScaleP = "";
    EXPECT_THROW(EvaluateControllerForm(Store, request), ConversionError);
}

TEST_F(TuningPage, CascadeFormWithTheSequencer)
{
    LocaleScope locale(LocaleScope::Comma());
    Evaluate(Store, 2, 10, true);
    const ControllerGains& outer = Store.CascadeResults;
    ControllerFormRequest request = FormRequest(0, FormTypePI, true);
    ControllerFormTexts t = EvaluateControllerForm(Store, request);
    EXPECT_EQ(t.SequencerCaption, "Maks. ojač. sekv.:");
    EXPECT_EQ(t.SequencerGainText, "1,0000");
    EXPECT_EQ(t.Fields[0], FormatFixed(outer.KpPI, 15, 3));

    request.SequencerPresent = true;
    request.SequencerInputs = {"0", "50", "100", "", "7"};
    request.SequencerOutputs = {"0", "20", "100", "", "x"};
    request.Y1MinText = "10";
    request.Y1MaxText = "90";
    t = EvaluateControllerForm(Store, request);
    EXPECT_EQ(t.SequencerGainText, "1,6000");
    EXPECT_EQ(t.Fields[0], FormatFixed(outer.KpPI / 1.6, 15, 3));
    EXPECT_EQ(t.Fields[1], FormatFixed(outer.KiPI / 1.6, 15, 6));
    // Times are not divided.
    request.Form = 1;
    EXPECT_EQ(EvaluateControllerForm(Store, request).Fields[1],
              FormatFixed(outer.KpPI / outer.KiPI, 15, 6));

    // A flat characteristic leaves the gains as they are.
    request.Form = 0;
    request.SequencerOutputs = {"5", "5", "5"};
    t = EvaluateControllerForm(Store, request);
    EXPECT_EQ(t.SequencerGainText, "0,0000");
    EXPECT_EQ(t.Fields[0], FormatFixed(outer.KpPI, 15, 3));
    // A cell or a Y1 caption that is not a number stops the conversion.
    request.SequencerOutputs = {"0", "2x", "5"};
    EXPECT_THROW(EvaluateControllerForm(Store, request), ConversionError);
    request.SequencerOutputs = {"0", "20", "100"};
    request.Y1MaxText = "";
    EXPECT_THROW(EvaluateControllerForm(Store, request), ConversionError);
}

TEST_F(TuningPage, RobustnessTexts)
{
    LocaleScope scope(LocaleScope::Comma());
    LoopRobustness loop;
    loop.Frequency.Ms = 1.5028;
    loop.Frequency.Stable = true;
    loop.Frequency.GainMargin = 3.329;
    loop.Frequency.PhaseMarginDeg = 70.43;
    loop.Response.OvershootPercent = 12.04;
    loop.Response.Peak = 0.3482;
    loop.Response.SettlingTime = 15;
    loop.Response.Iae = 10.00528;
    EXPECT_EQ(FormatRobustness(loop, false).Cells,
              (std::array<QString, RobustnessColumnCount>{"1,50", "3,33", "70,4", "12,0", "15",
                                                          "10,005"}));
    EXPECT_EQ(FormatRobustness(loop, true).Cells[ColumnResponse], "0,348");
    EXPECT_EQ(MsLabelText(loop), "Ms (PID): 1,50");
    EXPECT_EQ(RobustnessHeadings(true)[ColumnResponse], "vrh");
    EXPECT_EQ(RobustnessHeadings(false)[ColumnResponse], "prenihaj [%]");

    // Unstable, without crossings, a runaway response.
    loop.Frequency.Stable = false;
    loop.Frequency.GainMargin.reset();
    loop.Response.Iae = std::numeric_limits<double>::infinity();
    const RobustnessRowTexts unstable = FormatRobustness(loop, false);
    EXPECT_FALSE(unstable.Stable);
    EXPECT_EQ(unstable.Cells[ColumnMs], "nestabilno");
    EXPECT_EQ(unstable.Cells[ColumnGainMargin], QStringLiteral("–"));
    EXPECT_EQ(unstable.Cells[ColumnPhaseMargin], "70,4");
    EXPECT_EQ(unstable.Cells[ColumnIae], QStringLiteral("–"));
    EXPECT_EQ(MsLabelText(loop), "Ms (PID): nestabilno");
}

// The target search stops at the fastest position that keeps the chosen loop
// stable within the Ms bound.
TEST_F(TuningPage, FastestSliderPositionWithinAnMsTarget)
{
    TuningRequest request;
    request.Method = 5; // Ziegler-Nichols: unstable at the fast end
    const std::optional<int> position = FastestSliderPosition(Store, request, 2, 1.6); // PI
    ASSERT_TRUE(position);
    EXPECT_LT(*position, 20);
    const auto pi = [&](int slider) {
        request.SliderPosition = slider;
        Podatki copy;
        copy.InnerModel = Store.InnerModel;
        return EvaluateTuning(copy, request).Responses->Robustness[LoopPI].Frequency;
    };
    EXPECT_TRUE(pi(*position).Stable);
    EXPECT_LE(pi(*position).Ms, 1.6);
    for (int faster = *position + 1; faster <= 20; ++faster)
        EXPECT_FALSE(pi(faster).Stable && pi(faster).Ms <= 1.6) << faster;
    EXPECT_FALSE(FastestSliderPosition(Store, request, 2, 1.0)); // out of reach
}
