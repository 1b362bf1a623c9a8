#include "base/Errors.h"
#include "model/ExperimentData.h"
#include "model/LiteralIdentification.h"
#include "model/ModelClass.h"
#include "model/ModelQuality.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <memory>
#include <string>

namespace {

std::unique_ptr<Podatki> StoreWith(const SyntheticExperiment& plan)
{
    auto store = std::make_unique<Podatki>();
    MakeExperiment(*store, plan);
    return store;
}

} // namespace

TEST(IdentifyModels, RecoversNoiseFreeProcessesWithTheDeadTimeOneSampleLonger)
{
    struct Case {
        double ts;
        FopdtParameters inner, outer;
    };
    const Case cases[] = {
        {1.0, {2.0, 10.0, 3.0}, {0.5, 20.0, 5.0}},
        {0.5, {-1.5, 4.0, 1.0}, {3.0, 6.0, 0.0}},
        {2.0, {0.8, 30.0, 8.0}, {1.2, 12.0, 4.0}},
    };
    for (const Case& c : cases) {
        SyntheticExperiment plan;
        plan.Input = StepInput(300, 30, 1.0);
        plan.SamplingTime = c.ts;
        plan.Inner = c.inner;
        plan.Outer = c.outer;
        plan.OffsetU = 20;
        plan.OffsetY1 = 50;
        plan.OffsetY2 = -7;
        auto store = StoreWith(plan);
        IdentifyModels(*store, 1, 300);
        const struct {
            const ProcessModel& found;
            int delay;
            FopdtParameters truth;
        } processes[] = {{store->InnerModel, store->InnerDelaySamples, c.inner},
                         {store->OuterModel, store->OuterDelaySamples, c.outer}};
        for (const auto& p : processes) {
            SCOPED_TRACE("Ts " + std::to_string(c.ts) + " K " + std::to_string(p.truth.Gain));
            EXPECT_EQ(p.found.DeadTime, p.truth.DeadTime + c.ts);
            EXPECT_EQ(p.delay, std::lround(p.truth.DeadTime / c.ts) + 1);
            ExpectClose(p.found.Gain, p.truth.Gain, 0.01 * std::fabs(p.truth.Gain));
            ExpectClose(p.found.TimeConstant, p.truth.TimeConstant, c.ts);
            EXPECT_LT(p.found.RelativeError, 0.05);
        }
    }
}

namespace {

void ExpectSameFit(const CandidateFit& fast, const CandidateFit& literal, const std::string& what)
{
    EXPECT_EQ(fast.DeadTime, literal.DeadTime) << what;
    auto close = [&](double a, double b, const char* field) {
        const bool bothNan = std::isnan(a) && std::isnan(b);
        EXPECT_TRUE(bothNan || std::fabs(a - b) <= 1e-9 * std::fabs(b))
            << what << " " << field << ": " << a << " vs " << b;
    };
    close(fast.Gain, literal.Gain, "K");
    close(fast.TimeConstant, literal.TimeConstant, "T");
    close(fast.Error, literal.Error, "error");
}

void ExpectSameIdentification(const ProcessIdentification& fast,
                              const ProcessIdentification& literal, const std::string& what)
{
    ExpectSameFit(fast.FirstScan, literal.FirstScan, what + " first scan");
    ExpectSameFit(fast.SecondScan, literal.SecondScan, what + " second scan");
    for (std::size_t i = 0; i < 3; ++i) {
        ExpectSameFit(fast.Candidates[i], literal.Candidates[i], what + " candidate");
        ExpectSameFit(fast.Refined[i], literal.Refined[i], what + " refined");
    }
    ExpectSameFit(fast.Best, literal.Best, what + " best");
    const ProcessModel& a = fast.Model;
    const ProcessModel& b = literal.Model;
    EXPECT_EQ(a.DeadTime, b.DeadTime) << what;
    for (auto [x, y] : {std::pair{a.Gain, b.Gain},
                        {a.TimeConstant, b.TimeConstant},
                        {a.GainDeviation, b.GainDeviation},
                        {a.TimeDeviation, b.TimeDeviation},
                        {a.ResidualSTD, b.ResidualSTD},
                        {a.RelativeError, b.RelativeError}})
        EXPECT_TRUE(std::fabs(x - y) <= 1e-9 * std::fabs(y) || (std::isnan(x) && std::isnan(y)))
            << what << ": " << x << " vs " << y;
}

struct DataSet {
    std::string Name;
    SyntheticExperiment Plan;
    int Start = 1;
    int End = 0; // 0: the last sample
};

std::vector<double> Steps(int n, double ts)
{
    std::vector<double> u(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        u[static_cast<std::size_t>(i)] = (i >= n / 5 ? 2.0 : 0.0) - (i >= n / 2 ? 3.0 : 0.0) +
                                         (i >= 4 * n / 5 ? 1.5 : 0.0) + 0 * ts;
    return u;
}

std::vector<DataSet> DataSets()
{
    std::vector<DataSet> sets;
    auto add = [&](std::string name, std::vector<double> input, double ts, FopdtParameters inner,
                   FopdtParameters outer, double noise, int start = 1, int end = 0) {
        DataSet d;
        d.Name = std::move(name);
        d.Plan.Input = std::move(input);
        d.Plan.SamplingTime = ts;
        d.Plan.Inner = inner;
        d.Plan.Outer = outer;
        d.Plan.Noise = noise;
        d.Plan.Seed = static_cast<std::uint32_t>(sets.size() * 7919 + 3);
        d.Plan.OffsetU = 35;
        d.Plan.OffsetY1 = 12.5;
        d.Plan.OffsetY2 = -4;
        d.Start = start;
        d.End = end;
        sets.push_back(std::move(d));
    };
    add("step", StepInput(240, 40, 1.0), 1.0, {2, 10, 3}, {0.5, 20, 5}, 0);
    add("step Ts 0.3", StepInput(200, 20, -4.0), 0.3, {1.1, 2.0, 0.9}, {-2, 1.0, 0.3}, 0);
    add("step Ts 7", StepInput(150, 10, 10.0), 7.0, {0.3, 70, 21}, {4, 35, 0}, 0);
    add("noisy step", StepInput(260, 30, 1.0), 1.0, {2, 10, 3}, {0.5, 20, 5}, 0.05);
    add("very noisy", StepInput(200, 30, 1.0), 0.5, {1, 5, 2}, {1, 5, 2}, 0.8);
    add("steps", Steps(300, 1.0), 1.0, {-0.7, 15, 6}, {1.8, 8, 2}, 0.02);
    add("window inside", Steps(320, 2.0), 2.0, {1.3, 25, 10}, {0.9, 6, 4}, 0.01, 41, 290);
    std::vector<double> ramp(220);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = i < 30 ? 0.0 : 0.05 * static_cast<double>(i - 30);
    add("ramp", ramp, 1.0, {1.5, 12, 4}, {0.4, 9, 1}, 0);
    add("noisy ramp", ramp, 1.0, {1.5, 12, 4}, {0.4, 9, 1}, 0.1);
    add("no excitation", std::vector<double>(180, 0.0), 1.0, {2, 10, 3}, {1, 5, 1}, 0.2);
    add("constant", std::vector<double>(150, 0.0), 1.0, {2, 10, 3}, {1, 5, 1}, 0);
    add("fast process", StepInput(200, 50, 1.0), 1.0, {3, 0.005, 0}, {1, 0.2, 1}, 0.01);
    add("short window", StepInput(12, 3, 1.0), 1.0, {1, 2, 1}, {1, 2, 1}, 0.01);
    add("four samples", StepInput(4, 1, 1.0), 1.0, {1, 1, 0}, {1, 1, 0}, 0);
    // With Ts = 0 every dead time is zero samples: the scan goes one by one.
    add("sampling time 0", StepInput(60, 10, 1.0), 0.0, {1, 2, 0}, {1, 2, 0}, 0.01);
    add(
        "pulses",
        [] {
            std::vector<double> u(260, 0.0);
            for (std::size_t i = 20; i < u.size(); i += 60)
                for (std::size_t k = i; k < i + 5 && k < u.size(); ++k)
                    u[k] = 5;
            return u;
        }(),
        1.0, {0.9, 6, 2}, {2.2, 3, 7}, 0.03);
    return sets;
}

} // namespace

TEST(IdentifyModels, GivesTheLiteralMethodsResultsOnManyDataSets)
{
    for (const DataSet& set : DataSets()) {
        SCOPED_TRACE(set.Name);
        auto fast = StoreWith(set.Plan);
        auto literal = StoreWith(set.Plan);
        const int end = set.End > 0 ? set.End : fast->SampleCount;
        IdentifyModels(*fast, set.Start, end);
        LiteralIdentifyModels(*literal, set.Start, end);
        const int n = end - set.Start + 1;
        const double ts = fast->SamplingTime;
        const double t0 = 0.05 * (Sample(fast->Time, end) - Sample(fast->Time, set.Start));

        // Each process's whole course, from the same identification arrays.
        for (int outer = 0; outer < 2; ++outer) {
            const double* u = outer ? fast->IdentY1.data() : fast->IdentU.data();
            const double* y = outer ? fast->IdentY2.data() : fast->IdentY1.data();
            std::vector<double> reference(static_cast<std::size_t>(n));
            std::vector<double> output(reference.size());
            const ProcessIdentification expected =
                LiteralIdentifyProcess(u, y, n, ts, t0, reference.data(), output.data());
            const ProcessIdentification found = IdentifyProcess(
                {u, y, nullptr, n, ts}, reference.data(), t0, output.data(), fast->Fit[0]);
            ExpectSameIdentification(found, expected, outer ? "outer" : "inner");
        }
        // And what the store ends up holding: dead times of whole samples.
        EXPECT_EQ(fast->InnerModel.DeadTime, fast->InnerDelaySamples * ts);
        EXPECT_EQ(fast->OuterModel.DeadTime, fast->OuterDelaySamples * ts);
        EXPECT_EQ(fast->InnerDelaySamples, literal->InnerDelaySamples);
        EXPECT_EQ(fast->OuterDelaySamples, literal->OuterDelaySamples);
        EXPECT_EQ(fast->InnerModel.DeadTime, literal->InnerModel.DeadTime);
        EXPECT_EQ(fast->OuterModel.DeadTime, literal->OuterModel.DeadTime);
        ExpectClose(fast->InnerModel.Gain, literal->InnerModel.Gain,
                    1e-9 * std::fabs(literal->InnerModel.Gain));
        ExpectClose(fast->OuterModel.TimeConstant, literal->OuterModel.TimeConstant,
                    1e-9 * std::fabs(literal->OuterModel.TimeConstant));
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(Sample(fast->MeasuredOuter, i), Sample(literal->MeasuredOuter, i));
            ExpectClose(Sample(fast->ModelOutputInner, i), Sample(literal->ModelOutputInner, i),
                        1e-9 * (1 + std::fabs(Sample(literal->ModelOutputInner, i))));
        }
    }
}

TEST(IdentifyModels, RefilledCandidatesKeepTheDeadTimesTheyWereRefittedAt)
{
    // An outer process whose best scanned dead time is 12 samples and whose
    // refit at 11 samples beats it: the instrumental variables then start
    // from the refits at 11, 12 and 13, not from a table re-centred on 11.
    SyntheticExperiment plan;
    plan.Input = StepInput(150, 20, 1.0);
    plan.SamplingTime = 0.5;
    plan.Inner = {2, 15, 5};
    plan.Outer = {0.5, 7.5, 5};
    plan.Noise = 0.02;
    auto store = StoreWith(plan);
    IdentifyModels(*store, 1, 150);
    TModel model(*store);
    model.Identify(150, 0.5, 0.05 * 149 * 0.5);
    const ProcessIdentification& r = model.OuterDetails;

    const CandidateFit& scanBest =
        r.SecondScan.Error < r.FirstScan.Error ? r.SecondScan : r.FirstScan;
    ASSERT_EQ(scanBest.DeadTime, 12);
    ASSERT_NE(r.Candidates[1].Gain, scanBest.Gain) << "the refit did not win";
    EXPECT_LT(r.Candidates[0].Error, scanBest.Error);
    EXPECT_LT(r.Candidates[0].Error, r.Candidates[1].Error);
    EXPECT_LT(r.Candidates[0].Error, r.Candidates[2].Error);
    EXPECT_EQ(r.Candidates[0].DeadTime, 11);
    EXPECT_EQ(r.Candidates[1].DeadTime, 12);
    EXPECT_EQ(r.Candidates[2].DeadTime, 13);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(r.Refined[i].DeadTime, r.Candidates[i].DeadTime);
}

TEST(DeadTimeScan, EveryKernelGivesTheOneByOneNumbersBitForBit)
{
    for (const int n : {173, 9, 2}) {
        SyntheticExperiment plan;
        plan.Input = StepInput(n, n / 4, 3.0);
        plan.SamplingTime = 0.7;
        plan.Inner = {1.4, 6, 2.1};
        plan.Outer = {0.5, 3, 1.4};
        plan.Noise = 0.05;
        auto store = StoreWith(plan);
        std::vector<double> reference(static_cast<std::size_t>(n)), slope(reference.size());
        SimulateFOPDT(1, n, store->ProcessedY1.data(), 1.0, 0.0, 0.7, 0.0, 0.0, reference.data(),
                      slope.data());
        const ProcessSignals p{store->ProcessedU.data(), store->ProcessedY1.data(),
                               reference.data(), n, 0.7};
        FitScratch& w = store->Fit[0];
        std::vector<CandidateFit> expected;
        for (int d = 0; d <= n - 2; ++d) {
            const Fit2 fit = FitAt(p, 4.2, d, w);
            expected.push_back({d, fit.Theta1, fit.Theta2, fit.S1, fit.S2,
                                ModelErrorAt(p, fit.Theta1, fit.Theta2, d, w)});
        }
        for (const ScanKernel kernel :
             {ScanKernel::Portable, ScanKernel::Avx2, ScanKernel::Avx512}) {
            if (!ScanKernelAvailable(kernel))
                continue;
            SCOPED_TRACE("n " + std::to_string(n) + " kernel " +
                         std::to_string(static_cast<int>(kernel)));
            ScanDeadTimes(p, 4.2, w, kernel);
            for (int d = 0; d <= n - 2; ++d) {
                const auto at = static_cast<std::size_t>(d);
                ASSERT_EQ(w.ScanGain[at], expected[at].Gain) << d;
                ASSERT_EQ(w.ScanTimeConstant[at], expected[at].TimeConstant) << d;
                ASSERT_EQ(w.ScanGainSigma[at], expected[at].GainSigma) << d;
                ASSERT_EQ(w.ScanTimeSigma[at], expected[at].TimeSigma) << d;
                ASSERT_EQ(w.ScanError[at], expected[at].Error) << d;
            }
        }
    }
}

TEST(IdentifyModels, RefusesWindowsOutsideTheDataOrShorterThanFourSamples)
{
    SyntheticExperiment plan;
    plan.Input = StepInput(100, 20, 1.0);
    plan.Inner = {2, 10, 3};
    auto store = StoreWith(plan);
    store->InnerModel.Gain = 42;
    store->IdentSampleCount = 17;
    const std::pair<int, int> refused[] = {{0, 50}, {1, 101}, {60, 59}, {5, 5}, {5, 7}, {-3, 0}};
    for (const auto& [start, end] : refused) {
        EXPECT_THROW(IdentifyModels(*store, start, end), ComputationError) << start << ".." << end;
        EXPECT_EQ(store->InnerModel.Gain, 42);
        EXPECT_EQ(store->IdentSampleCount, 17);
    }
    EXPECT_NO_THROW(IdentifyModels(*store, 97, 100));
    EXPECT_EQ(store->IdentSampleCount, 4);

    Podatki empty;
    EXPECT_THROW(IdentifyModels(empty, 1, 1), ComputationError);
}

TEST(IdentifyModels, StaysInsideTheArraysOfAFullStore)
{
    SyntheticExperiment plan;
    plan.Input = StepInput(Podatki::MaxSamples, 700, 5.0);
    plan.SamplingTime = 0.2;
    plan.Inner = {1.2, 30, 4};
    plan.Outer = {0.7, 10, 2};
    plan.Noise = 0.01;
    auto store = StoreWith(plan);
    IdentifyModels(*store, 1, Podatki::MaxSamples);
    ExpectClose(store->InnerModel.Gain, 1.2, 0.05);
    for (const auto& [start, end] : {std::pair{4997, 5000}, {4990, 5000}, {4000, 5000}}) {
        IdentifyModels(*store, start, end);
        EXPECT_GE(store->InnerModel.TimeConstant, 0);
        EXPECT_TRUE(std::isfinite(store->OuterModel.RelativeError));
    }
}

TEST(IdentifyModels, GoesOnWithoutExcitationOrVariation)
{
    // Constant signals: every fit is singular and the reference has no
    // variance, so the relative error is 1, graded poor.
    SyntheticExperiment flat;
    flat.Input.assign(120, 0.0);
    flat.OffsetU = 50;
    flat.OffsetY1 = 3.7;
    flat.OffsetY2 = -1;
    auto store = StoreWith(flat);
    IdentifyModels(*store, 1, 120);
    for (const ProcessModel& m : {store->InnerModel, store->OuterModel}) {
        EXPECT_EQ(m.RelativeError, 1);
        EXPECT_STREQ(GradeText(GradeModel(m.RelativeError)), "Slaba");
        EXPECT_EQ(m.ResidualSTD, 0);
        EXPECT_TRUE(std::isfinite(m.Gain));
    }

    // A still input with a noisy output: the normal matrix is singular, and
    // the fit still ends in a finite model.
    SyntheticExperiment still;
    still.Input.assign(150, 0.0);
    still.Noise = 0.3;
    auto noisy = StoreWith(still);
    IdentifyModels(*noisy, 1, 150);
    EXPECT_EQ(noisy->InnerModel.Gain, 0);
    EXPECT_GT(noisy->InnerModel.GainDeviation, 1e3); // the 1E15 of a singular inverse shows
    EXPECT_TRUE(std::isfinite(noisy->InnerModel.RelativeError));
}

TEST(IdentifyModels, ANegativeFittedTimeConstantBecomesZero)
{
    // Y1 leads: it overshoots at once and settles, which the first-order fit
    // can only meet with a negative time constant.
    auto store = std::make_unique<Podatki>();
    const int n = 200;
    for (int i = 1; i <= n; ++i) {
        const double u = i > 30 ? 1 : 0;
        Sample(store->Time, i) = i - 1;
        Sample(store->ProcessedMV, i) = u;
        Sample(store->ProcessedU, i) = u;
        Sample(store->ProcessedY1, i) = (i > 31 ? 1 : 0) + 1.5 * (i == 32 ? 1 : 0);
        Sample(store->ProcessedY2, i) = u;
    }
    store->SampleCount = n;
    IdentifyModels(*store, 1, n);
    EXPECT_EQ(store->InnerModel.TimeConstant, 0.0);
    EXPECT_FALSE(std::signbit(store->InnerModel.TimeConstant));
    ExpectClose(store->InnerModel.Gain, 1.0, 0.01);
}

TEST(IdentifyModels, RefusesSignalsTooLargeForAFiniteFitAndKeepsTheModels)
{
    SyntheticExperiment plan;
    plan.Input = StepInput(100, 30, 1e100);
    plan.Inner = {2, 10, 3};
    auto store = StoreWith(plan);
    store->InnerModel.Gain = 42;
    store->OuterModel.Gain = 43;
    store->IdentSampleCount = 7;
    store->IdentU[3] = 5;
    store->ModelOutputOuter[2] = 6;
    EXPECT_THROW(IdentifyModels(*store, 1, 100), ComputationError);
    EXPECT_EQ(store->InnerModel.Gain, 42);
    EXPECT_EQ(store->OuterModel.Gain, 43);
    // The window and its curves stay with the models they belong to.
    EXPECT_EQ(store->IdentSampleCount, 7);
    EXPECT_EQ(store->IdentU[3], 5);
    EXPECT_EQ(store->IdentU[40], 0);
    EXPECT_EQ(store->ModelOutputOuter[2], 6);
}
