#include "data/MeasurementSet.h"

#include <algorithm>

MeasurementSet::MeasurementSet(int sampleCount, int signalCount)
    : SampleCount(sampleCount), SignalCount(signalCount),
      Time(static_cast<std::size_t>(sampleCount), 0.0),
      Columns(static_cast<std::size_t>(signalCount),
              std::vector<double>(static_cast<std::size_t>(sampleCount), 0.0))
{
}

void StoreMeasurements(Podatki& store, const MeasurementSet& set)
{
    const auto n = static_cast<std::size_t>(std::clamp(set.SampleCount, 0, Podatki::MaxSamples));
    const auto fill = [n](Podatki::Signal& target, const std::vector<double>& source) {
        const std::size_t copied = std::min(n, source.size());
        std::copy_n(source.begin(), copied, target.begin());
        std::fill(target.begin() + static_cast<std::ptrdiff_t>(copied), target.end(), 0.0);
    };
    fill(store.Time, set.Time);
    for (std::size_t k = 0; k < store.RawColumns.size(); ++k) {
        if (k < set.Columns.size())
            fill(store.RawColumns[k], set.Columns[k]);
        else
            std::fill(store.RawColumns[k].begin(), store.RawColumns[k].end(), 0.0);
        store.ColumnNames[k] = k < set.ColumnNames.size() ? set.ColumnNames[k] : std::string();
    }
    store.SampleCount = static_cast<int>(n);
    store.SamplingTime = set.SamplingTime;
    store.SignalCount = std::clamp(set.SignalCount, 0, Podatki::MaxColumns);
    store.WindowGap = Podatki::WindowGapFor(store.SampleCount);
}
