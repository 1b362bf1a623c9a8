#include "tuning/ControllerForm.h"

#include "data/GlobalProcedures.h"

#include <algorithm>
#include <cmath>

ScaleUse ScalesUsedBy(int type)
{
    switch (type) {
    case FormTypeP:
        return {true, false, false};
    case FormTypeI:
        return {false, true, false};
    case FormTypePI:
        return {true, true, false};
    case FormTypePID:
        return {true, true, true};
    default:
        return {};
    }
}

SeriesPid SeriesForm(double Kp, double Ki, double Kd)
{
    const double ti = SafeDivide(Kp, Ki, 0);
    const double td = SafeDivide(Kd, Kp, 0);
    // Ti = 0 gives the fallback -1, so w = 5.
    const double w = 1 - 4 * SafeDivide(td, ti, -1);
    if (w < 0)
        return {}; // Ti < 4 Td: no series equivalent
    const double root = std::sqrt(w);
    return {0.5 * Kp * (1 + root), 0.5 * ti * (1 + root), 0.5 * ti * (1 - root)};
}

ControllerFormValues ComputeControllerForm(int form, int type, const ControllerGains& gains,
                                           double f, double g, double scaleP, double scaleI,
                                           double scaleD)
{
    if (form < 0 || form > 3)
        form = 0;
    ControllerFormValues v;
    switch (type) {
    case FormTypeP:
        v.Names[0] = "Kp:";
        v.Values[0] = scaleP * g * gains.KpP * f;
        return v;
    case FormTypeI:
        v.Names[1] = "Ki:";
        v.Values[1] = scaleI * g * gains.KiI * f;
        return v;
    case FormTypePI:
    case FormTypePID:
        break;
    default:
        return v;
    }

    const bool pid = type == FormTypePID;
    const double kp = pid ? gains.KpPID : gains.KpPI;
    const double ki = pid ? gains.KiPID : gains.KiPI;
    const double kd = gains.KdPID;
    double kp1 = kp, v2 = 0, v3 = 0;
    switch (form) {
    case 0:
        v.Names[1] = "Ki:";
        v.Names[2] = "Kd:";
        v2 = g * ki * f;
        v3 = g * kd * f;
        break;
    case 1:
        v.Names[1] = "Ti:";
        v.Names[2] = "Td:";
        v2 = SafeDivide(kp, ki, 0);
        v3 = SafeDivide(kd, kp, 0);
        break;
    case 2:
        v.Names[1] = "1/Ti:";
        v.Names[2] = "Td:";
        v2 = SafeDivide(ki, kp, 0);
        v3 = SafeDivide(kd, kp, 0);
        break;
    default:
        v.Names[1] = "Ti:";
        v.Names[2] = "Td:";
        if (pid) {
            const SeriesPid s = SeriesForm(kp, ki, kd);
            kp1 = s.Kp;
            v2 = s.Ti;
            v3 = s.Td;
        } else {
            v2 = SafeDivide(kp, ki, 0);
        }
        break;
    }
    v.Names[0] = "Kp:";
    v.Values[0] = scaleP * g * kp1 * f;
    v.Values[1] = scaleI * v2;
    if (pid)
        v.Values[2] = scaleD * v3;
    else
        v.Names[2].clear();
    return v;
}

double SequencerMaxGain(const std::vector<SequencerPoint>& points, double lo, double hi)
{
    const int n = static_cast<int>(points.size());
    if (n < 2)
        return 1;
    auto y = [&](int k) { return points[static_cast<std::size_t>(k)].Output; };
    auto x = [&](int k) { return points[static_cast<std::size_t>(k)].Input; };
    std::vector<double> slope(static_cast<std::size_t>(n));
    for (int k = 0; k + 1 < n; ++k)
        slope[static_cast<std::size_t>(k)] = SafeDivide(y(k + 1) - y(k), x(k + 1) - x(k), 1000);
    slope[static_cast<std::size_t>(n - 1)] = slope[static_cast<std::size_t>(n - 2)];

    int first = n - 2;
    for (int r = 0; r <= n - 2; ++r) {
        if (y(r) >= lo) {
            first = r;
            break;
        }
    }
    first = std::max(first, 1);
    int last = n;
    for (int d = first; d <= n; ++d) {
        if (y(d - 1) >= hi) {
            last = d;
            break;
        }
    }
    double gain = slope[static_cast<std::size_t>(first - 1)];
    for (int k = first; k <= last - 1; ++k)
        gain = std::max(gain, slope[static_cast<std::size_t>(k)]);
    return gain;
}

double SequencerFactor(double q)
{
    // A characteristic without slope would make the reciprocal infinite;
    // the gains are then left as they are.
    return q == 0 ? 1.0 : 1.0 / q;
}
