#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "support/LocaleScope.h"
#include "support/ScriptedDialogs.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename T> T* Control(QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

QString EditText(QWidget& w, const char* name)
{
    return Control<QLineEdit>(w, name)->text();
}

QStringList RadioTexts(QWidget& w, const char* name)
{
    QStringList texts;
    auto* group = Control<RadioGroup>(w, name);
    for (int i = 0; i < group->Count(); ++i)
        texts << group->Button(i)->text();
    return texts;
}

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

TEST(AutomaticSettingsWindow, ControlsStartWithTheirValues)
{
    TForm_SamodNastav w;
    EXPECT_EQ(w.windowTitle(), "Dodatne nastavitve samodejnega poizkusa");
    EXPECT_EQ(w.size(), QSize(425, 445));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.isModal());

    EXPECT_EQ(EditText(w, "Edit_Sam_Filt"), "0");
    EXPECT_EQ(EditText(w, "Edit_Sam_Max"), "100");
    EXPECT_EQ(EditText(w, "Edit_Sam_Min"), "0");
    EXPECT_EQ(EditText(w, "Edit_Sam_Velocity"), "1");
    EXPECT_EQ(EditText(w, "Edit_Sam_Ts"), "1");
    for (const char* scale : {"Edit_Sam_SkalP", "Edit_Sam_SkalI", "Edit_Sam_SkalD"})
        EXPECT_EQ(EditText(w, scale), "1");

    auto* methods = Control<TextComboBox>(w, "ComboBox_Sam_IzbMetode");
    EXPECT_EQ(Items(methods),
              QStringList({"Metoda provršin - sledenje", "Metoda provršin - motnja",
                           "Chien-Hrones-Reswick - sledenje", "Chien-Hrones-Reswick - motnja",
                           "Metoda uravnoteženja", "Ziegler-Nichols - motnja"}));
    // The lists show their first item's text with no item selected, which the
    // tuning takes as the first method and form.
    EXPECT_EQ(methods->Text(), "Metoda provršin - sledenje");
    EXPECT_EQ(methods->ItemIndex(), -1);
    auto* forms = Control<TextComboBox>(w, "ComboBox_Sam_TipReg");
    EXPECT_EQ(Items(forms), QStringList({"Splošni paralelni (Kp, Ki, Kd)", "Paralelni (Kp, Ti, Td)",
                                         "Paralelni (Kp, 1/Ti, Td)", "Serijski (Kp, Ti, Td)"}));
    EXPECT_EQ(forms->Text(), "Splošni paralelni (Kp, Ki, Kd)");
    EXPECT_EQ(forms->ItemIndex(), -1);

    auto* slider = Control<QScrollBar>(w, "ScrollBar_Sam_Robust");
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 20);
    EXPECT_EQ(slider->value(), 10);
    EXPECT_EQ(slider->pageStep(), 5);
    EXPECT_EQ(Control<QLabel>(w, "Label_Sam_Robust")->text(), "1");

    EXPECT_EQ(Control<QGroupBox>(w, "RadioGroup_Sam_Prikaz")->title(), "Prikaz odzivov");
    EXPECT_EQ(RadioTexts(w, "RadioGroup_Sam_Prikaz"),
              QStringList({"Odziv na referenco", "Odziv na motnjo"}));
    EXPECT_EQ(Control<RadioGroup>(w, "RadioGroup_Sam_Prikaz")->ItemIndex(), 0);
    EXPECT_EQ(Control<QGroupBox>(w, "RadioGroup_Sam_PID")->title(), "Izbira regulatorja");
    EXPECT_EQ(RadioTexts(w, "RadioGroup_Sam_PID"), QStringList({"P", "I", "PI", "PID"}));
    EXPECT_EQ(Control<RadioGroup>(w, "RadioGroup_Sam_PID")->ItemIndex(), 2);

    auto* cascade = Control<QCheckBox>(w, "CheckBox_Sam_Cascade");
    EXPECT_EQ(cascade->text(), "Kaskadni regulator");
    EXPECT_FALSE(cascade->isChecked());
    auto* load = Control<QCheckBox>(w, "CheckBox_Sam_Nalozi");
    EXPECT_EQ(load->text(), "Naloži parametre v regulator");
    EXPECT_FALSE(load->isChecked());
    EXPECT_FALSE(load->isEnabled());
    EXPECT_TRUE(load->isHidden());
    const std::pair<const char*, const char*> reports[] = {{"CheckBox_Sam_PorocObd", "Obdelava"},
                                                           {"CheckBox_Sam_PorocMod", "Model"},
                                                           {"CheckBox_Sam_PorocReg", "Regulator"}};
    for (const auto& [name, text] : reports) {
        EXPECT_EQ(Control<QCheckBox>(w, name)->text(), QString::fromUtf8(text));
        EXPECT_TRUE(Control<QCheckBox>(w, name)->isChecked());
    }
    EXPECT_EQ(Control<QLabel>(w, "Label13")->text(), "normal.dot");
    EXPECT_EQ(Control<QPushButton>(w, "Button_Sam_IzberiPredlogo")->text(), "Izberi predlogo");
    EXPECT_EQ(Control<QPushButton>(w, "Button_Sam_OK")->text(), "OK");

    // Every caption of the window is there.
    QStringList captions;
    for (const QLabel* label : w.findChildren<QLabel*>())
        captions << label->text();
    for (const QGroupBox* group : w.findChildren<QGroupBox*>())
        captions << group->title();
    for (const char* caption :
         {"Čas:", "Filtriranje signalov", "Maksimum:", "Omejitve izvršnih členov",
          "Minimum:", "Čas odpiranja [s]:", "Izbira metode nastavljanja", "Čas vzorčenja:",
          "Vzorčenje zaprte zanke", "Izbira robustnost - hitrost:", "Izbira tipa regulatorja",
          "Dodatno skaliranje:", "P:", "I:", "D:", "Vsebina poročila", "Predloga:"})
        EXPECT_TRUE(captions.contains(QString::fromUtf8(caption))) << caption;
}

TEST(AutomaticSettingsWindow, FactorLabelFollowsTheSlider)
{
    LocaleScope locale(LocaleScope::Comma());
    TForm_SamodNastav w;
    w.show();
    auto* slider = Control<QScrollBar>(w, "ScrollBar_Sam_Robust");
    auto* label = Control<QLabel>(w, "Label_Sam_Robust");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageUp); // one large step
    EXPECT_EQ(slider->value(), 5);
    EXPECT_EQ(label->text(), "0,418");
    slider->setValue(20);
    EXPECT_EQ(label->text(), "2,646");
    slider->setValue(0);
    EXPECT_EQ(label->text(), "0,100");
    slider->setValue(10);
    EXPECT_EQ(label->text(), "1,000");
}

TEST(AutomaticSettingsWindow, TemplateChoiceAndOk)
{
    ScriptedDialogs dialogs;
    TForm_SamodNastav w;
    w.show();
    auto* choose = Control<QPushButton>(w, "Button_Sam_IzberiPredlogo");
    auto* label = Control<QLabel>(w, "Label13");
    dialogs.FileAnswers.push_back("/tmp/predloge/porocilo.dot");
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(label->text(), "/tmp/predloge/porocilo.dot");
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.FileRequests.front().Filter.isEmpty());
    // Cancelling keeps the template.
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(label->text(), "/tmp/predloge/porocilo.dot");
    EXPECT_TRUE(dialogs.Errors.isEmpty());

    // The window stays usable beside the main window and OK only hides it.
    Control<QLineEdit>(w, "Edit_Sam_Ts")->setText("abc");
    QTest::mouseClick(Control<QPushButton>(w, "Button_Sam_OK"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(EditText(w, "Edit_Sam_Ts"), "abc");
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST(AutomaticSettingsWindow, ListsAndGroupsGiveTheirItemIndex)
{
    TForm_SamodNastav w;
    w.show();
    auto* methods = Control<TextComboBox>(w, "ComboBox_Sam_IzbMetode");
    methods->SetItemIndex(3);
    EXPECT_EQ(methods->ItemIndex(), 3);
    // A text typed over the list leaves no method selected.
    methods->lineEdit()->selectAll();
    QTest::keyClicks(methods->lineEdit(), "Moja metoda");
    EXPECT_EQ(methods->ItemIndex(), -1);
    auto* type = Control<RadioGroup>(w, "RadioGroup_Sam_PID");
    type->Button(3)->click();
    EXPECT_EQ(type->ItemIndex(), 3);
}
