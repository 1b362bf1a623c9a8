#include "tuning/LoopTransfer.h"

#include "tuning/DiscreteLoop.h"
#include "tuning/RegulatorClass.h"

#include <algorithm>
#include <cmath>

ShiftPolynomial::ShiftPolynomial(double constant)
{
    Add(0, constant);
}

ShiftPolynomial ShiftPolynomial::FirstOrder(double c0, double c1)
{
    ShiftPolynomial p(c0);
    p.Add(1, c1);
    return p;
}

void ShiftPolynomial::Add(int power, double coefficient)
{
    if (coefficient == 0)
        return;
    auto it = std::lower_bound(terms_.begin(), terms_.end(), power,
                               [](const ShiftTerm& t, int p) { return t.Power < p; });
    if (it != terms_.end() && it->Power == power) {
        it->Coefficient += coefficient;
        if (it->Coefficient == 0)
            terms_.erase(it);
    } else {
        terms_.insert(it, {power, coefficient});
    }
}

ShiftPolynomial ShiftPolynomial::Delayed(int samples) const
{
    ShiftPolynomial p = *this;
    for (ShiftTerm& t : p.terms_)
        t.Power += samples;
    return p;
}

double ShiftPolynomial::Coefficient(int power) const
{
    for (const ShiftTerm& t : terms_)
        if (t.Power == power)
            return t.Coefficient;
    return 0;
}

UnitPowers::UnitPowers(double theta) : Theta(theta)
{
    Step[0] = 1;
    Step[1] = std::polar(1.0, -theta);
    for (int k = 2; k <= Steps; ++k)
        Step[k] = Step[k - 1] * Step[1];
}

std::complex<double> ShiftPolynomial::At(const UnitPowers& z) const
{
    // Neighbouring powers step by the small powers of z^-1; a gap (a dead
    // time) takes its own cosine and sine, so the cost does not grow with it.
    std::complex<double> sum = 0, phasor = 1;
    int power = 0;
    for (const ShiftTerm& t : terms_) {
        const int gap = t.Power - power;
        if (gap >= 0 && gap <= UnitPowers::Steps)
            phasor *= z.Step[gap];
        else
            phasor = std::polar(1.0, -z.Theta * t.Power);
        power = t.Power;
        sum += t.Coefficient * phasor;
    }
    return sum;
}

ShiftPolynomial operator+(const ShiftPolynomial& a, const ShiftPolynomial& b)
{
    ShiftPolynomial sum = a;
    for (const ShiftTerm& t : b.terms_)
        sum.Add(t.Power, t.Coefficient);
    return sum;
}

ShiftPolynomial operator*(const ShiftPolynomial& a, const ShiftPolynomial& b)
{
    ShiftPolynomial product;
    for (const ShiftTerm& s : a.terms_)
        for (const ShiftTerm& t : b.terms_)
            product.Add(s.Power + t.Power, s.Coefficient * t.Coefficient);
    return product;
}

namespace {

// C(z) = Numerator / Denominator of the positional law as the simulation
// uses it for a controller type: u = I (I), I + P (PI), I + P + D (PID),
// P (P); any other type keeps u at its initial 0.
struct ControllerTransfer {
    ShiftPolynomial Numerator, Denominator;
    double KiTs = 0, Kp = 0;
};

ControllerTransfer ControllerOf(int type, double Ts, double Kd, double Ki, double Kp)
{
    const PidCoefficients c(Ts, Kd, Ki, Kp);
    double kp = c.Kp, kiTs = c.KiTs, cd = c.CD;
    switch (type) {
    case TypeI:
        kp = cd = 0;
        break;
    case TypePI:
        cd = 0;
        break;
    case TypePID:
        break;
    case TypeP:
        kiTs = cd = 0;
        break;
    default:
        kp = kiTs = cd = 0;
        break;
    }
    // Only the terms present enter the denominator: an integrator without
    // integral gain would be a pole at z = 1 cancelled by a zero.
    const ShiftPolynomial difference = ShiftPolynomial::FirstOrder(1, -1);
    const ShiftPolynomial filter = ShiftPolynomial::FirstOrder(1, -c.AD);
    const ShiftPolynomial integralDen = kiTs != 0 ? difference : ShiftPolynomial(1);
    const ShiftPolynomial derivativeDen = cd != 0 ? filter : ShiftPolynomial(1);
    ControllerTransfer t;
    t.Denominator = integralDen * derivativeDen;
    t.Numerator = ShiftPolynomial(kp) * t.Denominator + ShiftPolynomial(kiTs) * derivativeDen +
                  ShiftPolynomial(cd) * difference * integralDen;
    t.KiTs = kiTs;
    t.Kp = kp;
    return t;
}

// Far below the loop's dynamics: the time constants and dead times, the
// integral time and the crossover of the integral action (about |K Ki Ts|
// rad per sample for a process of static gain K).
double LowestFrequency(double Ts, double timeScales, double staticGain, const ControllerTransfer& c)
{
    double theta = 1e-3 * std::min(1.0, SafeDivide(Ts, Ts + timeScales, 1));
    if (c.KiTs != 0) {
        theta = std::min(theta, 0.01 * std::fabs(staticGain * c.KiTs));
        if (c.Kp != 0)
            theta = std::min(theta, 0.01 * std::fabs(c.KiTs / c.Kp));
    }
    if (!(theta >= 1e-12)) // also when not a number
        theta = 1e-12;
    return theta;
}

} // namespace

LoopTransfer SingleLoopTransfer(int type, double L, double T, double K, double Ts, double Kd,
                                double Ki, double Kp)
{
    const ControllerTransfer c = ControllerOf(type, Ts, Kd, Ki, Kp);
    const int nd = std::max(DelaySamples(L, Ts), 0);
    const double a = LagPole(T, Ts);
    // From the controller output (plus d) to the drawn output y.
    const ShiftPolynomial process = ShiftPolynomial(K * (1 - a)).Delayed(nd);
    LoopTransfer loop;
    loop.Ts = Ts;
    // The controller sees y two samples late.
    loop.Numerator = c.Numerator * process.Delayed(2);
    loop.Denominator = c.Denominator * ShiftPolynomial::FirstOrder(1, -a);
    loop.Reference = c.Numerator * process;
    loop.Disturbance = c.Denominator * process;
    loop.LowestFrequency = LowestFrequency(Ts, std::max(T, 0.0) + std::fabs(L), K, c);
    return loop;
}

LoopTransfer CascadeLoopTransfer(int type, double L2, double T2, double K2, double L1, double T1,
                                 double K1, double Ts, double innerGain, double Kd, double Ki,
                                 double Kp)
{
    const ControllerTransfer c = ControllerOf(type, Ts, Kd, Ki, Kp);
    const int nd1 = std::max(DelaySamples(L1, Ts), 0);
    const int nd2 = std::max(DelaySamples(L2, Ts), 0);
    const double a1 = LagPole(T1, Ts);
    const double a2 = LagPole(T2, Ts);
    // The inner loop: u1 = innerGain (u - y1 two samples old), its closed
    // loop innerGain G1 / (1 + innerGain z^-2 G1) with G1 = b1 z^-nd1 / (1 -
    // a1 z^-1). The outer process reads y1 one sample old.
    const double b1 = K1 * (1 - a1);
    const double b2 = K2 * (1 - a2);
    const ShiftPolynomial innerCharacteristic =
        ShiftPolynomial::FirstOrder(1, -a1) + ShiftPolynomial(innerGain * b1).Delayed(nd1 + 2);
    // From the inner process input (plus d) to the drawn output y2, over the
    // inner characteristic and the outer lag.
    const ShiftPolynomial path = ShiftPolynomial(b1 * b2).Delayed(nd1 + nd2 + 1);
    LoopTransfer loop;
    loop.Ts = Ts;
    loop.Numerator = c.Numerator * ShiftPolynomial(innerGain) * path.Delayed(2);
    loop.Denominator = c.Denominator * innerCharacteristic * ShiftPolynomial::FirstOrder(1, -a2);
    loop.Reference = c.Numerator * ShiftPolynomial(innerGain) * path;
    loop.Disturbance = c.Denominator * path;
    const double staticGain = SafeDivide(innerGain * K1 * K2, 1 + innerGain * K1, K1 * K2);
    loop.LowestFrequency = LowestFrequency(
        Ts, std::max(T1, 0.0) + std::fabs(L1) + std::max(T2, 0.0) + std::fabs(L2), staticGain, c);
    return loop;
}
