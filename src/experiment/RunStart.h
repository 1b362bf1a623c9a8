#pragma once

// The start of an experiment, up to and including its first write to the
// plant: the loop's tags become the items of the group "Skupina1", the run
// engine takes the plan, and every check that can refuse the run is made
// before anything is written. Written without a window, so that the window,
// the scheduler and the tests take the same road.

#include "experiment/RunEngine.h"
#include "experiment/RunPlan.h"

#include <QString>
#include <QStringList>

#include <functional>

class OpcGroup;
class Podatki;
class OpcPlantPort;
class OpcServer;
class RunEngine;

struct RunStartHooks {
    // The bounded wait for good quality of the MV tag (the window keeps the
    // program alive meanwhile); unset: one look at the quality.
    std::function<bool()> WaitForMvQuality;
    // A yes/no question before the run (see MissingSwitchQuestion); unset:
    // No.
    std::function<bool(const QString& question)> Ask;
    // A manual run whose MV tag showed no good quality in the wait.
    std::function<void()> WarnNoConnection;
};

struct RunStart {
    bool Started = false;
    QString Refusal; // when not started: why, for the user
    // The recorded signals whose tag the server refused ("MV", "U", "Y1", "Y2").
    QStringList UntaggedSignals;
    bool LoopNotSwitched = false; // MV is written, the controller not switched
};

// Sets the engine's run fields from the plan, replaces the group's items by
// the plan's tags (a role without a tag gets no item), waits for the MV tag,
// and then, only when nothing refuses the run (the start checks of the
// engine, a missing switch the user does not accept), switches the loop for
// the run and arms it. Nothing is written to the plant before that switch;
// when the switch itself is refused, the refusal says so. The engine's run
// state (slider, first sample) is set when the window is shown.
RunStart StartRun(const RunPlan& plan, OpcServer& server, OpcGroup& group, OpcPlantPort& plant,
                  RunEngine& engine, const RunStartHooks& hooks);

// StartRun's first part, for a caller that drives the engine itself (the
// command-line companion on the simulation): the engine's run fields from
// the plan.
void ApplyPlan(const RunPlan& plan, RunEngine& engine);

// The store's header for the plan's new record: the six recorded columns
// named by the loop's descriptions (MV, MV2, U, U2, Y1, Y2), six signals,
// one sample, the plan's sampling period.
void BeginRecord(Podatki& store, const RunPlan& plan);

// A whole automatic run of the plan on the built-in process simulation, in
// virtual time (as fast as it computes), recorded into the store. Returns
// the analysis start the run sets. Throws what the engine's start checks
// throw.
std::optional<int> RunOnSimulation(Podatki& store, const RunPlan& plan, UniformGenerator uniform);
