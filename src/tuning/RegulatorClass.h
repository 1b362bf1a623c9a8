#pragma once

// TRegulator: the tuning rules of the controller page and the closed-loop
// response simulations. It keeps no state; every operation depends on its
// arguments only.
//
// Tuning methods, by item index of the method list:
//   0 area method (magnitude optimum), reference tracking
//   1 area method, disturbance rejection
//   2 Chien-Hrones-Reswick (0 % overshoot), reference tracking
//   3 Chien-Hrones-Reswick (0 % overshoot), disturbance rejection
//   4 balance method (PI only)
//   5 Ziegler-Nichols reaction curve
//   any other: no method, every gain 0
//
// Controller types of the simulations: 0 I, 1 PI, 2 PID, 3 P.

#include "data/Podatki.h"

#include <array>
#include <span>

// The characteristic areas A0..A5 of a process: the coefficients of its
// expansion in powers of -s.
using Areas = std::array<double, 6>;

// The largest loop gain K*Kp that the area method allows.
constexpr double MaxLoopGain = 10.0;

// The factor of the tracking area method (and the inner gain of a cascade).
constexpr double TrackingFactor = 0.85;

enum class TuningMethod : int {
    AreaTracking = 0,
    AreaRejection = 1,
    ChrTracking = 2,
    ChrRejection = 3,
    Balance = 4,
    ZieglerNichols = 5,
    None = 6,
};

enum ControllerType : int { TypeI = 0, TypePI = 1, TypePID = 2, TypeP = 3 };

struct PiGains {
    double Kp = 0, Ki = 0;
};
struct PidGains {
    double Kp = 0, Ki = 0, Kd = 0;
};

// The outcome of a cascade tuning: the inner proportional gain and the
// outer controller's seven gains.
struct CascadeTuning {
    double InnerGain = 0;
    ControllerGains Outer;
};

// The equivalent first-order-plus-dead-time model of a series of areas.
struct EquivalentModel {
    double Gain = 0, TimeConstant = 0, DeadTime = 0;
};

class TRegulator {
public:
    static Areas ProcessAreas(double K, double T, double L);

    static double AreaRuleI(double A1);
    static double AreaRuleP(double A0, double A1, double A2, double maxLoopGain);
    static PiGains AreaRulePITracking(const Areas& A, double maxLoopGain);
    static PiGains AreaRulePIRejection(const Areas& A, double maxLoopGain);
    static PidGains AreaRulePIDTracking(const Areas& A, double maxLoopGain);
    // Throws ComputationError when the rule's quadratic has no real root.
    static PidGains AreaRulePIDRejection(const Areas& A, double maxLoopGain);

    // The seven gains of one loop for a process K, T, L. Throws
    // ComputationError where the disturbance PID rule has no real solution.
    static ControllerGains TuneSingleLoop(int method, double K, double T, double L,
                                          double maxLoopGain);
    // The inner P controller of a cascade (process 1) and the outer
    // controller for the closed inner loop followed by process 2.
    static CascadeTuning TuneCascade(int method, double K1, double T1, double L1, double K2,
                                     double T2, double L2, double maxLoopGain);

    // Areas of the loop closed around A by a P controller Kp.
    static Areas ClosedLoopAreas(double Kp, const Areas& A);
    // Areas of two systems in series.
    static Areas SeriesAreas(const Areas& C, const Areas& B);
    // The first-order-plus-dead-time model with the first three areas of D.
    static EquivalentModel EquivalentFopdt(const Areas& D);

    // Closed loop of one controller with a first-order-plus-dead-time
    // process: reference step r, step d added to the controller output at
    // the process input. Fills y[0..n-1]; the process output of step i is
    // written at y[nd + i], so y must hold n + nd + 1 samples to keep all of
    // them (samples that would fall outside y are dropped). The controller
    // acts on the output two samples old and has no output limits.
    static void SimulateLoop(int type, int n, std::span<double> y, double L, double T, double K,
                             double Ts, double d, double r, double Kd, double Ki, double Kp);
    // Cascade: an outer controller (Kd, Ki, Kp) sets the reference of an
    // inner P loop (innerGain) around process 1 (K1, T1, L1); process 2
    // (K2, T2, L2) follows the inner output. Fills y2[0..n-1] and uses y1 as
    // the inner output, clearing it first.
    static void SimulateCascade(int type, int n, std::span<double> y2, std::span<double> y1,
                                double L2, double T2, double K2, double L1, double T1, double K1,
                                double Ts, double d, double r, double innerGain, double Kd,
                                double Ki, double Kp);
};
