#include "model/ModelQuality.h"
#include "base/Errors.h"
#include "model/ExperimentData.h"
#include "model/ModelClass.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <limits>
#include <memory>

TEST(GradeModel, EachThresholdBelongsToTheWorseGrade)
{
    EXPECT_STREQ(GradeText(GradeModel(0.0)), "Zelo dobra");
    EXPECT_STREQ(GradeText(GradeModel(0.00999)), "Zelo dobra");
    EXPECT_STREQ(GradeText(GradeModel(0.01)), "Dobra");
    EXPECT_STREQ(GradeText(GradeModel(0.04999)), "Dobra");
    EXPECT_STREQ(GradeText(GradeModel(0.05)), "Slabsa");
    EXPECT_STREQ(GradeText(GradeModel(0.11999)), "Slabsa");
    EXPECT_STREQ(GradeText(GradeModel(0.12)), "Slaba");
    EXPECT_STREQ(GradeText(GradeModel(1.0)), "Slaba");
    EXPECT_STREQ(GradeText(GradeModel(std::numeric_limits<double>::quiet_NaN())), "Slaba");
}

TEST(CheckSampling, WarnsWhenEitherModelSpansThreeSamplingPeriodsOrLess)
{
    ProcessModel inner;
    inner.DeadTime = 2;
    inner.TimeConstant = 5; // A = 7
    ProcessModel slowOuter;
    slowOuter.TimeConstant = 100;
    ProcessModel fastOuter;
    fastOuter.TimeConstant = 4;
    fastOuter.DeadTime = 2; // B = 6

    // 7 <= 9: the inner model alone raises the warning.
    EXPECT_EQ(CheckSampling(inner, slowOuter, 3), "Opozorilo: Vzorčenje je preredko");
    // 7 > 6: the outer model decides.
    EXPECT_EQ(CheckSampling(inner, slowOuter, 2), "");
    EXPECT_EQ(CheckSampling(inner, fastOuter, 2), SamplingWarningText);

    // The sums are rounded halves to even before the comparison.
    ProcessModel half;
    half.TimeConstant = 6.5; // 6
    EXPECT_TRUE(SamplingTooSparse(half, slowOuter, 2));
    half.TimeConstant = 7.5; // 8
    EXPECT_FALSE(SamplingTooSparse(half, slowOuter, 2));
}

TEST(MeasureModelFit, ResidualDeviationAndRelativeError)
{
    const double reference[] = {1, 2, 3, 4};
    const double output[] = {1, 2, 3, 5};
    const ModelFitQuality q = MeasureModelFit(reference, output, 4);
    ExpectClose(q.ResidualSTD, 0.5, 1e-15);              // residuals 0 0 0 1
    ExpectClose(q.RelativeError, std::sqrt(0.2), 1e-15); // 0.25 / 1.25

    const double flat[] = {2, 2, 2, 2};
    EXPECT_EQ(MeasureModelFit(flat, output, 4).RelativeError, 1);
}

namespace {

std::unique_ptr<Podatki> IdentifiedExperiment()
{
    SyntheticExperiment plan;
    plan.Input = StepInput(200, 20, 2.0);
    plan.Inner = {1.5, 8, 3};
    plan.Outer = {0.5, 12, 2};
    plan.Noise = 0.01;
    auto store = std::make_unique<Podatki>();
    MakeExperiment(*store, plan);
    IdentifyModels(*store, 1, 200);
    return store;
}

} // namespace

TEST(ApplyModel, ReplacesTheShownModelWithTheUsersValuesAndMeasuresIt)
{
    auto store = IdentifiedExperiment();
    const ProcessModel before = store->InnerModel;
    const ProcessModel outerBefore = store->OuterModel;
    const int delay = store->InnerDelaySamples;
    const int n = store->IdentSampleCount;

    // 2.6 s at Ts = 1 s acts as 3 samples, but is kept as entered.
    const ModelFitQuality q = ApplyModel(*store, false, 1.4, 9.0, 2.6);
    std::vector<double> expected(static_cast<std::size_t>(n)), slope(expected.size());
    SimulateFOPDT(1, n, store->IdentU.data(), 1.4, 9.0, 1.0, 0.0, 3.0, expected.data(),
                  slope.data());
    for (int i = 1; i <= n; ++i)
        ASSERT_EQ(Sample(store->ModelOutputInner, i), expected[static_cast<std::size_t>(i - 1)]);
    const ModelFitQuality measured =
        MeasureModelFit(store->MeasuredInner.data(), expected.data(), n);
    EXPECT_EQ(q.ResidualSTD, measured.ResidualSTD);
    EXPECT_EQ(q.RelativeError, measured.RelativeError);

    const ProcessModel& m = store->InnerModel;
    EXPECT_EQ(m.Gain, 1.4);
    EXPECT_EQ(m.TimeConstant, 9.0);
    EXPECT_EQ(m.DeadTime, 2.6);
    EXPECT_EQ(m.ResidualSTD, q.ResidualSTD);
    EXPECT_EQ(m.RelativeError, q.RelativeError);
    EXPECT_EQ(m.GainDeviation, before.GainDeviation);
    EXPECT_EQ(m.TimeDeviation, before.TimeDeviation);
    EXPECT_EQ(store->InnerDelaySamples, delay);
    EXPECT_EQ(store->OuterModel.Gain, outerBefore.Gain);

    // The outer process is driven by Y1 and compared with Y2.
    ApplyModel(*store, true, outerBefore.Gain, outerBefore.TimeConstant, outerBefore.DeadTime);
    ExpectClose(store->OuterModel.RelativeError, outerBefore.RelativeError, 1e-12);
}

TEST(ApplyModel, ANonFiniteResponseChangesNothing)
{
    auto store = IdentifiedExperiment();
    const ProcessModel before = store->InnerModel;
    const double output = Sample(store->ModelOutputInner, 100);
    EXPECT_THROW(ApplyModel(*store, false, 1e308, 1.0, 0.0), ComputationError);
    EXPECT_EQ(store->InnerModel.Gain, before.Gain);
    EXPECT_EQ(store->InnerModel.RelativeError, before.RelativeError);
    EXPECT_EQ(Sample(store->ModelOutputInner, 100), output);
}
