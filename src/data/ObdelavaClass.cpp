#include "data/ObdelavaClass.h"

#include "base/Errors.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"

#include <algorithm>
#include <string>

namespace {

int SampleLimit(int n)
{
    return std::clamp(n, 0, Podatki::MaxSamples);
}

} // namespace

const double* TObdelava::RawColumn(int column) const
{
    if (column < 1 || column > Podatki::MaxColumns)
        throw VarkolError("Stolpec " + std::to_string(column) + " ne obstaja (dovoljeni so 1 do " +
                          std::to_string(Podatki::MaxColumns) + ").");
    return store_.Column(column);
}

void TObdelava::LowPass(const double* x, int n, double ts, double tf, double* out)
{
    n = SampleLimit(n);
    if (n == 0)
        return;
    SimulateFOPDT(1, n, x, 1.0, tf, ts, x[0], 0.0, out, store_.SimScratch.data());
}

void TObdelava::ConditionMV(int mvColumn, int n, double ts)
{
    // A filter with no lag: the column delayed by one sample, the same shift
    // that the filter gives the other three signals.
    LowPass(RawColumn(mvColumn), n, ts, 0.0, store_.ProcessedMV.data());
}

void TObdelava::ConditionU(int uColumn, int n, double ts, double tf, double topen, double lo,
                           double hi)
{
    const double* u = RawColumn(uColumn);
    RateLimit(u, store_.LimitedU.data(), SampleLimit(n), hi, lo, topen, ts);
    LowPass(store_.LimitedU.data(), n, ts, tf, store_.ProcessedU.data());
}

void TObdelava::ConditionY1(int y1Column, int n, double ts, double tf)
{
    LowPass(RawColumn(y1Column), n, ts, tf, store_.ProcessedY1.data());
}

void TObdelava::ConditionY2(int y2Column, int n, double ts, double tf)
{
    LowPass(RawColumn(y2Column), n, ts, tf, store_.ProcessedY2.data());
}

void TObdelava::Condition(int mvColumn, int uColumn, int n, double ts, double tf, double topen,
                          double lo, double hi, int y2Column, int y1Column)
{
    // A wrong column fails before any signal changes.
    for (const int column : {mvColumn, uColumn, y1Column, y2Column})
        RawColumn(column);
    ConditionU(uColumn, n, ts, tf, topen, lo, hi);
    ConditionY1(y1Column, n, ts, tf);
    ConditionY2(y2Column, n, ts, tf);
    ConditionMV(mvColumn, n, ts);
}
