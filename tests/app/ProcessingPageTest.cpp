// The processing page driven as a user drives it: data files loaded and
// saved through the file dialogs, the column and window choosers moved, the
// conditioning applied, the run window's hand-over, and the clicks on the
// charts that open the histogram and the large plot.

#include "base/ChartView.h"
#include "base/Errors.h"
#include "data/DataFile.h"
#include "data/ProcessedSignals.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "support/ExpectClose.h"
#include "support/LocaleScope.h"
#include "support/MainWindowFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const ColumnTitles[6] = {"Pretok",      "Pretok 2", "Regulator",
                                     "Regulator 2", "Nivo",     "Tlak š"};

// The raw columns of the example records: MV rises by one per sample, U
// leaves the actuator range 0..100 on both sides, Y2 is constant.
double Raw(int k, int i)
{
    switch (k) {
    case 1:
        return i;
    case 2:
        return 100 + i;
    case 3:
        return 10.0 * i - 50;
    case 4:
        return 0.5 * i;
    case 5:
        return double(i) * i;
    default:
        return 7;
    }
}

// A .vkd file of n samples 0.5 s apart with the window start..end and the
// settings Tf = 0, limits 0..100, full-travel time 0.
QByteArray VkdText(int n, int start, int end)
{
    QStringList lines = {"VARKOL Mesurements",
                         "V1.0",
                         "1.2.2024",
                         "10:20:30",
                         "0.5",
                         QString::number(n),
                         QString::number(start),
                         QString::number(end),
                         "0",
                         "100",
                         "0",
                         "0"};
    for (const char* title : ColumnTitles)
        lines << QString::fromUtf8(title);
    for (int i = 1; i <= n; ++i) {
        QStringList fields = {QString::number(0.5 * (i - 1))};
        for (int k = 1; k <= 6; ++k)
            fields << QString::number(Raw(k, i));
        lines << fields.join('\t');
    }
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// A foreign export with `values` values per line and `samples` sample lines,
// the first two stamped 23:59:50 and 0:00:00, and a closing line.
QByteArray ForeignText(int values, int samples)
{
    QStringList lines = {"12.3.2024;Izvoz", "", "A;B;C;D;E;F;", "", ""};
    for (int r = 1; r <= samples; ++r) {
        QString line = r == 1 ? "23:59:50;" : r == 2 ? "0:00:00;" : "0:00:10;";
        for (int k = 1; k <= values; ++k)
            line += QString::number(Raw(k, r)) + ";";
        lines << line;
    }
    lines << "konec";
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// Everything the page shows and the store holds, to tell whether anything
// changed.
struct PageState {
    int SampleCount = 0, SignalCount = 0;
    double SamplingTime = 0;
    std::vector<double> Time, Raw1, MV, U, Y1, Y2;
    std::vector<std::string> Names;
    std::vector<int> Bars;                  // minimum, maximum, value of each chooser
    std::vector<std::string> Texts;         // every label and edit of the page
    std::vector<std::vector<double>> Drawn; // y of the points of each series
    bool Chart2Hidden = false;
};

class ProcessingPage : public MainWindowFixture {
protected:
    ProcessingPage()
    {
        histogram.hide();
        large.hide();
        form->AttachWindows(nullptr, nullptr, &histogram, &large);
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    // "Naloži iz datoteke" answered with `path`.
    void Load(const QString& path)
    {
        dialogs.FileAnswers.push_back(path);
        Find<QPushButton>("Button3")->click();
    }

    QString Text(const char* name)
    {
        if (auto* label = form->findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        return Find<QLineEdit>(name)->text();
    }

    void ExpectChooser(const char* name, int minimum, int maximum, int value)
    {
        auto* bar = Find<QScrollBar>(name);
        EXPECT_EQ(bar->minimum(), minimum) << name;
        EXPECT_EQ(bar->maximum(), maximum) << name;
        EXPECT_EQ(bar->value(), value) << name;
    }

    // Moves a chooser as the user does (its handler runs).
    void Move(const char* name, int value) { Find<QScrollBar>(name)->setValue(value); }

    // The store as an experiment leaves it: six columns of Raw, n samples.
    void FakeRun(int n)
    {
        store.SampleCount = n;
        store.SamplingTime = 0.5;
        store.SignalCount = 6;
        for (int i = 1; i <= n; ++i) {
            Sample(store.Time, i) = 0.5 * (i - 1);
            for (int k = 1; k <= 6; ++k)
                store.Column(k)[i - 1] = Raw(k, i);
        }
        for (int k = 0; k < 6; ++k)
            store.ColumnNames[static_cast<std::size_t>(k)] = ColumnTitles[k];
    }

    std::vector<double> Signal(const Podatki::Signal& s, int n) const
    {
        return {s.begin(), s.begin() + n};
    }

    PageState Capture()
    {
        PageState p;
        p.SampleCount = store.SampleCount;
        p.SignalCount = store.SignalCount;
        p.SamplingTime = store.SamplingTime;
        p.Time = Signal(store.Time, 60);
        p.Raw1 = Signal(store.RawColumns[0], 60);
        p.MV = Signal(store.ProcessedMV, 60);
        p.U = Signal(store.ProcessedU, 60);
        p.Y1 = Signal(store.ProcessedY1, 60);
        p.Y2 = Signal(store.ProcessedY2, 60);
        p.Names.assign(store.ColumnNames.begin(), store.ColumnNames.begin() + 8);
        QWidget* page = Find<QWidget>("ObdTab");
        for (const QScrollBar* bar : page->findChildren<QScrollBar*>())
            p.Bars.insert(p.Bars.end(), {bar->minimum(), bar->maximum(), bar->value()});
        for (const QLabel* label : page->findChildren<QLabel*>())
            p.Texts.push_back((label->objectName() + "=" + label->text()).toStdString());
        for (const QLineEdit* edit : page->findChildren<QLineEdit*>())
            p.Texts.push_back((edit->objectName() + "=" + edit->text()).toStdString());
        for (const QLineSeries* series :
             {form->Series_MV, form->Series_U, form->Series_Y, form->Series_Y2}) {
            std::vector<double> y;
            for (const QPointF& point : series->points())
                y.push_back(point.y());
            p.Drawn.push_back(y);
        }
        p.Chart2Hidden = form->Chart2->isHidden();
        return p;
    }

    void ExpectUnchanged(const PageState& before, const PageState& after)
    {
        EXPECT_EQ(after.SampleCount, before.SampleCount);
        EXPECT_EQ(after.SignalCount, before.SignalCount);
        EXPECT_EQ(after.SamplingTime, before.SamplingTime);
        EXPECT_EQ(after.Time, before.Time);
        EXPECT_EQ(after.Raw1, before.Raw1);
        EXPECT_EQ(after.MV, before.MV);
        EXPECT_EQ(after.U, before.U);
        EXPECT_EQ(after.Y1, before.Y1);
        EXPECT_EQ(after.Y2, before.Y2);
        EXPECT_EQ(after.Names, before.Names);
        EXPECT_EQ(after.Bars, before.Bars);
        EXPECT_EQ(after.Texts, before.Texts);
        EXPECT_EQ(after.Drawn, before.Drawn);
        EXPECT_EQ(after.Chart2Hidden, before.Chart2Hidden);
    }

    LocaleScope locale{LocaleScope::Point()};
    QTemporaryDir dir;
    TForm_Histogram histogram;
    TForm_Obdelava_Large large;
};

TEST_F(ProcessingPage, LoadingAVkdFillsTheLabelsChoosersEditsAndCharts)
{
    // Text that is not a number in an edit must not matter: the load
    // conditions with the file's settings and runs no chooser handler.
    Find<QLineEdit>("Edit8")->setText("abc");
    const QString path = Write("meritev.vkd", VkdText(50, 5, 40));
    Load(path);
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();

    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.FileRequests.front();
    EXPECT_EQ(request.Filter, "Measured Data (*.vkd)|*.vkd|Data files (*.txt, *.dat)|*.txt; "
                              "*.dat|All files|*.*");
    EXPECT_EQ(request.DefaultExtension, "vkd");
    EXPECT_EQ(request.Directory, form->WorkDir);

    EXPECT_EQ(Text("Label_Ts"), "0.5");
    EXPECT_EQ(Text("Label_Ns"), "50");
    EXPECT_EQ(Text("Label_Datum"), "1.2.2024");
    EXPECT_EQ(Text("Label_Ura"), "10:20:30");
    EXPECT_EQ(Text("Label_Ime"), "meritev.vkd");
    EXPECT_EQ(Text("Edit8"), "0");
    EXPECT_EQ(Text("Edit_Actuator_Maximum"), "100");
    EXPECT_EQ(Text("Edit_Actuator_Minimum"), "0");
    EXPECT_EQ(Text("Edit_Actuator_Velocity"), "0");

    ExpectChooser("ScrollBar_MV", 1, 6, 1);
    ExpectChooser("ScrollBar1", 1, 6, 3);
    ExpectChooser("ScrollBar2", 1, 6, 5);
    ExpectChooser("ScrollBar5", 1, 6, 6);
    EXPECT_EQ(Text("Edit_Stolpec_MV"), "1");
    EXPECT_EQ(Text("Edit_Stolpec_U"), "3");
    EXPECT_EQ(Text("Edit_Stolpec_Y"), "5");
    EXPECT_EQ(Text("Edit_Stolpec_Y1"), "6");
    EXPECT_EQ(Text("Label_MVDescription"), "Pretok");
    EXPECT_EQ(Text("Label22"), "Regulator");
    EXPECT_EQ(Text("Label20"), "Nivo");
    EXPECT_EQ(Text("Label68"), QString::fromUtf8("Tlak š"));
    // Window 5..40 with the gap of 10 on both sides.
    ExpectChooser("ScrollBar3", 1, 40, 5);
    ExpectChooser("ScrollBar4", 10, 50, 40);

    // MV over 5..40 is 4..39 (one sample late): 36 whole numbers with the
    // deviation sqrt(36*37/12), shown with 8 significant digits.
    const QList<QPointF> mv = form->Series_MV->points();
    ASSERT_EQ(mv.size(), 36);
    EXPECT_EQ(mv.front(), QPointF(2.0, 4));
    EXPECT_EQ(mv.back(), QPointF(19.5, 39));
    EXPECT_EQ(Text("Label_MaksMV1"), "39");
    EXPECT_EQ(Text("Label_MinMV1"), "4");
    EXPECT_EQ(Text("Label_STDMV1"), "10.535654");
    ExpectClose(form->Chart_MV->AxisY()->min(), 0.5, 1e-12);
    ExpectClose(form->Chart_MV->AxisY()->max(), 42.5, 1e-12);
    ExpectClose(form->Chart_MV->AxisX()->min(), 2.0, 1e-12);
    ExpectClose(form->Chart_MV->AxisX()->max(), 19.5, 1e-12);

    // U clipped to the actuator range 0..100 and delayed.
    EXPECT_EQ(Text("Label_MaksU1"), "100");
    EXPECT_EQ(Text("Label_MinU1"), "0");
    for (int i = 2; i <= 50; ++i)
        EXPECT_EQ(Sample(store.ProcessedU, i), std::clamp(Raw(3, i - 1), 0.0, 100.0)) << i;

    // The window's bounds as sample and time; "Shranjeno okno" brings the
    // file's window back after the choosers moved.
    EXPECT_EQ(Text("Label_ZacetekOkna"), "5 (2 s)");
    EXPECT_EQ(Text("Label_KonecOkna"), "40 (19.5 s)");
    form->ScrollBar3->setValue(12);
    Find<QPushButton>("Button_ShranjenoOkno")->click();
    EXPECT_EQ(form->ScrollBar3->value(), 5);
    EXPECT_EQ(form->ScrollBar4->value(), 40);

    // A constant Y2: deviation 0 and the axis 0.1 around the value.
    EXPECT_FALSE(form->Chart2->isHidden());
    EXPECT_EQ(form->Series_Y2->count(), 36);
    EXPECT_EQ(Text("Label_MaksY2"), "7");
    EXPECT_EQ(Text("Label_MinY2"), "7");
    EXPECT_EQ(Text("Label_STDY2"), "0");
    ExpectClose(form->Chart2->AxisY()->min(), 6.9, 1e-12);
    ExpectClose(form->Chart2->AxisY()->max(), 7.1, 1e-12);
}

TEST_F(ProcessingPage, WithoutDataNothingIsSavedDrawnOrIdentified)
{
    Find<QPushButton>("Button4")->click();
    Find<QPushButton>("Button_Izracun")->click();
    form->Chart_MVRightClick();
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(dialogs.Errors[0].startsWith("Ni izmerjenih podatkov za shranjevanje"));
    EXPECT_TRUE(dialogs.Errors[1].startsWith("Ni podatkov za izračun modela"));
    EXPECT_TRUE(dialogs.FileRequests.empty());
    EXPECT_FALSE(histogram.isVisible());
}

TEST_F(ProcessingPage, AForeignExportWithThreeValuesHidesY2UntilSixSignalsCome)
{
    Load(Write("izvoz.txt", ForeignText(3, 20)));
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(store.SignalCount, 3);
    EXPECT_EQ(Text("Label_Ts"), "10"); // 23:59:50 -> 0:00:00 crosses midnight
    EXPECT_EQ(Text("Label_Ns"), "20");
    EXPECT_EQ(Text("Label_Datum"), "12.3.2024");
    EXPECT_EQ(Text("Label_Ura"), "23:59:50");
    EXPECT_EQ(Text("Label_Ime"), "izvoz.txt");
    EXPECT_EQ(Text("Edit8"), "0");
    EXPECT_EQ(Text("Edit_Actuator_Maximum"), "100");
    EXPECT_EQ(Text("Edit_Actuator_Minimum"), "0");
    EXPECT_EQ(Text("Edit_Actuator_Velocity"), "100");

    // The default columns 3, 5 and 6 do not exist: the choosers stop at 3.
    ExpectChooser("ScrollBar_MV", 1, 3, 1);
    ExpectChooser("ScrollBar1", 1, 3, 3);
    ExpectChooser("ScrollBar2", 1, 3, 3);
    ExpectChooser("ScrollBar5", 1, 3, 3);
    EXPECT_EQ(Text("Edit_Stolpec_Y"), "3");
    EXPECT_EQ(Text("Label20"), "C");
    EXPECT_EQ(Text("Label68"), "");
    ExpectChooser("ScrollBar3", 1, 10, 1);
    ExpectChooser("ScrollBar4", 10, 20, 20);
    EXPECT_TRUE(form->Chart2->isHidden());
    EXPECT_EQ(form->Series_MV->count(), 20);
    EXPECT_EQ(form->Series_Y2->count(), 0);

    // Three signals are enough for the window choosers to redraw Y2 (still
    // hidden); with two they do not.
    Move("ScrollBar3", 4);
    EXPECT_EQ(form->Series_Y2->count(), 17);
    EXPECT_TRUE(form->Chart2->isHidden());
    Load(Write("dva.txt", ForeignText(2, 20)));
    Move("ScrollBar3", 6);
    EXPECT_EQ(form->Series_MV->count(), 15);
    EXPECT_EQ(form->Series_Y2->count(), 17); // left from before
    EXPECT_TRUE(form->Chart2->isHidden());

    Load(Write("meritev.vkd", VkdText(30, 1, 30)));
    EXPECT_FALSE(form->Chart2->isHidden());
    EXPECT_EQ(form->Series_Y2->count(), 30);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ProcessingPage, AFileThatDoesNotLoadLeavesStoreChoosersAndPlotsAsTheyWere)
{
    Load(Write("meritev.vkd", VkdText(50, 5, 40)));
    Move("ScrollBar1", 4);
    Move("ScrollBar3", 12);
    Find<QLineEdit>("Edit8")->setText("1.5");
    ASSERT_TRUE(dialogs.Errors.isEmpty());
    const PageState before = Capture();

    QByteArray notANumber = VkdText(30, 1, 30);
    notANumber.replace("\r\n0.5\r\n", "\r\npol\r\n"); // line 5, the sampling time
    QByteArray shortFile = VkdText(30, 1, 30);
    shortFile.truncate(shortFile.indexOf("\r\n14\t") + 2); // 28 of 30 samples
    const std::pair<QString, QString> badFiles[] = {
        {Write("crka.vkd", notANumber), "vrstica 5"},
        {Write("kratka.vkd", shortFile), "vrstica 47"},
        {Write("prazna.txt", "datum;\r\n\r\nA;B;\r\n"), "vrstica 6"},
        {dir.filePath("ni.vkd"), "ni.vkd"},
    };
    for (const auto& [path, where] : badFiles) {
        SCOPED_TRACE(path.toStdString());
        dialogs.Errors.clear();
        Load(path);
        ASSERT_EQ(dialogs.Errors.size(), 1);
        EXPECT_TRUE(dialogs.Errors.front().contains(path)) << dialogs.Errors.front().toStdString();
        EXPECT_TRUE(dialogs.Errors.front().contains(where)) << dialogs.Errors.front().toStdString();
        ExpectUnchanged(before, Capture());
    }

    dialogs.Errors.clear();
    Load(QString()); // cancelled
    EXPECT_TRUE(dialogs.Errors.isEmpty());
    ExpectUnchanged(before, Capture());
}

TEST_F(ProcessingPage, SavedDataReloadWithTheChosenColumnsInTheStandardLayout)
{
    int round = 0;
    for (const QLocale& regional : {LocaleScope::Comma(), LocaleScope::Point()}) {
        ++round;
        const LocaleScope scope(regional);
        const QString mark = regional.decimalPoint();
        SCOPED_TRACE(mark.toStdString());
        Load(Write("meritev.vkd", VkdText(50, 1, 50)));
        Move("ScrollBar_MV", 2);
        Move("ScrollBar1", 4);
        Move("ScrollBar2", 6);
        Move("ScrollBar5", 5);
        Move("ScrollBar3", 8);
        Move("ScrollBar4", 33);
        Find<QLineEdit>("Edit8")->setText("2" + mark + "5");
        Find<QLineEdit>("Edit_Actuator_Maximum")->setText("80");
        Find<QLineEdit>("Edit_Actuator_Minimum")->setText("-5" + mark + "25");
        Find<QLineEdit>("Edit_Actuator_Velocity")->setText("12");

        // Cancel writes nothing; a wrong edit stops the save before the dialog.
        const QString copy = dir.filePath(QStringLiteral("kopija%1.vkd").arg(round));
        dialogs.FileRequests.clear();
        dialogs.FileAnswers.push_back(QString());
        Find<QPushButton>("Button4")->click();
        EXPECT_FALSE(QFile::exists(copy));
        Find<QLineEdit>("Edit_Actuator_Velocity")->setText("hitro");
        Find<QPushButton>("Button4")->click();
        ASSERT_EQ(dialogs.Errors.size(), 1);
        EXPECT_TRUE(dialogs.Errors.takeFirst().contains("hitro"));
        Find<QLineEdit>("Edit_Actuator_Velocity")->setText("12");
        dialogs.FileAnswers.push_back(copy.chopped(4)); // extension added
        Find<QPushButton>("Button4")->click();
        ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
        ASSERT_EQ(dialogs.FileRequests.size(), 2u);
        EXPECT_EQ(dialogs.FileRequests.back().Filter, MeasurementFileFilter);
        EXPECT_EQ(dialogs.FileRequests.back().DefaultExtension, "vkd");
        EXPECT_EQ(dialogs.FileRequests.back().Directory, form->WorkDir);
        ASSERT_TRUE(QFile::exists(copy));
        EXPECT_EQ(Text("Label_Ime"), QFileInfo(copy).fileName()); // the data are now this file's

        Load(copy);
        ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
        EXPECT_EQ(Text("Label_Datum"), CurrentDateText());
        EXPECT_EQ(Text("Label_Ime"), QStringLiteral("kopija%1.vkd").arg(round));
        ExpectChooser("ScrollBar_MV", 1, 6, 1);
        ExpectChooser("ScrollBar1", 1, 6, 3);
        ExpectChooser("ScrollBar2", 1, 6, 5);
        ExpectChooser("ScrollBar5", 1, 6, 6);
        ExpectChooser("ScrollBar3", 1, 40, 8);
        ExpectChooser("ScrollBar4", 10, 50, 33);
        EXPECT_EQ(Text("Edit8"), "2" + mark + "5");
        EXPECT_EQ(Text("Edit_Actuator_Maximum"), "80");
        EXPECT_EQ(Text("Edit_Actuator_Minimum"), "-5" + mark + "25");
        EXPECT_EQ(Text("Edit_Actuator_Velocity"), "12");
        const int from[6] = {2, 2, 4, 4, 6, 5};
        for (int k = 1; k <= 6; ++k) {
            EXPECT_EQ(store.ColumnNames[static_cast<std::size_t>(k - 1)],
                      ColumnTitles[from[k - 1] - 1])
                << k;
            for (int i = 1; i <= 50; ++i)
                ASSERT_EQ(store.Column(k)[i - 1], Raw(from[k - 1], i)) << k << " " << i;
        }
        EXPECT_EQ(Text("Label22"), "Regulator 2");
    }
}

TEST_F(ProcessingPage, EachColumnChooserRecomputesOnlyItsSignalWithTheEditsAsTheyAre)
{
    Load(Write("meritev.vkd", VkdText(50, 1, 50)));
    const std::vector<double> u = Signal(store.ProcessedU, 50);
    const std::vector<double> y2 = Signal(store.ProcessedY2, 50);

    Move("ScrollBar_MV", 2);
    EXPECT_EQ(Text("Edit_Stolpec_MV"), "2");
    EXPECT_EQ(Text("Label_MVDescription"), "Pretok 2");
    EXPECT_EQ(Sample(store.ProcessedMV, 10), Raw(2, 9));
    EXPECT_EQ(form->Series_MV->points().back().y(), Raw(2, 49));
    EXPECT_EQ(Text("Label_MaksMV1"), "149");
    EXPECT_EQ(Signal(store.ProcessedU, 50), u);

    // The limits in the edits apply without "Uporabi filter in omejitve".
    Find<QLineEdit>("Edit_Actuator_Maximum")->setText("20");
    Move("ScrollBar1", 4);
    EXPECT_EQ(Text("Edit_Stolpec_U"), "4");
    EXPECT_EQ(Text("Label22"), "Regulator 2");
    EXPECT_EQ(Text("Label_MaksU1"), "20");
    EXPECT_EQ(Sample(store.ProcessedU, 10), Raw(4, 9));
    EXPECT_EQ(Signal(store.ProcessedY2, 50), y2);

    Move("ScrollBar2", 1);
    EXPECT_EQ(Text("Label20"), "Pretok");
    EXPECT_EQ(Sample(store.ProcessedY1, 10), Raw(1, 9));
    Move("ScrollBar5", 3);
    EXPECT_EQ(Text("Edit_Stolpec_Y1"), "3");
    EXPECT_EQ(Sample(store.ProcessedY2, 10), Raw(3, 9));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();

    // A filter time that is not a number: the chooser shows its column, the
    // signal stays as it was.
    const std::vector<double> y1 = Signal(store.ProcessedY1, 50);
    Find<QLineEdit>("Edit8")->setText("x");
    Move("ScrollBar2", 6);
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors.front().contains("'x'")) << dialogs.Errors.front().toStdString();
    EXPECT_EQ(Text("Edit_Stolpec_Y"), "6");
    EXPECT_EQ(Signal(store.ProcessedY1, 50), y1);
    // MV needs no edit at all.
    Move("ScrollBar_MV", 1);
    EXPECT_EQ(dialogs.Errors.size(), 1);
}

TEST_F(ProcessingPage, ApplyConditionsAllFourOrNothingWhenAnEditIsNotANumber)
{
    Load(Write("meritev.vkd", VkdText(50, 1, 50)));
    Move("ScrollBar_MV", 2); // chooser positions are what Apply conditions
    Find<QLineEdit>("Edit_Actuator_Minimum")->setText("abc");
    const PageState before = Capture();
    Find<QPushButton>("Button2")->click();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors.front().contains("abc")) << dialogs.Errors.front().toStdString();
    ExpectUnchanged(before, Capture());

    // A filter of 1 s at 0.5 s sampling, limits 10..60 reached at once.
    dialogs.Errors.clear();
    Find<QLineEdit>("Edit8")->setText("1");
    Find<QLineEdit>("Edit_Actuator_Minimum")->setText("10");
    Find<QLineEdit>("Edit_Actuator_Maximum")->setText("60");
    Find<QPushButton>("Button2")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    const double a = std::exp(-0.5);
    double limited = 10, filtered = 10;
    for (int i = 2; i <= 50; ++i) {
        filtered = a * filtered + (1 - a) * limited;
        limited = std::clamp(Raw(3, i), 10.0, 60.0);
        ExpectClose(Sample(store.ProcessedU, i), filtered, 1e-9);
    }
    EXPECT_EQ(Sample(store.ProcessedMV, 10), Raw(2, 9));
    EXPECT_EQ(Text("Label_MaksY2"), "7");
    EXPECT_EQ(Text("Edit_Stolpec_MV"), "2");
}

TEST_F(ProcessingPage, WindowChoosersKeepTheirGapsAndStayWithinTheData)
{
    Load(Write("meritev.vkd", VkdText(50, 1, 50)));
    Move("ScrollBar3", 20);
    ExpectChooser("ScrollBar3", 1, 40, 20);
    ExpectChooser("ScrollBar4", 30, 50, 50);
    EXPECT_EQ(form->Series_MV->count(), 31);
    EXPECT_EQ(form->Series_Y2->count(), 31);
    Move("ScrollBar4", 35);
    ExpectChooser("ScrollBar3", 1, 25, 20);
    ExpectChooser("ScrollBar4", 30, 50, 35);
    EXPECT_EQ(form->Series_U->count(), 16);
    EXPECT_EQ(Text("Label_MaksMV1"), "34");

    // After an experiment the start may go to N-2; the gap of 10 still holds
    // and the end never passes the last sample.
    FakeRun(50);
    form->ShowExperimentData("0", "100", "0", "0");
    ExpectChooser("ScrollBar3", 1, 48, 1);
    Move("ScrollBar3", 48);
    ExpectChooser("ScrollBar3", 1, 40, 40);
    ExpectChooser("ScrollBar4", 50, 50, 50);
    EXPECT_EQ(form->Series_Y->count(), 11);

    // With 10 samples or fewer the start keeps no gap, so a window of one
    // sample is possible: no spread, no deviation.
    FakeRun(8);
    form->ShowExperimentData("0", "100", "0", "0");
    Move("ScrollBar3", 6);
    ExpectChooser("ScrollBar3", 1, 8, 6);
    ExpectChooser("ScrollBar4", 6, 8, 8);
    Move("ScrollBar3", 8);
    EXPECT_EQ(form->Series_MV->count(), 1);
    for (const char* label : {"Label_MaksMV1", "Label_MinMV1", "Label_STDMV1"})
        EXPECT_EQ(Text(label), "0") << label;
    ExpectClose(form->Chart_MV->AxisY()->min(), -0.1, 1e-12);
    ExpectClose(form->Chart_MV->AxisY()->max(), 0.1, 1e-12);
    // The end keeps the store's gap (7 of 8 samples): the window is 1..8.
    form->ShowExperimentData("0", "100", "0", "0");
    Move("ScrollBar3", 6);
    Move("ScrollBar4", 7);
    ExpectChooser("ScrollBar3", 1, 1, 1);
    ExpectChooser("ScrollBar4", 8, 8, 8);
    EXPECT_EQ(form->Series_MV->count(), 8);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ProcessingPage, TheRunWindowsHandOverResetsTheChoosersAndDrawsAllFour)
{
    Load(Write("izvoz.txt", ForeignText(3, 20))); // Y2 hidden, choosers up to 3
    Find<QScrollBar>("ScrollBar_MV")->setValue(2);
    FakeRun(30);
    const PageState before = Capture();

    // A wrong text: the choosers follow the new record, nothing is conditioned.
    EXPECT_THROW(form->ShowExperimentData("0", "100", "nič", "0"), ConversionError);
    ExpectChooser("ScrollBar3", 1, 28, 1);
    ExpectChooser("ScrollBar4", 1, 30, 30);
    ExpectChooser("ScrollBar_MV", 1, 6, 1);
    EXPECT_EQ(Signal(store.ProcessedMV, 60), before.MV);
    EXPECT_EQ(Signal(store.ProcessedU, 60), before.U);

    form->ShowExperimentData("0", "100", "0", "0");
    ExpectChooser("ScrollBar1", 1, 6, 3);
    ExpectChooser("ScrollBar2", 1, 6, 5);
    ExpectChooser("ScrollBar5", 1, 6, 6);
    EXPECT_EQ(Text("Edit_Stolpec_Y1"), "6");
    EXPECT_EQ(Text("Label_MVDescription"), "Pretok");
    EXPECT_EQ(Text("Label68"), QString::fromUtf8("Tlak š"));
    EXPECT_FALSE(form->Chart2->isHidden());
    EXPECT_EQ(store.WindowGap, 10);
    for (const QLineSeries* series :
         {form->Series_MV, form->Series_U, form->Series_Y, form->Series_Y2})
        EXPECT_EQ(series->count(), 30);
    EXPECT_EQ(Text("Label_MaksY1"), "841"); // 29 squared, one sample late
    EXPECT_EQ(Sample(store.ProcessedU, 30), 100);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(ProcessingPage, StatisticsUseEverySampleWhileTheChartsAreThinned)
{
    FakeRun(Podatki::MaxSamples);
    for (int i = 1; i <= Podatki::MaxSamples; ++i)
        store.Column(1)[i - 1] = std::sin(0.01 * i);
    store.Column(1)[2999] = 1000; // one sample; drawn one sample late
    form->ShowExperimentData("0", "100", "0", "0");
    EXPECT_EQ(Text("Label_MaksMV1"), "1000");
    EXPECT_LT(form->Series_MV->count(), Podatki::MaxSamples);
    bool spikeDrawn = false;
    for (const QPointF& point : form->Series_MV->points())
        spikeDrawn = spikeDrawn || point == QPointF(0.5 * 3000, 1000);
    EXPECT_TRUE(spikeDrawn);

    // A value that is not finite is reported, never shown.
    Sample(store.ProcessedU, 40) = std::numeric_limits<double>::infinity();
    EXPECT_THROW(form->PlotSignal(ProcessedSignal::U, 1, 100), ComputationError);
    EXPECT_EQ(Text("Label_MaksU1"), "");
}

TEST_F(ProcessingPage, RightClickOpensTheHistogramAndDoubleClickTheLargePlot)
{
    Load(Write("meritev.vkd", VkdText(50, 1, 50)));
    Move("ScrollBar3", 11);
    form->PageControl1->setCurrentWidget(form->ObdTab);
    ShowForm();
    struct Case {
        const char* Chart;
        const char* Histogram;
        const char* Large;
        double LastValue; // of the window 11..50, one sample late
    };
    const Case cases[] = {
        {"Chart_MV", "Histogram manipulativnega signala", "Manipulativni signal", 49},
        {"Chart_U", "Histogram izhoda regulatorja", "Izhod regulatorja", 100},
        {"Chart_Y", "Histogram meritve 1", "Meritev 1", 49.0 * 49},
        {"Chart2", "Histogram meritve 2", "Meritev 2", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Chart);
        QWidget* viewport = Find<ClickableChartView>(c.Chart)->viewport();
        QTest::mousePress(viewport, Qt::RightButton);
        QTest::mouseRelease(viewport, Qt::RightButton);
        EXPECT_TRUE(histogram.isVisible());
        EXPECT_FALSE(histogram.isModal());
        EXPECT_EQ(histogram.Chart()->title(), QString::fromUtf8(c.Histogram));
        double counted = 0;
        for (const double count : store.HistogramCounts)
            counted += count;
        EXPECT_EQ(counted, 40);

        QTest::mouseDClick(viewport, Qt::LeftButton);
        EXPECT_TRUE(large.isVisible());
        EXPECT_FALSE(large.isModal());
        EXPECT_EQ(large.Chart()->title(), QString::fromUtf8(c.Large));
        EXPECT_EQ(large.Series()->count(), 40);
        EXPECT_EQ(large.Series()->points().back().y(), c.LastValue);
    }
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

} // namespace
