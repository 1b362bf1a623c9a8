// Saving where nothing can be written: a read-only folder and a full disk
// (a file-size limit), for every writer of the program's files. The previous
// file stays as it was, no temporary file is left behind, and the message
// names the file and the cause.

#include "base/Errors.h"
#include "data/DataFile.h"
#include "data/Podatki.h"
#include "experiment/ExperimentQueue.h"
#include "experiment/QueueFile.h"
#include "experiment/RecordJournal.h"
#include "experiment/SettingsFile.h"
#include "model/ModelFile.h"
#include "report/WordDocument.h"
#include "tuning/ControllerFile.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Previous = QByteArrayLiteral("prejšnja vsebina\r\n");

struct Writer {
    const char* Name;
    std::function<void(const QString&)> Save;
};

std::vector<Writer> Writers()
{
    static const auto store = [] {
        auto s = std::make_shared<Podatki>();
        s->SampleCount = 12;
        s->SignalCount = 6;
        s->SamplingTime = 0.5;
        for (int i = 0; i < 12; ++i)
            s->Time[static_cast<std::size_t>(i)] = 0.5 * i;
        return s;
    }();
    return {
        {"meritve.vkd",
         [](const QString& f) {
             SaveMeasurements(*store, f, QStringLiteral("8. 12. 2026"), QStringLiteral("10:00:00"),
                              0.5, 12, 1, 12, ConditioningSettings{}, ColumnChoice{},
                              FieldNames(*store, ColumnChoice{}));
         }},
        {"model.vkm", [](const QString& f) { SaveModel(f, *store); }},
        {"regulator.vkc", [](const QString& f) { SaveController(f, ControllerSettings{}); }},
        {"nastavitve.vkx",
         [](const QString& f) { WriteExperimentSettings(f, ExperimentSettings{}); }},
        {"porocilo.docx",
         [](const QString& f) {
             auto document = WordDocument::Add(QString());
             document->Selection().TypeText(QStringLiteral("Poročilo"));
             document->SaveAs(f);
         }},
        {"vrsta.json", [](const QString& f) { SaveQueue(f, ExperimentQueue{}); }},
    };
}

// Saving into `folder` fails for every writer, with the previous file of
// each kept and nothing else left there.
void ExpectEveryWriterFails(const QString& folder)
{
    for (const Writer& writer : Writers()) {
        const QString file = QDir(folder).filePath(QString::fromLatin1(writer.Name));
        std::string message = "no failure";
        try {
            writer.Save(file);
        } catch (const VarkolError& e) {
            message = e.what();
        }
        EXPECT_NE(message.find(QDir::toNativeSeparators(file).toStdString()), std::string::npos)
            << writer.Name << ": " << message;
        // The cause as the system tells it, after the file's name.
        EXPECT_GT(message.size(), QDir::toNativeSeparators(file).size() + 30)
            << writer.Name << ": " << message;
        QFile previous(file);
        ASSERT_TRUE(previous.open(QIODevice::ReadOnly)) << writer.Name;
        EXPECT_EQ(previous.readAll(), Previous) << writer.Name;
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
              static_cast<qsizetype>(Writers().size()))
        << "left behind: "
        << QDir(folder).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
}

void WritePrevious(const QString& folder)
{
    for (const Writer& writer : Writers()) {
        QFile file(QDir(folder).filePath(QString::fromLatin1(writer.Name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Previous);
    }
}

bool Writable(const QString& folder)
{
    QFile probe(QDir(folder).filePath(QStringLiteral(".proba")));
    const bool writable = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return writable;
}

// Files of at most `bytes` bytes while it lives; a longer write fails with
// EFBIG instead of ending the program (SIGXFSZ ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit previous_{};
    void (*signal_)(int) = nullptr;
};

TEST(UnwritableSave, AReadOnlyFolderKeepsThePreviousFiles)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("samo-za-branje"));
    ASSERT_TRUE(QDir().mkdir(folder));
    // Permissions do not stop the superuser: a read-only file system does.
    const bool mounted = geteuid() == 0 && mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs",
                                                 0, "size=1m") == 0;
    WritePrevious(folder);
    if (mounted)
        mount(nullptr, folder.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    else
        chmod(folder.toLocal8Bit().constData(), 0555);
    const auto restore = qScopeGuard([&] {
        if (mounted)
            umount2(folder.toLocal8Bit().constData(), MNT_DETACH);
        else
            chmod(folder.toLocal8Bit().constData(), 0755);
    });
    if (Writable(folder))
        GTEST_SKIP() << "no read-only folder can be made here";
    ExpectEveryWriterFails(folder);
}

TEST(UnwritableSave, AFullDiskKeepsThePreviousFilesAndTheJournalSaysWhy)
{
    QTemporaryDir dir;
    WritePrevious(dir.path());
    RecordJournal journal(dir.filePath(QStringLiteral("recovery")));
    {
        const FileSizeLimit limit(16);
        ExpectEveryWriterFails(dir.path());

        JournalHeader header;
        header.Label = QStringLiteral("Dolga oznaka poizkusa, ki sama presega mejo velikosti");
        EXPECT_THROW(journal.Begin(header), FileError);
    }
    EXPECT_TRUE(journal.Error().contains(QStringLiteral("recovery")))
        << journal.Error().toStdString();
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("recovery"))).entryList(QDir::Files).isEmpty());
}

} // namespace
