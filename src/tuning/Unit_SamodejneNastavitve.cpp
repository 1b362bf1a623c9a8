#include "tuning/Unit_SamodejneNastavitve.h"

#include "base/ErrorGuard.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "tuning/TuningComputation.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(const char* name, const char* text, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

QCheckBox* Check(const char* name, const char* caption, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setChecked(checked);
    return box;
}

// An editable list that shows `text` with no item selected.
TextComboBox* TextList(const char* name, const QStringList& items, const char* text,
                       QWidget* parent)
{
    auto* combo = new TextComboBox(true, parent);
    combo->setObjectName(QString::fromUtf8(name));
    combo->addItems(items);
    combo->SetText(QString::fromUtf8(text));
    return combo;
}

// A titled group of radio buttons with item `checked` selected.
RadioGroup* Radios(const char* name, const char* caption, const QStringList& items, int columns,
                   int checked, QWidget* parent)
{
    auto* group = new RadioGroup(QString::fromUtf8(caption), items, columns, parent);
    group->setObjectName(QString::fromUtf8(name));
    group->SetItemIndex(checked);
    return group;
}

QGroupBox* Group(const char* caption, QWidget* parent)
{
    return new QGroupBox(QString::fromUtf8(caption), parent);
}

QLabel* Caption(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromUtf8(text), parent);
}

} // namespace

TForm_SamodNastav::TForm_SamodNastav(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_SamodNastav"));
    setWindowTitle(QStringLiteral("Dodatne nastavitve samodejnega poizkusa"));
    setModal(false);

    // Left column: conditioning, actuator limits, responses, report.
    QGroupBox* filter = Group("Filtriranje signalov", this);
    Edit_Sam_Filt = Edit("Edit_Sam_Filt", "0", filter);
    auto* filterLayout = new QFormLayout(filter);
    filterLayout->addRow(Caption("Čas:", filter), Edit_Sam_Filt);

    QGroupBox* limits = Group("Omejitve izvršnih členov", this);
    Edit_Sam_Max = Edit("Edit_Sam_Max", "100", limits);
    Edit_Sam_Min = Edit("Edit_Sam_Min", "0", limits);
    Edit_Sam_Velocity = Edit("Edit_Sam_Velocity", "1", limits);
    auto* limitsLayout = new QFormLayout(limits);
    limitsLayout->addRow(Caption("Maksimum:", limits), Edit_Sam_Max);
    limitsLayout->addRow(Caption("Minimum:", limits), Edit_Sam_Min);
    limitsLayout->addRow(Caption("Čas odpiranja [s]:", limits), Edit_Sam_Velocity);

    QGroupBox* sampling = Group("Vzorčenje zaprte zanke", this);
    Edit_Sam_Ts = Edit("Edit_Sam_Ts", "1", sampling);
    auto* samplingLayout = new QFormLayout(sampling);
    samplingLayout->addRow(Caption("Čas vzorčenja:", sampling), Edit_Sam_Ts);

    RadioGroup_Sam_Prikaz = Radios(
        "RadioGroup_Sam_Prikaz", "Prikaz odzivov",
        {QStringLiteral("Odziv na referenco"), QStringLiteral("Odziv na motnjo")}, 1, 0, this);

    QGroupBox* report = Group("Vsebina poročila", this);
    CheckBox_Sam_PorocObd = Check("CheckBox_Sam_PorocObd", "Obdelava", true, report);
    CheckBox_Sam_PorocMod = Check("CheckBox_Sam_PorocMod", "Model", true, report);
    CheckBox_Sam_PorocReg = Check("CheckBox_Sam_PorocReg", "Regulator", true, report);
    auto* reportLayout = new QVBoxLayout(report);
    reportLayout->addWidget(CheckBox_Sam_PorocObd);
    reportLayout->addWidget(CheckBox_Sam_PorocMod);
    reportLayout->addWidget(CheckBox_Sam_PorocReg);

    // Right column: method, form, closed-loop sampling, robustness, scaling,
    // type, cascade.
    QGroupBox* method = Group("Izbira metode nastavljanja", this);
    ComboBox_Sam_IzbMetode = TextList(
        "ComboBox_Sam_IzbMetode",
        {QStringLiteral("Metoda provršin - sledenje"), QStringLiteral("Metoda provršin - motnja"),
         QStringLiteral("Chien-Hrones-Reswick - sledenje"),
         QStringLiteral("Chien-Hrones-Reswick - motnja"), QStringLiteral("Metoda uravnoteženja"),
         QStringLiteral("Ziegler-Nichols - motnja")},
        "Metoda provršin - sledenje", method);
    (new QVBoxLayout(method))->addWidget(ComboBox_Sam_IzbMetode);

    QGroupBox* form = Group("Izbira tipa regulatorja", this);
    ComboBox_Sam_TipReg = TextList(
        "ComboBox_Sam_TipReg",
        {QStringLiteral("Splošni paralelni (Kp, Ki, Kd)"), QStringLiteral("Paralelni (Kp, Ti, Td)"),
         QStringLiteral("Paralelni (Kp, 1/Ti, Td)"), QStringLiteral("Serijski (Kp, Ti, Td)")},
        "Splošni paralelni (Kp, Ki, Kd)", form);
    (new QVBoxLayout(form))->addWidget(ComboBox_Sam_TipReg);

    ScrollBar_Sam_Robust = new QScrollBar(Qt::Horizontal, this);
    ScrollBar_Sam_Robust->setObjectName(QStringLiteral("ScrollBar_Sam_Robust"));
    ScrollBar_Sam_Robust->setRange(0, 20);
    ScrollBar_Sam_Robust->setValue(10);
    ScrollBar_Sam_Robust->setPageStep(5);
    ScrollBar_Sam_Robust->setSingleStep(1);
    ScrollBar_Sam_Robust->setMinimumHeight(17);
    Label_Sam_Robust = Caption("1", this);
    Label_Sam_Robust->setObjectName(QStringLiteral("Label_Sam_Robust"));
    auto* robustCaption = new QHBoxLayout;
    robustCaption->addWidget(Caption("Izbira robustnost - hitrost:", this));
    robustCaption->addWidget(Label_Sam_Robust);
    robustCaption->addStretch();

    Edit_Sam_SkalP = Edit("Edit_Sam_SkalP", "1", this);
    Edit_Sam_SkalI = Edit("Edit_Sam_SkalI", "1", this);
    Edit_Sam_SkalD = Edit("Edit_Sam_SkalD", "1", this);
    auto* scales = new QHBoxLayout;
    scales->addWidget(Caption("P:", this));
    scales->addWidget(Edit_Sam_SkalP);
    scales->addWidget(Caption("I:", this));
    scales->addWidget(Edit_Sam_SkalI);
    scales->addWidget(Caption("D:", this));
    scales->addWidget(Edit_Sam_SkalD);

    RadioGroup_Sam_PID = Radios(
        "RadioGroup_Sam_PID", "Izbira regulatorja",
        {QStringLiteral("P"), QStringLiteral("I"), QStringLiteral("PI"), QStringLiteral("PID")}, 2,
        2, this);
    CheckBox_Sam_Cascade = Check("CheckBox_Sam_Cascade", "Kaskadni regulator", false, this);
    CheckBox_Sam_Nalozi = Check("CheckBox_Sam_Nalozi", "Naloži parametre v regulator", false, this);
    CheckBox_Sam_Nalozi->setEnabled(false);
    CheckBox_Sam_Nalozi->setVisible(false);

    // Bottom: the report template and the buttons.
    Label13 = Caption("normal.dot", this);
    Label13->setObjectName(QStringLiteral("Label13"));
    Button_Sam_IzberiPredlogo = new QPushButton(QStringLiteral("Izberi predlogo"), this);
    Button_Sam_IzberiPredlogo->setObjectName(QStringLiteral("Button_Sam_IzberiPredlogo"));
    Button_Sam_OK = new QPushButton(QStringLiteral("OK"), this);
    Button_Sam_OK->setObjectName(QStringLiteral("Button_Sam_OK"));

    auto* left = new QVBoxLayout;
    left->addWidget(filter);
    left->addWidget(limits);
    left->addWidget(RadioGroup_Sam_Prikaz);
    left->addWidget(report);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(method);
    right->addWidget(form);
    right->addWidget(sampling);
    right->addLayout(robustCaption);
    right->addWidget(ScrollBar_Sam_Robust);
    right->addWidget(Caption("Dodatno skaliranje:", this));
    right->addLayout(scales);
    right->addWidget(RadioGroup_Sam_PID);
    right->addWidget(CheckBox_Sam_Cascade);
    right->addWidget(CheckBox_Sam_Nalozi);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Caption("Predloga:", this));
    bottom->addWidget(Label13, 1);
    bottom->addWidget(Button_Sam_IzberiPredlogo);
    bottom->addWidget(Button_Sam_OK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(columns);
    layout->addLayout(bottom);
    setFixedSize(425, 445);

    connect(ScrollBar_Sam_Robust, &QScrollBar::valueChanged, this,
            [this] { Guard(this, [this] { ScrollBar_Sam_RobustChange(); }); });
    connect(Button_Sam_OK, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { Button_Sam_OKClick(); }); });
    connect(Button_Sam_IzberiPredlogo, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { Button_Sam_IzberiPredlogoClick(); }); });
}

void TForm_SamodNastav::ScrollBar_Sam_RobustChange()
{
    Label_Sam_Robust->setText(FormatFixed(RobustFactorFor(ScrollBar_Sam_Robust->value()), 6, 3));
}

void TForm_SamodNastav::Button_Sam_OKClick()
{
    hide();
}

void TForm_SamodNastav::Button_Sam_IzberiPredlogoClick()
{
    FileDialogRequest request;
    request.Caption = QStringLiteral("Izberi predlogo");
    const QString fileName = Dialogs().OpenFileName(this, request);
    if (!fileName.isEmpty())
        Label13->setText(QFileInfo(fileName).absoluteFilePath());
}
