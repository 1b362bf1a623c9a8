#include "model/LiteralIdentification.h"

#include "data/GlobalProcedures.h"
#include "data/ObdelavaClass.h"

#include <cmath>
#include <vector>

namespace {

class Literal {
public:
    Literal(const double* u, const double* y, int n, double ts, double* reference)
        : u_(u), y_(y), n_(n), ts_(ts), reference_(reference), x1_(Size()), x1Slope_(Size()),
          z_(Size()), x2_(Size()), model_(Size()), modelSlope_(Size()), filteredModel_(Size()),
          w_(Size())
    {
    }

    // Filt(x, Tf, d) and its slope.
    void Filt(const double* x, double tf, int d, std::vector<double>& out,
              std::vector<double>& slope) const
    {
        SimulateFOPDT(1, n_, x, 1.0, tf, ts_, 0.0, d * ts_, out.data(), slope.data());
    }

    // Model(K, T, d).
    void Model(double k, double t, int d)
    {
        SimulateFOPDT(1, n_, u_, k, t, ts_, 0.0, d * ts_, model_.data(), modelSlope_.data());
    }

    // Fit(Tf, d).
    CandidateFit Fit(double tf, int d)
    {
        Filt(u_, tf, d, x1_, x1Slope_);
        Filt(y_, tf, 0, z_, x2_);
        const Fit2 f = LeastSquares2(x1_.data(), x2_.data(), n_, z_.data());
        CandidateFit c;
        c.DeadTime = d;
        c.Gain = f.Theta1;
        c.TimeConstant = f.Theta2;
        if (c.TimeConstant < 0)
            c.TimeConstant = 0;
        c.GainSigma = f.S1;
        c.TimeSigma = f.S2;
        return c;
    }

    // Err(K, T, d).
    double Err(double k, double t, int d)
    {
        Model(k, t, d);
        return MeanSquareError(reference_, model_.data(), 1, n_);
    }

    // A scan: every dead time 0..n-2, then the best of 0..n-3.
    CandidateFit Scan(double tf, std::vector<CandidateFit>& fits)
    {
        fits.clear();
        std::vector<double> errors;
        for (int d = 0; d <= n_ - 2; ++d) {
            CandidateFit c = Fit(tf, d);
            c.Error = Err(c.Gain, c.TimeConstant, d);
            fits.push_back(c);
            errors.push_back(c.Error);
        }
        double max = 0, min = 0;
        int iMax = 0, iMin = 0;
        MinMaxIndex(errors.data(), max, min, 1, n_ - 2, iMax, iMin);
        CandidateFit best = fits[static_cast<std::size_t>(iMin - 1)];
        best.Error = min;
        return best;
    }

    static std::array<CandidateFit, 3> Table(const std::vector<CandidateFit>& fits, int d)
    {
        const int before = d == 0 ? 0 : d - 1;
        return {fits[static_cast<std::size_t>(before)], fits[static_cast<std::size_t>(d)],
                fits[static_cast<std::size_t>(d + 1)]};
    }

    static int Smallest(const std::array<CandidateFit, 3>& table)
    {
        const double errors[3] = {table[0].Error, table[1].Error, table[2].Error};
        double max = 0, min = 0;
        int iMax = 0, iMin = 0;
        MinMaxIndex(errors, max, min, 1, 3, iMax, iMin);
        return iMin - 1;
    }

    CandidateFit Instruments(CandidateFit c)
    {
        for (int iteration = 1; iteration <= 2; ++iteration) {
            Model(c.Gain, c.TimeConstant, c.DeadTime);
            Filt(model_.data(), c.TimeConstant, 0, filteredModel_, w_);
            Filt(u_, c.TimeConstant, c.DeadTime, x1_, x1Slope_);
            Filt(y_, c.TimeConstant, 0, z_, x2_);
            const Fit2 f = InstrumentalVariables2(x1_.data(), x2_.data(), n_, z_.data(), w_.data());
            c.Gain = f.Theta1;
            c.TimeConstant = f.Theta2;
            if (c.TimeConstant < 0)
                c.TimeConstant = 0;
            c.GainSigma = f.S1;
            c.TimeSigma = f.S2;
        }
        c.Error = Err(c.Gain, c.TimeConstant, c.DeadTime);
        return c;
    }

    const std::vector<double>& ModelOutput() const { return model_; }

private:
    std::size_t Size() const { return static_cast<std::size_t>(n_ > 0 ? n_ : 1); }

    const double* u_;
    const double* y_;
    int n_;
    double ts_;
    const double* reference_;
    std::vector<double> x1_, x1Slope_, z_, x2_, model_, modelSlope_, filteredModel_, w_;
};

} // namespace

ProcessIdentification LiteralIdentifyProcess(const double* u, const double* y, int n, double ts,
                                             double t0, double* reference, double* output)
{
    ProcessIdentification r;
    // Reference = y delayed by one sample (Filt(y, 0, 0)).
    std::vector<double> slope(static_cast<std::size_t>(n));
    SimulateFOPDT(1, n, y, 1.0, 0.0, ts, 0.0, 0.0, reference, slope.data());
    Literal l(u, y, n, ts, reference);

    // First scan, filter constant T0, and its best.
    std::vector<CandidateFit> fits;
    CandidateFit best = l.Scan(t0, fits);
    r.FirstScan = best;
    std::array<CandidateFit, 3> table = Literal::Table(fits, best.DeadTime);

    // Second scan, filter constant T*.
    const CandidateFit second = l.Scan(best.TimeConstant, fits);
    r.SecondScan = second;
    if (second.Error < best.Error) {
        best = second;
        table = Literal::Table(fits, best.DeadTime);
    }

    // Local refit with each candidate's own time constant.
    std::array<CandidateFit, 3> refits;
    for (int i = 0; i < 3; ++i) {
        const CandidateFit& c = table[static_cast<std::size_t>(i)];
        CandidateFit f = l.Fit(c.TimeConstant, c.DeadTime);
        f.Error = l.Err(f.Gain, f.TimeConstant, c.DeadTime);
        refits[static_cast<std::size_t>(i)] = f;
    }
    const int i6 = Literal::Smallest(refits);
    if (refits[static_cast<std::size_t>(i6)].Error < best.Error) {
        best = refits[static_cast<std::size_t>(i6)];
        table = refits;
    }
    r.Candidates = table;

    // Instrumental variables, two iterations per candidate.
    for (int i = 0; i < 3; ++i)
        r.Refined[static_cast<std::size_t>(i)] = l.Instruments(table[static_cast<std::size_t>(i)]);
    const int i7 = Literal::Smallest(r.Refined);
    if (r.Refined[static_cast<std::size_t>(i7)].Error < best.Error)
        best = r.Refined[static_cast<std::size_t>(i7)];
    r.Best = best;

    // Final model.
    l.Model(best.Gain, best.TimeConstant, best.DeadTime);
    for (int i = 0; i < n; ++i)
        output[i] = l.ModelOutput()[static_cast<std::size_t>(i)];
    const double std = std::sqrt(ResidualVariance(output, reference, 1, n));
    const double relative = std::sqrt(SafeDivide(MeanSquareError(reference, output, 1, n),
                                                 PopulationVariance(reference, 1, n), 1));
    r.Model.Gain = best.Gain;
    r.Model.TimeConstant = best.TimeConstant;
    r.Model.DeadTime = best.DeadTime * ts;
    r.Model.ResidualSTD = std;
    r.Model.RelativeError = relative;
    r.Model.GainDeviation = best.GainSigma * std;
    r.Model.TimeDeviation = best.TimeSigma * std;
    return r;
}

void LiteralIdentifyModels(Podatki& store, int start, int end)
{
    const double t0 = 0.05 * (Sample(store.Time, end) - Sample(store.Time, start));
    const int n = end - start + 1;
    store.IdentSampleCount = n;
    TObdelava(store).RemoveInitialOffsets(start, end);
    const double ts = store.SamplingTime;
    store.InnerModel =
        LiteralIdentifyProcess(store.IdentU.data(), store.IdentY1.data(), n, ts, t0,
                               store.MeasuredInner.data(), store.ModelOutputInner.data())
            .Model;
    store.OuterModel =
        LiteralIdentifyProcess(store.IdentY1.data(), store.IdentY2.data(), n, ts, t0,
                               store.MeasuredOuter.data(), store.ModelOutputOuter.data())
            .Model;
    store.InnerDelaySamples =
        RoundHalfEven(SafeDivide(store.InnerModel.DeadTime, ts, store.InnerModel.DeadTime));
    store.OuterDelaySamples =
        RoundHalfEven(SafeDivide(store.OuterModel.DeadTime, ts, store.OuterModel.DeadTime));
}
