#include "data/ProcessingChoosers.h"

#include "data/ObdelavaClass.h"

#include <algorithm>

namespace {

ChooserState Chooser(int minimum, int maximum, int position)
{
    ChooserState c;
    c.Minimum = std::max(minimum, 1);
    c.Maximum = std::max(maximum, c.Minimum);
    c.Position = std::clamp(position, c.Minimum, c.Maximum);
    return c;
}

} // namespace

ColumnChoice DefaultColumns(int signalCount)
{
    const int last = std::max(signalCount, 1);
    ColumnChoice c;
    c.MV = std::min(c.MV, last);
    c.U = std::min(c.U, last);
    c.Y1 = std::min(c.Y1, last);
    c.Y2 = std::min(c.Y2, last);
    return c;
}

void ConditionSignals(Podatki& store, const ColumnChoice& columns,
                      const ConditioningSettings& settings)
{
    TObdelava(store).Condition(columns.MV, columns.U, store.SampleCount, store.SamplingTime,
                               settings.FilterTime, settings.Velocity, settings.Minimum,
                               settings.Maximum, columns.Y2, columns.Y1);
}

WindowChoosers ExperimentWindowChoosers(int sampleCount)
{
    const int startMax = sampleCount > 2 ? sampleCount - 2 : 2;
    const int endMax = sampleCount > 2 ? sampleCount : 2;
    return {Chooser(1, startMax, 1), Chooser(1, endMax, sampleCount)};
}

WindowChoosers LoadedWindowChoosers(int sampleCount, int windowGap, int start, int end)
{
    return {Chooser(1, sampleCount - windowGap, start), Chooser(windowGap, sampleCount, end)};
}

WindowChoosers WindowChoosersAfterStartChange(int sampleCount, int start, int end)
{
    const int last = std::max(sampleCount, 1);
    const int gap = sampleCount <= 10 ? 0 : 10;
    // The moved start keeps its place when the data allow it; the end gives
    // way, so that neither leaves 1..SampleCount.
    start = std::clamp(start, 1, std::max(last - gap, 1));
    end = std::clamp(end, std::min(start + gap, last), last);
    return {Chooser(1, end - gap, start), Chooser(start + gap, last, end)};
}

WindowChoosers WindowChoosersAfterEndChange(int sampleCount, int windowGap, int start, int end)
{
    const int last = std::max(sampleCount, 1);
    const int gap = std::clamp(windowGap, 0, last - 1);
    // The moved end keeps its place when the data allow it; the start gives
    // way.
    end = std::clamp(end, 1 + gap, last);
    start = std::clamp(start, 1, end - gap);
    return {Chooser(1, end - gap, start), Chooser(start + gap, last, end)};
}

ProcessingLayout ExperimentLayout(Podatki& store)
{
    store.WindowGap = Podatki::WindowGapFor(store.SampleCount);
    ProcessingLayout layout;
    layout.Window = ExperimentWindowChoosers(store.SampleCount);
    layout.ColumnMaximum = std::max(store.SignalCount, 1);
    layout.Columns = DefaultColumns(store.SignalCount);
    return layout;
}

ProcessingLayout PrepareExperimentData(Podatki& store, const ConditioningSettings& settings)
{
    const ProcessingLayout layout = ExperimentLayout(store);
    ConditionSignals(store, layout.Columns, settings);
    return layout;
}

ProcessingLayout PrepareLoadedData(Podatki& store, const ConditioningSettings& settings,
                                   int windowStart, int windowEnd)
{
    ProcessingLayout layout;
    layout.Window =
        LoadedWindowChoosers(store.SampleCount, store.WindowGap, windowStart, windowEnd);
    layout.ColumnMaximum = std::max(store.SignalCount, 1);
    layout.Columns = DefaultColumns(store.SignalCount);
    ConditionSignals(store, layout.Columns, settings);
    return layout;
}
