#pragma once

// The built-in process that stands in for the plant when no OPC server is
// connected: a cascade of two discrete first-order lags with unit gain,
// driven by MV - 10, with offsets 20 and 30 on the two measurements and
// Gaussian measurement noise. The lag weights are per sample, so the
// simulated time constants scale with the sampling period (about 9.5 and
// 19.5 samples).

#include <cstdint>
#include <functional>

// A uniform random number generator on [0, 1).
using UniformGenerator = std::function<double()>;

// A generator seeded from std::random_device: every run of the program
// draws a different noise sequence.
UniformGenerator MakeUnseededUniformGenerator();

// A reproducible generator: the same seed gives the same sequence on every
// platform (64-bit Mersenne Twister, top 53 bits).
UniformGenerator MakeSeededUniformGenerator(std::uint64_t seed);

// A normally distributed number with mean `mean` and standard deviation
// `deviation` by Marsaglia's polar method over `uniform`. Pairs with
// q = 0 are rejected as well as those with q >= 1 (q = 0 would give 0/0).
double Gaussian(const UniformGenerator& uniform, double mean, double deviation);

class ProcessSimulation {
public:
    static constexpr double MVOffset = 10.0; // MV at which U is 0
    static constexpr double Y1Offset = 20.0;
    static constexpr double Y2Offset = 30.0;
    static constexpr double Y1NoiseDeviation = 0.2;
    static constexpr double Y2NoiseDeviation = 0.1;

    explicit ProcessSimulation(UniformGenerator uniform);

    // Both lags back to rest (the run window does this at creation and at
    // every show, so each experiment starts from rest whatever its MV).
    void Reset();

    struct Outputs {
        double U = 0;
        double Y1 = 0;
        double Y2 = 0;
    };

    // One sampling tick with the MV being applied now. With noOpcWrite the
    // input is not applied: U is 0 and the lags decay towards rest.
    Outputs Step(double currentMV, bool noOpcWrite);

    double SimLag1 = 0;     // inner process state
    double SimLag2 = 0;     // outer process state
    double SimLag1Prev = 0; // the states before the last Step
    double SimLag2Prev = 0;

private:
    UniformGenerator uniform_;
};
