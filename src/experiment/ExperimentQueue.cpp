#include "experiment/ExperimentQueue.h"

#include <algorithm>
#include <iterator>

int ExperimentQueue::Insert(QueueEntry entry)
{
    // upper_bound: after every entry with the same moment, so equal moments
    // run in the order they were activated.
    const auto at = std::upper_bound(
        entries_.begin(), entries_.end(), entry.StartMs,
        [](std::int64_t start, const QueueEntry& other) { return start < other.StartMs; });
    const auto inserted = entries_.insert(at, std::move(entry));
    return static_cast<int>(std::distance(entries_.begin(), inserted));
}

void ExperimentQueue::RemoveAt(int index)
{
    if (index < 0 || index >= Size())
        return;
    entries_.erase(entries_.begin() + index);
}

bool ExperimentQueue::FrontIsDue(std::int64_t nowMs) const
{
    return !entries_.empty() && entries_.front().StartMs <= nowMs;
}
