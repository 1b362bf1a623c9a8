#pragma once

// The journal of a recording. A plant step test can take hours and cannot
// always be repeated, while the record lives in memory until it is saved:
// so from its first sample a run appends every sample to a journal file in
// the user's data folder (AppDataLocation/recovery), its header first, and
// writes it through to the disk at least once every JournalFlushMs. The
// journal is removed when the record is saved or discarded; one left behind
// by a crash or a power cut is found at the next start and its record can be
// recovered, up to its last complete line.
//
// The file, lines ended by CR LF, numbers with "." and 17 significant
// digits (so that every value comes back exactly):
//   1 "VARKOL Journal", 2 "V1.0", 3 the experiment's label, 4 the start
//   date and time (ISO 8601, local time), 5 the sampling time [s],
//   6-11 the names of columns 1 to 6 (MV, MV, U, U, Y1, Y2),
//   12.. one line per sample: time, MV, U, Y1, Y2, separated by TAB.
// While a program writes a journal it holds "<journal>.lock" (QLockFile), so
// that a second instance of the program never offers a journal that is
// still being written.

#include "data/MeasurementSet.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>

// The longest time a recorded sample waits in memory before it is written
// through to the disk [ms].
inline constexpr int JournalFlushMs = 1000;

struct JournalHeader {
    QString Label;
    double SamplingTime = 1;            // [s]
    std::array<QString, 6> ColumnNames; // columns 1 to 6
    QDateTime Start;
};

struct JournalSample {
    double Time = 0;
    double MV = 0;
    double U = 0;
    double Y1 = 0;
    double Y2 = 0;
};

class RecordJournal {
public:
    // Journals are written to `folder` (created when needed).
    explicit RecordJournal(QString folder = DefaultFolder());
    ~RecordJournal();
    RecordJournal(const RecordJournal&) = delete;
    RecordJournal& operator=(const RecordJournal&) = delete;

    // AppDataLocation/recovery, unless a test program chose its own folder
    // (SetDefaultFolder) to keep its journals apart from the user's.
    static QString DefaultFolder();
    static void SetDefaultFolder(const QString& folder);
    const QString& Folder() const { return folder_; }

    // Starts the journal of a new record: the journal of the previous record
    // is discarded, a new file is created with the header and written
    // through. Throws FileError naming the file and the cause when it cannot
    // be created; the journal is then off until the next Begin.
    void Begin(const JournalHeader& header);
    // Adds one sample; it reaches the disk within JournalFlushMs. A write
    // that fails turns the journal off and leaves the cause in Error().
    void Append(const JournalSample& sample);
    // Writes what is pending through to the disk now.
    void Flush();
    // The run has ended: everything is written and the file closed; it stays
    // until the record is saved or discarded.
    void Close();
    // The record was saved or discarded: the file goes.
    void Discard();
    // A recovered journal becomes the journal of the store's record again,
    // to be discarded when that record is saved or discarded.
    void Adopt(const QString& path);

    bool Writing() const { return file_.isOpen(); }
    const QString& Path() const { return path_; }
    // Why the journal stopped writing, empty while it works.
    const QString& Error() const { return error_; }
    int SamplesWritten() const { return written_; }

private:
    void Fail(const QString& cause);
    bool Lock(const QString& path);

    QString folder_;
    QString path_;
    QFile file_;
    std::unique_ptr<QLockFile> lock_;
    QByteArray pending_;
    QTimer flushTimer_;
    QString error_;
    int written_ = 0;
};

// The journals in `folder` that no running program is writing: left behind
// by a crash or a power cut, oldest first.
QStringList LeftJournals(const QString& folder = RecordJournal::DefaultFolder());

struct RecoveredRecord {
    JournalHeader Header;
    MeasurementSet Data{0, 0}; // columns 1 to 6, padded to 10 samples as a run's end pads
    int Samples = 0;           // samples the journal held
    bool TornLineDropped = false;
};

// Reads a journal: the header and every complete sample line; a last line
// that was not completed (the moment of the crash) is dropped, and so is
// everything from a damaged line on. Throws FileError naming the file when
// it is not a journal, its header is incomplete or it holds no sample.
RecoveredRecord ReadJournal(const QString& path);
