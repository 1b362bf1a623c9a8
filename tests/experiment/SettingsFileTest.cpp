#include "experiment/SettingsFile.h"

#include "base/Errors.h"
#include "support/LocaleScope.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool IsIntegerLine(int line)
{
    return (line >= 37 && line <= 40) || line == 59 || line == 61 || line == 65 || line == 66 ||
           line == 70;
}

bool IsFlagLine(int line)
{
    return line == 42 || (line >= 48 && line <= 51) || line == 63 || line == 64 ||
           (line >= 71 && line <= 73) || line == 76 || line == 77;
}

// A file whose every line differs from the initial state: texts with the
// locale's decimal mark and letters beyond ASCII, flags flipped, integers
// from 2 up; line 62 repeats 56 as the writer does. Closed loop after the
// run is off and the sequencer's cells are empty.
QStringList DistinctLines(const QString& decimal)
{
    const QStringList initial = ExperimentSettingsLines(ExperimentSettings{});
    QStringList lines;
    for (int line = 0; line < ExperimentSettings::LineCount; ++line) {
        if (IsIntegerLine(line))
            lines << QString::number(line - 35);
        else if (IsFlagLine(line))
            lines << (initial[line] == QLatin1String("True") ? "False" : "True");
        else if (line >= 78)
            lines << QString();
        else
            lines << QStringLiteral("%1%2%3 čšž").arg(line).arg(decimal).arg(line % 7);
    }
    lines[62] = lines[56];
    return lines;
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
        const QStringList lines = DistinctLines(locale.decimalPoint());
        const ExperimentSettings settings = ParseExperimentSettings(lines, "a.vkx");
        EXPECT_FALSE(settings.ClosedLoopAfter);
        EXPECT_EQ(ExperimentSettingsLines(settings), lines);

        const QString path = PathOf(QStringLiteral("nastavitve.vkx"));
        WriteExperimentSettings(path, settings);
        EXPECT_EQ(ReadExperimentSettings(path), settings);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), (lines.join("\r\n") + "\r\n").toUtf8());
    }
}

TEST_F(SettingsFileTest, ValuesLandOnTheirLines)
{
    ExperimentSettings s;
    s.Loop.SetTag(TagRole::P, QStringLiteral("P1"));
    s.Loop.SetDescription(TagRole::P2,
                          QStringLiteral("dve\r\nvrstici")); // would shift every later line
    s.SamplingPeriod = QStringLiteral("0,5");
    s.AutoActuatorMax = QStringLiteral("95");
    s.SequencerOutput[9] = QStringLiteral("izhod 9");
    const QStringList lines = ExperimentSettingsLines(s);
    ASSERT_EQ(lines.size(), 98);
    EXPECT_EQ(lines[7], QStringLiteral("P1")); // row 6 is not stored
    EXPECT_EQ(lines[31], QStringLiteral("dve vrstici"));
    EXPECT_EQ(lines[37], QStringLiteral("1"));
    EXPECT_EQ(lines[41], QStringLiteral("0,5"));
    EXPECT_EQ(lines[42], QStringLiteral("False"));
    EXPECT_EQ(lines[56], QStringLiteral("95"));
    EXPECT_EQ(lines[62], QStringLiteral("95"));
    EXPECT_EQ(lines[74], QStringLiteral("normal.dot"));
    EXPECT_EQ(lines[76], QStringLiteral("True"));
    EXPECT_EQ(lines[97], QStringLiteral("izhod 9"));
}

TEST_F(SettingsFileTest, CheckBoxesReadLenientlyLineByLine)
{
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
    // From the date picker: digits, whatever the locale's date format.
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(ProposedSettingsFileName(QStringLiteral("12:00:00"), QDate(2026, 12, 8)),
              QStringLiteral("12_00_00__8_12_2026.vkx"));
}
