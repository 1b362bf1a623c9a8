#include "model/ModelClass.h"

#include "base/Errors.h"
#include "data/ObdelavaClass.h"
#include "model/ModelQuality.h"
#include "model/ModelRefinement.h"
#include "model/SideBySide.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <string>
#include <tuple>

namespace {

CandidateFit ScanEntry(const FitScratch& w, int d)
{
    const auto at = static_cast<std::size_t>(d);
    return {d,
            w.ScanGain[at],
            w.ScanTimeConstant[at],
            w.ScanGainSigma[at],
            w.ScanTimeSigma[at],
            w.ScanError[at]};
}

// The best dead time of a scan: the smallest error over d = 0..n-3 (the
// last scanned dead time is not eligible), the earliest on ties.
CandidateFit BestOfScan(const FitScratch& w, int n)
{
    double max = 0, min = 0;
    int iMax = 1, iMin = 1;
    MinMaxIndex(w.ScanError.data(), max, min, 1, n - 2, iMax, iMin);
    CandidateFit best = ScanEntry(w, iMin - 1);
    best.Error = min;
    return best;
}

// The scan's fits at d-1, d and d+1 (d-1 taken as 0 when d = 0).
std::array<CandidateFit, 3> CandidatesAround(const FitScratch& w, int d)
{
    return {ScanEntry(w, d > 0 ? d - 1 : 0), ScanEntry(w, d), ScanEntry(w, d + 1)};
}

int SmallestError(const std::array<CandidateFit, 3>& fits)
{
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (fits[static_cast<std::size_t>(i)].Error < fits[static_cast<std::size_t>(best)].Error)
            best = i;
    return best;
}

CandidateFit Refit(const ProcessSignals& p, const CandidateFit& c, FitScratch& w)
{
    const Fit2 fit = FitAt(p, c.TimeConstant, c.DeadTime, w);
    return {c.DeadTime, fit.Theta1, fit.Theta2,
            fit.S1,     fit.S2,     ModelErrorAt(p, fit.Theta1, fit.Theta2, c.DeadTime, w)};
}

// Two instrumental-variable iterations: the slope of the filtered output of
// the current model is the instrument for the slope of the filtered
// measurement; the filter constant is the current time constant.
CandidateFit RefineWithInstruments(const ProcessSignals& p, CandidateFit c, FitScratch& w)
{
    const int n = p.Count;
    const double ts = p.SamplingTime;
    const double deadTime = c.DeadTime * ts;
    for (int iteration = 0; iteration < 2; ++iteration) {
        SimulateFOPDT(1, n, p.Input, c.Gain, c.TimeConstant, ts, 0.0, deadTime,
                      w.ModelOutput.data(), w.ModelSlope.data());
        SimulateFOPDT(1, n, w.ModelOutput.data(), 1.0, c.TimeConstant, ts, 0.0, 0.0,
                      w.FilteredModel.data(), w.Instrument.data());
        SimulateFOPDT(1, n, p.Input, 1.0, c.TimeConstant, ts, 0.0, deadTime, w.ShiftedInput.data(),
                      w.InputSlope.data());
        SimulateFOPDT(1, n, p.Output, 1.0, c.TimeConstant, ts, 0.0, 0.0, w.FilteredOutput.data(),
                      w.OutputSlope.data());
        const Fit2 fit = InstrumentalVariables2(w.ShiftedInput.data(), w.OutputSlope.data(), n,
                                                w.FilteredOutput.data(), w.Instrument.data());
        c.Gain = fit.Theta1;
        c.TimeConstant = fit.Theta2 < 0 ? 0.0 : fit.Theta2;
        c.GainSigma = fit.S1;
        c.TimeSigma = fit.S2;
    }
    c.Error = ModelErrorAt(p, c.Gain, c.TimeConstant, c.DeadTime, w);
    return c;
}

} // namespace

ProcessIdentification IdentifyProcess(const ProcessSignals& signals, double* reference, double t0,
                                      double* output, FitScratch& w, ScanKernel kernel)
{
    const int n = signals.Count;
    const double ts = signals.SamplingTime;
    ProcessSignals p = signals;
    p.Reference = reference;
    ProcessIdentification r;

    // The reference: y delayed by one sample.
    SimulateFOPDT(1, n, p.Output, 1.0, 0.0, ts, 0.0, 0.0, reference, w.ModelSlope.data());

    // Every dead time with the first filter constant.
    ScanDeadTimes(p, t0, w, kernel);
    r.FirstScan = BestOfScan(w, n);
    CandidateFit best = r.FirstScan;
    std::array<CandidateFit, 3> candidates = CandidatesAround(w, best.DeadTime);

    // Again with the best time constant as filter constant.
    ScanDeadTimes(p, r.FirstScan.TimeConstant, w, kernel);
    r.SecondScan = BestOfScan(w, n);
    if (r.SecondScan.Error < best.Error) {
        best = r.SecondScan;
        candidates = CandidatesAround(w, best.DeadTime);
    }

    // Each candidate refitted with its own time constant as filter constant.
    // When one of them beats the best, the three refits become the candidates,
    // each keeping the dead time it was refitted at: the table then holds
    // exactly the fits that were measured, and the best one among them.
    std::array<CandidateFit, 3> refits;
    for (std::size_t i = 0; i < 3; ++i)
        refits[i] = Refit(p, candidates[i], w);
    const int refitBest = SmallestError(refits);
    if (refits[static_cast<std::size_t>(refitBest)].Error < best.Error) {
        best = refits[static_cast<std::size_t>(refitBest)];
        candidates = refits;
    }
    r.Candidates = candidates;

    for (std::size_t i = 0; i < 3; ++i)
        r.Refined[i] = RefineWithInstruments(p, candidates[i], w);
    const int refinedBest = SmallestError(r.Refined);
    if (r.Refined[static_cast<std::size_t>(refinedBest)].Error < best.Error)
        best = r.Refined[static_cast<std::size_t>(refinedBest)];
    r.Best = best;

    // The final model and its quality.
    SimulateFOPDT(1, n, p.Input, best.Gain, best.TimeConstant, ts, 0.0, best.DeadTime * ts, output,
                  w.ModelSlope.data());
    const ModelFitQuality quality = MeasureModelFit(reference, output, n);
    r.Model.Gain = best.Gain;
    r.Model.TimeConstant = best.TimeConstant;
    r.Model.DeadTime = best.DeadTime * ts;
    r.Model.ResidualSTD = quality.ResidualSTD;
    r.Model.RelativeError = quality.RelativeError;
    r.Model.GainDeviation = best.GainSigma * quality.ResidualSTD;
    r.Model.TimeDeviation = best.TimeSigma * quality.ResidualSTD;
    return r;
}

void TModel::Identify(int n, double ts, double t0, ScanKernel kernel)
{
    Podatki& s = store_;
    ProcessSignals inner{s.IdentU.data(), s.IdentY1.data(), nullptr, n, ts};
    ProcessSignals outer{s.IdentY1.data(), s.IdentY2.data(), nullptr, n, ts};
    // Each process has arrays and scratch of its own.
    RunSideBySide(
        [&] {
            InnerDetails = IdentifyProcess(inner, s.MeasuredInner.data(), t0,
                                           s.ModelOutputInner.data(), s.Fit[0], kernel);
        },
        [&] {
            OuterDetails = IdentifyProcess(outer, s.MeasuredOuter.data(), t0,
                                           s.ModelOutputOuter.data(), s.Fit[1], kernel);
        });
    Inner = InnerDetails.Model;
    Outer = OuterDetails.Model;
}

int DelaySamples(double deadTime, double ts)
{
    return RoundHalfEven(SafeDivide(deadTime, ts, deadTime));
}

namespace {

// The identification window, the arrays drawn from it and the models, as
// they were before an identification.
class IdentificationSnapshot {
public:
    explicit IdentificationSnapshot(const Podatki& store)
        : count_(store.IdentSampleCount), arrays_{store.IdentTime,        store.IdentU,
                                                  store.IdentY1,          store.IdentY2,
                                                  store.MeasuredInner,    store.MeasuredOuter,
                                                  store.ModelOutputInner, store.ModelOutputOuter},
          models_{store.InnerModel, store.OuterModel},
          delays_{store.InnerDelaySamples, store.OuterDelaySamples},
          refinements_{store.InnerRefinement, store.OuterRefinement}
    {
    }
    void Restore(Podatki& store) const
    {
        store.IdentSampleCount = count_;
        Podatki::Signal* targets[] = {&store.IdentTime,        &store.IdentU,
                                      &store.IdentY1,          &store.IdentY2,
                                      &store.MeasuredInner,    &store.MeasuredOuter,
                                      &store.ModelOutputInner, &store.ModelOutputOuter};
        for (std::size_t k = 0; k < arrays_.size(); ++k)
            std::copy(arrays_[k].begin(), arrays_[k].end(), targets[k]->begin());
        std::tie(store.InnerModel, store.OuterModel) = std::tie(models_[0], models_[1]);
        std::tie(store.InnerDelaySamples, store.OuterDelaySamples) =
            std::tie(delays_[0], delays_[1]);
        std::tie(store.InnerRefinement, store.OuterRefinement) =
            std::tie(refinements_[0], refinements_[1]);
    }

private:
    int count_;
    std::array<Podatki::Signal, 8> arrays_;
    std::array<ProcessModel, 2> models_;
    std::array<int, 2> delays_;
    std::array<ModelRefinementState, 2> refinements_;
};

bool IsFinite(const ProcessModel& m)
{
    return std::isfinite(m.Gain) && std::isfinite(m.TimeConstant) && std::isfinite(m.DeadTime) &&
           std::isfinite(m.GainDeviation) && std::isfinite(m.TimeDeviation) &&
           std::isfinite(m.ResidualSTD) && std::isfinite(m.RelativeError);
}

} // namespace

void IdentifyModels(Podatki& store, int start, int end, bool refine)
{
    if (start < 1 || end > store.SampleCount || end < start)
        throw ComputationError("Okno poizkusa (vzorci " + std::to_string(start) + " do " +
                               std::to_string(end) + ") ni znotraj podatkov (" +
                               std::to_string(store.SampleCount) + " vzorcev)");
    const int n = end - start + 1;
    if (n < MinimumIdentificationSamples)
        throw ComputationError("Okno poizkusa ima le " + std::to_string(n) +
                               " vzorcev; za identifikacijo modela so potrebni vsaj " +
                               std::to_string(MinimumIdentificationSamples));

    const double t0 = 0.05 * (Sample(store.Time, end) - Sample(store.Time, start));
    // A failed identification must leave the window, the arrays and the
    // models as they were, so the page never pairs an old model with new
    // curves.
    IdentificationSnapshot before(store);
    TModel model(store);
    try {
        store.IdentSampleCount = n;
        TObdelava(store).RemoveInitialOffsets(start, end);
        model.Identify(n, store.SamplingTime, t0);
        if (!IsFinite(model.Inner) || !IsFinite(model.Outer))
            throw ComputationError("Identifikacija modela ni uspela: vrednosti signalov so "
                                   "prevelike za končen rezultat");
        store.InnerModel = model.Inner;
        store.OuterModel = model.Outer;
        store.InnerDelaySamples = DelaySamples(model.Inner.DeadTime, store.SamplingTime);
        store.OuterDelaySamples = DelaySamples(model.Outer.DeadTime, store.SamplingTime);
        store.InnerRefinement = {};
        store.OuterRefinement = {};
        // The refinement starts from the identified models in the store.
        if (refine)
            UseRefinedModels(store, RefineModels(store));
    } catch (...) {
        before.Restore(store);
        throw;
    }
}
