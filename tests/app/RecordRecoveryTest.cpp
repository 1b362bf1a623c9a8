// The crash drill: the workstation recording (JournalDrill.cpp) is killed
// mid-run, and the next start recovers its record from the journal.

#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "experiment/RecordJournal.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <gtest/gtest.h>

namespace {

// The complete sample lines of a journal's bytes: time, MV, U, Y1, Y2.
std::vector<std::array<double, 5>> CompleteSamples(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // not ended: torn
    std::vector<std::array<double, 5>> samples;
    for (qsizetype i = 11; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].trimmed().split('\t');
        std::array<double, 5> values{};
        for (std::size_t f = 0; f < 5; ++f)
            values[f] = fields.value(static_cast<qsizetype>(f)).toDouble();
        samples.push_back(values);
    }
    return samples;
}

class RecordRecovery : public testing::Test {
protected:
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    QTemporaryDir home;
    QString folder = home.filePath(QStringLiteral("Varkol/recovery"));
};

TEST_F(RecordRecovery, ARunKilledMidRunIsRecoveredUpToItsLastFlush)
{
    QProcess drill;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    drill.setProcessEnvironment(environment);
    drill.start(QStringLiteral(VARKOL_JOURNAL_DRILL), {});
    ASSERT_TRUE(drill.waitForStarted());

    // Mid-run: once the journal on the disk holds 60 samples (3 s of the run).
    QString path;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 120000) {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.vkj")}, QDir::Files);
        if (!files.isEmpty()) {
            path = QDir(folder).filePath(files.first());
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && file.readAll().count('\n') >= 11 + 60)
                break;
        }
        QTest::qWait(50);
    }
    ::kill(static_cast<pid_t>(drill.processId()), SIGKILL);
    drill.waitForFinished();
    ASSERT_FALSE(path.isEmpty()) << "the run wrote no journal";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<std::array<double, 5>> onDisk = CompleteSamples(file.readAll());
    file.close();
    ASSERT_GE(onDisk.size(), 60u);

    dialogs.AskAnswers = {true};
    windows.Form1->OfferRecordRecovery(folder);
    ASSERT_EQ(dialogs.Questions.size(), 1);
    EXPECT_TRUE(dialogs.Questions[0].startsWith(
        QStringLiteral("Najden je nedokončan zapis eksperimenta \"vaja\"")));
    EXPECT_TRUE(dialogs.Questions[0].endsWith(QStringLiteral("Ga obnovim?")));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(u'\n').toStdString();

    // Every sample the journal held, as the run recorded it.
    ASSERT_EQ(store.SampleCount, static_cast<int>(onDisk.size()));
    EXPECT_EQ(store.SamplingTime, 0.05);
    EXPECT_EQ(store.SignalCount, 6);
    for (std::size_t i = 0; i < onDisk.size(); ++i) {
        EXPECT_EQ(store.Time[i], onDisk[i][0]) << "sample " << i;
        EXPECT_NEAR(store.Time[i], 0.05 * static_cast<double>(i), 1e-9);
        EXPECT_EQ(store.Column(1)[i], 20.0);
        EXPECT_EQ(store.Column(3)[i], onDisk[i][2]);
        EXPECT_EQ(store.Column(5)[i], onDisk[i][3]);
        EXPECT_EQ(store.Column(6)[i], onDisk[i][4]);
    }
    // On the processing page like a finished run, until it is saved.
    auto* pages = windows.Form1->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_EQ(windows.Form1->findChild<QLabel*>(QStringLiteral("Label_Ns"))->text(),
              QString::number(onDisk.size()));
    EXPECT_TRUE(QFile::exists(path)) << "the journal went before the record was saved";

    dialogs.FileAnswers = {home.filePath(QStringLiteral("obnovljen.vkd"))};
    windows.Form1->findChild<QPushButton*>(QStringLiteral("Button4"))->click();
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("obnovljen.vkd"))));
    EXPECT_FALSE(QFile::exists(path)) << "the journal of a saved record stayed";
    EXPECT_TRUE(LeftJournals(folder).isEmpty());
}

TEST_F(RecordRecovery, ARecordNotWantedIsGivenUpAndAnUnreadableOneKeptAside)
{
    QString wanted;
    {
        RecordJournal journal(folder); // of a program that has ended
        JournalHeader header;
        header.SamplingTime = 1;
        header.Start = QDateTime::currentDateTime();
        journal.Begin(header);
        journal.Append({0, 1, 2, 3, 4});
        journal.Close();
        wanted = journal.Path();
    }
    QFile broken(QDir(folder).filePath(QStringLiteral("zapis-0.vkj")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("VARKOL Journal\r\nV1.0\r\n");
    broken.close();
    store.SampleCount = 0;

    dialogs.AskAnswers = {false};
    windows.Form1->OfferRecordRecovery(folder);
    EXPECT_EQ(dialogs.Questions.size(), 1);
    EXPECT_EQ(store.SampleCount, 0);
    EXPECT_FALSE(QFile::exists(wanted));
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains(QStringLiteral("zapis-0.vkj")));
    EXPECT_TRUE(QFile::exists(broken.fileName() + QStringLiteral(".neberljiv")));
    EXPECT_TRUE(LeftJournals(folder).isEmpty());
}

} // namespace
