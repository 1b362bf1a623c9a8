#include "experiment/AutomaticChain.h"

#include "data/DataFile.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"
#include "data/ProcessingText.h"
#include "model/ModelClass.h"
#include "model/ModelFile.h"
#include "report/ReportPictureExporter.h"
#include "report/ReportPictureNames.h"
#include "report/ReportValues.h"
#include "tuning/ControllerFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <exception>

namespace {

// The chain's steps as its failures name them.
const QString StepData = QStringLiteral("shranjevanje meritev");
const QString StepPictures = QStringLiteral("slike signalov");
const QString StepModel = QStringLiteral("model");
const QString StepController = QStringLiteral("regulator");
const QString StepReport = QStringLiteral("poročilo");

ConditioningSettings AutomaticConditioning(const ExperimentSettings& s)
{
    return ParseConditioningSettings(s.AutoFilter, s.AutoActuatorMax, s.AutoActuatorMin,
                                     s.AutoActuatorVelocity);
}

TuningRequest AutomaticTuning(const ExperimentSettings& s)
{
    TuningRequest request;
    request.Method = s.AutoTuningMethod;
    request.SliderPosition = s.AutoRobust;
    request.ResponseChoice = s.AutoResponse;
    request.SamplingTimeText = s.AutoSamplingTime;
    request.Cascade = s.AutoCascade;
    return request;
}

ControllerFormRequest AutomaticForm(const ExperimentSettings& s, const ReportInputs& report)
{
    ControllerFormRequest form;
    form.Form = s.AutoControllerForm;
    form.Type = s.AutoControllerType;
    form.Cascade = s.AutoCascade;
    form.ScaleP = s.AutoScaleP;
    form.ScaleI = s.AutoScaleI;
    form.ScaleD = s.AutoScaleD;
    form.SequencerPresent = s.SequencerPresent;
    for (std::size_t row = 0; row < s.SequencerInput.size(); ++row) {
        form.SequencerInputs << s.SequencerInput[row];
        form.SequencerOutputs << s.SequencerOutput[row];
    }
    // The Y1 range as the processing page shows it.
    form.Y1MinText = report.Statistics[2].Minimum;
    form.Y1MaxText = report.Statistics[2].Maximum;
    return form;
}

ControllerSettings ControllerFileSettings(const Podatki& store, const TuningRequest& tuning,
                                          const ControllerFormRequest& form)
{
    ControllerSettings settings;
    settings.K1 = store.InnerModel.Gain;
    settings.T1 = store.InnerModel.TimeConstant;
    settings.L1 = store.InnerModel.DeadTime;
    settings.InnerRelativeError = store.InnerModel.RelativeError;
    settings.K2 = store.OuterModel.Gain;
    settings.T2 = store.OuterModel.TimeConstant;
    settings.L2 = store.OuterModel.DeadTime;
    settings.OuterRelativeError = store.OuterModel.RelativeError;
    settings.SamplingTimeText = tuning.SamplingTimeText;
    settings.Method = tuning.Method;
    settings.ResponseChoice = tuning.ResponseChoice;
    settings.Form = form.Form;
    settings.Type = form.Type;
    settings.SliderPosition = tuning.SliderPosition;
    settings.ScaleP = form.ScaleP;
    settings.ScaleI = form.ScaleI;
    settings.ScaleD = form.ScaleD;
    settings.Cascade = tuning.Cascade;
    return settings;
}

QString Cause(const std::exception& e)
{
    return QString::fromUtf8(e.what());
}

} // namespace

ChainFailure::ChainFailure(const QString& step, const QString& cause, QStringList written)
    : VarkolError(QStringLiteral("korak \"%1\" ni uspel: %2").arg(step, cause).toStdString()),
      Step(step), Cause(cause), Written(std::move(written))
{
}

ChainResult RunAutomaticChain(Podatki& store, const ChainInputs& inputs,
                              ReportPictureExporter& pictures)
{
    const ExperimentSettings& s = inputs.Settings;
    const QString base = QDir(inputs.Folder).filePath(inputs.Label);
    ChainResult result;
    QString step = StepData;
    // A step's failure ends the chain with the files written so far; the
    // pictures are temporary and not counted among them.
    try {
        // The record as the processing page shows it after the run.
        const ConditioningSettings conditioning = AutomaticConditioning(s);
        const ProcessingLayout layout = PrepareExperimentData(store, conditioning);
        const ChooserState& start = layout.Window.Start;
        result.WindowStart =
            std::clamp(inputs.AnalysisStart.value_or(start.Position), start.Minimum, start.Maximum);
        result.WindowEnd = layout.Window.End.Position;

        // 1. The data file.
        const QString dataFile = base + QStringLiteral(".vkd");
        SaveMeasurements(store, dataFile, CurrentDateText(), CurrentTimeText(), store.SamplingTime,
                         store.SampleCount, result.WindowStart, result.WindowEnd, conditioning,
                         layout.Columns, FieldNames(store, layout.Columns));
        result.Files << dataFile;

        // 2 and 3. The signal and histogram pictures.
        step = StepPictures;
        pictures.Signals(store, result.WindowStart, result.WindowEnd, inputs.Folder);

        ReportInputs report;
        report.Title = inputs.Title;
        report.FileName = base + QStringLiteral(".docx");
        report.CloseAfterSave = true;
        SetReportSettings(report, s);
        SetReportStatistics(report, store, result.WindowStart, result.WindowEnd);

        // 4. The model, only when the plant was driven and the report wants it.
        if (!s.NoOPCWrite && s.ReportModel) {
            step = StepModel;
            IdentifyModels(store, result.WindowStart, result.WindowEnd);
            result.Identified = true;
            const QString modelFile = base + QStringLiteral(".vkm");
            SaveModel(modelFile, store);
            result.Files << modelFile;
            SetReportModel(report, store, s.AutoCascade);
            pictures.Model(store, s.AutoCascade, inputs.Folder);
        }

        // 5. The controller, on the same conditions.
        const TuningRequest tuning = AutomaticTuning(s);
        const ControllerFormRequest form = AutomaticForm(s, report);
        if (!s.NoOPCWrite && s.ReportController) {
            step = StepController;
            result.TuningResult = EvaluateTuning(store, tuning);
            result.FormTexts = EvaluateControllerForm(store, form);
            result.Tuned = true;
            const QString controllerFile = base + QStringLiteral(".vkc");
            SaveController(controllerFile, ControllerFileSettings(store, tuning, form));
            result.Files << controllerFile;
            SetReportTuning(report, *result.TuningResult, result.FormTexts);
            const auto& responses = result.TuningResult->Responses;
            pictures.Responses(responses ? &*responses : nullptr, inputs.Folder);
        }

        // 6. The report; without writes to the plant, the processing only.
        step = StepReport;
        if (s.NoOPCWrite) {
            report.Model = false;
            report.Controller = false;
        }
        TPorocilo porocilo;
        result.Report = porocilo.WriteReport(report);
        result.Files << result.Report.FileName;
    } catch (const ChainFailure&) {
        throw;
    } catch (const std::exception& e) {
        throw ChainFailure(step, Cause(e), result.Files);
    }
    // 7. The pictures are gone once the report holds them.
    DeleteReportPictures(inputs.Folder);
    return result;
}

bool AppendChainLog(const QString& folder, const QString& label, const QString& text)
{
    QFile log(QDir(folder).filePath(label + QStringLiteral(".log")));
    if (!log.open(QIODevice::Append | QIODevice::WriteOnly))
        return false;
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
        QStringLiteral("  ") + QString(text).replace(u'\n', u' ') + QStringLiteral("\r\n");
    return log.write(line.toUtf8()) >= 0 && log.flush();
}
