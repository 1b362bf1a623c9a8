#include "data/DataFile.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "data/Podatki.h"
#include "data/ProcessingChoosers.h"

#include "support/ExpectClose.h"
#include "support/LocaleScope.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

class DataFileTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    // The message of the FileError that loading `path` into `store` raises.
    static std::string LoadError(Podatki& store, const QString& path)
    {
        try {
            LoadMeasurements(store, path);
        } catch (const FileError& e) {
            return e.what();
        }
        ADD_FAILURE() << "no error loading " << path.toStdString();
        return {};
    }
};

double Value(int k, int i)
{
    // Values of many magnitudes and both signs; column 6 needs exponents.
    const double base = std::sin(0.37 * i + k) * std::pow(10.0, (i % 9) - 3);
    return k == 6 ? base * 1e-9 : (k == 4 ? base * 1e15 : base * k);
}

std::unique_ptr<Podatki> ExampleStore(int n)
{
    auto store = std::make_unique<Podatki>();
    store->SampleCount = n;
    store->SignalCount = 6;
    store->SamplingTime = 0.1;
    for (int i = 1; i <= n; ++i) {
        Sample(store->Time, i) = 0.1 * (i - 1);
        for (int k = 1; k <= 6; ++k)
            store->Column(k)[i - 1] = Value(k, i);
    }
    const char* names[] = {"MV", "MV2", "U čas", "U2", "Y1", "Y2"};
    for (int k = 0; k < 6; ++k)
        store->ColumnNames[static_cast<std::size_t>(k)] = names[k];
    return store;
}

// Equal to 12 significant digits, as the file writes them.
void ExpectSame12(double actual, double expected)
{
    EXPECT_EQ(FormatGeneralC(actual, 12), FormatGeneralC(expected, 12));
}

QByteArray ForeignFile(int sampleLines, const QByteArray& firstStamp = "12:00:00",
                       const QByteArray& secondStamp = "12:00:05")
{
    QByteArray text = "05.03.2024;Izvoz;\r\nopis\r\nTIC1;FIC2;LIC3;\r\nenote\r\nprazno\r\n";
    for (int r = 0; r < sampleLines; ++r) {
        const QByteArray stamp = r == 0 ? firstStamp : r == 1 ? secondStamp : "99:99:99";
        text += stamp + ";" + QByteArray::number(r) + ";" + QByteArray::number(r) + ",5;" +
                QByteArray::number(-r) + ";\r\n";
    }
    return text;
}

} // namespace

TEST_F(DataFileTest, SavedDataLoadsBackUnderEitherDecimalMark)
{
    for (const QLocale& locale : {LocaleScope::Comma(), LocaleScope::Point()}) {
        SCOPED_TRACE(locale.name().toStdString());
        const LocaleScope scope(locale);
        auto saved = ExampleStore(57);
        ColumnChoice columns;
        columns.MV = 2; // the file keeps the standard layout whatever is chosen
        ConditioningSettings settings{2.5, 95.5, 1.25, 12.5};
        const QString path = Path("round.vkd");
        SaveMeasurements(*saved, path, QStringLiteral("1. 2. 2024"), QStringLiteral("10:11:12"),
                         saved->SamplingTime, saved->SampleCount, 5, 50, settings, columns,
                         FieldNames(*saved, columns));

        auto loaded = std::make_unique<Podatki>();
        const MeasurementFileSettings s = LoadMeasurements(*loaded, path);
        EXPECT_EQ(s.Date, QStringLiteral("1. 2. 2024"));
        EXPECT_EQ(s.Time, QStringLiteral("10:11:12"));
        EXPECT_EQ(s.WindowStart, QStringLiteral("5"));
        EXPECT_EQ(s.WindowEnd, QStringLiteral("50"));
        EXPECT_EQ(s.FilterTime, FormatGeneral(2.5, 10));
        EXPECT_EQ(s.ActuatorMaximum, FormatGeneral(95.5, 10));
        EXPECT_EQ(s.ActuatorMinimum, FormatGeneral(1.25, 10));
        EXPECT_EQ(s.ActuatorVelocity, FormatGeneral(12.5, 10));
        EXPECT_EQ(loaded->SampleCount, 57);
        EXPECT_EQ(loaded->SignalCount, 6);
        EXPECT_EQ(loaded->WindowGap, 10);
        EXPECT_EQ(loaded->SamplingTime, 0.1);
        EXPECT_EQ(loaded->ColumnNames[0], "MV2");
        EXPECT_EQ(loaded->ColumnNames[2], "U čas");

        const int source[] = {2, 2, 3, 3, 5, 6};
        for (int i = 1; i <= 57; ++i) {
            ExpectSame12(Sample(loaded->Time, i), Sample(saved->Time, i));
            for (int k = 1; k <= 6; ++k)
                ExpectSame12(loaded->Column(k)[i - 1], saved->Column(source[k - 1])[i - 1]);
        }

        const ProcessingLayout layout = PrepareLoadedData(
            *loaded, settings, ParseInteger(s.WindowStart), ParseInteger(s.WindowEnd));
        EXPECT_EQ(layout.Columns.MV, 1);
        EXPECT_EQ(layout.Columns.U, 3);
        EXPECT_EQ(layout.Columns.Y1, 5);
        EXPECT_EQ(layout.Columns.Y2, 6);
        EXPECT_EQ(layout.Window.Start.Position, 5);
        EXPECT_EQ(layout.Window.End.Position, 50);
    }
}

TEST_F(DataFileTest, LinesAreWrittenToTheByte)
{
    auto store = ExampleStore(2);
    Sample(store->Time, 2) = 0.1;
    store->Column(1)[0] = 1.5e-7;
    store->Column(1)[1] = 123456789012.4;
    store->Column(3)[0] = -2.25;
    store->Column(3)[1] = 1.23456789012345e15;
    store->Column(5)[0] = 0;
    store->Column(5)[1] = 1.0 / 3.0;
    store->Column(6)[0] = 100;
    store->Column(6)[1] = -0.000123;
    ColumnChoice columns;
    const QByteArray fields =
        "0\t1.5E-0007\t1.5E-0007\t-2.25\t-2.25\t0\t100\r\n"
        "0.1\t123456789012\t123456789012\t1.23456789012E0015\t1.23456789012E0015\t"
        "0.333333333333\t-0.000123\r\n";
    {
        const LocaleScope scope(LocaleScope::Point());
        SaveMeasurements(*store, Path("p.vkd"), "5.3.2024", "8:09:10", 0.1, 2, 1, 2,
                         {0.123456789012, 100, 0, 1}, columns, {"a", "a", "b", "b", "c", "d"});
        EXPECT_EQ(Read(Path("p.vkd")),
                  "VARKOL Mesurements\r\nV1.0\r\n5.3.2024\r\n8:09:10\r\n0.1\r\n2\r\n1\r\n2\r\n"
                  "0.123456789\r\n100\r\n0\r\n1\r\na\r\na\r\nb\r\nb\r\nc\r\nd\r\n" +
                      fields);
    }
    const LocaleScope scope(LocaleScope::Comma());
    SaveMeasurements(*store, Path("c.vkd"), "5.3.2024", "8:09:10", 0.1, 2, 1, 2, {0.5, 100, 0, 1},
                     columns, {"a", "a", "b", "b", "c", "d"});
    const QByteArray comma = Read(Path("c.vkd"));
    EXPECT_TRUE(comma.contains("\r\n0,1\r\n2\r\n1\r\n2\r\n0,5\r\n100\r\n"));
    EXPECT_TRUE(comma.endsWith("0,1\t123456789012\t123456789012\t1,23456789012E0015\t"
                               "1,23456789012E0015\t0,333333333333\t-0,000123\r\n"));
}

TEST_F(DataFileTest, AFileWithCommasLoadsUnderAPointLocale)
{
    const LocaleScope scope(LocaleScope::Point());
    const QString path =
        Write("comma.vkd",
              "VARKOL Mesurements\r\nV1.0\r\n1.1.2024\r\n12:00:00\r\n0,5\r\n3\r\n1\r\n3\r\n1,5\r\n"
              "100\r\n0\r\n2,25\r\nA\r\nA\r\nB\r\nB\r\nC\r\nD\r\n"
              "0\t1,5\t1,5\t-2,5\t-2,5\t1E-0003\t1,25E0002\r\n"
              "0,5\t2,5\t2,5\t3\t3\t4\t5\r\n"
              "1\t3.5\t3.5\t3\t3\t4\t5\n"); // a point and a bare LF are read too
    Podatki store;
    const MeasurementFileSettings s = LoadMeasurements(store, path);
    EXPECT_EQ(store.SamplingTime, 0.5);
    EXPECT_EQ(s.FilterTime, QStringLiteral("1.5"));
    EXPECT_EQ(s.ActuatorVelocity, QStringLiteral("2.25"));
    EXPECT_EQ(Sample(store.Time, 2), 0.5);
    EXPECT_EQ(store.Column(1)[0], 1.5);
    EXPECT_EQ(store.Column(3)[0], -2.5);
    EXPECT_EQ(store.Column(5)[0], 0.001);
    EXPECT_EQ(store.Column(6)[0], 125);
    EXPECT_EQ(store.Column(1)[2], 3.5);
}

TEST_F(DataFileTest, SampleFieldsThatAreMissingOrNotNumbers)
{
    const QString path = Write("fields.vkd",
                               "VARKOL Mesurements\r\nV1.0\r\nd\r\nt\r\n1\r\n3\r\n1\r\n3\r\n0\r\n"
                               "100\r\n0\r\n1\r\nA\r\nA\r\nB\r\nB\r\nC\r\nD\r\n"
                               "0\t1\tabc\t3\t4\t5\t6\r\n"     // not a number: 0
                               "1\t7\t8\r\n"                   // short: 8 repeats
                               "2\t1\t2\t3\t4\t5\t6\t7\t8\r\n" // extra fields ignored
    );
    Podatki store;
    LoadMeasurements(store, path);
    EXPECT_EQ(store.Column(2)[0], 0);
    EXPECT_EQ(store.Column(3)[0], 3);
    EXPECT_EQ(store.Column(1)[1], 7);
    for (int k = 2; k <= 6; ++k)
        EXPECT_EQ(store.Column(k)[1], 8) << "column " << k;
    EXPECT_EQ(store.Column(6)[2], 6);
}

TEST_F(DataFileTest, ForeignExportsFollowTheirOwnRules)
{
    Podatki store;
    MeasurementFileSettings s = LoadMeasurements(store, Write("f.txt", ForeignFile(100)));
    EXPECT_EQ(store.SampleCount, 99); // the last line closes the file
    EXPECT_EQ(store.SignalCount, 3);
    EXPECT_EQ(store.SamplingTime, 5);
    EXPECT_EQ(Sample(store.Time, 99), 490);
    EXPECT_EQ(store.Column(2)[98], 98.5);
    EXPECT_EQ(store.Column(3)[98], -98);
    EXPECT_EQ(store.ColumnNames[0], "TIC1");
    EXPECT_EQ(store.ColumnNames[2], "LIC3");
    EXPECT_EQ(store.ColumnNames[3], "");
    EXPECT_EQ(store.WindowGap, 10);
    EXPECT_EQ(s.Date, QStringLiteral("05.03.2024"));
    EXPECT_EQ(s.Time, QStringLiteral("12:00:00"));
    EXPECT_EQ(s.WindowStart, QStringLiteral("1"));
    EXPECT_EQ(s.WindowEnd, QStringLiteral("99"));
    EXPECT_EQ(s.FilterTime, QStringLiteral("0"));
    EXPECT_EQ(s.ActuatorMaximum, QStringLiteral("100"));
    EXPECT_EQ(s.ActuatorMinimum, QStringLiteral("0"));
    EXPECT_EQ(s.ActuatorVelocity, QStringLiteral("100"));
    EXPECT_EQ(DefaultColumns(store.SignalCount).Y2, 3);

    LoadMeasurements(store, Write("long.txt", ForeignFile(7000)));
    EXPECT_EQ(store.SampleCount, 4999);

    LoadMeasurements(store, Write("midnight.txt", ForeignFile(10, "23:59:50", "0:00:00")));
    EXPECT_EQ(store.SamplingTime, 10);
    LoadMeasurements(store, Write("same.txt", ForeignFile(10, "1:00:00", "1:00:00")));
    EXPECT_EQ(store.SamplingTime, 86400);
}

TEST_F(DataFileTest, ForeignValueFieldsStopWhereTheLineStops)
{
    const auto load = [this](const QByteArray& line7, const QByteArray& names = "a,b,c") {
        Podatki store;
        LoadMeasurements(store, Write("v.dat", "date,x\r\n\r\n" + names +
                                                   "\r\n\r\n\r\n1:0:0,1,\r\n1:0:1," + line7 +
                                                   "\r\nend\r\n"));
        return store;
    };
    Podatki s = load("1,2,3"); // the last value has no closing separator
    EXPECT_EQ(s.SignalCount, 2);
    s = load("1,,3,"); // an empty field
    EXPECT_EQ(s.SignalCount, 1);
    s = load("1,x,3,"); // not a number: stored as 0, the line's last value
    EXPECT_EQ(s.SignalCount, 2);
    EXPECT_EQ(s.Column(2)[1], 0);
    s = load("7,8,9,"); // one-character fields are ordinary values
    EXPECT_EQ(s.SignalCount, 3);
    EXPECT_EQ(s.Column(3)[1], 9);
    EXPECT_EQ(s.SamplingTime, 1);

    QByteArray many, names;
    for (int k = 1; k <= 45; ++k) {
        many += QByteArray::number(k) + ",";
        names += "n" + QByteArray::number(k) + ",";
    }
    s = load(many, names);
    EXPECT_EQ(s.SignalCount, 39);
    EXPECT_EQ(s.Column(39)[1], 39);
    EXPECT_EQ(s.ColumnNames[39], "n40"); // names beyond 40 are dropped
    s = load("1,", "a,b,c");
    EXPECT_EQ(s.ColumnNames[2], "c"); // no closing separator after the last name
}

TEST_F(DataFileTest, ABrokenFileLeavesTheStoreAsItWas)
{
    const LocaleScope scope(LocaleScope::Point());
    auto saved = ExampleStore(30);
    SaveMeasurements(*saved, Path("good.vkd"), "d", "t", 0.1, 30, 1, 30, {}, {},
                     FieldNames(*saved, {}));
    Podatki store;
    LoadMeasurements(store, Path("good.vkd"));
    const Podatki::Signal time = store.Time, mv = store.RawColumns[0];

    QByteArray good = Read(Path("good.vkd"));
    int variant = 0;
    const auto broken = [&](int line, const QByteArray& text) {
        QList<QByteArray> lines = good.split('\n');
        lines[line - 1] = text + "\r";
        return Write(QStringLiteral("bad%1.vkd").arg(++variant), lines.join('\n'));
    };
    const struct {
        QString Path;
        std::string Expected;
    } cases[] = {
        {broken(5, "x0.1"), ": vrstica 5: 'x0.1' ni veljavno število"},
        {broken(5, "0"), ": vrstica 5: čas vzorčenja"},
        {broken(6, "5001"), ": vrstica 6: število vzorcev 5001"},
        {broken(6, "0"), ": vrstica 6: število vzorcev 0"},
        {broken(7, "1.5"), ": vrstica 7: '1.5' ni veljavno celo število"},
        {broken(12, ""), ": vrstica 12: '' ni veljavno število"},
        {broken(6, "40"), ": vrstica 49: vrstica manjka"},
        {broken(25, "1.5 2 3"), ": vrstica 25: vrstica vzorca nima polj"},
        {Write("short.txt", ForeignFile(1)), ": vrstica 7: vrstica manjka"},
        {Write("stamp.txt", ForeignFile(5, "12:00")), ": vrstica 6: '12:00' ni čas"},
        {Write("novalue.txt", "d;\r\n\r\nA;\r\n\r\n\r\n1:0:0;1;\r\n1:0:1\r\nend\r\n"),
         ": vrstica 7: v vrstici ni nobene vrednosti"},
        {Path("missing.vkd"), ": datoteke ni mogoče odpreti"},
        {Write("odd%1name.txt", ForeignFile(1)), ": vrstica 7: vrstica manjka"},
    };
    for (const auto& c : cases) {
        const std::string message = LoadError(store, c.Path);
        EXPECT_EQ(message.rfind(c.Path.toStdString() + c.Expected, 0), 0u) << message;
        EXPECT_EQ(store.SampleCount, 30);
        EXPECT_EQ(store.Time, time);
        EXPECT_EQ(store.RawColumns[0], mv);
        EXPECT_EQ(store.ColumnNames[0], "MV");
    }
}

TEST_F(DataFileTest, AFailedSaveLeavesThePreviousFile)
{
    auto store = ExampleStore(5);
    const QString path = Path("keep.vkd");
    SaveMeasurements(*store, path, "d", "t", 0.1, 5, 1, 5, {}, {}, FieldNames(*store, {}));
    const QByteArray before = Read(path);

    store->Column(5)[3] = std::nan("");
    try {
        SaveMeasurements(*store, path, "d", "t", 0.1, 5, 1, 5, {}, {}, FieldNames(*store, {}));
        ADD_FAILURE() << "a NaN was written";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("vzorec 4 stolpca 5"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Read(path), before);

    const QString nowhere = Path("no/such/dir/x.vkd");
    try {
        SaveMeasurements(*store, nowhere, "d", "t", 0.1, 3, 1, 3, {}, {}, FieldNames(*store, {}));
        ADD_FAILURE() << "wrote into a missing directory";
    } catch (const FileError& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind(nowhere.toStdString() + ": datoteke ni mogoče zapisati", 0),
            0u)
            << e.what();
    }
    EXPECT_THROW(
        SaveMeasurements(*store, path, "d", "t", 0.1, 0, 1, 1, {}, {}, FieldNames(*store, {})),
        VarkolError);
    EXPECT_EQ(Read(path), before);
}

TEST_F(DataFileTest, ASingleByteForeignFileStillLoads)
{
    Podatki store;
    LoadMeasurements(store, Write("latin.txt", "d;\r\n\r\nTemp\xe8;B;\r\n\r\n\r\n1:0:0;1;2;\r\n"
                                               "1:0:2;3;4;\r\nend\r\n"));
    EXPECT_EQ(store.ColumnNames[0], "Temp\u010d"); // Windows-1250

    EXPECT_EQ(store.SamplingTime, 2);
    EXPECT_EQ(store.SignalCount, 2);
}
