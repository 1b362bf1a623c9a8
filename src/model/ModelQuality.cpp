#include "model/ModelQuality.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"
#include "model/ModelRefinement.h"

#include <algorithm>
#include <cmath>

ModelGrade GradeModel(double relativeError)
{
    if (relativeError < 0.01)
        return ModelGrade::VeryGood;
    if (relativeError < 0.05)
        return ModelGrade::Good;
    if (relativeError < 0.12)
        return ModelGrade::Poorer;
    return ModelGrade::Poor;
}

const char* GradeText(ModelGrade grade)
{
    switch (grade) {
    case ModelGrade::VeryGood:
        return "Zelo dobra";
    case ModelGrade::Good:
        return "Dobra";
    case ModelGrade::Poorer:
        return "Slabsa";
    case ModelGrade::Poor:
        break;
    }
    return "Slaba";
}

bool SamplingTooSparse(const ProcessModel& inner, const ProcessModel& outer, double ts)
{
    const int a = RoundHalfEven(inner.DeadTime + inner.TimeConstant);
    const int b = RoundHalfEven(outer.TimeConstant + outer.DeadTime);
    return a <= 3 * ts || b <= 3 * ts;
}

std::string CheckSampling(const ProcessModel& inner, const ProcessModel& outer, double ts)
{
    return SamplingTooSparse(inner, outer, ts) ? SamplingWarningText : "";
}

ModelFitQuality MeasureModelFit(const double* reference, const double* output, int n)
{
    ModelFitQuality q;
    q.ResidualSTD = std::sqrt(ResidualVariance(output, reference, 1, n));
    q.RelativeError = std::sqrt(SafeDivide(MeanSquareError(reference, output, 1, n),
                                           PopulationVariance(reference, 1, n), 1));
    return q;
}

ModelFitQuality ApplyModel(Podatki& store, bool outer, double gain, double timeConstant,
                           double deadTime)
{
    const int n = std::clamp(store.IdentSampleCount, 0, Podatki::MaxSamples);
    const Podatki::Signal& input = outer ? store.IdentY1 : store.IdentU;
    const Podatki::Signal& reference = outer ? store.MeasuredOuter : store.MeasuredInner;
    Podatki::Signal& output = outer ? store.ModelOutputOuter : store.ModelOutputInner;
    FitScratch& w = store.Fit[outer ? 1 : 0];

    const ModelRefinementState& refinement = outer ? store.OuterRefinement : store.InnerRefinement;
    if (refinement.Shown)
        SimulateRefinedModel(input.data(), n, store.SamplingTime, gain, timeConstant, deadTime,
                             refinement.Offset, w.ModelOutput.data());
    else
        SimulateFOPDT(1, n, input.data(), gain, timeConstant, store.SamplingTime, 0.0, deadTime,
                      w.ModelOutput.data(), w.ModelSlope.data());
    const ModelFitQuality q = MeasureModelFit(reference.data(), w.ModelOutput.data(), n);
    if (!std::isfinite(q.ResidualSTD) || !std::isfinite(q.RelativeError))
        throw ComputationError("Model s temi parametri ne da končnega odziva");

    std::copy_n(w.ModelOutput.begin(), n, output.begin());
    ProcessModel& model = outer ? store.OuterModel : store.InnerModel;
    model.Gain = gain;
    model.TimeConstant = timeConstant;
    model.DeadTime = deadTime;
    model.ResidualSTD = q.ResidualSTD;
    model.RelativeError = q.RelativeError;
    return q;
}
