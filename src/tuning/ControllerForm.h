#pragma once

// The gains of one controller type converted into the form a plant
// controller takes, with the user's extra scale factors, and the largest
// gain of a sequencer between the inner controller and the actuator.
//
// Forms, by item index of the form list:
//   0 general parallel (Kp, Ki, Kd)
//   1 parallel with times (Kp, Ti = Kp/Ki, Td = Kd/Kp)
//   2 parallel with reset rate (Kp, 1/Ti = Ki/Kp, Td = Kd/Kp)
//   3 series, interacting (Kp', Ti', Td')
// Types, by item index of the type choice: 0 P, 1 I, 2 PI, 3 PID.

#include "data/Podatki.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

enum FormType : int { FormTypeP = 0, FormTypeI = 1, FormTypePI = 2, FormTypePID = 3 };

// Decimals of the three fields (fixed-point, 15 significant digits).
constexpr std::array<int, 3> ControllerFieldDecimals = {3, 6, 3};

// Which scale factors (P, I, D) a controller type multiplies in; only
// those are read.
struct ScaleUse {
    bool P = false, I = false, D = false;
};
ScaleUse ScalesUsedBy(int type);

struct ControllerFormValues {
    // Names of the three fields ("" for a field without a name), UTF-8.
    std::array<std::string, 3> Names;
    // The field values; an empty one is a hidden, emptied field.
    std::array<std::optional<double>, 3> Values;
};

// The three fields for controller type `type` in form `form` (a form below
// 0 or above 3 is the general parallel form; an unknown type shows no
// field). `gains` are the unscaled gains of the set in use, f the
// robustness factor, g the extra factor of every gain (the reciprocal of the
// sequencer gain in a cascade, else 1); times and rates are formed from the
// unscaled gains. Unused scale factors are ignored.
ControllerFormValues ComputeControllerForm(int form, int type, const ControllerGains& gains,
                                           double f, double g, double scaleP, double scaleI,
                                           double scaleD);

// The series (interacting) equivalent of a parallel PID controller; all 0
// when there is none (Ti < 4 Td).
struct SeriesPid {
    double Kp = 0, Ti = 0, Td = 0;
};
SeriesPid SeriesForm(double Kp, double Ki, double Kd);

// One corner point of the sequencer's characteristic.
struct SequencerPoint {
    double Input = 0, Output = 0;
};

// The largest slope of the piecewise-linear characteristic over the
// segments whose outputs reach the Y1 range lo..hi (a vertical segment
// counts as 1000); 1 with fewer than two points.
double SequencerMaxGain(const std::vector<SequencerPoint>& points, double lo, double hi);

// The factor every outer gain is multiplied by: 1/q, or 1 when the largest
// slope q is 0 (no finite reciprocal).
double SequencerFactor(double q);
