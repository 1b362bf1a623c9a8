#include "model/ModelFile.h"
#include "base/Errors.h"
#include "data/Podatki.h"
#include "model/ModelClass.h"
#include "model/ModelQuality.h"
#include "model/ModelTexts.h"

#include "support/ExpectClose.h"
#include "support/LocaleScope.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A small model with values that need all their digits.
std::unique_ptr<Podatki> SmallModel()
{
    auto s = std::make_unique<Podatki>();
    s->SamplingTime = 0.5;
    s->InnerModel = {1.5, 10.25, 1.5, 0.00012345678901234, 1e-5, 0.5, 0.0123};
    s->OuterModel = {-2.0 / 3.0, 123456.78901234, 0, 0.25, 0, 3.14159265358979, 0.12};
    s->IdentSampleCount = 2;
    const double rows[2][7] = {{0, 0, 0, 0, 0, 0, 0},
                               {0.5, 1.25, -3.5e-7, 1.0 / 3.0, 2e15, 0.1, 123456789012.5}};
    Podatki::Signal* arrays[] = {&s->IdentTime,       &s->IdentU,        &s->IdentY1,
                                 &s->MeasuredInner,   &s->MeasuredOuter, &s->ModelOutputInner,
                                 &s->ModelOutputOuter};
    for (int r = 0; r < 2; ++r)
        for (int f = 0; f < 7; ++f)
            Sample(*arrays[f], r + 1) = rows[r][f];
    return s;
}

QByteArray SmallModelText(const char* sep)
{
    QString t = QStringLiteral("VARKOL Model\r\nV1.0\r\n"
                               "Ojacenje notranjega procesa:\r\n1#5\r\n"
                               "Casovna konstanta notranjega procesa:\r\n10#25\r\n"
                               "Zakasnitev notranjega procesa:\r\n1#5\r\n"
                               "Vzorcenje notranjega procesa:\r\n0#5\r\n"
                               "Deviacija ojacenja notranjega procesa:\r\n0#00012345678901234\r\n"
                               "Deviacija casovne konstante notranjega procesa:\r\n1E-5\r\n"
                               "Standardna deviacija notranjega procesa:\r\n0#5\r\n"
                               "Relativna standardna deviacija meritev-model notranjega "
                               "procesa:\r\n0#0123\r\n"
                               "Ojacenje zunanjega procesa:\r\n-0#66666666666667\r\n"
                               "Casovna konstanta zunanjega procesa:\r\n123456#78901234\r\n"
                               "Zakasnitev zunanjega procesa:\r\n0\r\n"
                               "Vzorcenje zunanjega procesa:\r\n0#5\r\n"
                               "Deviacija ojacenja zunanjega procesa:\r\n0#25\r\n"
                               "Deviacija casovne konstante zunanjega procesa:\r\n0\r\n"
                               "Standardna deviacija zunanjega procesa:\r\n3#1415926535898\r\n"
                               "Relativna standardna deviacija meritev-model zunanjega "
                               "procesa:\r\n0#12\r\n"
                               "Stevilo vzorcev:\r\n2\r\nPodatki:\r\n"
                               "0\t0\t0\t0\t0\t0\t0\r\n"
                               "0#5\t1#25\t-3#5E-7\t0#333333333333\t2E15\t0#1\t123456789013\r\n");
    return t.replace(u'#', QString::fromLatin1(sep)).toUtf8();
}

void ExpectSameModel(const ProcessModel& a, const ProcessModel& b, double relative)
{
    for (auto [x, y] : {std::pair{a.Gain, b.Gain},
                        {a.TimeConstant, b.TimeConstant},
                        {a.DeadTime, b.DeadTime},
                        {a.GainDeviation, b.GainDeviation},
                        {a.TimeDeviation, b.TimeDeviation},
                        {a.ResidualSTD, b.ResidualSTD},
                        {a.RelativeError, b.RelativeError}})
        ExpectClose(x, y, relative * std::fabs(y));
}

} // namespace

TEST(ModelFile, IsWrittenToTheByteWithTheLocalesSeparator)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.vkm");
    auto store = SmallModel();
    {
        LocaleScope comma(LocaleScope::Comma());
        SaveModel(path, *store);
        EXPECT_EQ(ReadAll(path), SmallModelText(","));
    }
    {
        LocaleScope point(LocaleScope::Point());
        SaveModel(path, *store);
        EXPECT_EQ(ReadAll(path), SmallModelText("."));
    }
}

TEST(ModelFile, RoundTripsAnIdentifiedModelWithItsGradeAndPlot)
{
    for (const QLocale& locale : {LocaleScope::Comma(), LocaleScope::Point()}) {
        LocaleScope scope(locale);
        QTemporaryDir dir;
        const QString path = dir.filePath("m.vkm");
        auto saved = std::make_unique<Podatki>();
        saved->SamplingTime = 0.7;
        for (int i = 1; i <= 300; ++i) {
            Sample(saved->Time, i) = 0.7 * (i - 1);
            const double u = i > 40 ? 3.3 : 0.0;
            Sample(saved->ProcessedMV, i) = u;
            Sample(saved->ProcessedU, i) = u + 0.001 * std::sin(i);
            Sample(saved->ProcessedY1, i) = 2.0 * u * (1 - std::exp(-std::max(i - 45, 0) / 11.0));
            Sample(saved->ProcessedY2, i) = 0.3 * u * (1 - std::exp(-std::max(i - 50, 0) / 7.0));
        }
        saved->SampleCount = 300;
        IdentifyModels(*saved, 3, 290);
        SaveModel(path, *saved);

        auto loaded = std::make_unique<Podatki>();
        LoadModel(path, *loaded);
        ExpectSameModel(loaded->InnerModel, saved->InnerModel, 5e-14);
        ExpectSameModel(loaded->OuterModel, saved->OuterModel, 5e-14);
        EXPECT_EQ(loaded->SamplingTime, 0.7);
        EXPECT_EQ(loaded->IdentSampleCount, 288);
        EXPECT_EQ(loaded->InnerDelaySamples, saved->InnerDelaySamples);
        EXPECT_EQ(loaded->OuterDelaySamples, saved->OuterDelaySamples);
        EXPECT_EQ(GradeModel(loaded->InnerModel.RelativeError),
                  GradeModel(saved->InnerModel.RelativeError));
        EXPECT_EQ(GradeModel(loaded->OuterModel.RelativeError),
                  GradeModel(saved->OuterModel.RelativeError));
        for (int i = 1; i <= 288; ++i) {
            ExpectClose(Sample(loaded->IdentTime, i), Sample(saved->IdentTime, i),
                        5e-12 * std::fabs(Sample(saved->IdentTime, i)));
            ExpectClose(Sample(loaded->MeasuredOuter, i), Sample(saved->MeasuredOuter, i),
                        5e-12 * std::fabs(Sample(saved->MeasuredOuter, i)));
            ExpectClose(Sample(loaded->ModelOutputInner, i), Sample(saved->ModelOutputInner, i),
                        5e-12 * std::fabs(Sample(saved->ModelOutputInner, i)));
        }
    }
}

TEST(ModelFile, ValuesAreTakenByPositionWhateverTheKeysSay)
{
    LocaleScope point(LocaleScope::Point());
    QTemporaryDir dir;
    const QString path = dir.filePath("m.vkm");
    QByteArray text = SmallModelText(".");
    QList<QByteArray> lines = text.split('\n');
    for (int k = 0; k < 37; k += (k < 2 ? 1 : 2)) // lines 1, 2, 3, 5, ..., 35, 37
        lines[k] = "nekaj drugega\r";
    lines[9] = "7.25\r"; // line 10, the inner sampling time, loses to line 26
    WriteAll(path, lines.join('\n'));

    auto loaded = std::make_unique<Podatki>();
    LoadModel(path, *loaded);
    auto expected = SmallModel();
    ExpectSameModel(loaded->InnerModel, expected->InnerModel, 1e-14);
    ExpectSameModel(loaded->OuterModel, expected->OuterModel, 1e-14);
    EXPECT_EQ(loaded->SamplingTime, 0.5);
    EXPECT_EQ(loaded->InnerDelaySamples, 3); // 1.5 s at 0.5 s
    EXPECT_EQ(Sample(loaded->ModelOutputOuter, 2), 123456789013);

    lines[25] = "0.25\r"; // line 26
    WriteAll(path, lines.join('\n'));
    LoadModel(path, *loaded);
    EXPECT_EQ(loaded->SamplingTime, 0.25);
    EXPECT_EQ(loaded->InnerDelaySamples, 6);
}

TEST(ModelFile, SampleLinesAreReadLeniently)
{
    LocaleScope point(LocaleScope::Point());
    QTemporaryDir dir;
    const QString path = dir.filePath("m.vkm");
    QByteArray text = SmallModelText(".");
    text.replace("0.5\t1.25\t-3.5E-7\t0.333333333333\t2E15\t0.1\t123456789013", "2,5\tx\t4\t9");
    text.replace("\r\n", "\n"); // LF line ends are read too
    WriteAll(path, text);
    auto loaded = std::make_unique<Podatki>();
    LoadModel(path, *loaded);
    EXPECT_EQ(Sample(loaded->IdentTime, 2), 2.5); // either decimal mark
    EXPECT_EQ(Sample(loaded->IdentU, 2), 0);      // not a number
    EXPECT_EQ(Sample(loaded->IdentY1, 2), 4);
    EXPECT_EQ(Sample(loaded->MeasuredInner, 2), 0); // missing fields
    EXPECT_EQ(Sample(loaded->ModelOutputInner, 2), 0);
    EXPECT_EQ(Sample(loaded->ModelOutputOuter, 2), 9); // the last field present
}

TEST(ModelFile, AFileThatFailsLeavesTheStoreAsItWas)
{
    LocaleScope point(LocaleScope::Point());
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.vkm");
    auto store = SmallModel();
    const QByteArray good = SmallModelText(".");

    struct Case {
        QByteArray from, to;
        QString message;
    };
    const Case cases[] = {
        {"10#25", "deset", "bad.vkm: vrstica 6: "},
        {"\r\n2\r\nPodatki", "\r\n3\r\nPodatki", "bad.vkm: vrstica 40: vrstica manjka"},
        {"\r\n2\r\nPodatki", "\r\n5001\r\nPodatki", "bad.vkm: vrstica 36: "},
        {"\r\n2\r\nPodatki", "\r\n-1\r\nPodatki", "bad.vkm: vrstica 36: "},
        {"\r\n2\r\nPodatki", "\r\n2.5\r\nPodatki", "bad.vkm: vrstica 36: "},
        {"Stevilo vzorcev:\r\n2\r\nPodatki:\r\n0\t0\t0\t0\t0\t0\t0\r\n0#5\t1#25\t-3#5E-7\t0#"
         "333333333333\t2E15\t0#1\t123456789013\r\n",
         "", "bad.vkm: vrstica 36: vrstica manjka"},
    };
    for (const Case& c : cases) {
        QByteArray text = good;
        text.replace(QByteArray(c.from).replace('#', '.'), c.to);
        WriteAll(path, text);
        auto target = SmallModel();
        target->InnerModel.Gain = 99;
        target->SamplingTime = 4;
        try {
            LoadModel(dir.filePath("bad.vkm"), *target);
            ADD_FAILURE() << "loaded: " << c.message.toStdString();
        } catch (const FileError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(dir.filePath(c.message)))
                << e.what();
        }
        EXPECT_EQ(target->InnerModel.Gain, 99);
        EXPECT_EQ(target->SamplingTime, 4);
        EXPECT_EQ(target->IdentSampleCount, 2);
        EXPECT_EQ(Sample(target->MeasuredInner, 2), 1.0 / 3.0);
    }
    EXPECT_THROW(LoadModel(dir.filePath("missing.vkm"), *store), FileError);
}

TEST(ModelFile, SavingNeverWritesANonFiniteNumberNorSpoilsAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.vkm");
    auto store = SmallModel();
    SaveModel(path, *store);
    const QByteArray before = ReadAll(path);
    Sample(store->ModelOutputOuter, 2) = std::nan("");
    EXPECT_THROW(SaveModel(path, *store), FileError);
    store = SmallModel();
    store->OuterModel.TimeDeviation = INFINITY;
    EXPECT_THROW(SaveModel(path, *store), FileError);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_THROW(SaveModel(dir.filePath("no/such/dir/m.vkm"), *store), FileError);
}

TEST(ModelTexts, FixedDecimalsPerFieldAndTheGrade)
{
    LocaleScope comma(LocaleScope::Comma());
    const ModelTexts t = ShowModelTexts({2.34567, 0.0, 3.0, 0.0004, 12.345, 0.0123456, 0.05}, {});
    EXPECT_EQ(t.Gain, "2,346");
    EXPECT_EQ(t.TimeConstant, "0,00"); // a negative fitted time constant is stored as 0
    EXPECT_EQ(t.DeadTime, "3,0");
    EXPECT_EQ(t.GainDeviation, "0,000");
    EXPECT_EQ(t.TimeDeviation, "12,35");
    EXPECT_EQ(t.ResidualSTD, "0,01235");
    EXPECT_EQ(t.RelativeError, "0,05000");
    EXPECT_EQ(t.Grade, "Slabsa");
    EXPECT_EQ(AppliedModelFigureText(0.123456), "0,1235");
}

TEST(ModelTexts, ATypedModelNamesTheFieldItRefuses)
{
    LocaleScope comma(LocaleScope::Comma());
    const TypedModel m = ParseTypedModel("1,5", "10", "0");
    EXPECT_EQ(m.Gain, 1.5);
    EXPECT_EQ(m.TimeConstant, 10);
    EXPECT_EQ(m.DeadTime, 0);
    auto refusal = [](const char* k, const char* t, const char* l) {
        try {
            ParseTypedModel(QString::fromUtf8(k), QString::fromUtf8(t), QString::fromUtf8(l));
        } catch (const ConversionError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(refusal("abc", "1", "1"), "Ocenjeno ojačenje: 'abc' ni veljavno število");
    EXPECT_EQ(refusal("1", "-2", "1"),
              "Ocenjena časovna konstanta [s]: vrednost ne sme biti negativna (-2).");
    EXPECT_EQ(refusal("1", "2", "-0,5"), "Ocenjen mrtvi čas [s]: vrednost ne sme biti negativna (-0,5).");
    EXPECT_EQ(refusal("-3", "2", "1"), ""); // a negative gain is a reverse-acting process
}
