#include "app/SettingsFile.h"

#include "app/Errors.h"
#include "support/LocaleScope.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every stored value away from its initial value, numbers in the locale's
// format, and the two states the file reads back most narrowly: closed loop
// after the run off and an empty sequencer.
ExperimentSettings Distinct(const QString& decimal)
{
    ExperimentSettings s;
    s.OpcServer = QStringLiteral("Varkol.Demo.1");
    for (int row = 0; row < ExperimentSettings::TagRows; ++row) {
        if (row == 6 || row == 13)
            continue;
        s.Tags[row] = QStringLiteral("Zanka1.Točka%1").arg(row);
        s.Descriptions[row] = QStringLiteral("Opis vrstice %1 – ščž").arg(row);
    }
    s.RAMode1 = 0;
    s.ManualValue1 = 1;
    s.RAMode2 = 0;
    s.ManualValue2 = 1;
    s.SamplingPeriod = "0" + decimal + "5";
    s.KeepInitialInput = true;
    s.InitialInput = "42" + decimal + "5";
    s.WaitTime = "30";
    s.StepSize = "2" + decimal + "5";
    s.StepDuration = "40";
    s.NumberOfSteps = "3";
    s.BothDirections = true;
    s.ClosedLoopDuring = true;
    s.NoOPCWrite = true;
    s.ManualTrial = true;
    s.MVMax = "90";
    s.MVMin = "10";
    s.MVStep = "0" + decimal + "1";
    s.AutoFilter = "1" + decimal + "5";
    s.AutoActuatorMax = "95";
    s.AutoActuatorMin = "5";
    s.AutoActuatorVelocity = "12";
    s.AutoTuningMethod = 4;
    s.AutoSamplingTime = "0" + decimal + "2";
    s.AutoRobust = 17;
    s.AutoCascade = true;
    s.AutoLoadParameters = true;
    s.AutoResponse = 1;
    s.AutoControllerForm = 3;
    s.AutoScaleP = "2";
    s.AutoScaleI = "3";
    s.AutoScaleD = "4";
    s.AutoControllerType = 3;
    s.ReportProcessing = false;
    s.ReportModel = false;
    s.ReportController = false;
    s.ReportTemplate = QStringLiteral("C:\\Predloge\\poročilo.dot");
    s.StartTime = QStringLiteral("07:30:15");
    s.ClosedLoopAfter = false;
    s.SequencerPresent = true;
    return s;
}

class SettingsFileTest : public testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QString WriteRaw(const QStringList& lines, const char* ending = "\r\n")
    {
        const QString path = PathOf(QStringLiteral("raw.vkx"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString& line : lines)
            file.write(line.toUtf8() + ending);
        return path;
    }

    // The lines of a saved default file with one line replaced (0-based).
    static QStringList DefaultWith(int line, const QString& text)
    {
        QStringList lines = ExperimentSettingsLines(ExperimentSettings{});
        lines[line] = text;
        return lines;
    }

    static std::string FailureOf(const QString& path)
    {
        try {
            ReadExperimentSettings(path);
        } catch (const FileError& e) {
            return e.what();
        }
        return "no error";
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(SettingsFileTest, EveryStoredValueComesBackUnderBothDecimalMarks)
{
    for (const QLocale& locale : {LocaleScope::Comma(), LocaleScope::Point()}) {
        LocaleScope scope(locale);
        const ExperimentSettings saved = Distinct(locale.decimalPoint());
        const QString path = PathOf(QStringLiteral("nastavitve.vkx"));
        WriteExperimentSettings(path, saved);
        EXPECT_EQ(ReadExperimentSettings(path), saved) << locale.name().toStdString();
    }
    const ExperimentSettings initial;
    WriteExperimentSettings(PathOf(QStringLiteral("initial.vkx")), initial);
    EXPECT_EQ(ReadExperimentSettings(PathOf(QStringLiteral("initial.vkx"))), initial);
}

TEST_F(SettingsFileTest, TheFileHas98PositionalCrLfLines)
{
    ExperimentSettings s = Distinct(QStringLiteral(","));
    s.SequencerInput[9] = QStringLiteral("vhod 9");
    s.SequencerOutput[0] = QStringLiteral("izhod 0");
    s.Descriptions[5] = QStringLiteral("dve\r\nvrstici");
    const QString path = PathOf(QStringLiteral("a.vkx"));
    WriteExperimentSettings(path, s);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 98);
    EXPECT_EQ(bytes.count('\n'), 98);
    const QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[0], QStringLiteral("Varkol.Demo.1"));
    EXPECT_EQ(lines[7], QStringLiteral("Zanka1.Točka7"));   // row 6 is skipped
    EXPECT_EQ(lines[13], QStringLiteral("Zanka1.Točka14")); // and row 13
    EXPECT_EQ(lines[24], QStringLiteral("dve vrstici"));
    EXPECT_EQ(lines[37], QStringLiteral("0"));
    EXPECT_EQ(lines[38], QStringLiteral("1"));
    EXPECT_EQ(lines[41], QStringLiteral("0,5"));
    EXPECT_EQ(lines[42], QStringLiteral("True"));
    EXPECT_EQ(lines[51], QStringLiteral("True"));
    EXPECT_EQ(lines[56], QStringLiteral("95"));
    EXPECT_EQ(lines[62], QStringLiteral("95"));
    EXPECT_EQ(lines[71], QStringLiteral("False"));
    EXPECT_EQ(lines[74], QStringLiteral("C:\\Predloge\\poročilo.dot"));
    EXPECT_EQ(lines[75], QStringLiteral("07:30:15"));
    EXPECT_EQ(lines[76], QStringLiteral("False"));
    EXPECT_EQ(lines[78], QString());
    EXPECT_EQ(lines[79], QStringLiteral("izhod 0"));
    EXPECT_EQ(lines[96], QStringLiteral("vhod 9"));
}

TEST_F(SettingsFileTest, CheckBoxesReadLenientlyLineByLine)
{
    const ExperimentSettings initial;
    // "1" counts for the experiment page and the automatic settings ...
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(48, "1"))).BothDirections);
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(42, "1"))).KeepInitialInput);
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(51, "1"))).ManualTrial);
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(63, "1"))).AutoCascade);
    // ... lower-case "true" only for the automatic settings ...
    EXPECT_FALSE(ReadExperimentSettings(WriteRaw(DefaultWith(49, "true"))).ClosedLoopDuring);
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(72, "true"))).ReportModel);
    EXPECT_FALSE(ReadExperimentSettings(WriteRaw(DefaultWith(73, "yes"))).ReportController);
    // ... and lines 76 and 77 want "True" exactly.
    EXPECT_FALSE(ReadExperimentSettings(WriteRaw(DefaultWith(76, "1"))).ClosedLoopAfter);
    EXPECT_FALSE(ReadExperimentSettings(WriteRaw(DefaultWith(77, "true"))).SequencerPresent);
    EXPECT_TRUE(ReadExperimentSettings(WriteRaw(DefaultWith(77, "True"))).SequencerPresent);
}

TEST_F(SettingsFileTest, TheSecondActuatorMaximumWinsAndLfLinesRead)
{
    QStringList lines = DefaultWith(56, "80");
    lines[62] = "120";
    EXPECT_EQ(ReadExperimentSettings(WriteRaw(lines)).AutoActuatorMax, QStringLiteral("120"));
    EXPECT_EQ(ReadExperimentSettings(WriteRaw(lines, "\n")).AutoActuatorMax, QStringLiteral("120"));
    lines << "odvečna vrstica"; // lines after the 98th are ignored
    EXPECT_EQ(ReadExperimentSettings(WriteRaw(lines)).StartTime, QStringLiteral("12:00:00"));
}

TEST_F(SettingsFileTest, MissingAndNonIntegerLinesRefuseTheFileWithTheirLineNumber)
{
    QStringList lines = ExperimentSettingsLines(ExperimentSettings{});
    const QString path = WriteRaw(lines.mid(0, 60));
    EXPECT_EQ(FailureOf(path), path.toStdString() + ": vrstica 61: vrstica manjka");
    EXPECT_NE(FailureOf(WriteRaw(lines.mid(0, 97))).find(": vrstica 98: "), std::string::npos);

    // Line 59 (the 60th) must be an integer; the conversion error keeps the text.
    const std::string bad = FailureOf(WriteRaw(DefaultWith(59, "dva")));
    EXPECT_EQ(bad, path.toStdString() + ": vrstica 60: 'dva' ni veljavno celo število");
    for (const int line : {37, 38, 39, 40, 61, 65, 66, 70})
        EXPECT_NE(FailureOf(WriteRaw(DefaultWith(line, "1,5")))
                      .find(": vrstica " + std::to_string(line + 1) + ": "),
                  std::string::npos)
            << "line " << line;

    EXPECT_NE(FailureOf(PathOf(QStringLiteral("ni.vkx"))).find("ni.vkx"), std::string::npos);
    EXPECT_THROW(WriteExperimentSettings(PathOf(QStringLiteral("ni/mape/a.vkx")), {}), FileError);
}

TEST(SettingsFileName, TimeAndShortDateWithUnderscores)
{
    EXPECT_EQ(ProposedSettingsFileName(QStringLiteral("12:00:00"), QStringLiteral("6.12.2026")),
              QStringLiteral("12_00_00__6_12_2026.vkx"));
    EXPECT_EQ(ProposedSettingsFileName(QStringLiteral("07:05:09"), QStringLiteral("12/6/26")),
              QStringLiteral("07_05_09__12_6_26.vkx"));
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ProposedSettingsFileName(QStringLiteral("12:00:00"), QDate(2026, 12, 6)),
              QStringLiteral("12_00_00__06_12_26.vkx"));
}
