#include "experiment/RecordJournal.h"

#include "base/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

namespace {

JournalHeader Header()
{
    JournalHeader h;
    h.Label = QStringLiteral("Pretok\r\nzanka 1");
    h.SamplingTime = 0.1;
    h.ColumnNames = {QStringLiteral("Ventil [%]"), QStringLiteral("Ventil [%]"),
                     QStringLiteral("Izhod"),      QStringLiteral("Izhod"),
                     QStringLiteral("Pretok"),     QStringLiteral("Nivo čez")};
    h.Start = QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30));
    return h;
}

JournalSample SampleAt(int i)
{
    // Values that need all 17 digits to come back.
    return {0.1 * i, 10 + std::sqrt(2.0) * i, -1.0 / 3 * i, 1e-300 * i, 6.02214076e23 / (i + 1)};
}

void AppendBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

// A journal with `count` samples written and closed.
QString Written(RecordJournal& journal, int count)
{
    journal.Begin(Header());
    for (int i = 0; i < count; ++i)
        journal.Append(SampleAt(i));
    journal.Close();
    return journal.Path();
}

TEST(RecordJournal, EverySampleComesBackExactlyAndATornLastLineIsDropped)
{
    QTemporaryDir dir;
    RecordJournal journal(dir.path());
    const QString path = Written(journal, 12);
    AppendBytes(path, "1.2000000000000002\t11.6"); // the line being written at the crash

    const RecoveredRecord r = ReadJournal(path);
    EXPECT_EQ(r.Header.Label, QStringLiteral("Pretok  zanka 1"));
    EXPECT_EQ(r.Header.SamplingTime, 0.1);
    EXPECT_EQ(r.Header.ColumnNames[5], QStringLiteral("Nivo čez"));
    EXPECT_EQ(r.Header.Start, Header().Start);
    EXPECT_TRUE(r.TornLineDropped);
    ASSERT_EQ(r.Samples, 12);
    ASSERT_EQ(r.Data.SampleCount, 12);
    EXPECT_EQ(r.Data.SignalCount, 6);
    EXPECT_EQ(r.Data.ColumnNames[4], "Pretok");
    for (int i = 0; i < 12; ++i) {
        const JournalSample s = SampleAt(i);
        const auto row = static_cast<std::size_t>(i);
        EXPECT_EQ(r.Data.Time[row], s.Time);
        const double columns[6] = {s.MV, s.MV, s.U, s.U, s.Y1, s.Y2};
        for (std::size_t c = 0; c < 6; ++c)
            EXPECT_EQ(r.Data.Columns[c][row], columns[c]) << "sample " << i << " column " << c;
    }
}

TEST(RecordJournal, AShortRecordIsPaddedAsARunEndsAndADamagedLineEndsTheRecord)
{
    QTemporaryDir dir;
    RecordJournal journal(dir.path());
    const QString path = Written(journal, 3);
    AppendBytes(path, "0.3\t1\t2\r\n0.4\t1\t2\t3\t4\r\n");

    const RecoveredRecord r = ReadJournal(path);
    EXPECT_EQ(r.Samples, 3);
    EXPECT_TRUE(r.TornLineDropped);
    ASSERT_EQ(r.Data.SampleCount, 10);
    for (int i = 3; i < 10; ++i) {
        EXPECT_NEAR(r.Data.Time[static_cast<std::size_t>(i)], 0.1 * i, 1e-12);
        EXPECT_EQ(r.Data.Columns[5][static_cast<std::size_t>(i)], SampleAt(2).Y2);
    }
}

TEST(RecordJournal, RefusesWhatIsNoRecord)
{
    QTemporaryDir dir;
    RecordJournal journal(dir.path());
    journal.Begin(Header());
    journal.Close();
    try {
        ReadJournal(journal.Path()); // a header without a sample
        ADD_FAILURE() << "a journal without samples was read";
    } catch (const FileError& e) {
        EXPECT_NE(
            std::string(e.what()).find(QDir::toNativeSeparators(journal.Path()).toStdString()),
            std::string::npos);
    }
    QFile other(dir.filePath(QStringLiteral("drugo.vkj")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("VARKOL Mesurements\r\nV1.0\r\n");
    other.close();
    EXPECT_THROW(ReadJournal(other.fileName()), FileError);
}

TEST(RecordJournal, OnlyJournalsThatNoProgramWritesAreLeftAndDiscardRemovesOne)
{
    QTemporaryDir dir;
    auto writer = std::make_unique<RecordJournal>(dir.path());
    const QString path = Written(*writer, 2);
    EXPECT_TRUE(LeftJournals(dir.path()).isEmpty()) << "offered while its program runs";

    writer.reset(); // the program that wrote it is gone
    ASSERT_EQ(LeftJournals(dir.path()), QStringList{path});

    RecordJournal recovered(dir.path());
    recovered.Adopt(path);
    EXPECT_TRUE(LeftJournals(dir.path()).isEmpty());
    recovered.Discard();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "the lock stayed";
}

TEST(RecordJournal, ASampleReachesTheDiskWithinTheFlushInterval)
{
    QTemporaryDir dir;
    RecordJournal journal(dir.path());
    journal.Begin(Header());
    const qint64 headerSize = QFileInfo(journal.Path()).size();
    journal.Append(SampleAt(1));
    EXPECT_EQ(QFileInfo(journal.Path()).size(), headerSize) << "written at once";

    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(journal.Path()).size() == headerSize && waited.elapsed() < 10 * JournalFlushMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GT(QFileInfo(journal.Path()).size(), headerSize);
}

TEST(RecordJournal, AFolderThatCannotBeMadeNamesTheCauseAndTheRunGoesOn)
{
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("datoteka"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    RecordJournal journal(blocked + QStringLiteral("/recovery"));
    EXPECT_THROW(journal.Begin(Header()), FileError);
    EXPECT_TRUE(journal.Error().contains(QStringLiteral("recovery")));
    EXPECT_FALSE(journal.Writing());
    journal.Append(SampleAt(0)); // nothing to write to, nothing thrown
    journal.Discard();
}

} // namespace
