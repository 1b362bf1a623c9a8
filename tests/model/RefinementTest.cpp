#include "base/Errors.h"
#include "model/ModelClass.h"
#include "model/ModelQuality.h"
#include "model/ModelRefinement.h"

#include "support/ExpectClose.h"

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Process {
    double Gain, TimeConstant, DeadTime;
};

// The response of K e^(-Ls) / (Ts + 1), at rest with the first input, to an
// input held between samples, sampled: the closed-form step responses of
// the input's jumps added up.
std::vector<double> ExactResponse(const std::vector<double>& u, double ts, const Process& p)
{
    std::vector<double> y(u.size(), p.Gain * u[0]);
    for (std::size_t s = 1; s < u.size(); ++s) {
        const double jump = u[s] - u[s - 1];
        if (jump == 0)
            continue;
        for (std::size_t i = s; i < u.size(); ++i) {
            const double since =
                (static_cast<double>(i) - static_cast<double>(s)) * ts - p.DeadTime;
            if (since > 0)
                y[i] += p.Gain * jump * (1 - std::exp(-since / p.TimeConstant));
        }
    }
    return y;
}

// A test of the inner process with its offsets, the outer one following it;
// `noise` is added to Y1 sample by sample when given.
std::unique_ptr<Podatki> StepTest(const std::vector<double>& u, double ts, const Process& inner,
                                  const std::vector<double>& noise = {})
{
    auto store = std::make_unique<Podatki>();
    const int n = static_cast<int>(u.size());
    const std::vector<double> y1 = ExactResponse(u, ts, inner);
    const std::vector<double> y2 = ExactResponse(y1, ts, {0.5, 5, 1});
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        Sample(store->Time, i) = (i - 1) * ts;
        Sample(store->ProcessedMV, i) = 30 + u[k];
        Sample(store->ProcessedU, i) = 30 + u[k];
        Sample(store->ProcessedY1, i) = 60 + y1[k] + (noise.empty() ? 0 : noise[k]);
        Sample(store->ProcessedY2, i) = 25 + y2[k];
    }
    store->SampleCount = n;
    store->SamplingTime = ts;
    store->SignalCount = 6;
    return store;
}

std::vector<double> Steps(int n, std::initializer_list<std::pair<int, double>> jumps)
{
    std::vector<double> u(static_cast<std::size_t>(n), 0.0);
    for (const auto& [at, height] : jumps)
        for (int i = at; i < n; ++i)
            u[static_cast<std::size_t>(i)] += height;
    return u;
}

} // namespace

TEST(ModelRefinement, RecoversNoiseFreeProcessesWithAFractionalDeadTime)
{
    struct Case {
        const char* name;
        std::vector<double> u;
        double ts;
        Process truth;
    };
    const Case cases[] = {
        {"whole samples", Steps(141, {{14, 10}}), 0.5, {2, 10, 4}},
        {"0.4 of a sample, two steps", Steps(200, {{20, 10}, {120, -16}}), 0.5, {-1.5, 6, 2.7}},
        {"0.9 of a sample", Steps(150, {{10, 5}}), 1.0, {0.8, 25, 7.9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = StepTest(c.u, c.ts, c.truth);
        const int n = store->SampleCount;
        IdentifyModels(*store, 1, n, true);

        const ProcessModel& m = store->InnerModel;
        ExpectClose(m.Gain, c.truth.Gain, 1e-3 * std::fabs(c.truth.Gain));
        ExpectClose(m.TimeConstant, c.truth.TimeConstant, 1e-3 * c.truth.TimeConstant);
        ExpectClose(m.DeadTime, c.truth.DeadTime, 1e-3 * c.truth.DeadTime);
        EXPECT_LT(m.RelativeError, 1e-6);
        EXPECT_EQ(store->InnerDelaySamples, std::lround(c.truth.DeadTime / c.ts));
        ASSERT_TRUE(store->InnerRefinement.Shown);
        ASSERT_TRUE(store->OuterRefinement.Shown);
        ExpectClose(store->InnerRefinement.Offset, 0.0, 1e-6);
        EXPECT_LT(m.GainDeviation, 1e-6);
        EXPECT_LT(store->InnerRefinement.DeadTimeInterval, 1e-6);

        // The chart's model curve lies on the measurement (delayed by one
        // sample), and "Uporabi model" with the same values measures the same.
        for (int i = 2; i <= n; ++i)
            ASSERT_NEAR(Sample(store->ModelOutputInner, i), Sample(store->MeasuredInner, i), 1e-6)
                << i;
        const ModelFitQuality q = ApplyModel(*store, false, m.Gain, m.TimeConstant, m.DeadTime);
        EXPECT_LT(q.RelativeError, 1e-6);
    }
}

TEST(ModelRefinement, IntervalsHoldTheTruthOnWhiteNoiseAndWidenForCorrelatedNoise)
{
    // 60 step tests with white noise of 5 % of the response: the 95 %
    // intervals hold the truth in at least 90 % of them.
    const Process truth{2, 10, 4};
    const std::vector<double> u = Steps(141, {{14, 10}});
    std::mt19937 random(7);
    std::normal_distribution<double> white(0.0, 1.0);
    int hits[3] = {};
    const int records = 60;
    std::vector<double> noise(u.size());
    for (int r = 0; r < records; ++r) {
        for (double& e : noise)
            e = white(random); // 5 % of a response of 20
        auto store = StepTest(u, 0.5, truth, noise);
        IdentifyModels(*store, 1, store->SampleCount);
        const RefinedModel m = RefineModels(*store).Inner;
        hits[0] += std::fabs(m.Gain - truth.Gain) <= m.Ci95.Gain;
        hits[1] += std::fabs(m.TimeConstant - truth.TimeConstant) <= m.Ci95.TimeConstant;
        hits[2] += std::fabs(m.DeadTime - truth.DeadTime) <= m.Ci95.DeadTime;
    }
    for (int k = 0; k < 3; ++k)
        EXPECT_GE(hits[k], 54) << "parameter " << k << " (K, T, L)";

    // The same noise passed through a lag of four samples, scaled back to
    // the same variance: fewer independent samples, wider intervals.
    auto whiteStore = StepTest(u, 0.5, truth, noise);
    std::vector<double> colored(noise.size());
    const double a = std::exp(-0.25);
    colored[0] = noise[0];
    for (std::size_t i = 1; i < noise.size(); ++i)
        colored[i] = a * colored[i - 1] + std::sqrt(1 - a * a) * noise[i];
    auto coloredStore = StepTest(u, 0.5, truth, colored);
    for (Podatki* store : {whiteStore.get(), coloredStore.get()})
        IdentifyModels(*store, 1, store->SampleCount);
    const RefinedModel w = RefineModels(*whiteStore).Inner;
    const RefinedModel c = RefineModels(*coloredStore).Inner;
    EXPECT_GT(w.EffectiveSamples, 100);
    EXPECT_LT(c.EffectiveSamples, 50);
    EXPECT_GT(c.Ci95.DeadTime, 1.5 * w.Ci95.DeadTime);
}

TEST(ModelRefinement, StudentQuantiles)
{
    ExpectClose(StudentT95(1), 12.7062, 1e-4);
    ExpectClose(StudentT95(10), 2.2281, 1e-4);
    ExpectClose(StudentT95(30), 2.0423, 1e-4);
    ExpectClose(StudentT95(1e6), 1.95996, 1e-4);
    ExpectClose(StudentT95(0.2), 12.7062, 1e-4); // at least one degree
}

TEST(ModelRefinement, AFailedRefinementLeavesTheStoreAsItWas)
{
    // Five samples are enough to identify, too few to refine.
    auto store = StepTest(Steps(50, {{2, 1}}), 1, {1, 2, 1});
    IdentifyModels(*store, 1, 50, true);
    const ProcessModel inner = store->InnerModel;
    EXPECT_THROW(IdentifyModels(*store, 1, 5, true), ComputationError);
    EXPECT_EQ(store->IdentSampleCount, 50);
    EXPECT_EQ(store->InnerModel.DeadTime, inner.DeadTime);
    EXPECT_TRUE(store->InnerRefinement.Shown);

    // An identification without refinement leaves no refined model behind.
    IdentifyModels(*store, 1, 50);
    EXPECT_FALSE(store->InnerRefinement.Shown);
    EXPECT_FALSE(store->OuterRefinement.Shown);
}
