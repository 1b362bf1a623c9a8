#pragma once

// The settings of automatic experiments: the choices a user would otherwise
// make on the processing, controller and report pages. The window only
// holds the values; the automatic chain reads its controls when an
// automatic experiment starts and again when it evaluates the run.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class RadioGroup;
class TextComboBox;

class TForm_SamodNastav : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SamodNastav(QWidget* parent = nullptr);

    // Signal conditioning and actuator limits.
    QLineEdit* Edit_Sam_Filt;
    QLineEdit* Edit_Sam_Max;
    QLineEdit* Edit_Sam_Min;
    QLineEdit* Edit_Sam_Velocity;
    // Tuning.
    TextComboBox* ComboBox_Sam_IzbMetode; // item index: the tuning method
    QLineEdit* Edit_Sam_Ts;
    QScrollBar* ScrollBar_Sam_Robust;
    QLabel* Label_Sam_Robust;
    RadioGroup* RadioGroup_Sam_Prikaz;
    // Controller form and type.
    TextComboBox* ComboBox_Sam_TipReg; // item index: the controller form
    QLineEdit* Edit_Sam_SkalP;
    QLineEdit* Edit_Sam_SkalI;
    QLineEdit* Edit_Sam_SkalD;
    RadioGroup* RadioGroup_Sam_PID; // item index: the controller type
    QCheckBox* CheckBox_Sam_Cascade;
    QCheckBox* CheckBox_Sam_Nalozi; // kept in the settings file only
    // Report.
    QCheckBox* CheckBox_Sam_PorocObd;
    QCheckBox* CheckBox_Sam_PorocMod;
    QCheckBox* CheckBox_Sam_PorocReg;
    QLabel* Label13; // the report template
    QPushButton* Button_Sam_IzberiPredlogo;
    QPushButton* Button_Sam_OK;

    void ScrollBar_Sam_RobustChange();
    void Button_Sam_OKClick();
    void Button_Sam_IzberiPredlogoClick();
};
