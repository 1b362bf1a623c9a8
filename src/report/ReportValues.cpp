#include "report/ReportValues.h"

#include "data/Podatki.h"
#include "data/ProcessedSignals.h"
#include "data/ProcessingText.h"
#include "data/SignalStatistics.h"
#include "experiment/SettingsFile.h"
#include "model/ModelTexts.h"
#include "tuning/TuningText.h"

void SetReportSettings(ReportInputs& in, const ExperimentSettings& settings)
{
    in.ServerName = settings.OpcServer;
    in.Tags = settings.Loop;
    in.Template = settings.ReportTemplate;
    in.Processing = settings.ReportProcessing;
    in.Model = settings.ReportModel;
    in.Controller = settings.ReportController;
}

void SetReportStatistics(ReportInputs& in, const Podatki& store, int start, int end)
{
    for (std::size_t i = 0; i < std::size(AllProcessedSignals); ++i) {
        const SignalStatisticsTexts texts = StatisticsTexts(ComputeSignalStatistics(
            ProcessedValues(store, AllProcessedSignals[i]).data(), start, end));
        in.Statistics[i] = {texts.Max, texts.Min, texts.Std};
    }
}

void SetReportModel(ReportInputs& in, const Podatki& store, bool outer)
{
    const ModelTexts texts = outer ? ShowModelTexts(store.OuterModel, store.OuterRefinement)
                                   : ShowModelTexts(store.InnerModel, store.InnerRefinement);
    in.Gain = texts.Gain;
    in.TimeConstant = texts.TimeConstant;
    in.DeadTime = texts.DeadTime;
    in.ModelStd = texts.ResidualSTD;
    in.RelativeError = texts.RelativeError;
    in.Quality = texts.Grade;
}

void SetReportTuning(ReportInputs& in, const TuningPageResult& tuning,
                     const ControllerFormTexts& form)
{
    const auto& g = tuning.Labels.Gains;
    in.IKi = g[LabelKi];
    in.PKp = g[LabelKpP];
    in.PIKp = g[LabelPIKp];
    in.PIKi = g[LabelPITi];
    in.PIDKp = g[LabelPIDKp];
    in.PIDKi = g[LabelPIDTi];
    in.PIDKd = g[LabelPIDTd];
    in.ScaledP = form.Fields[0];
    in.ScaledI = form.Fields[1];
    in.ScaledD = form.Fields[2];
}
