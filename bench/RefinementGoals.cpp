// How well the identification and its refinement recover a known process:
// synthetic step tests of first-order-plus-dead-time processes, sampled from
// the exact continuous response to a step held between samples, with white
// Gaussian noise of 0 %, 1 %, 5 % and 10 % of the response amplitude on the
// measurement. For each method and noise level: the RMS relative error and
// the bias of K, T and L, and how often the 95 % interval holds the truth
// (the identification's own intervals are 1.96 deviations of K and T; it
// gives none for L). The identification's dead time is compared as it
// reports it, one sample longer than the process's own.
//
// Usage: bench_refinement_goals [records per noise level, default 100]

#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "model/ModelClass.h"
#include "model/ModelRefinement.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Process {
    const char* Name;
    double Gain, TimeConstant, DeadTime, SamplingTime;
};

// A step of the input at a tenth of a record of five times T + L.
void MakeStepTest(Podatki& store, const Process& p, double noise, std::mt19937& random)
{
    const double duration = 5 * (p.TimeConstant + p.DeadTime);
    const int n = static_cast<int>(std::lround(duration / p.SamplingTime)) + 1;
    const int stepAt = n / 10;
    const double height = 10;
    const double amplitude = std::fabs(p.Gain * height);
    std::normal_distribution<double> white(0.0, noise * amplitude);
    std::vector<double> y1(static_cast<std::size_t>(n)), y2(y1.size()), slope(y1.size());
    for (int i = 1; i <= n; ++i) {
        const double t = (i - 1) * p.SamplingTime;
        const double since = t - (stepAt - 1) * p.SamplingTime - p.DeadTime;
        y1[static_cast<std::size_t>(i - 1)] =
            since > 0 ? p.Gain * height * (1 - std::exp(-since / p.TimeConstant)) : 0;
    }
    // The outer process (not evaluated here) follows the inner one.
    SimulateFOPDT(1, n, y1.data(), 0.5, p.TimeConstant / 2, p.SamplingTime, 0, p.DeadTime / 2,
                  y2.data(), slope.data());
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        const double u = i >= stepAt ? height : 0;
        Sample(store.Time, i) = (i - 1) * p.SamplingTime;
        Sample(store.ProcessedMV, i) = 50 + u;
        Sample(store.ProcessedU, i) = 50 + u;
        Sample(store.ProcessedY1, i) = 30 + y1[k] + (noise > 0 ? white(random) : 0);
        Sample(store.ProcessedY2, i) = 20 + y2[k] + (noise > 0 ? white(random) : 0);
    }
    store.SampleCount = n;
    store.SamplingTime = p.SamplingTime;
    store.SignalCount = 6;
}

// Relative errors and interval hits of one parameter over the records.
struct Tally {
    double SumSquares = 0, Sum = 0;
    int Hits = 0, Count = 0;
    bool HasInterval = true;

    void Add(double estimate, double truth, double halfWidth)
    {
        const double e = (estimate - truth) / truth;
        SumSquares += e * e;
        Sum += e;
        Hits += std::fabs(estimate - truth) <= halfWidth ? 1 : 0;
        ++Count;
    }
    std::string Text() const
    {
        char text[64];
        const double rms = 100 * std::sqrt(SumSquares / Count);
        const double bias = 100 * Sum / Count;
        if (HasInterval)
            std::snprintf(text, sizeof text, "%6.2f %+7.2f %5.0f", rms, bias, 100.0 * Hits / Count);
        else
            std::snprintf(text, sizeof text, "%6.2f %+7.2f %5s", rms, bias, "-");
        return text;
    }
};

struct MethodTally {
    Tally K, T, L;
};

} // namespace

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const Process processes[] = {{"K 2, T 10 s, L 4 s, Ts 0.5 s", 2, 10, 4, 0.5},
                                 {"K -1.5, T 6 s, L 2.7 s, Ts 0.5 s", -1.5, 6, 2.7, 0.5},
                                 {"K 0.8, T 25 s, L 7.4 s, Ts 1 s", 0.8, 25, 7.4, 1}};
    const double noises[] = {0, 0.01, 0.05, 0.10};
    auto store = std::make_unique<Podatki>();

    std::printf("Per parameter: RMS relative error %%, bias %%, 95 %% interval coverage %%\n");
    for (const Process& p : processes) {
        std::printf("\n%s, %d records per noise level\n", p.Name, records);
        std::printf("%-6s %-8s | %-20s | %-20s | %-20s\n", "noise", "method", "K rms bias cov",
                    "T rms bias cov", "L rms bias cov");
        for (double noise : noises) {
            MethodTally exact, refined;
            exact.L.HasInterval = false;
            std::mt19937 random(12345);
            const int count = noise > 0 ? records : 1;
            for (int r = 0; r < count; ++r) {
                MakeStepTest(*store, p, noise, random);
                IdentifyModels(*store, 1, store->SampleCount);
                const ProcessModel& m = store->InnerModel;
                exact.K.Add(m.Gain, p.Gain, 1.96 * m.GainDeviation);
                exact.T.Add(m.TimeConstant, p.TimeConstant, 1.96 * m.TimeDeviation);
                exact.L.Add(m.DeadTime, p.DeadTime, 0);
                const RefinedModel f = RefineModels(*store).Inner;
                refined.K.Add(f.Gain, p.Gain, f.Ci95.Gain);
                refined.T.Add(f.TimeConstant, p.TimeConstant, f.Ci95.TimeConstant);
                refined.L.Add(f.DeadTime, p.DeadTime, f.Ci95.DeadTime);
            }
            const std::string level = std::to_string(static_cast<int>(noise * 100)) + " %";
            std::printf("%-6s %-8s | %s | %s | %s\n", level.c_str(), "exact",
                        exact.K.Text().c_str(), exact.T.Text().c_str(), exact.L.Text().c_str());
            std::printf("%-6s %-8s | %s | %s | %s\n", "", "refined", refined.K.Text().c_str(),
                        refined.T.Text().c_str(), refined.L.Text().c_str());
        }
    }
    return 0;
}
