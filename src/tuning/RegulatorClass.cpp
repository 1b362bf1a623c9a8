#include "tuning/RegulatorClass.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"

#include <cmath>

namespace {

// A proportional gain whose loop gain K*Kp exceeds the limit, or is not a
// non-negative number at all, is cut to limit/K. "Not >= 0" rather than
// "< 0" so that an undefined product is cut as well.
double ClampLoopGain(double Kp, double A0, double maxLoopGain)
{
    const double loopGain = A0 * Kp;
    if (loopGain > maxLoopGain || !(loopGain >= 0))
        return SafeDivide(maxLoopGain, A0, 0);
    return Kp;
}

// L/T below this takes the small-dead-time branch of the area method.
constexpr double SmallDeadTimeRatio = 0.1;

bool SmallDeadTime(double L, double T)
{
    // T = 0 gives the fallback 1000: never the small-dead-time branch.
    return SafeDivide(L, T, 1000) < SmallDeadTimeRatio;
}

// The small-dead-time branch of the area methods, shared by the single loop
// and the outer loop of a cascade: a PI controller of gain 5.05/K whose
// integral gain follows the tracking or the rejection rule.
ControllerGains SmallDeadTimeGains(bool rejection, double K, double A0, double A1)
{
    ControllerGains g;
    g.KiI = SafeDivide(0.5, A1, 0);
    g.KpPI = SafeDivide(5.05, K, 0);
    const double kpA0 = g.KpPI * A0 + 1;
    const double ti = rejection ? SafeDivide(2 * g.KpPI * A1, kpA0 * kpA0, 0)
                                : SafeDivide(A1, K + 0.5 * g.KpPI, 0);
    g.KiPI = SafeDivide(g.KpPI, ti, 0);
    g.KpP = g.KpPI;
    g.KpPID = g.KpPI;
    g.KiPID = g.KiPI;
    g.KdPID = 0;
    return g;
}

ControllerGains Scaled(ControllerGains g, double factor)
{
    g.KiI *= factor;
    g.KpP *= factor;
    g.KpPI *= factor;
    g.KiPI *= factor;
    g.KpPID *= factor;
    g.KiPID *= factor;
    g.KdPID *= factor;
    return g;
}

} // namespace

Areas TRegulator::ProcessAreas(double K, double T, double L)
{
    Areas A{};
    A[0] = K;
    A[1] = K * (T + L);
    const double c2 = 0.5 * L * L;
    A[2] = T * A[1] + K * c2;
    const double c3 = c2 * L * 0.33333333; // the rule's own constant, not 1/3
    A[3] = T * A[2] + K * c3;
    const double c4 = c3 * L * 0.25;
    A[4] = T * A[3] + K * c4;
    const double c5 = c4 * L * 0.2;
    A[5] = T * A[4] + K * c5;
    return A;
}

double TRegulator::AreaRuleI(double A1)
{
    return SafeDivide(0.5, A1, 0);
}

double TRegulator::AreaRuleP(double A0, double A1, double A2, double maxLoopGain)
{
    const double Kp = SafeDivide(2 * A0 * A2 - A1 * A1, 2 * A0 * (A1 * A1 - A0 * A2), 0);
    return ClampLoopGain(Kp, A0, maxLoopGain);
}

PiGains TRegulator::AreaRulePITracking(const Areas& A, double maxLoopGain)
{
    PiGains g;
    if (A[3] == 0) {
        g.Kp = 0;
    } else {
        const double D = 2 * (A[1] * A[2] - A[0] * A[3]);
        if (D == 0)
            g.Kp = A[0] != 0 ? SafeDivide(maxLoopGain, A[0], 0) : maxLoopGain;
        else
            g.Kp = SafeDivide(A[3], D, 0);
    }
    g.Kp = ClampLoopGain(g.Kp, A[0], maxLoopGain);
    g.Ki = SafeDivide(g.Kp * A[0] + 0.5, A[1], 0);
    return g;
}

PiGains TRegulator::AreaRulePIRejection(const Areas& A, double maxLoopGain)
{
    PiGains g = AreaRulePITracking(A, maxLoopGain);
    const double kpA0 = g.Kp * A[0] + 1;
    g.Ki = SafeDivide(0.5 * kpA0 * kpA0, A[1], 0);
    return g;
}

PidGains TRegulator::AreaRulePIDTracking(const Areas& A, double maxLoopGain)
{
    const double M = A[3] * A[3] - A[1] * A[5];
    const double R =
        2 * (A[1] * A[2] * A[3] + A[0] * A[1] * A[5] - A[1] * A[1] * A[4] - A[0] * A[3] * A[3]);
    PidGains g;
    if (M == 0)
        g.Kp = 0;
    else if (R == 0)
        g.Kp = A[0] != 0 ? maxLoopGain / A[0] : maxLoopGain;
    else
        g.Kp = SafeDivide(M, R, 0);
    g.Kp = ClampLoopGain(g.Kp, A[0], maxLoopGain);

    if (A[1] == 0)
        g.Kd = 0;
    else
        g.Kd = SafeDivide(2 * g.Kp * (A[1] * A[2] - A[0] * A[3]) - A[3], 2 * A[1] * A[1], 0);
    if (!(g.Kd * A[0] >= 0))
        g.Kd = 0;

    if (g.Kd == 0) {
        // Without derivative action the PID is the PI controller.
        const PiGains pi = AreaRulePITracking(A, maxLoopGain);
        g.Kp = pi.Kp;
        g.Ki = pi.Ki;
    } else {
        g.Ki = SafeDivide(2 * g.Kp * A[0] + 1, 2 * A[1], 0);
    }
    return g;
}

PidGains TRegulator::AreaRulePIDRejection(const Areas& A, double maxLoopGain)
{
    PidGains g = AreaRulePIDTracking(A, maxLoopGain); // only its Kd is kept
    const double Kd = g.Kd;
    const double A0 = A[0], A1 = A[1], A2 = A[2], A3 = A[3];
    const double alpha = 2 * A0 * A0 * A3 + 2 * A1 * A1 * A1 - 4 * A0 * A1 * A2;
    const double beta = 4 * A0 * A3 - 4 * A0 * A1 * A1 * Kd - 4 * A1 * A2 + 4 * A0 * A0 * A2 * Kd;
    const double gamma = 2 * A3 + 4 * A0 * A2 * Kd + 2 * A1 * A1 * Kd + 6 * A0 * A0 * A1 * Kd * Kd +
                         2 * A0 * A0 * A0 * A0 * Kd * Kd * Kd;
    if (alpha == 0) {
        g.Kp = SafeDivide(-gamma, beta, 0);
    } else {
        const double discriminant = beta * beta - 4 * alpha * gamma;
        if (!(discriminant >= 0))
            throw ComputationError(
                "Izračun PID regulatorja po metodi provršin za motnjo ni mogoč: enačba za "
                "ojačenje nima realne rešitve (koren negativnega števila).");
        g.Kp = SafeDivide(0.5 * (-beta - std::sqrt(discriminant)), alpha, 0);
    }
    g.Kp = ClampLoopGain(g.Kp, A0, maxLoopGain);
    const double kpA0 = 1 + A0 * g.Kp;
    g.Ki = SafeDivide(0.5 * kpA0 * kpA0, A0 * A0 * Kd + A1, 0);
    return g;
}

ControllerGains TRegulator::TuneSingleLoop(int method, double K, double T, double L,
                                           double maxLoopGain)
{
    ControllerGains g;
    switch (static_cast<TuningMethod>(method)) {
    case TuningMethod::AreaTracking: {
        const Areas A = ProcessAreas(K, T, L);
        if (SmallDeadTime(L, T))
            return SmallDeadTimeGains(false, K, A[0], A[1]);
        const PidGains pid = AreaRulePIDTracking(A, maxLoopGain);
        const PiGains pi = AreaRulePITracking(A, maxLoopGain);
        g = {
            AreaRuleI(A[1]), AreaRuleP(A[0], A[1], A[2], maxLoopGain), pi.Kp, pi.Ki, pid.Kp, pid.Ki,
            pid.Kd};
        return Scaled(g, TrackingFactor);
    }
    case TuningMethod::AreaRejection: {
        const Areas A = ProcessAreas(K, T, L);
        if (SmallDeadTime(L, T))
            return SmallDeadTimeGains(true, K, A[0], A[1]);
        const PidGains pid = AreaRulePIDRejection(A, maxLoopGain);
        const PiGains pi = AreaRulePIRejection(A, maxLoopGain);
        return {
            AreaRuleI(A[1]), AreaRuleP(A[0], A[1], A[2], maxLoopGain), pi.Kp, pi.Ki, pid.Kp, pid.Ki,
            pid.Kd};
    }
    case TuningMethod::ChrTracking: {
        const double Q = SafeDivide(T, K * L, 10000);
        g.KpPID = 0.6 * Q;
        g.KiPID = SafeDivide(g.KpPID, T, 0);
        g.KdPID = 0.5 * g.KpPID * L;
        g.KpPI = 0.35 * Q;
        g.KiPI = SafeDivide(g.KpPI, 1.2 * T, 0);
        g.KiI = g.KiPI;
        g.KpP = g.KpPI;
        return g;
    }
    case TuningMethod::ChrRejection: {
        const double Q = SafeDivide(T, K * L, 10000);
        g.KpPID = 0.95 * Q;
        g.KiPID = SafeDivide(g.KpPID, 2.4 * L, 0);
        g.KdPID = 0.42 * g.KpPID * L;
        g.KpPI = 0.6 * Q;
        g.KiPI = SafeDivide(g.KpPI, 4 * L, 0);
        g.KiI = g.KiPI;
        g.KpP = g.KpPI;
        return g;
    }
    case TuningMethod::ZieglerNichols: {
        const double Q = SafeDivide(T, K * L, 10000);
        g.KpPID = 1.2 * Q;
        g.KiPID = SafeDivide(g.KpPID, 2 * L, 0);
        g.KdPID = 0.5 * g.KpPID * L;
        g.KpPI = 0.9 * Q;
        g.KiPI = SafeDivide(g.KpPI, 3 * L, 10000);
        g.KiI = g.KiPI;
        g.KpP = Q;
        return g;
    }
    case TuningMethod::Balance: {
        const double X = SafeDivide(T, L + T, 10000);
        const double Y = 0.5 * (X * X + 1);
        g.KpPI = SafeDivide(Y, K, 10000);
        g.KiPI = SafeDivide(g.KpPI, (L + T) * Y, 0);
        g.KiI = g.KiPI;
        g.KpP = g.KpPI;
        return g;
    }
    default:
        return g;
    }
}

Areas TRegulator::ClosedLoopAreas(double Kp, const Areas& A)
{
    const double r = SafeDivide(1, 1 + Kp * A[0], 1.0);
    Areas C{};
    double power = r; // r^(k+1)
    for (std::size_t k = 0; k < C.size(); ++k) {
        C[k] = Kp * A[k] * power;
        power *= r;
    }
    return C;
}

Areas TRegulator::SeriesAreas(const Areas& C, const Areas& B)
{
    Areas D{};
    for (std::size_t k = 0; k < D.size(); ++k)
        for (std::size_t i = 0; i <= k; ++i)
            D[k] += C[i] * B[k - i];
    return D;
}

EquivalentModel TRegulator::EquivalentFopdt(const Areas& D)
{
    // The dead time x solves 0.5*D0*x^2 - D1*x + (D1^2/D0 - D2) = 0.
    const QuadraticRootsResult roots =
        QuadraticRoots(SafeDivide(D[1] * D[1], D[0], 1.0E10) - D[2], -D[1], 0.5 * D[0]);
    double deadTime = 0;
    if (roots.Im1 != 0)
        deadTime = 0;
    else if (roots.Re1 < 0)
        deadTime = roots.Re2;
    else if (roots.Re2 < 0)
        deadTime = roots.Re1;
    else
        deadTime = roots.Re1 < roots.Re2 ? roots.Re1 : roots.Re2;
    return {D[0], SafeDivide(D[1], D[0], 1.0E10) - deadTime, deadTime};
}

CascadeTuning TRegulator::TuneCascade(int method, double K1, double T1, double L1, double K2,
                                      double T2, double L2, double maxLoopGain)
{
    const Areas A = ProcessAreas(K1, T1, L1);
    const Areas B = ProcessAreas(K2, T2, L2);
    CascadeTuning result;
    // Only the P gain of the inner tuning is used, and always without the
    // tracking factor (divided out even where it was not applied).
    result.InnerGain = TuneSingleLoop(method, K1, T1, L1, maxLoopGain).KpP / TrackingFactor;
    const Areas D = SeriesAreas(ClosedLoopAreas(result.InnerGain, A), B);
    const EquivalentModel eq = EquivalentFopdt(D);
    const double Keq = eq.Gain, Teq = eq.TimeConstant, Leq = eq.DeadTime;

    ControllerGains& g = result.Outer;
    switch (static_cast<TuningMethod>(method)) {
    case TuningMethod::AreaTracking:
        if (SmallDeadTime(Leq, Teq)) {
            g = SmallDeadTimeGains(false, Keq, D[0], D[1]);
        } else {
            const PiGains pi = AreaRulePITracking(D, maxLoopGain);
            g.KpPI = pi.Kp;
            g.KiPI = pi.Ki;
            g.KiI = AreaRuleI(D[1]);
            g.KpP = AreaRuleP(D[0], D[1], D[2], maxLoopGain);
            g.KdPID = 0;
            g = Scaled(g, TrackingFactor);
            // The outer loop of a cascade has no derivative action.
            g.KpPID = g.KpPI;
            g.KiPID = g.KiPI;
        }
        break;
    case TuningMethod::AreaRejection:
        if (SmallDeadTime(Leq, Teq)) {
            g = SmallDeadTimeGains(true, Keq, D[0], D[1]);
        } else {
            const PiGains pi = AreaRulePIRejection(D, maxLoopGain);
            g.KpPID = pi.Kp;
            g.KiPID = pi.Ki;
            g.KdPID = 0;
            g.KpPI = pi.Kp;
            g.KiPI = pi.Ki;
            g.KiI = AreaRuleI(D[1]);
            g.KpP = AreaRuleP(D[0], D[1], D[2], maxLoopGain);
        }
        break;
    case TuningMethod::ChrTracking:
    case TuningMethod::ChrRejection:
    case TuningMethod::ZieglerNichols: {
        const double Q = SafeDivide(Teq, Keq * Leq, 10000);
        if (method == static_cast<int>(TuningMethod::ChrTracking)) {
            g.KpPI = 0.35 * Q;
            g.KiPI = SafeDivide(g.KpPI, 1.2 * Teq, 0);
        } else if (method == static_cast<int>(TuningMethod::ChrRejection)) {
            g.KpPI = 0.6 * Q;
            g.KiPI = SafeDivide(g.KpPI, 4 * Leq, 0);
        } else {
            g.KpPI = 0.9 * Q;
            g.KiPI = SafeDivide(g.KpPI, 3 * Leq, 10000);
            g.KpP = Q;
        }
        g.KpPID = g.KpPI;
        g.KiPID = g.KiPI;
        break;
    }
    case TuningMethod::Balance: {
        const double X = SafeDivide(Teq, Leq + Teq, 10000);
        const double Y = 0.5 * (X * X + 1);
        g.KpPI = SafeDivide(Y, Keq, 10000);
        g.KiPI = SafeDivide(g.KpPI, (Leq + Teq) * Y, 0);
        g.KpPID = g.KpPI;
        g.KiPID = g.KiPI;
        break;
    }
    default:
        break;
    }
    return result;
}
