// varkol-cli run SETTINGS.vkx: one automatic experiment without a window, as
// the main window's scheduler carries out a queued one: the settings file's
// step test through the run engine, then the automatic chain (data file,
// model, controller settings, report) beside the settings file or in --out.
// With --simulate the run is on the built-in process simulation in virtual
// time; otherwise on the OPC server the file names, in real time, and on the
// simulation with a warning when that server cannot be reached.

#include "base/Errors.h"
#include "base/EventWait.h"
#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "cli/OffscreenApplication.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "experiment/AutomaticChain.h"
#include "experiment/OpcPlantPort.h"
#include "experiment/RunEngine.h"
#include "experiment/RunStart.h"
#include "model/ModelTexts.h"
#include "opc/OpcClient.h"
#include "report/ReportPictures.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

QString Path(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

void Warn(const QString& text)
{
    std::fprintf(stderr, "varkol-cli run: %s\n", qPrintable(text));
}

// The start moment of --at, waited for in the present process (a cron job or
// a service starts it ahead); a moment already past starts at once.
void WaitUntil(const std::string& text)
{
    const QDateTime at =
        QDateTime::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!at.isValid())
        throw UsageError("--at: '" + text + "' is not a moment \"YYYY-MM-DD hh:mm:ss\"");
    for (qint64 left = QDateTime::currentDateTime().msecsTo(at); left > 0;
         left = QDateTime::currentDateTime().msecsTo(at))
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 1000)));
}

// The step test on a connected server, sampled by a timer in real time.
std::optional<int> RunOnPlant(Podatki& store, const RunPlan& plan, OpcServer& server)
{
    OpcGroup* group = server.AddGroup(QStringLiteral("Skupina1"));
    OpcPlantPort plant(server);
    RunEngine engine(store, plant, MakeUnseededUniformGenerator());
    engine.FormCreate();
    RunStartHooks hooks;
    hooks.WaitForMvQuality = [&] {
        return WaitWithEvents([&] { return plant.IsMVQualityGood(); }, QualityWaitMs);
    };
    // Nobody answers a question here: a loop that cannot be switched is refused.
    hooks.Ask = [](const QString& question) {
        Warn(question);
        return false;
    };
    const RunStart start = StartRun(plan, server, *group, plant, engine, hooks);
    if (!start.Started)
        throw VarkolError(start.Refusal.toStdString());
    if (!start.UntaggedSignals.isEmpty())
        Warn(QStringLiteral("OPC strežnik ne pozna točk teh signalov: %1.")
                 .arg(start.UntaggedSignals.join(QStringLiteral(", "))));
    BeginRecord(store, plan);
    engine.FormShow(plan.MVMax, plan.MVMin, plan.MVStep);

    QEventLoop loop;
    QTimer timer;
    timer.setInterval(plan.SamplingMs);
    QString lastFailure;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        try {
            engine.Tick();
        } catch (const std::exception& e) {
            // As in the window: the run goes on; a failure that repeats on
            // every tick is told once.
            const QString failure = QString::fromUtf8(e.what());
            if (failure != lastFailure)
                Warn(failure);
            lastFailure = failure;
        }
        if (engine.CloseRequested)
            loop.quit();
    });
    timer.start();
    loop.exec();
    return engine.AnalysisStart;
}

JsonValue ModelJson(const ProcessModel& model, const ModelRefinementState& refinement)
{
    JsonValue o;
    o.Add("K", model.Gain);
    o.Add("T", model.TimeConstant);
    o.Add("L", model.DeadTime);
    o.Add("grade", ShowModelTexts(model, refinement).Grade.toStdString());
    return o;
}

JsonValue FileNames(const QStringList& files)
{
    JsonValue::Array names;
    for (const QString& file : files)
        names.emplace_back(QFileInfo(file).fileName().toStdString());
    return JsonValue(std::move(names));
}

} // namespace

int RunAutomaticExperiment(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, {"out", "at"}, {"simulate"});
    if (args.Positional().size() != 1)
        throw UsageError("usage: run SETTINGS.vkx [--simulate] [--out DIR] "
                         "[--at \"YYYY-MM-DD hh:mm:ss\"]");
    const QFileInfo settingsFile(Path(args.Required(0, "SETTINGS.vkx")));
    const QString label = settingsFile.completeBaseName();
    const QString folder = args.Option("out") ? QDir(Path(*args.Option("out"))).absolutePath()
                                              : settingsFile.absolutePath();
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("%1: mape ni mogoče ustvariti.").arg(folder).toStdString());

    const OffscreenApplication application;

    const ExperimentSettings settings = ReadExperimentSettings(settingsFile.absoluteFilePath());
    const RunPlan plan = MakeRunPlan(settings, label, true);
    if (const auto at = args.Option("at"))
        WaitUntil(*at);

    auto store = std::make_unique<Podatki>();
    std::optional<int> analysisStart;
    try {
        if (args.Flag("simulate")) {
            analysisStart = RunOnSimulation(*store, plan, MakeUnseededUniformGenerator());
        } else {
            OpcClientObjects opc = CreateDefaultOpcClient();
            bool connected = false;
            try {
                opc.Server->ConnectServer(settings.OpcServer, QString());
                connected = opc.Server->Active();
            } catch (const VarkolError& e) {
                Warn(QString::fromUtf8(e.what()));
            }
            if (connected) {
                analysisStart = RunOnPlant(*store, plan, *opc.Server);
                opc.Server->DisconnectServer();
            } else {
                Warn(QStringLiteral("OPC strežnik \"%1\" ni dosegljiv: poizkus teče na simulaciji "
                                    "procesa.")
                         .arg(settings.OpcServer));
                analysisStart = RunOnSimulation(*store, plan, MakeUnseededUniformGenerator());
            }
        }
    } catch (const VarkolError& e) {
        throw ChainFailure(QStringLiteral("eksperiment"), QString::fromUtf8(e.what()), {});
    }

    ChainInputs inputs;
    inputs.Folder = folder;
    inputs.Label = label;
    inputs.Title = QStringLiteral(" Varkol " VARKOL_VERSION);
    inputs.Settings = settings;
    inputs.AnalysisStart = analysisStart;
    OffscreenPictureExporter pictures;
    const ChainResult result = RunAutomaticChain(*store, inputs, pictures);

    JsonValue out;
    out.Add("label", label.toStdString());
    out.Add("dir", QDir::toNativeSeparators(folder).toStdString());
    out.Add("files", FileNames(result.Files));
    out.Add("samples", store->SampleCount);
    if (result.Identified) {
        out.Add("inner", ModelJson(store->InnerModel, store->InnerRefinement));
        out.Add("outer", ModelJson(store->OuterModel, store->OuterRefinement));
    }
    if (result.Tuned) {
        JsonValue gains;
        for (std::size_t i = 0; i < TuningLabelNames.size(); ++i)
            gains.Add(TuningLabelNames[i], result.TuningResult->Labels.Gains[i].toStdString());
        out.Add("gains", std::move(gains));
        JsonValue fields;
        fields.Add("P", result.FormTexts.Fields[0].toStdString());
        fields.Add("I", result.FormTexts.Fields[1].toStdString());
        fields.Add("D", result.FormTexts.Fields[2].toStdString());
        out.Add("fields", std::move(fields));
    }
    out.Add("report", QFileInfo(result.Report.FileName).fileName().toStdString());
    std::printf("%s\n", out.Serialize().c_str());
    return 0;
}
