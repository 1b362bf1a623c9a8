#include "tuning/ControllerFile.h"
#include "base/Errors.h"
#include "support/ExpectClose.h"
#include "support/LocaleScope.h"
#include "tuning/TuningText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ControllerFileTest : public testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    static void Write(const QString& path, const QByteArray& data)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    // The file of `settings` with line `index` (0-based) replaced.
    QString WithLine(const ControllerSettings& settings, int index, const QByteArray& text)
    {
        const QString path = Path("edited.vkc");
        SaveController(path, settings);
        QList<QByteArray> lines = Read(path).split('\n');
        lines[index] = text + "\r";
        Write(path, lines.join('\n'));
        return path;
    }
};

ControllerSettings Typical()
{
    ControllerSettings s;
    s.K1 = 1.5;
    s.T1 = 12.25;
    s.L1 = 3;
    s.InnerRelativeError = 0.0123;
    s.K2 = -0.8;
    s.T2 = 40;
    s.L2 = 0;
    s.OuterRelativeError = 1.0E-5;
    s.SamplingTimeText = "0.5";
    s.Method = 3;
    s.ResponseChoice = 1;
    s.Form = 2;
    s.Type = 3;
    s.SliderPosition = 14;
    s.ScaleP = "2";
    s.ScaleI = "abc";
    s.ScaleD = "";
    s.Cascade = true;
    return s;
}

} // namespace

TEST_F(ControllerFileTest, ThirtyEightLinesToTheByte)
{
    LocaleScope locale(LocaleScope::Point());
    const QString path = Path("one.vkc");
    SaveController(path, Typical());
    const QByteArray expected = "VARKOL Controller\r\n"
                                "V1.0\r\n"
                                "Ojacenje notranjega procesa:\r\n1.5\r\n"
                                "Casovna konstanta notranjega procesa:\r\n12.25\r\n"
                                "Zakasnitev notranjega procesa:\r\n3\r\n"
                                "Relativna standardna deviacija meritev-model notranjega "
                                "procesa:\r\n0.0123\r\n"
                                "Ojacenje zunanjega procesa:\r\n-0.8\r\n"
                                "Casovna konstanta zunanjega procesa:\r\n40\r\n"
                                "Zakasnitev zunanjega procesa:\r\n0\r\n"
                                "Relativna standardna deviacija meritev-model zunanjega "
                                "procesa:\r\n1E-5\r\n"
                                "Cas vzorcenja:\r\n0.5\r\n"
                                "Metoda nastavljanja:\r\n3\r\n"
                                "Prikazan odziv (referenca - motnja):\r\n1\r\n"
                                "Splosna izbira regulatorja (paralelni, serijski, itd.):\r\n2\r\n"
                                "Tip regulatorja (P, I, PI, PID):\r\n3\r\n"
                                "Faktor robustnosti (polozaj drsnika):\r\n14\r\n"
                                "Dodatno skaliranje P clena:\r\n2\r\n"
                                "Dodatno skaliranje I clena:\r\nabc\r\n"
                                "Dodatno skaliranje D clena:\r\n\r\n"
                                "Kaskadna regulacija:\r\n1\r\n";
    EXPECT_EQ(Read(path), expected);
    EXPECT_EQ(Read(path).count("\r\n"), 38);
}

TEST_F(ControllerFileTest, RoundTripInBothLocales)
{
    for (const QLocale& l : {LocaleScope::Point(), LocaleScope::Comma()}) {
        LocaleScope locale(l);
        ControllerSettings s = Typical();
        s.K1 = 3.14159265358979; // 15 digits: kept to 14
        s.T1 = 123456.789012344;
        s.L2 = 2.5E-7;
        s.Method = -1;
        s.Form = -1;
        s.Cascade = false;
        const QString path = Path("round.vkc");
        SaveController(path, s);
        const ControllerSettings r = LoadController(path);
        ExpectClose(r.K1, 3.1415926535898, 1e-15);
        ExpectClose(r.T1, 123456.78901234, 1e-9);
        EXPECT_EQ(r.L1, s.L1);
        EXPECT_EQ(r.InnerRelativeError, s.InnerRelativeError);
        EXPECT_EQ(r.K2, s.K2);
        EXPECT_EQ(r.T2, s.T2);
        EXPECT_EQ(r.L2, s.L2);
        EXPECT_EQ(r.OuterRelativeError, 1.0E-5);
        EXPECT_EQ(r.SamplingTimeText, s.SamplingTimeText);
        EXPECT_EQ(r.Method, -1);
        EXPECT_EQ(r.ResponseChoice, 1);
        EXPECT_EQ(r.Form, -1);
        EXPECT_EQ(r.Type, 3);
        EXPECT_EQ(r.SliderPosition, 14);
        EXPECT_EQ(r.ScaleP, "2");
        EXPECT_EQ(r.ScaleI, "abc");
        EXPECT_EQ(r.ScaleD, ""); // an empty field stays empty
        EXPECT_FALSE(r.Cascade);
    }
}

TEST_F(ControllerFileTest, OnlyZeroTurnsTheCascadeOff)
{
    LocaleScope locale(LocaleScope::Point());
    for (const char* text : {"1", "2", "x", "", "0 "})
        EXPECT_TRUE(LoadController(WithLine(Typical(), 37, text)).Cascade) << text;
    EXPECT_FALSE(LoadController(WithLine(Typical(), 37, "0")).Cascade);
}

TEST_F(ControllerFileTest, MalformedFilesNameTheLine)
{
    LocaleScope locale(LocaleScope::Point());
    // Non-numeric model value on line 6 (T1) and integer on line 22.
    try {
        LoadController(WithLine(Typical(), 5, "1,5"));
        FAIL();
    } catch (const FileError& e) {
        EXPECT_TRUE(std::string(e.what()).find("edited.vkc: vrstica 6: ") != std::string::npos)
            << e.what();
    }
    EXPECT_THROW(LoadController(WithLine(Typical(), 21, "2.5")), FileError);
    // Captions and the header are not checked.
    EXPECT_EQ(LoadController(WithLine(Typical(), 0, "VARKOL Controller V9")).Method, 3);

    // A file one line short, with LF ends only.
    const QString path = Path("short.vkc");
    SaveController(path, Typical());
    QList<QByteArray> lines = Read(path).split('\n');
    lines = lines.mid(0, 37);
    for (QByteArray& line : lines)
        line.chop(1); // the CR
    Write(path, lines.join('\n') + '\n');
    try {
        LoadController(path);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_TRUE(std::string(e.what()).find("short.vkc: vrstica 38: ") != std::string::npos)
            << e.what();
    }
    EXPECT_THROW(LoadController(Path("missing.vkc")), FileError);
}

TEST_F(ControllerFileTest, UnwritableFileIsAnErrorAndKeepsThePreviousFile)
{
    LocaleScope locale(LocaleScope::Point());
    EXPECT_THROW(SaveController(Path("no/such/dir/x.vkc"), Typical()), FileError);
    // A text with a line break would shift every following line.
    ControllerSettings broken = Typical();
    broken.ScaleP = "1\n2";
    const QString path = Path("keep.vkc");
    SaveController(path, Typical());
    const QByteArray before = Read(path);
    EXPECT_THROW(SaveController(path, broken), FileError);
    EXPECT_EQ(Read(path), before);
}

TEST_F(ControllerFileTest, LoadedSettingsGiveTheSameLabels)
{
    LocaleScope locale(LocaleScope::Comma());
    ControllerSettings s = Typical();
    s.K1 = 1.23456789012345;
    s.T1 = 17.3;
    s.L1 = 2.1;
    s.SamplingTimeText = "0,5";
    s.Method = 1;
    auto labels = [](const ControllerSettings& settings) {
        Podatki store;
        store.InnerModel.Gain = settings.K1;
        store.InnerModel.TimeConstant = settings.T1;
        store.InnerModel.DeadTime = settings.L1;
        store.OuterModel.Gain = settings.K2;
        store.OuterModel.TimeConstant = settings.T2;
        store.OuterModel.DeadTime = settings.L2;
        TuningRequest request;
        request.Method = settings.Method;
        request.SliderPosition = settings.SliderPosition;
        request.ResponseChoice = settings.ResponseChoice;
        request.SamplingTimeText = settings.SamplingTimeText;
        request.Cascade = settings.Cascade;
        const TuningPageResult r = EvaluateTuning(store, request);
        EXPECT_TRUE(r.Responses);
        return r.Labels.Gains;
    };
    const QString path = Path("labels.vkc");
    SaveController(path, s);
    EXPECT_EQ(labels(LoadController(path)), labels(s));
    s.Cascade = false;
    SaveController(path, s);
    EXPECT_EQ(labels(LoadController(path)), labels(s));
}
