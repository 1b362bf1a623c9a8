#pragma once

// The queue of automatic experiments kept on disk, so that a night's queue
// survives a restart of the program: a small JSON file in the user's
// configuration folder, rewritten in one go on every change.
//
//   {"entries": [{"start": "2026-12-08T22:00:00.000Z", "start_text": "8. 12. 26 23:00:00",
//                 "label": "noc1", "dir": "/home/ana/poizkusi"}, ...]}

#include "experiment/ExperimentQueue.h"

#include <QString>

// Where the program keeps its queue (QStandardPaths::AppConfigLocation).
QString DefaultQueueFileName();

// Writes the queue through a QSaveFile. Throws FileError naming the file.
void SaveQueue(const QString& fileName, const ExperimentQueue& queue);

// Reads a saved queue; a missing file is an empty queue. Throws FileError
// naming the file for one that cannot be read or is not a queue; nothing is
// returned then. The entries are sorted again by start (a file edited by
// hand may be out of order).
ExperimentQueue LoadQueue(const QString& fileName);
