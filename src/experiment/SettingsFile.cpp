#include "experiment/SettingsFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TextFile.h"
#include "data/GlobalProcedures.h"

#include <QLocale>

namespace {

QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString Flag(bool value)
{
    return QString::fromLatin1(BoolToText(value));
}

// Walks the lines in order and converts them; every failure names the file
// and the line counted from 1.
class LineReader {
public:
    LineReader(const QStringList& lines, const QString& fileName) : lines_(lines), file_(fileName)
    {
    }

    QString Text()
    {
        if (index_ >= lines_.size())
            Fail(QStringLiteral("vrstica manjka"));
        return lines_[index_++];
    }

    int Integer()
    {
        const QString text = Text();
        try {
            return ParseInteger(text);
        } catch (const ConversionError& e) {
            --index_;
            Fail(QString::fromStdString(e.what()));
        }
    }

    // The three lenient readings of check boxes used by the file.
    bool OneOrTrue()
    {
        const QString text = Text();
        return text == QLatin1String("1") || text == QLatin1String("True");
    }
    bool TrueTrueOrOne() { return TextToBool(Text().toStdString()); }
    bool OnlyTrue() { return Text() == QLatin1String("True"); }

private:
    [[noreturn]] void Fail(const QString& what) const
    {
        FailAtLine(file_, static_cast<int>(index_ + 1), what);
    }

    const QStringList& lines_;
    const QString& file_;
    qsizetype index_ = 0;
};

} // namespace

QStringList ExperimentSettingsLines(const ExperimentSettings& s)
{
    QStringList lines;
    lines.reserve(ExperimentSettings::LineCount);
    lines << s.OpcServer;
    // The roles in table order: rows 0 to 5, 7 to 12, 14 to 19.
    for (const TagRole role : AllTagRoles)
        lines << s.Loop.Tag(role);
    for (const TagRole role : AllTagRoles)
        lines << s.Loop.Description(role);
    lines << QString::number(s.Loop.Switch1.Mode) << QString::number(s.Loop.Switch1.ManualValue)
          << QString::number(s.Loop.Switch2.Mode) << QString::number(s.Loop.Switch2.ManualValue);
    lines << s.SamplingPeriod << Flag(s.KeepInitialInput) << s.InitialInput << s.WaitTime
          << s.StepSize << s.StepDuration << s.NumberOfSteps << Flag(s.BothDirections)
          << Flag(s.ClosedLoopDuring) << Flag(s.NoOPCWrite) << Flag(s.ManualTrial) << s.MVMax
          << s.MVMin << s.MVStep;
    lines << s.AutoFilter << s.AutoActuatorMax << s.AutoActuatorMin << s.AutoActuatorVelocity
          << QString::number(s.AutoTuningMethod) << s.AutoSamplingTime
          << QString::number(s.AutoRobust) << s.AutoActuatorMax << Flag(s.AutoCascade)
          << Flag(s.AutoLoadParameters) << QString::number(s.AutoResponse)
          << QString::number(s.AutoControllerForm) << s.AutoScaleP << s.AutoScaleI << s.AutoScaleD
          << QString::number(s.AutoControllerType) << Flag(s.ReportProcessing)
          << Flag(s.ReportModel) << Flag(s.ReportController) << s.ReportTemplate;
    lines << s.StartTime << Flag(s.ClosedLoopAfter) << Flag(s.SequencerPresent);
    for (int row = 0; row < ExperimentSettings::SequencerRows; ++row)
        lines << s.SequencerInput[row] << s.SequencerOutput[row];
    for (QString& line : lines)
        line = OneLine(line);
    return lines;
}

ExperimentSettings ParseExperimentSettings(const QStringList& lines, const QString& fileName)
{
    LineReader in(lines, fileName);
    ExperimentSettings s;
    s.OpcServer = in.Text();
    for (const TagRole role : AllTagRoles)
        s.Loop.SetTag(role, in.Text());
    for (const TagRole role : AllTagRoles)
        s.Loop.SetDescription(role, in.Text());
    s.Loop.Switch1.Mode = in.Integer();
    s.Loop.Switch1.ManualValue = in.Integer();
    s.Loop.Switch2.Mode = in.Integer();
    s.Loop.Switch2.ManualValue = in.Integer();
    s.SamplingPeriod = in.Text();
    s.KeepInitialInput = in.OneOrTrue();
    s.InitialInput = in.Text();
    s.WaitTime = in.Text();
    s.StepSize = in.Text();
    s.StepDuration = in.Text();
    s.NumberOfSteps = in.Text();
    s.BothDirections = in.OneOrTrue();
    s.ClosedLoopDuring = in.OneOrTrue();
    s.NoOPCWrite = in.OneOrTrue();
    s.ManualTrial = in.OneOrTrue();
    s.MVMax = in.Text();
    s.MVMin = in.Text();
    s.MVStep = in.Text();
    s.AutoFilter = in.Text();
    s.AutoActuatorMax = in.Text();
    s.AutoActuatorMin = in.Text();
    s.AutoActuatorVelocity = in.Text();
    s.AutoTuningMethod = in.Integer();
    s.AutoSamplingTime = in.Text();
    s.AutoRobust = in.Integer();
    s.AutoActuatorMax = in.Text(); // the second copy is the one that counts
    s.AutoCascade = in.TrueTrueOrOne();
    s.AutoLoadParameters = in.TrueTrueOrOne();
    s.AutoResponse = in.Integer();
    s.AutoControllerForm = in.Integer();
    s.AutoScaleP = in.Text();
    s.AutoScaleI = in.Text();
    s.AutoScaleD = in.Text();
    s.AutoControllerType = in.Integer();
    s.ReportProcessing = in.TrueTrueOrOne();
    s.ReportModel = in.TrueTrueOrOne();
    s.ReportController = in.TrueTrueOrOne();
    s.ReportTemplate = in.Text();
    s.StartTime = in.Text();
    s.ClosedLoopAfter = in.OnlyTrue();
    s.SequencerPresent = in.OnlyTrue();
    for (int row = 0; row < ExperimentSettings::SequencerRows; ++row) {
        s.SequencerInput[row] = in.Text();
        s.SequencerOutput[row] = in.Text();
    }
    return s;
}

ExperimentSettings ReadExperimentSettings(const QString& fileName)
{
    return ParseExperimentSettings(FileLines(fileName).All(), fileName);
}

void WriteExperimentSettings(const QString& fileName, const ExperimentSettings& settings)
{
    WriteTextLines(fileName, ExperimentSettingsLines(settings));
}

QString ProposedSettingsFileName(const QString& startTime, const QString& shortDateText)
{
    QString name = startTime;
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    QString date = shortDateText;
    date.replace(QLatin1Char('.'), QLatin1Char('_'));
    name += QLatin1String("__") + date + QLatin1String(".vkx");
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name;
}

QString ProposedSettingsFileName(const QString& startTime, const QDate& startDate)
{
    // Day, month and year in digits: a locale's month names or blanks would
    // end up in the file name.
    return ProposedSettingsFileName(startTime, QStringLiteral("%1.%2.%3")
                                                   .arg(startDate.day())
                                                   .arg(startDate.month())
                                                   .arg(startDate.year()));
}
