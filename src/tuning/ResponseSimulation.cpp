// The closed-loop response simulations of TRegulator: a discrete positional
// controller without output limits, a first-order lag per process and the
// dead time as a shift of the written output.

#include "tuning/DiscreteLoop.h"
#include "tuning/RegulatorClass.h"

#include <algorithm>

namespace {

// The positional PID law with a derivative filtered by Td/5.
class PidLaw {
public:
    PidLaw(int type, double Ts, double Kd, double Ki, double Kp)
        : type_(type), ts_(Ts), ki_(Ki), kp_(Kp)
    {
        const PidCoefficients c(Ts, Kd, Ki, Kp);
        ad_ = c.AD;
        cd_ = c.CD;
    }

    // The controller output for the error e; any other type than I, PI, PID
    // or P keeps the previous output.
    double Step(double e)
    {
        const double ePrev = e_;
        e_ = e;
        const double p = kp_ * e_;
        i_ += ki_ * e_ * ts_;
        d_ = (e_ - ePrev) * cd_ + ad_ * d_;
        switch (type_) {
        case TypeI:
            u_ = i_;
            break;
        case TypePI:
            u_ = i_ + p;
            break;
        case TypePID:
            u_ = i_ + p + d_;
            break;
        case TypeP:
            u_ = p;
            break;
        default:
            break;
        }
        return u_;
    }

private:
    int type_;
    double ts_, ki_, kp_;
    double ad_ = 0, cd_ = 0;
    double e_ = 0, i_ = 0, d_ = 0, u_ = 0;
};

// Writes a sample where the dead time puts it, if it lies inside the array.
void Put(std::span<double> y, long long index, double value)
{
    if (index >= 0 && index < static_cast<long long>(y.size()))
        y[static_cast<std::size_t>(index)] = value;
}

} // namespace

void TRegulator::SimulateLoop(int type, int n, std::span<double> y, double L, double T, double K,
                              double Ts, double d, double r, double Kd, double Ki, double Kp)
{
    n = std::clamp(n, 0, static_cast<int>(y.size()));
    std::fill_n(y.begin(), n, 0.0);
    const long long nd = DelaySamples(L, Ts);
    const double a = LagPole(T, Ts);
    PidLaw controller(type, Ts, Kd, Ki, Kp);
    double x = 0, yPrev = 0;
    for (int i = 1; i <= n; ++i) {
        const double u = controller.Step(r - yPrev);
        x = (u + d) * (1 - a) + a * x;
        Put(y, nd + i, K * x);
        yPrev = y[static_cast<std::size_t>(i - 1)];
    }
}

void TRegulator::SimulateCascade(int type, int n, std::span<double> y2, std::span<double> y1,
                                 double L2, double T2, double K2, double L1, double T1, double K1,
                                 double Ts, double d, double r, double innerGain, double Kd,
                                 double Ki, double Kp)
{
    n = std::clamp(n, 0, static_cast<int>(std::min(y1.size(), y2.size())));
    std::fill_n(y2.begin(), n, 0.0);
    // The inner output is read before it is written for the first nd1 + 1
    // steps: without clearing, those samples would be whatever the array
    // held before.
    std::fill(y1.begin(), y1.end(), 0.0);
    const long long nd1 = DelaySamples(L1, Ts);
    const long long nd2 = DelaySamples(L2, Ts);
    const double a1 = LagPole(T1, Ts);
    const double a2 = LagPole(T2, Ts);
    PidLaw controller(type, Ts, Kd, Ki, Kp);
    double x1 = 0, x2 = 0, y1Prev = 0, y2Prev = 0;
    for (int i = 1; i <= n; ++i) {
        const double u = controller.Step(r - y2Prev);
        const double u1 = innerGain * (u - y1Prev);
        x1 = (u1 + d) * (1 - a1) + a1 * x1;
        Put(y1, nd1 + i, K1 * x1);
        y1Prev = y1[static_cast<std::size_t>(i - 1)];
        x2 = (1 - a2) * y1Prev + a2 * x2;
        Put(y2, nd2 + i, K2 * x2);
        y2Prev = y2[static_cast<std::size_t>(i - 1)];
    }
}
