#pragma once

// The queue of automatic experiments waiting for their start moment. Entry 0
// is the next due. Entries stay sorted by start moment; entries with equal
// moments keep the order in which they were activated. The start-time memo,
// the label memo and QueueDirs of the experiment page are its view.

#include <cstdint>
#include <string>
#include <vector>

struct QueueEntry {
    std::int64_t StartMs = 0; // the start moment, ms since 1970-01-01 UTC
    std::string StartText;    // as the start-time memo shows it
    std::string Label;        // the stem of the settings file name
    std::string Dir;          // the folder of the settings file

    friend bool operator==(const QueueEntry&, const QueueEntry&) = default;
};

class ExperimentQueue {
public:
    const std::vector<QueueEntry>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }
    int Size() const { return static_cast<int>(entries_.size()); }
    const QueueEntry& Front() const { return entries_.front(); }

    // Inserts before the first entry that starts later; returns its index.
    int Insert(QueueEntry entry);
    // Removes entry `index`; an index outside the queue changes nothing.
    void RemoveAt(int index);
    // Whether entry 0 exists and its start moment is not after `nowMs`.
    bool FrontIsDue(std::int64_t nowMs) const;

private:
    std::vector<QueueEntry> entries_;
};
