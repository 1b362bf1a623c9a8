#include "base/NumberText.h"
#include "cli/CliRun.h"
#include "data/DataFile.h"
#include "data/ObdelavaClass.h"
#include "data/Podatki.h"
#include "data/SignalStatistics.h"

#include "support/ExpectClose.h"
#include "support/LocaleScope.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

class DataCommandsTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<Podatki> store = std::make_unique<Podatki>();
    QString vkd = dir.filePath(QStringLiteral("step.vkd"));

    void SetUp() override
    {
        // U steps from 20 to 120 at sample 11; Y1 follows with a lag.
        const LocaleScope scope(LocaleScope::Point());
        store->SampleCount = 60;
        store->SignalCount = 6;
        store->SamplingTime = 0.5;
        for (int i = 1; i <= 60; ++i) {
            Sample(store->Time, i) = 0.5 * (i - 1);
            const double u = i > 10 ? 120 : 20;
            const double values[] = {
                u, u, u, u, i > 10 ? 3 - 2 * std::exp(-(i - 10) / 8.0) : 1, 0.1 * i};
            for (int k = 1; k <= 6; ++k)
                store->Column(k)[i - 1] = values[k - 1];
        }
        const char* names[] = {"MV", "MV", "U", "U", "TIC 1", "TIC 2"};
        for (int k = 0; k < 6; ++k)
            store->ColumnNames[static_cast<std::size_t>(k)] = names[k];
        SaveMeasurements(*store, vkd, "2.3.2024", "9:10:11", 0.5, 60, 4, 55, {1.5, 100, 0, 20}, {},
                         FieldNames(*store, {}));
    }
};

} // namespace

TEST_F(DataCommandsTest, ConditionReportsTheFileAndTheStatisticsOfItsWindow)
{
    const CliResult r = RunCli({QStringLiteral("condition"), vkd, QStringLiteral("--signals")},
                               QStringLiteral("sl_SI.UTF-8"));
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    const QJsonObject& j = r.Json;
    EXPECT_EQ(j[QStringLiteral("sampling_time")].toDouble(), 0.5);
    EXPECT_EQ(j[QStringLiteral("sample_count")].toInt(), 60);
    EXPECT_EQ(j[QStringLiteral("signal_count")].toInt(), 6);
    EXPECT_EQ(j[QStringLiteral("column_names")].toArray().at(4).toString(),
              QStringLiteral("TIC 1"));
    EXPECT_EQ(j[QStringLiteral("date")].toString(), QStringLiteral("2.3.2024"));
    EXPECT_EQ(j[QStringLiteral("time")].toString(), QStringLiteral("9:10:11"));
    EXPECT_EQ(j[QStringLiteral("window")].toObject()[QStringLiteral("start")].toInt(), 4);
    EXPECT_EQ(j[QStringLiteral("window")].toObject()[QStringLiteral("end")].toInt(), 55);
    const QJsonObject settings = j[QStringLiteral("settings")].toObject();
    EXPECT_EQ(settings[QStringLiteral("filter")].toDouble(), 1.5);
    EXPECT_EQ(settings[QStringLiteral("umax")].toDouble(), 100);
    EXPECT_EQ(settings[QStringLiteral("umin")].toDouble(), 0);
    EXPECT_EQ(settings[QStringLiteral("topen")].toDouble(), 20);

    // The same conditioning done here on the file's samples.
    LoadMeasurements(*store, vkd);
    TObdelava(*store).Condition(1, 3, 60, 0.5, 1.5, 20, 0, 100, 6, 5);
    const QJsonObject stats = j[QStringLiteral("stats")].toObject();
    const struct {
        const char* Name;
        const Podatki::Signal& Values;
    } expected[] = {{"MV", store->ProcessedMV},
                    {"U", store->ProcessedU},
                    {"Y1", store->ProcessedY1},
                    {"Y2", store->ProcessedY2}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.Name);
        const SignalStatistics s = ComputeSignalStatistics(e.Values.data(), 4, 55);
        const QJsonObject o = stats[QString::fromLatin1(e.Name)].toObject();
        ExpectClose(o[QStringLiteral("max")].toDouble(), s.Max, 1e-12);
        ExpectClose(o[QStringLiteral("min")].toDouble(), s.Min, 1e-12);
        ExpectClose(o[QStringLiteral("std")].toDouble(), s.Std, 1e-12);
        EXPECT_EQ(o[QStringLiteral("max_text")].toString().toStdString(), FormatGeneralC(s.Max, 8));
        EXPECT_EQ(o[QStringLiteral("std_text")].toString().toStdString(), FormatGeneralC(s.Std, 8));
        const QJsonArray values =
            j[QStringLiteral("signals")].toObject()[QString::fromLatin1(e.Name)].toArray();
        ASSERT_EQ(values.size(), 52);
        ExpectClose(values.at(0).toDouble(), Sample(e.Values, 4), 1e-12);
    }
    EXPECT_EQ(
        j[QStringLiteral("signals")].toObject()[QStringLiteral("time")].toArray().at(0).toDouble(),
        1.5);
}

TEST_F(DataCommandsTest, ConditionOptionsOverrideTheFile)
{
    const CliResult r =
        RunCli({QStringLiteral("condition"), vkd, QStringLiteral("--u"), QStringLiteral("2"),
                QStringLiteral("--filter"), QStringLiteral("0"), QStringLiteral("--umax"),
                QStringLiteral("50"), QStringLiteral("--umin"), QStringLiteral("30"),
                QStringLiteral("--topen"), QStringLiteral("0"), QStringLiteral("--start"),
                QStringLiteral("1"), QStringLiteral("--end"), QStringLiteral("60")});
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    const QJsonObject u =
        r.Json[QStringLiteral("stats")].toObject()[QStringLiteral("U")].toObject();
    EXPECT_EQ(u[QStringLiteral("max")].toDouble(), 50);
    EXPECT_EQ(u[QStringLiteral("min")].toDouble(), 30);
    EXPECT_FALSE(r.Json.contains(QStringLiteral("signals")));
    EXPECT_EQ(r.Json[QStringLiteral("window")].toObject()[QStringLiteral("end")].toInt(), 60);
}

TEST_F(DataCommandsTest, BadArgumentsAndFilesExitWithTheirStatus)
{
    const QString c = QStringLiteral("condition");
    EXPECT_EQ(RunCli({c, vkd, QStringLiteral("--y2"), QStringLiteral("7")}).ExitCode, 1);
    EXPECT_EQ(RunCli({c, vkd, QStringLiteral("--start"), QStringLiteral("0")}).ExitCode, 1);
    EXPECT_EQ(RunCli({c, vkd, QStringLiteral("--end"), QStringLiteral("61")}).ExitCode, 1);
    EXPECT_EQ(RunCli({c, vkd, QStringLiteral("--filter"), QStringLiteral("abc")}).ExitCode, 1);
    EXPECT_EQ(RunCli({c, vkd, QStringLiteral("--window"), QStringLiteral("3")}).ExitCode, 1);
    EXPECT_EQ(RunCli({c}).ExitCode, 1);
    const QString missing = dir.filePath(QStringLiteral("missing.vkd"));
    const CliResult r = RunCli({c, missing});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(r.Error.contains(missing)) << r.Error.toStdString();
}

TEST_F(DataCommandsTest, ConvertWritesAForeignExportAsAVkd)
{
    QFile foreign(dir.filePath(QStringLiteral("export.txt")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("1.3.2024;\r\n\r\nA;B;C;\r\n\r\n\r\n23:59:58;1;2,5;3;\r\n0:00:00;4;5;6;\r\n"
                  "x;7;8;9;\r\nend\r\n");
    foreign.close();
    const QString out = dir.filePath(QStringLiteral("converted.vkd"));
    const CliResult r = RunCli({QStringLiteral("convert"), foreign.fileName(), out});
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    EXPECT_EQ(r.Json[QStringLiteral("sample_count")].toInt(), 3);

    Podatki loaded;
    const MeasurementFileSettings s = LoadMeasurements(loaded, out);
    EXPECT_EQ(loaded.SamplingTime, 2);
    EXPECT_EQ(loaded.SampleCount, 3);
    EXPECT_EQ(loaded.SignalCount, 6);
    EXPECT_EQ(loaded.ColumnNames[2], "C"); // U from column 3
    EXPECT_EQ(loaded.Column(2)[0], 1);
    EXPECT_EQ(loaded.Column(3)[2], 9);
    EXPECT_EQ(loaded.Column(6)[1], 6);
    EXPECT_EQ(s.ActuatorVelocity, QStringLiteral("100"));

    const CliResult broken = RunCli({QStringLiteral("convert"), vkd + QStringLiteral("x"),
                                     dir.filePath(QStringLiteral("none.vkd"))});
    EXPECT_EQ(broken.ExitCode, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none.vkd"))));
}

TEST(ExperimentCommand, OutWritesTheRecordAsTheSaveWouldAndTheSeedFixesTheSamples)
{
    QTemporaryDir dir;
    auto run = [&](const char* seed, const QString& file) {
        const CliResult r =
            RunCli({QStringLiteral("experiment"), QStringLiteral("--ts"), QStringLiteral("1"),
                    QStringLiteral("--wait"), QStringLiteral("10"), QStringLiteral("--mv0"),
                    QStringLiteral("50"), QStringLiteral("--seed"), QString::fromLatin1(seed),
                    QStringLiteral("--out"), file});
        EXPECT_EQ(r.ExitCode, 0) << r.Error.toStdString();
        EXPECT_EQ(r.Json[QStringLiteral("out")].toString(), file);
        EXPECT_EQ(r.Json[QStringLiteral("samples")].toInt(), 23);
    };
    // Everything but the date and time of saving (lines 3 and 4).
    auto linesBeyondTheClock = [](const QString& file) {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = f.readAll().split('\n');
        return lines.mid(4);
    };
    const QString a = dir.filePath(QStringLiteral("a.vkd"));
    const QString b = dir.filePath(QStringLiteral("b.vkd"));
    const QString c = dir.filePath(QStringLiteral("c.vkd"));
    run("7", a);
    run("7", b);
    run("8", c);
    EXPECT_EQ(linesBeyondTheClock(a), linesBeyondTheClock(b));
    EXPECT_NE(linesBeyondTheClock(a), linesBeyondTheClock(c));

    // The file loads as the processing page's save would have left it.
    auto store = std::make_unique<Podatki>();
    const MeasurementFileSettings settings = LoadMeasurements(*store, a);
    EXPECT_EQ(store->SampleCount, 23);
    EXPECT_EQ(store->SignalCount, 6);
    EXPECT_EQ(store->SamplingTime, 1);
    EXPECT_EQ(settings.WindowStart, QStringLiteral("1"));
    EXPECT_EQ(settings.WindowEnd, QStringLiteral("23"));
    EXPECT_EQ(settings.FilterTime, QStringLiteral("0"));
    EXPECT_EQ(settings.ActuatorMaximum, QStringLiteral("100"));
    EXPECT_EQ(settings.ActuatorMinimum, QStringLiteral("0"));
    EXPECT_EQ(settings.ActuatorVelocity, QStringLiteral("1"));
    EXPECT_EQ(store->Column(1)[0], 50);
    EXPECT_EQ(store->Column(1)[22], 52);
    for (int i = 0; i < 23; ++i) {
        EXPECT_EQ(store->Column(2)[i], store->Column(1)[i]);
        EXPECT_EQ(store->Column(4)[i], store->Column(3)[i]);
    }
}
