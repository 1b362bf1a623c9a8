// The report page: the sections of the report, its template and the button
// that writes it.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QWidget* TForm1::BuildReportPage()
{
    PorTab = Named(new QWidget, "PorTab");
    auto* page = new QVBoxLayout(PorTab);

    GroupBox_ReportContent = NewGroup("GroupBox_ReportContent", QStringLiteral("Vsebina poročila"));
    CheckBox1 = NewCheckBox("CheckBox1", QStringLiteral("Obdelava"), true);
    CheckBox2 = NewCheckBox("CheckBox2", QStringLiteral("Model"), true);
    CheckBox3 = NewCheckBox("CheckBox3", QStringLiteral("Regulator"), true);
    auto* content = new QVBoxLayout(GroupBox_ReportContent);
    content->addWidget(CheckBox1);
    content->addWidget(CheckBox2);
    content->addWidget(CheckBox3);

    auto* templateGroup = Named(new QGroupBox(QStringLiteral("Predloga")), "GroupBox_Template");
    Label63 = NewValueLabel("Label63", QStringLiteral("normal.dot"), 320);
    Button_IzberiPredlogo = NewButton("Button_IzberiPredlogo", QStringLiteral("Izberi predlogo"));
    auto* templateRow = new QGridLayout(templateGroup);
    AddCaptionedRow(templateRow, 0, Label63, QStringLiteral("Predloga:"));
    templateRow->addWidget(Button_IzberiPredlogo, 1, 1, Qt::AlignLeft);
    templateRow->setColumnStretch(1, 1);

    Button_Naredi_porocilo =
        NewButton("Button_Naredi_porocilo", QStringLiteral("Izdelaj poročilo"));
    QFont bold = Button_Naredi_porocilo->font();
    bold.setBold(true);
    Button_Naredi_porocilo->setFont(bold);
    Button_Naredi_porocilo->setMinimumHeight(34);

    auto* column = new QVBoxLayout;
    column->addWidget(GroupBox_ReportContent);
    column->addWidget(templateGroup);
    column->addSpacing(8);
    column->addWidget(Button_Naredi_porocilo);
    auto* row = new QHBoxLayout;
    row->addLayout(column);
    row->addStretch();
    page->addLayout(row);
    page->addStretch();
    return PorTab;
}

void TForm1::WireReportPage()
{
    OnEvent(Button_Naredi_porocilo, &QPushButton::clicked, &TForm1::Button_Naredi_porociloClick);
    OnEvent(Button_IzberiPredlogo, &QPushButton::clicked, &TForm1::Button_IzberiPredlogoClick);
}

void TForm1::Button_Naredi_porociloClick()
{
    // Will export the chart pictures and write the report document.
}

void TForm1::Button_IzberiPredlogoClick()
{
    // Will let the user choose the report template; its full path becomes
    // the caption of Label63.
}
