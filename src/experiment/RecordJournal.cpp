#include "experiment/RecordJournal.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray JournalKey = QByteArrayLiteral("VARKOL Journal");
const QByteArray JournalVersion = QByteArrayLiteral("V1.0");
constexpr int HeaderLines = 11;
constexpr int SampleFields = 5;
constexpr int PaddedSamples = 10; // a run's record has at least 10 samples
constexpr qint64 LargestJournal = 64LL * 1024 * 1024;
const QString JournalSuffix = QStringLiteral("vkj");

QByteArray Number(double value)
{
    return QByteArray::fromStdString(FormatGeneralC(value, 17));
}

// A text on one line of its own.
QByteArray OneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text.toUtf8();
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void FailRead(const QString& path, const QString& what)
{
    throw FileError(QStringLiteral("%1: %2").arg(Native(path), what).toStdString());
}

// Writes the bytes through to the disk, so that they survive a power cut and
// not only the end of the program.
bool WriteThrough(QFile& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return true;
#endif
}

} // namespace

RecordJournal::RecordJournal(QString folder) : folder_(std::move(folder))
{
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(JournalFlushMs);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { Flush(); });
}

RecordJournal::~RecordJournal()
{
    // The end of the program without a saved or discarded record (a crash
    // never gets here): what was recorded stays for the next start.
    if (file_.isOpen())
        Close();
}

namespace {

QString& ChosenDefaultFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QString RecordJournal::DefaultFolder()
{
    if (!ChosenDefaultFolder().isEmpty())
        return ChosenDefaultFolder();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

void RecordJournal::SetDefaultFolder(const QString& folder)
{
    ChosenDefaultFolder() = folder;
}

bool RecordJournal::Lock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // stale only when its program has gone
    if (!lock->tryLock(0))
        return false;
    lock_ = std::move(lock);
    return true;
}

void RecordJournal::Begin(const JournalHeader& header)
{
    Discard();
    error_.clear();
    if (!QDir().mkpath(folder_))
        Fail(QStringLiteral("mape %1 ni mogoče ustvariti").arg(Native(folder_)));
    // One file per record: the start and the program's process keep the
    // journals of two programs apart.
    const QString base = QStringLiteral("zapis-%1-%2")
                             .arg(header.Start.toString(QStringLiteral("yyyyMMdd-HHmmss")))
                             .arg(QCoreApplication::applicationPid());
    QString path = QDir(folder_).filePath(base + u'.' + JournalSuffix);
    for (int k = 2; QFileInfo::exists(path); ++k)
        path =
            QDir(folder_).filePath(QStringLiteral("%1-%2.%3").arg(base).arg(k).arg(JournalSuffix));
    if (!Lock(path))
        Fail(QStringLiteral("%1: zapisa ni mogoče zakleniti").arg(Native(path)));
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QString cause = file_.errorString();
        lock_.reset();
        Fail(QStringLiteral("%1: %2").arg(Native(path), cause));
    }
    path_ = path;
    written_ = 0;

    QByteArray text;
    text += JournalKey + "\r\n" + JournalVersion + "\r\n";
    text += OneLine(header.Label) + "\r\n";
    text += header.Start.toString(Qt::ISODate).toUtf8() + "\r\n";
    text += Number(header.SamplingTime) + "\r\n";
    for (const QString& name : header.ColumnNames)
        text += OneLine(name) + "\r\n";
    pending_ = text;
    Flush();
    if (!error_.isEmpty()) {
        // A journal without its header could not be read back: none is left.
        const QString cause = error_;
        Discard();
        error_ = cause;
        throw FileError(cause.toStdString());
    }
}

void RecordJournal::Append(const JournalSample& sample)
{
    if (!file_.isOpen())
        return;
    const double values[SampleFields] = {sample.Time, sample.MV, sample.U, sample.Y1, sample.Y2};
    for (int f = 0; f < SampleFields; ++f) {
        if (f > 0)
            pending_ += '\t';
        pending_ += Number(values[f]);
    }
    pending_ += "\r\n";
    ++written_;
    if (!flushTimer_.isActive())
        flushTimer_.start();
}

void RecordJournal::Flush()
{
    flushTimer_.stop();
    if (!file_.isOpen() || pending_.isEmpty())
        return;
    if (file_.write(pending_) != pending_.size() || !WriteThrough(file_)) {
        error_ = QStringLiteral("%1: %2").arg(Native(path_), file_.errorString());
        file_.close();
        pending_.clear();
        return;
    }
    pending_.clear();
}

void RecordJournal::Close()
{
    Flush();
    file_.close();
}

void RecordJournal::Discard()
{
    flushTimer_.stop();
    pending_.clear();
    file_.close();
    if (!path_.isEmpty())
        QFile::remove(path_);
    path_.clear();
    lock_.reset(); // removes the lock file
    written_ = 0;
}

void RecordJournal::Adopt(const QString& path)
{
    Discard();
    if (Lock(path))
        path_ = path;
}

void RecordJournal::Fail(const QString& cause)
{
    error_ = cause;
    throw FileError(cause.toStdString());
}

QStringList LeftJournals(const QString& folder)
{
    QStringList left;
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.") + JournalSuffix},
                                                  QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& info : files) {
        QLockFile lock(info.filePath() + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (lock.tryLock(0)) // nobody is writing it; the lock goes with `lock`
            left << info.filePath();
    }
    return left;
}

RecoveredRecord ReadJournal(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        FailRead(path, file.errorString());
    if (file.size() > LargestJournal)
        FailRead(path, QStringLiteral("datoteka je prevelika za zapis eksperimenta"));
    const QByteArray bytes = file.readAll();

    // Complete lines only: what follows the last line end was being written
    // when the program stopped.
    QList<QByteArray> lines = bytes.split('\n');
    const bool torn = !lines.constLast().isEmpty();
    lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);

    if (lines.size() < HeaderLines || lines[0] != JournalKey)
        FailRead(path, QStringLiteral("ni zapis eksperimenta ali nima cele glave"));
    RecoveredRecord record;
    JournalHeader& h = record.Header;
    h.Label = QString::fromUtf8(lines[2]);
    h.Start = QDateTime::fromString(QString::fromUtf8(lines[3]), Qt::ISODate);
    const std::optional<double> ts = ParseSampleField(QString::fromLatin1(lines[4]));
    if (!ts || !(*ts > 0))
        FailRead(path, QStringLiteral("vrstica 5: čas vzorčenja ni pozitivno število"));
    h.SamplingTime = *ts;
    for (int k = 0; k < 6; ++k)
        h.ColumnNames[static_cast<std::size_t>(k)] = QString::fromUtf8(lines[5 + k]);

    std::vector<std::array<double, SampleFields>> samples;
    const int available = static_cast<int>(lines.size()) - HeaderLines;
    samples.reserve(static_cast<std::size_t>(std::clamp(available, 0, Podatki::MaxSamples)));
    bool damaged = false;
    for (int i = HeaderLines; i < lines.size() && !damaged; ++i) {
        if (static_cast<int>(samples.size()) == Podatki::MaxSamples)
            break;
        const QList<QByteArray> fields = lines[i].split('\t');
        std::array<double, SampleFields> values{};
        damaged = fields.size() != SampleFields;
        for (int f = 0; f < SampleFields && !damaged; ++f) {
            const std::optional<double> v = ParseSampleField(QString::fromLatin1(fields[f]));
            damaged = !v;
            values[static_cast<std::size_t>(f)] = v.value_or(0.0);
        }
        if (!damaged)
            samples.push_back(values);
    }
    if (samples.empty())
        FailRead(path, QStringLiteral("zapis nima nobenega celega vzorca"));
    record.Samples = static_cast<int>(samples.size());
    record.TornLineDropped = torn || damaged;

    // Padded to 10 samples as the end of a short run pads its record.
    const int n = std::max(record.Samples, PaddedSamples);
    MeasurementSet data(n, 6);
    data.SamplingTime = h.SamplingTime;
    for (int r = 0; r < n; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const auto& s = samples[std::min(row, samples.size() - 1)];
        data.Time[row] =
            r < record.Samples ? s[0] : s[0] + (r - record.Samples + 1) * h.SamplingTime;
        const double columns[6] = {s[1], s[1], s[2], s[2], s[3], s[4]};
        for (std::size_t c = 0; c < 6; ++c)
            data.Columns[c][row] = columns[c];
    }
    for (const QString& name : h.ColumnNames)
        data.ColumnNames.push_back(name.toStdString());
    record.Data = std::move(data);
    return record;
}
