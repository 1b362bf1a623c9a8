// The installed file types recognise the files the program writes: by
// their first line where the format has one, by the extension always.
// Runs with XDG_DATA_DIRS pointing at an installed tree (see CMakeLists.txt).

#include "data/DataFile.h"
#include "data/Podatki.h"
#include "experiment/SettingsFile.h"
#include "model/ModelFile.h"
#include "tuning/ControllerFile.h"

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct WrittenFile {
    QString Name;
    const char* Type;
    bool ByContent; // the first line tells the type
};

TEST(InstalledMimeTypes, TellTheProgramsFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto store = std::make_unique<Podatki>();
    store->SamplingTime = 1;
    store->SampleCount = 2;
    store->Time[0] = 0;
    store->Time[1] = 1;

    const WrittenFile files[] = {
        {dir.filePath("m.vkd"), "application/x-varkol-measurements", true},
        {dir.filePath("m.vkm"), "application/x-varkol-model", true},
        {dir.filePath("m.vkc"), "application/x-varkol-controller", true},
        {dir.filePath("m.vkx"), "application/x-varkol-experiment", false},
    };
    SaveMeasurements(*store, files[0].Name, QStringLiteral("1. 2. 2026"),
                     QStringLiteral("10:00:00"), 1, 2, 1, 2, {}, {}, FieldNames(*store, {}));
    SaveModel(files[1].Name, *store);
    SaveController(files[2].Name, ControllerSettings{});
    WriteExperimentSettings(files[3].Name, ExperimentSettings{});

    const QMimeDatabase db;
    for (const WrittenFile& file : files) {
        EXPECT_EQ(db.mimeTypeForFile(file.Name, QMimeDatabase::MatchExtension).name(),
                  QLatin1String(file.Type));
        EXPECT_TRUE(db.mimeTypeForFile(file.Name).inherits(QStringLiteral("text/plain")))
            << file.Type;
        if (!file.ByContent)
            continue;
        // The same content under a name that says nothing.
        const QString renamed = file.Name + QStringLiteral(".bin");
        ASSERT_TRUE(QFile::copy(file.Name, renamed));
        EXPECT_EQ(db.mimeTypeForFile(renamed, QMimeDatabase::MatchContent).name(),
                  QLatin1String(file.Type));
    }
}

} // namespace
