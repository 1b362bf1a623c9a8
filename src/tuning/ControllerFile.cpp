#include "tuning/ControllerFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TextFile.h"

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

QString TextLine(const QString& text)
{
    if (text.contains(u'\n') || text.contains(u'\r'))
        throw FileError(
            "Besedilo '" + text.toStdString() +
            "' vsebuje prelom vrstice in ga ni mogoče shraniti v datoteko regulatorja.");
    return text;
}

// The file's lines by the numbers of the format, which count from 0.
class ControllerLines {
public:
    explicit ControllerLines(const QString& fileName) : lines_(fileName)
    {
        if (lines_.Count() < LineCount)
            lines_.Fail(lines_.Count() + 1,
                        QStringLiteral("vrstica manjka (datoteka ima %1 vrstic, potrebnih je %2)")
                            .arg(lines_.Count())
                            .arg(LineCount));
    }
    const QString& Text(int line) const { return lines_.Line(line + 1); }
    double Real(int line) const { return lines_.Number(line + 1); }
    int Integer(int line) const { return lines_.Integer(line + 1); }

private:
    FileLines lines_;
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
    WriteTextLines(fileName, ControllerFileLines(settings));
}

ControllerSettings LoadController(const QString& fileName)
{
    const ControllerLines in(fileName);
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
