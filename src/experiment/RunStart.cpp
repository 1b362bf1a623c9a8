#include "experiment/RunStart.h"

#include "base/Errors.h"
#include "data/Podatki.h"
#include "experiment/OpcPlantPort.h"
#include "experiment/RunEngine.h"
#include "opc/OpcClient.h"

namespace {

// The group's items for the plan's tags, in the order the program has always
// added them; the names of the signals whose tag the server refused.
QStringList AddItems(const RunPlan& plan, OpcServer& server, OpcGroup& group, OpcPlantPort& plant)
{
    // Items of an earlier run would stay subscribed.
    server.ClearItems(group);
    plant.ForgetItems();
    QStringList refused;
    const auto add = [&](TagRole role, const char* name) -> OpcItem* {
        const QString& tag = plan.Loop.Tag(role);
        if (tag.trimmed().isEmpty())
            return nullptr;
        OpcItem* item = server.AddItem(group, tag);
        if (name && server.Active() && (item->Error != 0 || item->ServerHandle == -1))
            refused << QString::fromLatin1(name);
        return item;
    };
    if (plan.Automatic) {
        plant.ItemMV = add(TagRole::MV, "MV");
        plant.ItemU = add(TagRole::U, "U");
    } else {
        plant.ItemU = add(TagRole::U, "U");
        plant.ItemMV = add(TagRole::MV, "MV");
    }
    plant.ItemY1 = add(TagRole::Y1, "Y1");
    plant.ItemY2 = add(TagRole::Y2, "Y2");
    if (plan.Loop.Switch1.SingleTag()) {
        plant.ItemRA = add(TagRole::RA, nullptr);
    } else {
        plant.ItemManual = add(TagRole::Manual, nullptr);
        plant.ItemAuto = add(TagRole::Auto, nullptr);
    }
    return refused;
}

} // namespace

RunStart StartRun(const RunPlan& plan, OpcServer& server, OpcGroup& group, OpcPlantPort& plant,
                  RunEngine& engine, const RunStartHooks& hooks)
{
    RunStart start;
    ApplyPlan(plan, engine);
    start.UntaggedSignals = AddItems(plan, server, group, plant);

    engine.Hooks.WaitForMvQuality = hooks.WaitForMvQuality;
    engine.Hooks.WarnNoConnection = hooks.WarnNoConnection;
    const bool good = engine.WaitForMV();
    if (!plan.Automatic && !good && hooks.WarnNoConnection)
        hooks.WarnNoConnection();

    try {
        engine.CheckStart(plan.MVMax, plan.MVMin, plan.MVStep);
    } catch (const VarkolError& e) {
        start.Refusal = QString::fromUtf8(e.what());
        return start;
    }
    const QString question = MissingSwitchQuestion(plan, plant.Active());
    if (!question.isEmpty()) {
        if (!hooks.Ask || !hooks.Ask(question)) {
            start.Refusal =
                QStringLiteral("Eksperiment se ni začel: preklop regulatorja ni določen.");
            return start;
        }
        start.LoopNotSwitched = true;
    }

    // The first write to the plant.
    try {
        engine.SwitchLoopForRun();
    } catch (const VarkolError& e) {
        start.Refusal = QStringLiteral("Eksperiment se ni začel: regulatorja ni bilo mogoče "
                                       "preklopiti.\n") +
                        QString::fromUtf8(e.what());
        return start;
    }
    if (plan.Automatic)
        engine.ArmSteps();
    else
        engine.SliderEnabled = true;
    engine.TimerEnabled = true;
    start.Started = true;
    return start;
}

void ApplyPlan(const RunPlan& plan, RunEngine& engine)
{
    engine.ExperimentLabel = plan.Label.toStdString();
    engine.SamplingMs = plan.SamplingMs;
    engine.KeepInitialInput = plan.KeepInitialInput;
    engine.InitialInput = plan.InitialInput;
    engine.ClosedLoopDuring = plan.ClosedLoopDuring;
    engine.ClosedLoopAfter = plan.ClosedLoopAfter;
    engine.NoOPCWrite = plan.NoOPCWrite;
    engine.SingleRASwitch = plan.Loop.Switch1.SingleTag();
    engine.ManualRAValue = plan.Loop.Switch1.ManualValue;
    engine.ManualMode = !plan.Automatic;
    if (plan.Automatic) {
        engine.WaitTime = plan.WaitTime;
        engine.StepSize = plan.StepSize;
        engine.StepDuration = plan.StepDuration;
        engine.NumberOfSteps = plan.NumberOfSteps;
        engine.BothDirections = plan.BothDirections;
    }
}

void BeginRecord(Podatki& store, const RunPlan& plan)
{
    constexpr TagRole RecordedRoles[6] = {TagRole::MV, TagRole::MV2, TagRole::U,
                                          TagRole::U2, TagRole::Y1,  TagRole::Y2};
    for (std::size_t column = 0; column < 6; ++column)
        store.ColumnNames[column] = plan.Loop.Description(RecordedRoles[column]).toStdString();
    store.SignalCount = 6;
    store.SampleCount = 1;
    store.SamplingTime = plan.SamplingMs * 0.001;
}

std::optional<int> RunOnSimulation(Podatki& store, const RunPlan& plan, UniformGenerator uniform)
{
    NoPlant plant;
    RunEngine engine(store, plant, std::move(uniform));
    engine.FormCreate();
    ApplyPlan(plan, engine);
    engine.CheckStart(plan.MVMax, plan.MVMin, plan.MVStep);
    engine.StartAutomaticRun();
    BeginRecord(store, plan);
    engine.FormShow(plan.MVMax, plan.MVMin, plan.MVStep);
    while (!engine.CloseRequested)
        engine.Tick();
    return engine.AnalysisStart;
}
