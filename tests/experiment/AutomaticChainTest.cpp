// The queue of automatic experiments (order, file) and the automatic chain
// after a run on the simulation: which files each choice leaves, and what a
// failing step leaves behind.

#include "experiment/AutomaticChain.h"
#include "base/Errors.h"
#include "data/Podatki.h"
#include "experiment/QueueFile.h"
#include "experiment/RunStart.h"
#include "report/ReportPictureExporter.h"
#include "report/ReportPictureNames.h"
#include "support/LocaleScope.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace {

QueueEntry Entry(std::int64_t start, const char* label)
{
    return {start, "t", label, "/d"};
}

std::vector<std::string> Labels(const ExperimentQueue& queue)
{
    std::vector<std::string> labels;
    for (const QueueEntry& entry : queue.Entries())
        labels.push_back(entry.Label);
    return labels;
}

TEST(ExperimentQueue, KeepsStartOrderAndActivationOrderOfEqualStarts)
{
    ExperimentQueue queue;
    queue.Insert(Entry(10'000, "ten"));
    queue.Insert(Entry(9'000, "nine-a"));
    EXPECT_EQ(queue.Insert(Entry(9'000, "nine-b")), 1);
    EXPECT_EQ(Labels(queue), (std::vector<std::string>{"nine-a", "nine-b", "ten"}));
    EXPECT_FALSE(queue.FrontIsDue(8'999));
    EXPECT_TRUE(queue.FrontIsDue(9'000));
    queue.RemoveAt(7); // outside: nothing
    queue.RemoveAt(0);
    EXPECT_EQ(Labels(queue), (std::vector<std::string>{"nine-b", "ten"}));
}

TEST(ExperimentQueue, FileRoundTripAndRefusals)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("sub/queue.json"));
    EXPECT_TRUE(LoadQueue(name).Empty()); // none saved yet

    ExperimentQueue queue;
    queue.Insert({1'765'000'000'000, "8. 12. 26 23:00:00", "noč čš", "/home/ana/poizkusi"});
    queue.Insert(Entry(1'765'000'000'000, "second"));
    SaveQueue(name, queue);
    EXPECT_EQ(LoadQueue(name).Entries(), queue.Entries());

    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"entries":[{"start":"yesterday","label":"x","dir":"/d"}]})");
    file.close();
    try {
        LoadQueue(name);
        FAIL() << "a bad start was read";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("vnos 1"), std::string::npos) << e.what();
    }
}

// Writes each picture asked for as a small file, so that the chain's
// handling of them (kept on failure, removed at the end) shows.
class FilePictures : public ReportPictureExporter {
public:
    QStringList Asked;
    QStringList Signals(Podatki&, int, int, const QString& folder) override
    {
        QStringList written;
        for (ReportPicture picture : AllReportPictures)
            if (picture != ReportPicture::Model && picture != ReportPicture::Responses)
                written << Write(folder, picture);
        Asked << QStringLiteral("signals");
        return written;
    }
    QString Model(const Podatki&, bool, const QString& folder) override
    {
        Asked << QStringLiteral("model");
        return Write(folder, ReportPicture::Model);
    }
    QString Responses(const ResponseSet* responses, const QString& folder) override
    {
        Asked << (responses ? QStringLiteral("responses") : QStringLiteral("no responses"));
        return Write(folder, ReportPicture::Responses);
    }

private:
    static QString Write(const QString& folder, ReportPicture picture)
    {
        const QString name = QDir(folder).filePath(ReportPictureFile(picture));
        // The smallest PNG: one white pixel.
        static const QByteArray png =
            QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8/"
                                   "5+hHgAHggJ/PchI7wAAAABJRU5ErkJggg==");
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
        return name;
    }
};

class AutomaticChain : public testing::Test {
protected:
    AutomaticChain()
    {
        // A step test whose models grade well, at Ts 0.5 s.
        settings.SamplingPeriod = QStringLiteral("0.5");
        settings.WaitTime = QStringLiteral("10");
        settings.StepSize = QStringLiteral("20");
        settings.StepDuration = QStringLiteral("60");
        settings.NumberOfSteps = QStringLiteral("2");
        settings.BothDirections = true;
        settings.InitialInput = QStringLiteral("10");
        settings.AutoSamplingTime = QStringLiteral("0.5");
        settings.AutoTuningMethod = 5;
        settings.AutoControllerForm = 1;
    }

    ChainResult Run()
    {
        inputs.Folder = dir.path();
        inputs.Label = QStringLiteral("noc");
        inputs.Title = QStringLiteral(" Varkol");
        inputs.Settings = settings;
        inputs.AnalysisStart = RunOnSimulation(*store, MakeRunPlan(settings, inputs.Label, true),
                                               MakeSeededUniformGenerator(1));
        return RunAutomaticChain(*store, inputs, pictures);
    }

    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    LocaleScope point{LocaleScope::Point()};
    QTemporaryDir dir;
    std::unique_ptr<Podatki> store = std::make_unique<Podatki>();
    ExperimentSettings settings;
    ChainInputs inputs;
    FilePictures pictures;
};

TEST_F(AutomaticChain, WritesDataModelControllerAndReportAndNoPictures)
{
    const ChainResult result = Run();
    EXPECT_EQ(Files(), (QStringList{"noc.docx", "noc.vkc", "noc.vkd", "noc.vkm"}));
    EXPECT_EQ(pictures.Asked, (QStringList{"signals", "model", "responses"}));
    EXPECT_TRUE(result.Identified);
    EXPECT_TRUE(result.Tuned);
    EXPECT_EQ(result.Report.Sections,
              (QStringList{"OPC Nastavitve", "Obdelava", "Model", "Regulator"}));
    // The analysis window from where the run set it to the end of the record.
    EXPECT_EQ(result.WindowStart, inputs.AnalysisStart);
    EXPECT_EQ(result.WindowEnd, store->SampleCount);
    EXPECT_NEAR(store->InnerModel.Gain, 1, 0.05); // the simulation's process
}

TEST_F(AutomaticChain, WithoutWritesOnlyTheDataAndTheReport)
{
    settings.NoOPCWrite = true;
    const ChainResult result = Run();
    EXPECT_EQ(Files(), (QStringList{"noc.docx", "noc.vkd"}));
    EXPECT_EQ(pictures.Asked, QStringList{"signals"});
    EXPECT_EQ(result.Report.Sections, (QStringList{"OPC Nastavitve", "Obdelava"}));
}

TEST_F(AutomaticChain, ModelSectionOffWritesNoModel)
{
    settings.ReportModel = false;
    Run();
    EXPECT_FALSE(Files().contains(QStringLiteral("noc.vkm")));
    EXPECT_FALSE(pictures.Asked.contains(QStringLiteral("model")));
}

TEST_F(AutomaticChain, AFailingStepKeepsWhatWasWrittenAndNamesTheStep)
{
    settings.ReportTemplate = QStringLiteral("/nowhere/predloga.dotx");
    try {
        Run();
        FAIL() << "the report was written without its template";
    } catch (const ChainFailure& e) {
        EXPECT_EQ(e.Step, QStringLiteral("poročilo"));
        EXPECT_NE(e.Cause.indexOf(QStringLiteral("predloga.dotx")), -1) << e.Cause.toStdString();
        EXPECT_EQ(e.Written.size(), 3);
    }
    const QStringList files = Files();
    for (const char* kept : {"noc.vkd", "noc.vkm", "noc.vkc"})
        EXPECT_TRUE(files.contains(QString::fromLatin1(kept))) << kept;
    EXPECT_FALSE(files.contains(QStringLiteral("noc.docx")));

    EXPECT_TRUE(AppendChainLog(dir.path(), QStringLiteral("noc"), QStringLiteral("prva\nvrstica")));
    EXPECT_TRUE(AppendChainLog(dir.path(), QStringLiteral("noc"), QStringLiteral("druga")));
    QFile log(dir.filePath(QStringLiteral("noc.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the end
    EXPECT_TRUE(lines[0].endsWith("  prva vrstica\r"));
    EXPECT_TRUE(lines[1].endsWith("  druga\r"));
}

} // namespace
