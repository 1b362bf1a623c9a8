#include "cli/CliRun.h"
#include "data/DataFile.h"
#include "data/GlobalProcedures.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"
#include "model/ModelClass.h"
#include "model/ModelQuality.h"

#include "support/ExpectClose.h"
#include "support/LocaleScope.h"

#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

// A step test of 200 samples at 0.5 s: U 30 -> 50 at sample 21; Y1 the
// inner process K 2, T 8 s, L 2 s; Y2 the outer process K 0.5, T 4 s, L 1 s.
class IdentifyCommandTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString vkd = dir.filePath(QStringLiteral("step.vkd"));
    QString vkm = dir.filePath(QStringLiteral("step.vkm"));

    void SetUp() override
    {
        const LocaleScope scope(LocaleScope::Comma());
        auto store = std::make_unique<Podatki>();
        const int n = 200;
        std::vector<double> u(n), y1(n), y2(n), slope(n);
        for (int i = 0; i < n; ++i)
            u[static_cast<std::size_t>(i)] = i >= 20 ? 20 : 0;
        SimulateFOPDT(1, n, u.data(), 2, 8, 0.5, 0, 2, y1.data(), slope.data());
        SimulateFOPDT(1, n, y1.data(), 0.5, 4, 0.5, 0, 1, y2.data(), slope.data());
        for (int i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            Sample(store->Time, i) = 0.5 * (i - 1);
            const double values[] = {30 + u[k], 30 + u[k],  30 + u[k],
                                     30 + u[k], 60 + y1[k], 25 + y2[k]};
            for (int c = 1; c <= 6; ++c)
                store->Column(c)[k] = values[c - 1];
        }
        store->SampleCount = n;
        store->SignalCount = 6;
        store->SamplingTime = 0.5;
        SaveMeasurements(*store, vkd, "1.4.2024", "10:00:00", 0.5, n, 1, n, {0, 100, 0, 0}, {},
                         FieldNames(*store, {}));
    }

    // What the program identifies from the same file, in process.
    std::unique_ptr<Podatki> Expected(int start, int end)
    {
        const LocaleScope scope(LocaleScope::Comma());
        auto store = std::make_unique<Podatki>();
        LoadMeasurements(*store, vkd);
        ConditionSignals(*store, {}, {0, 100, 0, 0});
        IdentifyModels(*store, start, end);
        return store;
    }
};

void ExpectProcess(const QJsonObject& json, const ProcessModel& m, int delay, double relative)
{
    const std::pair<const char*, double> fields[] = {{"gain", m.Gain},
                                                     {"time_constant", m.TimeConstant},
                                                     {"dead_time", m.DeadTime},
                                                     {"gain_deviation", m.GainDeviation},
                                                     {"time_deviation", m.TimeDeviation},
                                                     {"residual_std", m.ResidualSTD},
                                                     {"relative_error", m.RelativeError}};
    for (const auto& [name, value] : fields)
        EXPECT_LE(std::fabs(json[QString::fromLatin1(name)].toDouble() - value),
                  relative * std::fabs(value))
            << name;
    EXPECT_EQ(json[QStringLiteral("delay_samples")].toInt(), delay);
    EXPECT_EQ(json[QStringLiteral("grade")].toString(),
              QString::fromUtf8(GradeText(GradeModel(m.RelativeError))));
}

} // namespace

TEST_F(IdentifyCommandTest, IdentifiesTheFilesWindowAndSavesTheModel)
{
    const CliResult r =
        RunCli({QStringLiteral("identify"), vkd, QStringLiteral("--save-model"), vkm},
               QStringLiteral("sl_SI.UTF-8"));
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    const auto expected = Expected(1, 200);
    const QJsonObject& j = r.Json;
    EXPECT_EQ(j[QStringLiteral("window")].toObject()[QStringLiteral("start")].toInt(), 1);
    EXPECT_EQ(j[QStringLiteral("window")].toObject()[QStringLiteral("end")].toInt(), 200);
    EXPECT_EQ(j[QStringLiteral("sampling_time")].toDouble(), 0.5);
    EXPECT_EQ(j[QStringLiteral("sample_count")].toInt(), 200);
    ExpectProcess(j[QStringLiteral("inner")].toObject(), expected->InnerModel,
                  expected->InnerDelaySamples, 0);
    ExpectProcess(j[QStringLiteral("outer")].toObject(), expected->OuterModel,
                  expected->OuterDelaySamples, 0);
    EXPECT_EQ(j[QStringLiteral("inner")].toObject()[QStringLiteral("delay_samples")].toInt(), 5);
    EXPECT_EQ(j[QStringLiteral("sampling_warning")].toBool(),
              SamplingTooSparse(expected->InnerModel, expected->OuterModel, 0.5));

    // The saved model reads back as the same models, to the file's 14 digits.
    const CliResult m = RunCli({QStringLiteral("model"), vkm}, QStringLiteral("sl_SI.UTF-8"));
    ASSERT_EQ(m.ExitCode, 0) << m.Error.toStdString();
    EXPECT_TRUE(m.Json[QStringLiteral("window")].isNull());
    EXPECT_EQ(m.Json[QStringLiteral("sample_count")].toInt(), 200);
    ExpectProcess(m.Json[QStringLiteral("inner")].toObject(), expected->InnerModel,
                  expected->InnerDelaySamples, 1e-13);
    ExpectProcess(m.Json[QStringLiteral("outer")].toObject(), expected->OuterModel,
                  expected->OuterDelaySamples, 1e-13);
}

TEST_F(IdentifyCommandTest, OptionsChooseTheWindowAndBadOnesAreRefused)
{
    const CliResult r =
        RunCli({QStringLiteral("identify"), vkd, QStringLiteral("--start"), QStringLiteral("11"),
                QStringLiteral("--end"), QStringLiteral("150")});
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    const auto expected = Expected(11, 150);
    EXPECT_EQ(r.Json[QStringLiteral("sample_count")].toInt(), 140);
    ExpectProcess(r.Json[QStringLiteral("outer")].toObject(), expected->OuterModel,
                  expected->OuterDelaySamples, 0);

    // Three samples cannot be identified: a failure, not a usage error.
    const CliResult shortWindow =
        RunCli({QStringLiteral("identify"), vkd, QStringLiteral("--start"), QStringLiteral("10"),
                QStringLiteral("--end"), QStringLiteral("12")});
    EXPECT_EQ(shortWindow.ExitCode, 2);
    EXPECT_TRUE(shortWindow.Error.contains(QStringLiteral("vsaj 4")))
        << shortWindow.Error.toStdString();
    EXPECT_EQ(
        RunCli({QStringLiteral("identify"), vkd, QStringLiteral("--end"), QStringLiteral("201")})
            .ExitCode,
        1);
    EXPECT_EQ(
        RunCli({QStringLiteral("identify"), vkd, QStringLiteral("--bogus"), QStringLiteral("1")})
            .ExitCode,
        1);
}

TEST_F(IdentifyCommandTest, RefineAddsTheRefinedModelsAndSavesThem)
{
    const CliResult r = RunCli(
        {QStringLiteral("identify"), vkd, QStringLiteral("--refine"), QStringLiteral("--save-model"),
         vkm});
    ASSERT_EQ(r.ExitCode, 0) << r.Error.toStdString();
    const auto expected = Expected(1, 200);
    const QJsonObject inner = r.Json[QStringLiteral("inner")].toObject();
    // The identified models stay as they were.
    ExpectProcess(inner, expected->InnerModel, expected->InnerDelaySamples, 0);

    const QJsonObject refined = inner[QStringLiteral("refined")].toObject();
    EXPECT_EQ(refined.keys(), (QStringList{"ci95", "dead_time", "gain", "grade", "relative_error",
                                           "residual_std", "time_constant"}));
    EXPECT_EQ(refined[QStringLiteral("ci95")].toObject().keys(),
              (QStringList{"dead_time", "gain", "time_constant"}));
    ExpectClose(refined[QStringLiteral("gain")].toDouble(), 2, 2e-3);
    ExpectClose(refined[QStringLiteral("time_constant")].toDouble(), 8, 8e-3);
    ExpectClose(refined[QStringLiteral("dead_time")].toDouble(), 2, 2e-3);
    EXPECT_EQ(refined[QStringLiteral("grade")].toString(), "Zelo dobra");
    EXPECT_TRUE(r.Json[QStringLiteral("outer")].toObject().contains(QStringLiteral("refined")));

    const CliResult m = RunCli({QStringLiteral("model"), vkm});
    ASSERT_EQ(m.ExitCode, 0) << m.Error.toStdString();
    // The file keeps 14 digits.
    ExpectClose(m.Json[QStringLiteral("inner")].toObject()[QStringLiteral("dead_time")].toDouble(),
                refined[QStringLiteral("dead_time")].toDouble(), 1e-12);
}
