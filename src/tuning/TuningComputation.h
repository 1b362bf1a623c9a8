#pragma once

// The recomputation of the controller page, without a window: the gains of
// the chosen method scaled by the robustness factor, the values the page
// shows, the recommended sampling time, and the open- and closed-loop
// responses. Everything is computed before anything is handed back, so a
// failure leaves the caller's state as it was.

#include "data/Podatki.h"
#include "tuning/LoopFigures.h"
#include "tuning/LoopTransfer.h"

#include <array>
#include <optional>
#include <vector>

// The robustness-speed factor for a slider position b (0..20):
// b*sqrt(b)*0.0284605 + 0.1 (0.1 at 0, 1 at 10, 2.6456 at 20).
double RobustFactorFor(int sliderPosition);

// The eight gain labels of the controller page, in this order.
enum TuningLabel : int {
    LabelKpCascade, // inner gain of a cascade ("0" for a single loop)
    LabelKi,        // I controller
    LabelKpP,       // P controller
    LabelPIKp,
    LabelPITi, // shows the PI integral gain
    LabelPIDKp,
    LabelPIDTi, // shows the PID integral gain
    LabelPIDTd, // shows the PID derivative gain
    TuningLabelCount
};

// Decimals of each label (fixed-point, 15 significant digits).
constexpr std::array<int, TuningLabelCount> TuningLabelDecimals = {4, 5, 5, 3, 6, 3, 6, 3};
// Decimals of the recommended sampling time.
constexpr int RecommendedTsDecimals = 3;

struct TuningOutcome {
    int Method = 0; // the method used (-1 taken as 0)
    bool Cascade = false;
    double RobustFactor = 1;
    ControllerGains Gains; // unscaled: the single-loop set or the outer set of a cascade
    double InnerGain = 0;  // cascade only
    // The values the labels show (gain times factor); the cascade label of
    // a single loop is empty (it shows the text "0").
    std::array<std::optional<double>, TuningLabelCount> LabelValues{};
    double RecommendedTs = 0; // already rounded to 0.001 s
};

// Tunes the model(s) of the store's InnerModel (and OuterModel for a
// cascade). Throws ComputationError when a rule has no real solution or a
// result is not a finite number. Changes nothing.
TuningOutcome ComputeTuning(int method, int sliderPosition, bool cascade, const ProcessModel& inner,
                            const ProcessModel& outer);

// Writes the outcome into the store's tuning results (the cascade set and
// the inner gain, or the single-loop set) and its robustness factor.
void StoreTuning(Podatki& store, const TuningOutcome& outcome);

// The sampling time of the simulated controller: a typed value that is not
// positive, or no value (an empty text), falls back to the last valid one,
// which is then remembered. Throws ComputationError when no positive
// sampling time results.
double ChooseClosedLoopTs(std::optional<double> typed, double& closedLoopTs);

// The number of simulated samples: ten dead times plus five time constants
// of the inner (or only) model, at least 10, and never so many that a
// delayed write would leave the 5000-sample arrays.
struct ResponseHorizon {
    int N = 0;  // samples simulated
    int ND = 0; // dead time of the inner model in samples
    double Ts = 0;
};
// Throws ComputationError when a dead time leaves no sample to simulate.
ResponseHorizon ComputeHorizon(const ProcessModel& inner, const ProcessModel& outer, bool cascade,
                               double Ts);

enum ResponseChoice : int { ReferenceResponse = 0, DisturbanceResponse = 1 };

// The four closed loops the page draws, in this order.
enum DrawnLoop : int { LoopI = 0, LoopPI = 1, LoopPID = 2, LoopP = 3, DrawnLoopCount = 4 };

// The controller of one drawn loop as the simulation runs it: its type and
// gains (the derivative gain unscaled, the others times the factor).
struct LoopGains {
    int Type = 0;
    double Kp = 0, Ki = 0, Kd = 0;
};
std::array<LoopGains, DrawnLoopCount> DrawnLoopGains(const ControllerGains& gains,
                                                     double robustFactor);

// L(z) of one drawn loop: the single loop of the inner model, or the outer
// loop of a cascade around the inner P loop with `innerGain`.
LoopTransfer DrawnLoopTransfer(const LoopGains& loop, bool cascade, double innerGain,
                               const ProcessModel& inner, const ProcessModel& outer, double Ts);

struct ResponseSet {
    ResponseHorizon Horizon;
    // Each N samples: time, open loop, and the closed loop with the I, PI,
    // PID and P controllers.
    std::vector<double> Time, Open, I, PI, PID, P;
    // The left axis of the chart: the data range cut to -1..2, widened by a
    // tenth on each side.
    double AxisMin = 0, AxisMax = 0;
    // The drawn loops (DrawnLoop order), and their figures from L(z) and
    // from the drawn responses.
    std::array<LoopTransfer, DrawnLoopCount> Loops;
    std::array<LoopRobustness, DrawnLoopCount> Robustness;
};

// Simulates the responses to a reference step (choice 0) or to a step
// disturbance at the process input (choice 1) with the stored gains of the
// outcome (single loop or cascade). The open loop and the cascade use the
// store's SimScratch. Throws ComputationError when the inner gain K1 is 0
// or the horizon leaves no sample.
ResponseSet ComputeResponses(const TuningOutcome& outcome, Podatki& store, int responseChoice,
                             double Ts);

// The left axis range for curves of n samples.
void ResponseAxis(const std::vector<const double*>& curves, int n, double& axisMin,
                  double& axisMax);
