#include "tuning/ControllerFile.h"

#include "app/Errors.h"
#include "app/NumberText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cmath>

const char* const ControllerFileExtension = "vkc";
const char* const ControllerFileFilter = "Controller settings (*.vkc)|*.vkc|All files (*.*)|*.*";

namespace {

constexpr int LineCount = 38;
constexpr int RealDigits = 14;

// The captions of the even lines 2..36, in order.
const char* const Captions[] = {
    "Ojacenje notranjega procesa:",
    "Casovna konstanta notranjega procesa:",
    "Zakasnitev notranjega procesa:",
    "Relativna standardna deviacija meritev-model notranjega procesa:",
    "Ojacenje zunanjega procesa:",
    "Casovna konstanta zunanjega procesa:",
    "Zakasnitev zunanjega procesa:",
    "Relativna standardna deviacija meritev-model zunanjega procesa:",
    "Cas vzorcenja:",
    "Metoda nastavljanja:",
    "Prikazan odziv (referenca - motnja):",
    "Splosna izbira regulatorja (paralelni, serijski, itd.):",
    "Tip regulatorja (P, I, PI, PID):",
    "Faktor robustnosti (polozaj drsnika):",
    "Dodatno skaliranje P clena:",
    "Dodatno skaliranje I clena:",
    "Dodatno skaliranje D clena:",
    "Kaskadna regulacija:",
};

std::string Where(const QString& fileName, int line)
{
    // Lines are counted from 1, as an editor shows them.
    return fileName.toStdString() + ": vrstica " + std::to_string(line + 1) + ": ";
}

QString TextLine(const QString& text)
{
    if (text.contains(u'\n') || text.contains(u'\r'))
        throw FileError(
            "Besedilo '" + text.toStdString() +
            "' vsebuje prelom vrstice in ga ni mogoče shraniti v datoteko regulatorja.");
    return text;
}

// The file's lines: CR LF or LF ends; a last line without an end counts.
QStringList SplitLines(const QByteArray& data)
{
    QStringList lines = QString::fromUtf8(data).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

class LineReader {
public:
    LineReader(const QString& fileName, QStringList lines)
        : fileName_(fileName), lines_(std::move(lines))
    {
        if (lines_.size() < LineCount)
            throw FileError(Where(fileName_, static_cast<int>(lines_.size())) +
                            "manjka (datoteka ima " + std::to_string(lines_.size()) +
                            " vrstic, potrebnih je " + std::to_string(LineCount) + ")");
    }

    const QString& Text(int line) const { return lines_[line]; }

    double Real(int line) const
    {
        try {
            return ParseNumber(Text(line));
        } catch (const ConversionError& e) {
            throw FileError(Where(fileName_, line) + e.what());
        }
    }

    int Integer(int line) const
    {
        try {
            return ParseInteger(Text(line));
        } catch (const ConversionError& e) {
            throw FileError(Where(fileName_, line) + e.what());
        }
    }

private:
    QString fileName_;
    QStringList lines_;
};

} // namespace

QStringList ControllerFileLines(const ControllerSettings& s)
{
    const QString values[] = {
        FormatGeneral(s.K1, RealDigits),
        FormatGeneral(s.T1, RealDigits),
        FormatGeneral(s.L1, RealDigits),
        FormatGeneral(s.InnerRelativeError, RealDigits),
        FormatGeneral(s.K2, RealDigits),
        FormatGeneral(s.T2, RealDigits),
        FormatGeneral(s.L2, RealDigits),
        FormatGeneral(s.OuterRelativeError, RealDigits),
        TextLine(s.SamplingTimeText),
        QString::number(s.Method),
        QString::number(s.ResponseChoice),
        QString::number(s.Form),
        QString::number(s.Type),
        QString::number(s.SliderPosition),
        TextLine(s.ScaleP),
        TextLine(s.ScaleI),
        TextLine(s.ScaleD),
        QString::fromLatin1(s.Cascade ? "1" : "0"),
    };
    QStringList lines{QStringLiteral("VARKOL Controller"), QStringLiteral("V1.0")};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        lines << QString::fromUtf8(Captions[i]) << values[i];
    }
    return lines;
}

void SaveController(const QString& fileName, const ControllerSettings& settings)
{
    for (const double v : {settings.K1, settings.T1, settings.L1, settings.InnerRelativeError,
                           settings.K2, settings.T2, settings.L2, settings.OuterRelativeError})
        if (!std::isfinite(v))
            throw FileError(fileName.toStdString() +
                            ": model ni končno število in ga ni mogoče shraniti.");
    QByteArray data;
    for (const QString& line : ControllerFileLines(settings))
        data += line.toUtf8() + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw FileError(fileName.toStdString() + ": datoteke ni mogoče zapisati (" +
                        file.errorString().toStdString() + ")");
}

ControllerSettings LoadController(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(fileName.toStdString() + ": datoteke ni mogoče odpreti (" +
                        file.errorString().toStdString() + ")");
    const LineReader in(fileName, SplitLines(file.readAll()));
    ControllerSettings s;
    s.K1 = in.Real(3);
    s.T1 = in.Real(5);
    s.L1 = in.Real(7);
    s.InnerRelativeError = in.Real(9);
    s.K2 = in.Real(11);
    s.T2 = in.Real(13);
    s.L2 = in.Real(15);
    s.OuterRelativeError = in.Real(17);
    s.SamplingTimeText = in.Text(19);
    s.Method = in.Integer(21);
    s.ResponseChoice = in.Integer(23);
    s.Form = in.Integer(25);
    s.Type = in.Integer(27);
    s.SliderPosition = in.Integer(29);
    s.ScaleP = in.Text(31);
    s.ScaleI = in.Text(33);
    s.ScaleD = in.Text(35);
    s.Cascade = in.Text(37) != QStringLiteral("0"); // anything but "0" is on
    return s;
}
