#include "opc/ProcessSimulation.h"

#include <cmath>
#include <memory>
#include <random>
#include <utility>

namespace {

// Top 53 bits of a 64-bit draw: every value a multiple of 2^-53 in [0, 1).
double ToUnit(std::uint64_t bits)
{
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

} // namespace

UniformGenerator MakeUnseededUniformGenerator()
{
    std::random_device device;
    const std::uint64_t seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    return MakeSeededUniformGenerator(seed);
}

UniformGenerator MakeSeededUniformGenerator(std::uint64_t seed)
{
    // shared_ptr keeps the function object copyable while all copies draw
    // from one engine (a copy must not replay the same numbers).
    auto engine = std::make_shared<std::mt19937_64>(seed);
    return [engine] { return ToUnit((*engine)()); };
}

double Gaussian(const UniformGenerator& uniform, double mean, double deviation)
{
    long double v1 = 0;
    long double v2 = 0;
    long double q = 0;
    do {
        v1 = 2.0L * uniform() - 1.0L;
        v2 = 2.0L * uniform() - 1.0L;
        q = v1 * v1 + v2 * v2;
    } while (q >= 1.0L || q == 0.0L);
    return static_cast<double>(mean + deviation * v1 * std::sqrt(-2.0L * std::log(q) / q));
}

ProcessSimulation::ProcessSimulation(UniformGenerator uniform) : uniform_(std::move(uniform))
{
}

void ProcessSimulation::Reset()
{
    SimLag1 = 0;
    SimLag2 = 0;
}

ProcessSimulation::Outputs ProcessSimulation::Step(double currentMV, bool noOpcWrite)
{
    Outputs out;
    out.U = noOpcWrite ? 0.0 : currentMV - MVOffset;
    SimLag1Prev = SimLag1;
    SimLag2Prev = SimLag2;
    SimLag1 = static_cast<double>(0.9L * SimLag1 + 0.1L * out.U);
    SimLag2 = static_cast<double>(0.95L * SimLag2 + 0.05L * SimLag1Prev);
    out.Y1 = static_cast<double>(Y1Offset + static_cast<long double>(SimLag1Prev) +
                                 Gaussian(uniform_, 0.0, Y1NoiseDeviation));
    out.Y2 = static_cast<double>(Y2Offset + static_cast<long double>(SimLag2Prev) +
                                 Gaussian(uniform_, 0.0, Y2NoiseDeviation));
    return out;
}
