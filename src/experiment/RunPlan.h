#pragma once

// One experiment as numbers: what the main window (from its page) or the
// scheduler (from an experiment's settings file) asks the run window to
// carry out, and what comes back. The page's texts are read once, here, by
// one parser that names the field of a text it refuses.

#include "opc/LoopTags.h"

#include <QString>
#include <QStringList>

#include <optional>

struct ExperimentSettings;

struct RunPlan {
    QString Label;          // the experiment's label (window caption)
    bool Automatic = false; // the step sequence runs (a queued experiment)
    int SamplingMs = 1000;  // sampling period [ms], at least 50
    bool KeepInitialInput = false;
    double InitialInput = 0;
    double WaitTime = 0; // [s] before the first step, at least two periods
    double StepSize = 0;
    double StepDuration = 0; // [s]
    int NumberOfSteps = 1;
    bool BothDirections = false;
    bool ClosedLoopDuring = false;
    bool ClosedLoopAfter = true;
    bool NoOPCWrite = false;
    // The MV slider of the run window.
    double MVMax = 100;
    double MVMin = 0;
    double MVStep = 1;
    // The loop's tags and the switching of controller 1; the descriptions
    // of MV, MV2, U, U2, Y1, Y2 name the recorded columns 1 to 6.
    LoopTags Loop;
};

// The shortest sampling period an experiment runs with [s].
inline constexpr double MinSamplingPeriod = 0.05;

// The corrections "Aktiviraj eksperiment" makes before anything is saved: a
// sampling period below 0.05 s becomes 0.05 s, a wait shorter than two
// periods becomes two periods, both written back as texts (the locale's
// format; the wait with 10 significant digits). Returns whether a text
// changed. Throws ConversionError naming the field of a text that is not a
// number.
bool CorrectRunTimes(ExperimentSettings& settings);

// The plan of the experiment the settings describe, under `label`; the step
// fields are read for an automatic run only, the initial input only when it
// is used. Applies CorrectRunTimes to its own copy. Throws ConversionError
// naming the field of a text that is not a number, and for a sampling period
// too long for the timer or MV slider parameters that give no slider.
RunPlan MakeRunPlan(const ExperimentSettings& settings, const QString& label, bool automatic);

// The question to ask before a run that will write MV to a plant whose
// controller cannot be switched (the switch rows of the chosen mode are
// empty); empty when the loop is switched or nothing is written.
QString MissingSwitchQuestion(const RunPlan& plan, bool connected);

// How an experiment ended.
struct RunOutcome {
    bool Finished = false; // the run ended; its record is in the store
    QString Refusal;       // why the run did not start, when it did not
    // "Preklop v ročno" was pressed: the main window's "Ročno voden poizkus"
    // follows.
    bool SwitchedToManual = false;
    std::optional<int> AnalysisStart; // after an automatic run: ScrollBar3
    // The recorded signals whose tag the server refused ("MV", "U", ...):
    // their columns hold no plant values.
    QStringList UntaggedSignals;
    // What an unattended run would have shown in message boxes, in order.
    QStringList Notes;
};
