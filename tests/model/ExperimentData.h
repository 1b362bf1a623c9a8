#pragma once

// Synthetic experiments for the identification tests and benchmarks: an
// input signal, the inner process output made from it with SimulateFOPDT,
// the outer process output made from that, written into the processed
// signals of a store as a conditioned experiment would leave them.

#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <cstdint>
#include <vector>

struct FopdtParameters {
    double Gain = 1;
    double TimeConstant = 1; // [s]
    double DeadTime = 0;     // [s]
};

struct SyntheticExperiment {
    std::vector<double> Input; // MV = U, one value per sample
    double SamplingTime = 1;
    FopdtParameters Inner;
    FopdtParameters Outer;
    double Noise = 0; // amplitude of uniform noise added to Y1 and Y2
    std::uint32_t Seed = 1;
    double OffsetU = 0, OffsetY1 = 0, OffsetY2 = 0; // steady values added afterwards
};

// A reproducible uniform number in [-1, 1).
inline double NextNoise(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
}

inline std::vector<double> StepInput(int n, int at, double height)
{
    std::vector<double> u(static_cast<std::size_t>(n), 0.0);
    for (int i = at; i < n; ++i)
        u[static_cast<std::size_t>(i)] = height;
    return u;
}

// Fills Time, the processed signals, SampleCount and SamplingTime.
inline void MakeExperiment(Podatki& store, const SyntheticExperiment& plan)
{
    const int n = static_cast<int>(plan.Input.size());
    const double ts = plan.SamplingTime;
    std::vector<double> y1(plan.Input.size()), y2(plan.Input.size()), slope(plan.Input.size());
    SimulateFOPDT(1, n, plan.Input.data(), plan.Inner.Gain, plan.Inner.TimeConstant, ts, 0.0,
                  plan.Inner.DeadTime, y1.data(), slope.data());
    SimulateFOPDT(1, n, y1.data(), plan.Outer.Gain, plan.Outer.TimeConstant, ts, 0.0,
                  plan.Outer.DeadTime, y2.data(), slope.data());
    std::uint32_t state = plan.Seed;
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        Sample(store.Time, i) = (i - 1) * ts;
        Sample(store.ProcessedMV, i) = plan.Input[k] + plan.OffsetU;
        Sample(store.ProcessedU, i) = plan.Input[k] + plan.OffsetU;
        Sample(store.ProcessedY1, i) = y1[k] + plan.OffsetY1 + plan.Noise * NextNoise(state);
        Sample(store.ProcessedY2, i) = y2[k] + plan.OffsetY2 + plan.Noise * NextNoise(state);
    }
    store.SampleCount = n;
    store.SamplingTime = ts;
    store.SignalCount = 6;
}
