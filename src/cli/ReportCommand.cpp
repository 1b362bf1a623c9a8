// varkol-cli report --out F.docx: the experiment report written from saved
// files, as the report page writes it from the window: the settings file
// gives the server, the tags and the report's choices, the data file the
// processed signals with their statistics, the model file the model page,
// the controller file the controller page. The charts are drawn without a
// window on Qt's offscreen platform.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/DataFileCommandSupport.h"
#include "cli/JsonWriter.h"
#include "cli/OffscreenApplication.h"
#include "cli/TuningJson.h"
#include "experiment/SettingsFile.h"
#include "model/ModelFile.h"
#include "report/PorociloClass.h"
#include "report/ReportPictures.h"
#include "report/ReportValues.h"
#include "tuning/ControllerFile.h"

#include <QFileInfo>

#include <cstdio>

namespace {

QString Path(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

JsonValue Strings(const QStringList& texts)
{
    JsonValue::Array array;
    for (const QString& text : texts)
        array.emplace_back(text.toStdString());
    return JsonValue(std::move(array));
}

// What the controller form needs of a settings file: its sequencer.
void ApplySequencer(const ExperimentSettings& s, ControllerFormRequest& form)
{
    form.SequencerPresent = s.SequencerPresent;
    for (int row = 0; row < ExperimentSettings::SequencerRows; ++row) {
        form.SequencerInputs << s.SequencerInput[static_cast<std::size_t>(row)];
        form.SequencerOutputs << s.SequencerOutput[static_cast<std::size_t>(row)];
    }
}

} // namespace

int RunReport(int argc, char** argv)
{
    std::set<std::string> options = ConditioningOptionNames;
    options.insert({"settings", "data", "model", "controller", "out", "template"});
    const CliArguments args(argc, argv, 2, options, {"no-processing", "no-model", "no-controller"});
    args.ExpectPositionalCount(0);
    const auto out = args.Option("out");
    if (!out)
        throw UsageError(
            "usage: report --out F.docx [--settings F.vkx] [--data F.vkd [conditioning "
            "options]] [--model F.vkm] [--controller F.vkc] [--template T] "
            "[--no-processing] [--no-model] [--no-controller]");
    if (!args.Option("data")) {
        for (const std::string& name : ConditioningOptionNames) {
            if (args.Has(name))
                throw UsageError("--" + name + " needs --data");
        }
    }

    const OffscreenApplication application;

    ReportInputs in;
    in.Title = QStringLiteral(" Varkol " VARKOL_VERSION);
    in.FileName = QFileInfo(Path(*out)).absoluteFilePath();
    in.CloseAfterSave = true;
    ControllerFormRequest form;
    if (const auto name = args.Option("settings")) {
        const ExperimentSettings settings = ReadExperimentSettings(Path(*name));
        SetReportSettings(in, settings);
        ApplySequencer(settings, form);
    }
    if (const auto name = args.Option("template"))
        in.Template = Path(*name);
    in.Processing = in.Processing && !args.Flag("no-processing");
    in.Model = in.Model && !args.Flag("no-model");
    in.Controller = in.Controller && !args.Flag("no-controller");

    OffscreenReportCharts charts;
    Podatki emptyStore;
    Podatki* store = &emptyStore;
    LoadedDataFile data;
    int start = 1, end = 1;
    if (const auto name = args.Option("data")) {
        data = LoadDataFile(*name);
        store = data.Store.get();
        const ConditioningOptions o = ReadConditioningOptions(args, data);
        ConditionSignals(*store, o.Columns, o.Settings);
        start = o.Start;
        end = o.End;
        SetReportStatistics(in, *store, start, end);
        form.Y1MinText = in.Statistics[2].Minimum;
        form.Y1MaxText = in.Statistics[2].Maximum;
    }
    if (const auto name = args.Option("model")) {
        LoadModel(Path(*name), *store);
        SetReportModel(in, *store, false);
        charts.ShowModel(*store, false);
    }
    if (const auto name = args.Option("controller")) {
        TuningRequest tuning;
        RestoreControllerPage(LoadController(Path(*name)), *store, tuning, form);
        const TuningPageResult page = EvaluateTuning(*store, tuning);
        if (page.Responses)
            charts.ShowResponses(*page.Responses);
        form.Cascade = tuning.Cascade;
        SetReportTuning(in, page, EvaluateControllerForm(*store, form));
    }

    const QString folder = PictureFolder(in.FileName);
    ExportReportPictures(charts.Charts(), *store, start, end, folder);
    TPorocilo porocilo;
    const ReportOutcome outcome = porocilo.WriteReport(in);
    DeleteReportPictures(folder);

    JsonValue json;
    json.Add("out", outcome.FileName.toStdString());
    json.Add("sections", Strings(outcome.Sections));
    json.Add("tables", outcome.Tables);
    json.Add("pictures", Strings(outcome.Pictures));
    json.Add("bytes", static_cast<std::int64_t>(outcome.Bytes));
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}
