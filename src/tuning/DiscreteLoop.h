#pragma once

// The sampled pieces of the simulated loops, shared by the time-domain
// simulation (ResponseSimulation.cpp) and the loop transfer functions
// (LoopTransfer.cpp), so that both describe one and the same loop.

#include "data/GlobalProcedures.h"

#include <cmath>

// Pole of a first-order lag sampled every Ts; a time constant of at most a
// hundredth of the sampling time counts as no lag.
inline double LagPole(double T, double Ts)
{
    return (0.01 * Ts >= T) ? 0.0 : std::exp(-SafeDivide(Ts, T, 100));
}

// A dead time in whole samples.
inline int DelaySamples(double L, double Ts)
{
    return RoundHalfEven(SafeDivide(L, Ts, 5000));
}

// The coefficients of the positional PID law of the simulations:
//   P = Kp e,  I += Ki e Ts,  D = (e - ePrev) CD + AD D,
// the derivative filtered with the time constant Td/5 (Td = Kd/Kp). The
// derivative gain enters as given (the simulations pass it unscaled).
struct PidCoefficients {
    double Kp = 0;
    double KiTs = 0; // Ki * Ts, the integral step per unit error
    double AD = 0;   // derivative filter pole
    double CD = 0;   // derivative gain per unit change of error

    PidCoefficients(double Ts, double Kd, double Ki, double kp) : Kp(kp), KiTs(Ki * Ts)
    {
        const double td = SafeDivide(Kd, kp, 0);
        const double g = SafeDivide(1, Ts, 1.0E6);
        AD = (0.01 * Ts >= 0.2 * td) ? 0.0 : std::exp(-SafeDivide(5 * Ts, td, 100));
        CD = (1 - AD) * g * Kd;
    }
};
