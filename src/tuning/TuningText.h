#pragma once

// The recomputation of the controller page and its controller form, as the
// texts the page shows. The window reads its controls into a request, calls
// these functions and shows the result; nothing here touches a widget.

#include "data/Podatki.h"
#include "tuning/ControllerForm.h"
#include "tuning/TuningComputation.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The controls that a recomputation reads.
struct TuningRequest {
    int Method = 0;          // item index of the method list (-1: none selected)
    int SliderPosition = 10; // robustness-speed slider, 0..20
    int ResponseChoice = 0;  // 0 reference step, 1 disturbance step
    QString SamplingTimeText = QStringLiteral("1");
    bool Cascade = false;
};

// Texts of the eight gain labels (in TuningLabel order) and of the
// recommended sampling time.
struct TuningLabelTexts {
    std::array<QString, TuningLabelCount> Gains;
    QString RecommendedTs;
};

// The control names of the labels, in TuningLabel order.
extern const std::array<const char*, TuningLabelCount> TuningLabelNames;

TuningLabelTexts FormatTuningLabels(const TuningOutcome& outcome);

struct TuningPageResult {
    TuningOutcome Tuning;
    TuningLabelTexts Labels;
    // The responses, or empty when they could not be simulated; then
    // ResponseError says why (the gains and labels are valid all the same).
    std::optional<ResponseSet> Responses;
    QString ResponseError;
};

// A whole recomputation: tunes (a failure throws and changes nothing), stores
// the gains and the factor in the store, then chooses the sampling time
// (store.ClosedLoopTs) and simulates the responses into the result.
TuningPageResult EvaluateTuning(Podatki& store, const TuningRequest& request);

// The table "Robustnost in kakovost" of the controller page: per drawn loop
// the cells Ms, GM, PM [°], overshoot [%] (the peak for the disturbance
// response), settling time [s] and IAE. A figure that does not exist (no
// crossing, no end value) shows "–"; an unstable loop shows "nestabilno"
// for Ms and its other figures as they are.
enum RobustnessColumn : int {
    ColumnMs,
    ColumnGainMargin,
    ColumnPhaseMargin,
    ColumnResponse,
    ColumnSettling,
    ColumnIae,
    RobustnessColumnCount
};
struct RobustnessRowTexts {
    std::array<QString, RobustnessColumnCount> Cells;
    bool Stable = false;
};
RobustnessRowTexts FormatRobustness(const LoopRobustness& loop, bool disturbance);
// The column headings, in RobustnessColumn order.
std::array<QString, RobustnessColumnCount> RobustnessHeadings(bool disturbance);
// The label beside the robustness slider: the Ms of the PID loop.
QString MsLabelText(const LoopRobustness& pid);

// The fastest slider position at which the loop of controller type
// `formType` (0 P, 1 I, 2 PI, 3 PID) is stable with Ms <= msTarget, for the
// request's method, cascade flag and sampling time (the store's models; the
// store is not changed); none when no position is. Throws as EvaluateTuning
// does for the tuning and the sampling time.
std::optional<int> FastestSliderPosition(const Podatki& store, const TuningRequest& request,
                                         int formType, double msTarget);

// The controls that the controller form reads.
struct ControllerFormRequest {
    int Form = -1; // item index of the form list
    int Type = 2;  // item index of the type choice
    bool Cascade = false;
    QString ScaleP = QStringLiteral("1"), ScaleI = QStringLiteral("1"),
            ScaleD = QStringLiteral("1");
    bool SequencerPresent = false;
    // The sequencer grid's input and output columns, top row first.
    QStringList SequencerInputs, SequencerOutputs;
    QString Y1MinText, Y1MaxText; // the Y1 range as the processing page shows it
};

struct ControllerFormTexts {
    std::array<QString, 3> Names;  // Label_Reg_Name_Kp, _Ki, _Kd
    std::array<QString, 3> Fields; // Edit_Reg_Kp, _Ki, _Kd ("" when hidden)
    std::array<bool, 3> Visible{};
    QString SequencerCaption;  // Label_LabOjacSekv
    QString SequencerGainText; // Label_OjacSekv
    double SequencerGain = 1;  // q
};

// The corner points of the sequencer grid: rows from the top down to the
// first empty input cell. Throws ConversionError for a cell that is not a
// number.
std::vector<SequencerPoint> SequencerPoints(const QStringList& inputs, const QStringList& outputs);

// The form display from the store's gains and factor. Throws
// ConversionError when a text it needs is not a number; then nothing is
// to be shown.
ControllerFormTexts EvaluateControllerForm(const Podatki& store,
                                           const ControllerFormRequest& request);
