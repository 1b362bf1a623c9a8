// The experiment settings file through the experiment page: "Shrani
// nastavitve" writes what the two windows show, "Naloži nastavitve" brings
// it back into a fresh program, with the enabling rules following.

#include "ProgramFixture.h"
#include "base/MaskedTimeEdit.h"
#include "base/RadioGroup.h"
#include "experiment/SettingsFile.h"
#include "base/TextComboBox.h"
#include "support/LocaleScope.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include <vector>

namespace {

// A control's state as the file stores it: the text of an edit or label,
// whether a box is checked, or the item index / position of a list choice.
QVariant StateOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->isChecked();
    if (auto* group = qobject_cast<RadioGroup*>(control))
        return group->ItemIndex();
    if (auto* list = qobject_cast<TextComboBox*>(control))
        return list->ItemIndex();
    if (auto* slider = qobject_cast<QScrollBar*>(control))
        return slider->value();
    ADD_FAILURE() << "unexpected kind of control " << control->objectName().toStdString();
    return {};
}

void SetState(QWidget* control, const QVariant& state)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(state.toString());
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(state.toString());
    else if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(state.toBool());
    else if (auto* group = qobject_cast<RadioGroup*>(control))
        group->SetItemIndex(state.toInt());
    else if (auto* list = qobject_cast<TextComboBox*>(control))
        list->SetItemIndex(state.toInt());
    else if (auto* slider = qobject_cast<QScrollBar*>(control))
        slider->setValue(state.toInt());
    else
        ADD_FAILURE() << "unexpected kind of control " << control->objectName().toStdString();
}

struct Stored {
    bool Automatic; // a control of the automatic-experiment settings window
    const char* Name;
    QVariant State; // differs from the initial state
    int Line;       // of the settings file
};

// A state as its file line reads.
QString LineText(const QVariant& state)
{
    if (state.typeId() == QMetaType::Bool)
        return state.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return state.toString();
}

// Every stored control except the tag table and the sequencer grid (left
// empty), each in a state that is not its initial one: "Zaprta zanka po
// poizkusu" off.
const std::vector<Stored> StoredControls = {
    {false, "RadioGroup4", 0, 37},
    {false, "ComboBox3", 1, 38},
    {false, "RadioGroup5", 0, 39},
    {false, "ComboBox4", 1, 40},
    {false, "CasVzorcenjaEdit", QStringLiteral("0,5"), 41},
    {false, "OhraniZacetniVhod", true, 42},
    {false, "ZacetniVhodEdit", QStringLiteral("12,5"), 43},
    {false, "CasCakanjaEdit", QStringLiteral("30"), 44},
    {false, "VelikostStopniceEdit", QStringLiteral("2,5"), 45},
    {false, "CasStopniceEdit", QStringLiteral("20"), 46},
    {false, "SteviloStopnicEdit", QStringLiteral("3"), 47},
    {false, "CheckBox_ObeSmeri", true, 48},
    {false, "CheckBox_Zaprtozancni", true, 49},
    {false, "CheckBox_NePisi", true, 50},
    {false, "Edit_MVMax", QStringLiteral("80"), 52},
    {false, "Edit_MVMin", QStringLiteral("10"), 53},
    {false, "Edit_MVStep", QStringLiteral("0,5"), 54},
    {true, "Edit_Sam_Filt", QStringLiteral("2"), 55},
    {true, "Edit_Sam_Max", QStringLiteral("90"), 62},
    {true, "Edit_Sam_Min", QStringLiteral("5"), 57},
    {true, "Edit_Sam_Velocity", QStringLiteral("15"), 58},
    {true, "ComboBox_Sam_IzbMetode", 3, 59},
    {true, "Edit_Sam_Ts", QStringLiteral("0,2"), 60},
    {true, "ScrollBar_Sam_Robust", 14, 61},
    {true, "CheckBox_Sam_Cascade", true, 63},
    {true, "CheckBox_Sam_Nalozi", true, 64},
    {true, "RadioGroup_Sam_Prikaz", 1, 65},
    {true, "ComboBox_Sam_TipReg", 2, 66},
    {true, "Edit_Sam_SkalP", QStringLiteral("1,1"), 67},
    {true, "Edit_Sam_SkalI", QStringLiteral("1,2"), 68},
    {true, "Edit_Sam_SkalD", QStringLiteral("1,3"), 69},
    {true, "RadioGroup_Sam_PID", 3, 70},
    {true, "CheckBox_Sam_PorocObd", false, 71},
    {true, "CheckBox_Sam_PorocMod", false, 72},
    {true, "CheckBox_Sam_PorocReg", false, 73},
    {true, "Label13", QStringLiteral("moja.dot"), 74},
    {false, "CajtZacetka", QStringLiteral("08:30:15"), 75},
    {false, "CheckBox_ZZPoPoizkusu", false, 76},
    {false, "CheckBox_Sekvencer", true, 77},
};

class SettingsOnPage : public ProgramFixture {
protected:
    QWidget* Control(VarkolWindows& program, const Stored& control)
    {
        QWidget* window = control.Automatic ? static_cast<QWidget*>(program.Form_SamodNastav.get())
                                            : static_cast<QWidget*>(program.Form1.get());
        auto* found = window->findChild<QWidget*>(QString::fromLatin1(control.Name));
        EXPECT_NE(found, nullptr) << control.Name;
        return found;
    }

    void FillTags()
    {
        for (int row = 0; row < 20; ++row) {
            Tags().SetCell(0, row, QStringLiteral("Tag.%1").arg(row));
            Tags().SetCell(1, row, QStringLiteral("Opis %1").arg(row));
        }
    }

    void Save(const QString& answer)
    {
        dialogs.FileAnswers.push_back(answer);
        Find<QPushButton>("ShraniNastavitve")->click();
    }
    void Load(const QString& answer)
    {
        dialogs.FileAnswers.push_back(answer);
        Find<QPushButton>("NaloziNastavitve")->click();
    }

    // The lines of a file saved from the initial window, with some replaced.
    QString FileWithLines(const QString& name, const QList<QPair<int, QString>>& replaced)
    {
        QStringList lines = ExperimentSettingsLines(ExperimentSettings{});
        for (const auto& [line, text] : replaced)
            lines[line] = text;
        QFile file(File(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((lines.join("\r\n") + "\r\n").toUtf8());
        return File(name);
    }
};

} // namespace

TEST_F(SettingsOnPage, EveryStoredControlComesBackThroughTheFile)
{
    LocaleScope comma(LocaleScope::Comma());
    const QString startDir = form->WorkDir;
    FillTags();
    for (const Stored& control : StoredControls)
        SetState(Control(windows, control), control.State);
    Find<QRadioButton>("RadioRocno")->click();
    const QDate date(2026, 12, 6);
    Find<QDateEdit>("DateTimePicker1")->setDate(date);

    const QString saved = File("nastavitve.vkx");
    Save(File("nastavitve")); // the default extension is added
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    const FileDialogRequest& request = dialogs.FileRequests[0];
    EXPECT_EQ(request.Filter, QStringLiteral("Varkol Experiment (*.vkx)|*.vkx|All files|*.*"));
    EXPECT_EQ(request.DefaultExtension, QStringLiteral("vkx"));
    EXPECT_EQ(request.Directory, startDir);
    EXPECT_EQ(request.FileName, ProposedSettingsFileName("08:30:15", date));
    EXPECT_EQ(form->WorkDir, QDir::toNativeSeparators(dir.path()));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    ASSERT_EQ(lines.size(), 99); // 98 lines, each ended
    EXPECT_EQ(lines[0], DemoServerProgID);
    for (int row = 0, line = 1; row < 20; ++row) {
        if (row == 6 || row == 13)
            continue;
        EXPECT_EQ(lines[line], QStringLiteral("Tag.%1").arg(row)) << row;
        EXPECT_EQ(lines[line + 18], QStringLiteral("Opis %1").arg(row)) << row;
        ++line;
    }
    for (const Stored& control : StoredControls)
        EXPECT_EQ(lines[control.Line], LineText(control.State)) << control.Name;
    EXPECT_EQ(lines[51], QStringLiteral("True"));
    EXPECT_EQ(lines[56], QStringLiteral("90"));

    // A fresh program loads it.
    InProcessConnection connection2{registry};
    VarkolWindows fresh = CreateVarkolWindows(store, connection2, browser);
    TForm1& main = *fresh.Form1;
    main.findChild<TextComboBox*>("ComboBox2")->SetItemIndex(-1);
    const QDate freshDate = main.findChild<QDateEdit*>("DateTimePicker1")->date();
    dialogs.FileAnswers.push_back(saved);
    main.findChild<QPushButton*>("NaloziNastavitve")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(dialogs.FileRequests.back().Filter,
              QStringLiteral("Experiment (*.vkx)|*.vkx|All files|*.*"));

    for (const Stored& control : StoredControls)
        EXPECT_EQ(StateOf(Control(fresh, control)), control.State) << control.Name;
    EXPECT_EQ(main.findChild<TextComboBox*>("ComboBox2")->ItemIndex(), 0);
    auto& grid = *main.findChild<StringGrid*>("OPCTabela");
    for (int row = 0; row < 20; ++row) {
        const bool stored = row != 6 && row != 13;
        EXPECT_EQ(grid.Cell(0, row), stored ? QStringLiteral("Tag.%1").arg(row) : QString()) << row;
        EXPECT_EQ(grid.Cell(1, row), stored ? QStringLiteral("Opis %1").arg(row) : QString())
            << row;
    }
    auto& sequencer = *main.findChild<StringGrid*>("StringGrid_Sekvencer");
    for (int row = 0; row < 10; ++row)
        EXPECT_TRUE(sequencer.Cell(0, row).isEmpty() && sequencer.Cell(1, row).isEmpty()) << row;
    EXPECT_TRUE(main.findChild<QRadioButton*>("RadioRocno")->isChecked());
    EXPECT_EQ(main.findChild<QDateEdit*>("DateTimePicker1")->date(), freshDate);

    // The handlers ran: a manual trial without writes, one R/A tag each.
    EXPECT_FALSE(main.findChild<QLineEdit*>("CasCakanjaEdit")->isEnabled());
    EXPECT_FALSE(main.findChild<QLineEdit*>("ZacetniVhodEdit")->isEnabled());
    EXPECT_FALSE(main.findChild<QCheckBox*>("CheckBox_Zaprtozancni")->isEnabled());
    EXPECT_TRUE(main.findChild<QRadioButton*>("RadioButton10")->isEnabled());
    EXPECT_FALSE(main.findChild<QRadioButton*>("RadioButton11")->isEnabled());
    EXPECT_TRUE(main.findChild<QComboBox*>("ComboBox3")->isEnabled());
    EXPECT_TRUE(main.findChild<QRadioButton*>("RadioButton16")->isEnabled());
    EXPECT_FALSE(main.findChild<QRadioButton*>("RadioButton18")->isEnabled());
    // Loading is not saving.
    EXPECT_EQ(main.WorkDir, startDir);
}

TEST_F(SettingsOnPage, LinesReadAsTheFileMeansThem)
{
    const QDate date(2031, 3, 4);
    Find<QDateEdit>("DateTimePicker1")->setDate(date);
    Load(FileWithLines("lenient.vkx", {{0, QStringLiteral("Not.Registered.1")},
                                       {48, QStringLiteral("1")},
                                       {56, QStringLiteral("55")},
                                       {62, QStringLiteral("77")},
                                       {76, QStringLiteral("1")},
                                       {77, QStringLiteral("true")}}));
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(Find<TextComboBox>("ComboBox2")->ItemIndex(), -1);
    EXPECT_TRUE(Find<TextComboBox>("ComboBox2")->currentText().isEmpty());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox_ObeSmeri")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox_ZZPoPoizkusu")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox_Sekvencer")->isChecked());
    EXPECT_EQ(windows.Form_SamodNastav->findChild<QLineEdit*>("Edit_Sam_Max")->text(), "77");
    EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), date);
    // Line 51 "False": the automatic trial.
    EXPECT_TRUE(Find<QRadioButton>("RadioAvtomatsko")->isChecked());
}

TEST_F(SettingsOnPage, ABadFileChangesNothing)
{
    Tags().SetCell(0, RoleRow(TagRole::MV), QStringLiteral("Loop1.MV"));
    Find<QLineEdit>("CasVzorcenjaEdit")->setText(QStringLiteral("7"));
    const QString bad = FileWithLines("bad.vkx", {{1, QStringLiteral("Other.MV")},
                                                  {0, QStringLiteral("Not.Registered.1")},
                                                  {37, QStringLiteral("x")}});
    Load(bad);
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].startsWith(bad + ": vrstica 38: "))
        << dialogs.Errors[0].toStdString();

    // Too short.
    QFile file(File("short.vkx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Not.Registered.1\r\nOther.MV\r\n");
    file.close();
    Load(File("short.vkx"));
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(dialogs.Errors[1].startsWith(File("short.vkx") + ": vrstica 3: "));

    EXPECT_EQ(Tags().Cell(0, RoleRow(TagRole::MV)), QStringLiteral("Loop1.MV"));
    EXPECT_EQ(Find<QLineEdit>("CasVzorcenjaEdit")->text(), QStringLiteral("7"));
    EXPECT_EQ(Find<TextComboBox>("ComboBox2")->ItemIndex(), 0);
}

TEST_F(SettingsOnPage, ACancelledDialogWritesAndChangesNothing)
{
    const QString startDir = form->WorkDir;
    Find<QPushButton>("ShraniNastavitve")->click();
    Find<QPushButton>("NaloziNastavitve")->click();
    EXPECT_EQ(dialogs.FileRequests.size(), 2u);
    EXPECT_EQ(form->WorkDir, startDir);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}
