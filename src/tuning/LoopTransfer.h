#pragma once

// The loop transfer function L(z) of each loop the controller page draws,
// derived from the update equations of TRegulator::SimulateLoop and
// SimulateCascade as they run (see ResponseSimulation.cpp): the controller
// acts on the output two samples old, the integral adds Ki*e*Ts, the
// derivative is filtered, each process is a sampled first-order lag of pole
// a and gain K(1 - a), and a dead time delays the output by whole samples.
// The robustness figures are computed from these polynomials, so they
// describe exactly the curves on the chart.
//
// Every polynomial is in the backward shift z^-1 and has few terms (a dead
// time of hundreds of samples is one term of high power), so it is cheap to
// evaluate at any frequency however long the dead time.

#include <complex>
#include <vector>

// sum of Coefficient * z^-Power over the terms.
struct ShiftTerm {
    int Power = 0;
    double Coefficient = 0;
};

// z^-k = e^(-j k theta) for the small k, shared by the polynomials evaluated
// at one frequency.
struct UnitPowers {
    static constexpr int Steps = 8;
    explicit UnitPowers(double theta);
    double Theta;
    std::complex<double> Step[Steps + 1];
};

class ShiftPolynomial {
public:
    ShiftPolynomial() = default; // zero
    ShiftPolynomial(double constant);
    // c0 + c1 z^-1
    static ShiftPolynomial FirstOrder(double c0, double c1);

    // This polynomial times z^-samples.
    ShiftPolynomial Delayed(int samples) const;
    // By increasing power, without zero coefficients.
    const std::vector<ShiftTerm>& Terms() const { return terms_; }
    double Coefficient(int power) const;
    int HighestPower() const { return terms_.empty() ? 0 : terms_.back().Power; }
    // The value at z = e^(j theta), theta in radians per sample.
    std::complex<double> At(double theta) const { return At(UnitPowers(theta)); }
    std::complex<double> At(const UnitPowers& z) const;

    friend ShiftPolynomial operator+(const ShiftPolynomial& a, const ShiftPolynomial& b);
    friend ShiftPolynomial operator*(const ShiftPolynomial& a, const ShiftPolynomial& b);

private:
    void Add(int power, double coefficient);
    std::vector<ShiftTerm> terms_;
};

// One drawn loop. L(z) = Numerator / Denominator; the drawn output y (the
// simulation's output array, sample k at time k*Ts) obeys
//   (Denominator + Numerator) y = Reference r + Disturbance d
// for the steps r and d that begin at sample 1, from rest.
struct LoopTransfer {
    double Ts = 1;
    ShiftPolynomial Numerator, Denominator;
    ShiftPolynomial Reference, Disturbance;
    // The low end of the frequency sweep [rad per sample]: far below every
    // time constant, dead time, integral time and crossover of the loop.
    double LowestFrequency = 1e-6;

    ShiftPolynomial Characteristic() const { return Denominator + Numerator; }
};

// The loop of SimulateLoop with the same arguments. A negative dead time,
// which no model has, counts as none.
LoopTransfer SingleLoopTransfer(int type, double L, double T, double K, double Ts, double Kd,
                                double Ki, double Kp);

// The outer loop of SimulateCascade with the same arguments, the inner
// proportional loop closed.
LoopTransfer CascadeLoopTransfer(int type, double L2, double T2, double K2, double L1, double T1,
                                 double K1, double Ts, double innerGain, double Kd, double Ki,
                                 double Kp);
