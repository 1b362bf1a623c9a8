#include "base/ChartView.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "support/MainWindowFixture.h"

#include <QAbstractButton>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

// The text a user reads on a control.
QString ShownText(const QObject* control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (auto* combo = qobject_cast<const TextComboBox*>(control))
        return combo->Text();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        return memo->toPlainText();
    if (auto* chart = qobject_cast<const QChartView*>(control))
        return chart->chart()->title();
    return QStringLiteral("<no text>");
}

struct ShownControl {
    const char* Page;
    const char* Name;
    const char* Text;
};

// Every named control of each page with its initial text; "Caption_X" is the
// label beside control X.
const ShownControl InitialControls[] = {
    {"OPCTab", "Caption_ComboBox2", "Izberi strežnik: "},
    {"OPCTab", "PoveziOPCStreznik", "Poveži"},
    {"OPCTab", "PrekiniOPCStreznik", "Prekini"},
    {"OPCTab", "Caption_Label54", "Status:"},
    {"OPCTab", "Label54", ""},
    {"OPCTab", "Label_OznakaOPCTocke", "Oznaka OPC točke"},
    {"OPCTab", "Label_Opis", "Opis"},
    {"OPCTab", "Label_ProcesniSignali", "Procesni signali"},
    {"OPCTab", "Label_ParametriRegulatorja", "Parametri regulatorja"},
    {"OPCTab", "Label_ParametriZunanjegaReg", "Parametri zunanjega reg."},
    {"OPCTab", "RadioButton1", "Manip. signal 1 (ventil, ref):"},
    {"OPCTab", "RadioButton2", "Manip. signal 2 (ventil, ref):"},
    {"OPCTab", "RadioButton3", "Izhod reg. 1 (ventil, ...):"},
    {"OPCTab", "RadioButton4", "Izhod reg. 2 (ventil, ...):"},
    {"OPCTab", "RadioButton5", "Meritev 1 (temperatura, ...):"},
    {"OPCTab", "RadioButton6", "Meritev 2 (temperatura, ...):"},
    {"OPCTab", "RadioButton7", "P člen"},
    {"OPCTab", "RadioButton8", "I člen"},
    {"OPCTab", "RadioButton9", "D člen"},
    {"OPCTab", "RadioButton10", "R/A"},
    {"OPCTab", "RadioButton11", "Ročno"},
    {"OPCTab", "RadioButton12", "Avtomatsko"},
    {"OPCTab", "RadioButton13", "P člen"},
    {"OPCTab", "RadioButton14", "I člen"},
    {"OPCTab", "RadioButton15", "D člen"},
    {"OPCTab", "RadioButton16", "R/A"},
    {"OPCTab", "RadioButton17", "Ročno"},
    {"OPCTab", "RadioButton18", "Avtomatsko"},
    {"OPCTab", "IzberiAjtemKnof", "Izberi"},
    {"OPCTab", "RadioGroup4", "R/A preklop"},
    {"OPCTab", "RadioGroup5", "R/A preklop"},
    {"OPCTab", "Label14", "Ročno:"},
    {"OPCTab", "Label15", "Ročno:"},
    {"OPCTab", "ComboBox3", "0"},
    {"OPCTab", "ComboBox4", "0"},
    {"EkspTab", "RadioRocno", "Ročno voden poizkus"},
    {"EkspTab", "RadioAvtomatsko", "Samodejni poizkus"},
    {"EkspTab", "CasVzorcenjaEdit", "1"},
    {"EkspTab", "Caption_CasVzorcenjaEdit", "Čas vzorčenja: [s]"},
    {"EkspTab", "CajtZacetka", "12:00:00"},
    {"EkspTab", "Caption_CajtZacetka", "Začetek eksperimenta:"},
    {"EkspTab", "ZacetniVhodEdit", "0"},
    {"EkspTab", "Caption_ZacetniVhodEdit", "Začetni vhod: "},
    {"EkspTab", "CasCakanjaEdit", "0"},
    {"EkspTab", "Caption_CasCakanjaEdit", "Čas čakanja: [s]"},
    {"EkspTab", "VelikostStopniceEdit", "0"},
    {"EkspTab", "Caption_VelikostStopniceEdit", "Velikost stopnice:"},
    {"EkspTab", "CasStopniceEdit", "0"},
    {"EkspTab", "Caption_CasStopniceEdit", "Čas ene stopnice: [s]"},
    {"EkspTab", "SteviloStopnicEdit", "1"},
    {"EkspTab", "Caption_SteviloStopnicEdit", "Število stopnic:"},
    {"EkspTab", "CheckBox_ObeSmeri", "Stopnice v obe smeri"},
    {"EkspTab", "CheckBox_Zaprtozancni", "Zaprta zanka med poizkusom"},
    {"EkspTab", "CheckBox_ZZPoPoizkusu", "Zaprta zanka po poizkusu"},
    {"EkspTab", "OhraniZacetniVhod", "Ohrani začetni vhod"},
    {"EkspTab", "CheckBox_NePisi", "Ne piši v OPC"},
    {"EkspTab", "AktivirajEksperiment", "Aktiviraj eksperiment"},
    {"EkspTab", "NaloziNastavitve", "Naloži nastavitve"},
    {"EkspTab", "ShraniNastavitve", "Shrani nastavitve"},
    {"EkspTab", "Button1", "Nastavi sedanji čas"},
    {"EkspTab", "Button10", "Ostale nastavitve samodejnega poizkusa"},
    {"EkspTab", "SeznamCakajocihEkspCas", ""},
    {"EkspTab", "SeznamCakajocihEkspOznaka", ""},
    {"EkspTab", "Edit_MVMax", "100"},
    {"EkspTab", "Edit_MVMin", "0"},
    {"EkspTab", "Edit_MVStep", "1"},
    {"EkspTab", "CheckBox_Sekvencer", "Sekvencer prisoten"},
    {"EkspTab", "Label_Vhod", "Vhod"},
    {"EkspTab", "Label_Izhod", "Izhod"},
    {"ObdTab", "Chart_MV", "Manipulativni signal"},
    {"ObdTab", "Chart_U", "Izhod regulatorja"},
    {"ObdTab", "Chart_Y", "Meritev 1 (notranji odziv)"},
    {"ObdTab", "Chart2", "Meritev 2 (zunanji odziv)"},
    {"ObdTab", "Caption_Label_MaksMV1", "Maks:"},
    {"ObdTab", "Caption_Label_MinMV1", "Min:"},
    {"ObdTab", "Caption_Label_STDMV1", "STD:"},
    {"ObdTab", "Caption_Label_MaksU1", "Maks:"},
    {"ObdTab", "Caption_Label_MinU1", "Min:"},
    {"ObdTab", "Caption_Label_STDU1", "STD:"},
    {"ObdTab", "Caption_Label_MaksY1", "Maks:"},
    {"ObdTab", "Caption_Label_MinY1", "Min:"},
    {"ObdTab", "Caption_Label_STDY1", "STD:"},
    {"ObdTab", "Caption_Label_MaksY2", "Maks:"},
    {"ObdTab", "Caption_Label_MinY2", "Min:"},
    {"ObdTab", "Caption_Label_STDY2", "STD:"},
    {"ObdTab", "Caption_ScrollBar3", "Začetek poizkusa"},
    {"ObdTab", "Caption_ScrollBar4", "Konec poizkusa"},
    {"ObdTab", "Edit_Stolpec_MV", "1"},
    {"ObdTab", "Edit_Stolpec_U", "3"},
    {"ObdTab", "Edit_Stolpec_Y", "5"},
    {"ObdTab", "Edit_Stolpec_Y1", "6"},
    {"ObdTab", "Label_MVDescription", ""},
    {"ObdTab", "Label22", ""},
    {"ObdTab", "Label20", ""},
    {"ObdTab", "Label68", ""},
    {"ObdTab", "GroupBox_Filter", "Filtriranje signalov"},
    {"ObdTab", "Edit8", "0"},
    {"ObdTab", "Caption_Edit8", "Čas [s]"},
    {"ObdTab", "GroupBox_Actuator", "Omejitve izvršnih členov"},
    {"ObdTab", "Edit_Actuator_Maximum", "100"},
    {"ObdTab", "Caption_Edit_Actuator_Maximum", "Maksimum:"},
    {"ObdTab", "Edit_Actuator_Minimum", "0"},
    {"ObdTab", "Caption_Edit_Actuator_Minimum", "Minimum:"},
    {"ObdTab", "Edit_Actuator_Velocity", "1"},
    {"ObdTab", "Caption_Edit_Actuator_Velocity", "Čas odp. [s]:"},
    {"ObdTab", "Label_Ts", ""},
    {"ObdTab", "Label_Ns", ""},
    {"ObdTab", "Label_Datum", ""},
    {"ObdTab", "Label_Ura", ""},
    {"ObdTab", "Label_Ime", ""},
    {"ObdTab", "Button2", "Uporabi filter in omejitve"},
    {"ObdTab", "Button_Izracun", "Izračun modela"},
    {"ObdTab", "Button3", "Naloži iz datoteke"},
    {"ObdTab", "Button4", "Shrani v datoteko"},
    {"ModTab", "Chart_Model", "Odprtozančni odziv procesa"},
    {"ModTab", "CheckBox_Model_Outer", "Zunanji proces"},
    {"ModTab", "Caption_Edit_Gain", "Ocenjeno ojačenje: "},
    {"ModTab", "Caption_Label_DGain", "+-"},
    {"ModTab", "Caption_Edit_Time", "Ocenjena časovna konstanta [s]: "},
    {"ModTab", "Caption_Label_DTime", "+-"},
    {"ModTab", "Caption_Edit_Delay", "Ocenjen mrtvi čas [s]: "},
    {"ModTab", "Caption_Label_STD", "Standardna deviacija:"},
    {"ModTab", "Caption_Label_Rel_Pogresek", "Relativni pogrešek modela:"},
    {"ModTab", "Caption_Label_Kvaliteta", "Kvaliteta modela:"},
    {"ModTab", "Label_Kvaliteta", ""},
    {"ModTab", "Button5", "Uporabi model"},
    {"ModTab", "Button6", "Naloži model"},
    {"ModTab", "Button7", "Shrani model"},
    {"ModTab", "Button_PID", "Izračun PID parametrov"},
    {"RegTab", "ComboBox1", "Metoda provršin - sledenje"},
    {"RegTab", "GroupBox_Robust", "Izbira robustnost- hitrost"},
    {"RegTab", "Label_Robustno", "Robustno"},
    {"RegTab", "Label_RobustI", "I"},
    {"RegTab", "Label_Hitro", "Hitro"},
    {"RegTab", "GroupBox_P", "P regulator"},
    {"RegTab", "Caption_Label_Kp_P", "Kp:"},
    {"RegTab", "GroupBox_I", "I regulator"},
    {"RegTab", "Caption_Label_Ki", "Ki:"},
    {"RegTab", "GroupBox_PI", "PI regulator"},
    {"RegTab", "Caption_Label_PI_Kp", "Kp:"},
    {"RegTab", "Caption_Label_PI_Ti", "Ki: "},
    {"RegTab", "GroupBox_PID", "PID regulator"},
    {"RegTab", "Caption_Label_PID_Kp", "Kp:"},
    {"RegTab", "Caption_Label_PID_Ti", "Ki:"},
    {"RegTab", "Caption_Label_PID_Td", "Kd:"},
    {"RegTab", "Caption_Label_Kp_Cascade", "Ojačenje notranje zanke: "},
    {"RegTab", "Caption_Label_Priporocljiv", "Priporočljiv čas vz. [PI]  <="},
    {"RegTab", "Edit_Vzorcenje", "1"},
    {"RegTab", "Caption_Edit_Vzorcenje", "Čas vzorčenja [s]: "},
    {"RegTab", "RadioGroup_Motnja", "Prikaz odzivov"},
    {"RegTab", "CheckBox_CascadeReg", "Kaskada"},
    {"RegTab", "Chart1", "Odprtozančni (OZ) in zaprtozančni (ZZ) odzivi"},
    {"RegTab", "GroupBox_Scaled", "Izračun skaliranih parametrov"},
    {"RegTab", "ComboBox_Regulator", "Splošni paralelni"},
    {"RegTab", "RadioGroup_IzbiraTipaReg", "Izbira regulatorja"},
    {"RegTab", "Label_DodatnoSkaliranje", "Dodatno skaliranje:"},
    {"RegTab", "Edit_Reg_ScaleP", "1"},
    {"RegTab", "Caption_Edit_Reg_ScaleP", "P:"},
    {"RegTab", "Edit_Reg_ScaleI", "1"},
    {"RegTab", "Caption_Edit_Reg_ScaleI", "I:"},
    {"RegTab", "Edit_Reg_ScaleD", "1"},
    {"RegTab", "Caption_Edit_Reg_ScaleD", "D:"},
    {"RegTab", "Label_Reg_Name_Kp", "Kp:"},
    {"RegTab", "Label_Reg_Name_Ki", "Ki:"},
    {"RegTab", "Label_Reg_Name_Kd", "Kd:"},
    {"RegTab", "Edit_Reg_Kp", "0"},
    {"RegTab", "Edit_Reg_Ki", "0"},
    {"RegTab", "Edit_Reg_Kd", "0"},
    {"RegTab", "Label_LabOjacSekv", " "},
    {"RegTab", "Label_OjacSekv", " "},
    {"RegTab", "Button16", "Naloži v regulator"},
    {"RegTab", "Button9", "Shrani v datoteko"},
    {"RegTab", "Button8", "Naloži iz datoteke"},
    {"PorTab", "Button_Naredi_porocilo", "Izdelaj poročilo"},
    {"PorTab", "CheckBox1", "Obdelava"},
    {"PorTab", "CheckBox2", "Model"},
    {"PorTab", "CheckBox3", "Regulator"},
    {"PorTab", "Caption_Label63", "Predloga:"},
    {"PorTab", "Label63", "normal.dot"},
    {"PorTab", "Button_IzberiPredlogo", "Izberi predlogo"},
    {"TabSheet1", "Label_Verzija", " Varkol 1.0.7"},
    {"TabSheet1", "Label83", "23. november 2004"},
};

} // namespace

using MainWindow = MainWindowFixture;

TEST_F(MainWindow, StartsOnTheOpcPageWithItsState)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral(" Varkol 1.0.7"));
    auto* pages = Find<QTabWidget>("PageControl1");
    ASSERT_NE(pages, nullptr);
    const QStringList names = {"OPCTab", "EkspTab", "ObdTab",   "ModTab",
                               "RegTab", "PorTab",  "TabSheet1"};
    const QStringList captions = {"OPC",       "Eksperiment", "Obdelava", "Model",
                                  "Regulator", "Poročilo",    "About"};
    ASSERT_EQ(pages->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
        EXPECT_EQ(pages->tabText(i), captions[i]);
    }
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_NE(form->findChild<QStatusBar*>(QStringLiteral("StatusBar1")), nullptr);

    // Servers of data access 1.0 and 2.0 and of alarms and events 1.0 (listed
    // last), the first one selected.
    auto* servers = Find<TextComboBox>("ComboBox2");
    ASSERT_EQ(servers->count(), 3);
    EXPECT_EQ(servers->itemText(0), QStringLiteral("Varkol.Test.1"));
    EXPECT_EQ(servers->itemText(1), QStringLiteral("Varkol.Broken.1"));
    EXPECT_EQ(servers->itemText(2), QStringLiteral("Varkol.Events.1"));
    EXPECT_EQ(servers->ItemIndex(), 0);
    EXPECT_EQ(servers->Text(), QStringLiteral("Varkol.Test.1"));

    EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), QDate::currentDate());
    EXPECT_EQ(Find<TextComboBox>("ComboBox3")->ItemIndex(), 0);
    EXPECT_EQ(Find<TextComboBox>("ComboBox4")->ItemIndex(), 0);

    // The write-back group exists once, with the connection's defaults.
    ASSERT_EQ(connection.OPCGroups().size(), 1u);
    EXPECT_EQ(form->WriteBackGroup, connection.OPCGroups().front().get());
    EXPECT_EQ(form->WriteBackGroup->Name(), QStringLiteral("SkupReg"));
    EXPECT_EQ(form->WriteBackGroup->UpdateRate(), 1000);

    EXPECT_TRUE(form->QueueDirs.isEmpty());
    EXPECT_EQ(QDir(form->WorkDir), QDir::current());
    EXPECT_FALSE(form->AutoSetupInProgress);
    for (const char* lamp : {"Image_Quality_Red", "Image_Quality_Orange", "Image_Quality_Yellow",
                             "Image_Quality_Green"})
        EXPECT_TRUE(Find<QLabel>(lamp)->isHidden()) << lamp;

    auto* scheduler = Find<QTimer>("Timer_ExperimentScheduler");
    EXPECT_EQ(scheduler->interval(), 500);
    EXPECT_FALSE(scheduler->isActive());
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(MainWindow, EveryNamedControlShowsItsInitialTextOnItsPage)
{
    for (const ShownControl& expected : InitialControls) {
        SCOPED_TRACE(expected.Name);
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(expected.Name));
        ASSERT_NE(control, nullptr);
        auto* page = form->findChild<QWidget*>(QString::fromLatin1(expected.Page));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isAncestorOf(control)) << "not on " << expected.Page;
        EXPECT_EQ(ShownText(control), QString::fromUtf8(expected.Text));
    }
}

TEST_F(MainWindow, ChoicesListsAndRangesStartAsDescribed)
{
    // Lists of fixed choices cannot be typed over.
    for (const char* name : {"ComboBox1", "ComboBox_Regulator", "ComboBox3", "ComboBox4"})
        EXPECT_FALSE(Find<TextComboBox>(name)->isEditable()) << name;
    auto* method = Find<TextComboBox>("ComboBox1");
    ASSERT_EQ(method->count(), 7);
    EXPECT_EQ(method->itemText(0), QStringLiteral("Metoda provršin - sledenje"));
    EXPECT_EQ(method->itemText(4), QStringLiteral("Metoda uravnoteženja"));
    EXPECT_EQ(method->itemText(5), QStringLiteral("Ziegler-Nichols - motnja"));
    EXPECT_EQ(method->itemText(6), QStringLiteral(" "));
    EXPECT_EQ(method->ItemIndex(), 0);

    auto* form_ = Find<TextComboBox>("ComboBox_Regulator");
    ASSERT_EQ(form_->count(), 4);
    EXPECT_EQ(form_->itemText(3), QStringLiteral("Serijski (Kp, Ti, Td)"));
    EXPECT_EQ(form_->ItemIndex(), -1);

    auto* robust = Find<QScrollBar>("ScrollBar_Robust");
    EXPECT_EQ(robust->minimum(), 0);
    EXPECT_EQ(robust->maximum(), 20);
    EXPECT_EQ(robust->value(), 10);

    struct Group {
        const char* Name;
        QStringList Items;
        int Index;
    };
    const Group groups[] = {
        {"RadioGroup4", {"R/A", "Ročno + Avtomatsko"}, 1},
        {"RadioGroup5", {"R/A", "Ročno + Avtomatsko"}, 1},
        {"RadioGroup_Motnja", {"Odziv na referenco", "Odziv na motnjo"}, 0},
        {"RadioGroup_IzbiraTipaReg", {"P", "I", "PI", "PID"}, 2},
    };
    for (const Group& expected : groups) {
        SCOPED_TRACE(expected.Name);
        auto* group = Find<RadioGroup>(expected.Name);
        ASSERT_EQ(group->Count(), expected.Items.size());
        for (int i = 0; i < group->Count(); ++i)
            EXPECT_EQ(group->Button(i)->text(), expected.Items[i]);
        EXPECT_EQ(group->ItemIndex(), expected.Index);
    }

    auto* tags = Find<StringGrid>("OPCTabela");
    EXPECT_EQ(tags->columnCount(), 2);
    EXPECT_EQ(tags->rowCount(), 20);
    EXPECT_EQ(tags->columnWidth(0), 250);
    EXPECT_EQ(tags->rowHeight(0), 19);
    EXPECT_NE(tags->editTriggers(), QAbstractItemView::NoEditTriggers);
    auto* sequencer = Find<StringGrid>("StringGrid_Sekvencer");
    EXPECT_EQ(sequencer->columnCount(), 2);
    EXPECT_EQ(sequencer->rowCount(), 10);

    // Check boxes and mode buttons that start checked; all others start off.
    const QStringList checked = {"RadioAvtomatsko", "CheckBox_ZZPoPoizkusu", "CheckBox1",
                                 "CheckBox2", "CheckBox3"};
    for (const char* name :
         {"RadioRocno", "RadioAvtomatsko", "CheckBox_ObeSmeri", "CheckBox_Zaprtozancni",
          "CheckBox_ZZPoPoizkusu", "OhraniZacetniVhod", "CheckBox_NePisi", "CheckBox_Sekvencer",
          "CheckBox_Model_Outer", "CheckBox_CascadeReg", "CheckBox1", "CheckBox2", "CheckBox3"})
        EXPECT_EQ(Find<QAbstractButton>(name)->isChecked(), checked.contains(name)) << name;
}

TEST_F(MainWindow, ResponseChartHasFiveStyledSeriesAndALegendBelow)
{
    auto* chart = Find<ClickableChartView>("Chart1");
    struct Series {
        const char* Name;
        const char* Title;
        QColor Color;
        Qt::PenStyle Style;
    };
    const Series expected[] = {
        {"LineSeries3", "ZZ Odziv I", QColor(128, 64, 0), Qt::DashLine},
        {"Series3", "ZZ odziv PI", QColor(0, 0, 255), Qt::DashDotLine},
        {"Series4", "ZZ odziv PID", QColor(255, 0, 0), Qt::DashDotDotLine},
        {"LineSeries4", "OZ Odziv", QColor(128, 128, 128), Qt::SolidLine},
        {"Series5", "ZZ Odziv P", QColor(0, 128, 0), Qt::SolidLine},
    };
    const QList<QAbstractSeries*> series = chart->chart()->series();
    ASSERT_EQ(series.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i].Name);
        auto* line = qobject_cast<QLineSeries*>(series[i]);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->objectName(), QString::fromLatin1(expected[i].Name));
        EXPECT_EQ(line->name(), QString::fromUtf8(expected[i].Title));
        EXPECT_EQ(line->pen().color(), expected[i].Color);
        EXPECT_EQ(line->pen().style(), expected[i].Style);
    }
    EXPECT_TRUE(chart->chart()->legend()->isVisible());
    EXPECT_EQ(chart->chart()->legend()->alignment(), Qt::AlignBottom);

    auto* model = Find<ClickableChartView>("Chart_Model");
    ASSERT_EQ(model->chart()->series().size(), 2);
    EXPECT_EQ(model->chart()->series()[1]->name(), QStringLiteral("Model"));
}

TEST_F(MainWindow, AboutPictureIsAJpegShownAt897By446)
{
    QImageReader reader(QStringLiteral(":/about.jpg"));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage picture = reader.read();
    ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(picture.size(), QSize(897, 446));

    auto* shown = Find<QLabel>("Image_About");
    EXPECT_EQ(shown->size(), QSize(897, 446));
    EXPECT_TRUE(shown->pixmap().isNull()); // decoded when the page is first shown
    form->PageControl1->setCurrentWidget(form->TabSheet1);
    EXPECT_EQ(shown->pixmap().size(), QSize(897, 446));
}

TEST(MainWindowWithoutServers, ShowsNoServerAndRefusesToConnect)
{
    ScriptedDialogs dialogs;
    Podatki store;
    auto registry = std::make_shared<InProcessRegistry>();
    InProcessConnection connection(registry);
    InProcessServerBrowser browser(registry);
    TForm1 form(store, connection, browser);
    auto* servers = form.findChild<TextComboBox*>(QStringLiteral("ComboBox2"));
    EXPECT_EQ(servers->count(), 0);
    EXPECT_EQ(servers->ItemIndex(), -1);

    form.findChild<QPushButton*>(QStringLiteral("PoveziOPCStreznik"))->click();
    EXPECT_EQ(dialogs.Errors,
              QStringList{QStringLiteral("Server name not found in registry or empty")});
    EXPECT_FALSE(connection.Active());
}

TEST_F(MainWindow, ClosingWithUnsavedWorkAsksFirst)
{
    ShowForm();
    form->RecordUnsaved = true;
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialogs.Questions, QStringList{"Posnetek eksperimenta ni shranjen. Zaprem program?"});
    dialogs.AskAnswers = {true};
    form->close();
    EXPECT_FALSE(form->isVisible());
}
