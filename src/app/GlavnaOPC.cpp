// The OPC page: choice of the server, connection, the tag table whose rows
// are the roles of the loop's tags, and the manual/automatic switching mode
// of the two controllers.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "opc/OpcBrowseDialog.h"
#include "opc/OpcClient.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr int TagRows = 20;
constexpr int TagColumnWidth = 250;
constexpr int TagRowHeight = 19;
// Rows without a role: their place beside the table holds a sub-heading.
constexpr int ControllerHeadingRow = 6;
constexpr int OuterControllerHeadingRow = 13;

} // namespace

QWidget* TForm1::BuildOpcPage()
{
    OPCTab = Named(new QWidget, "OPCTab");
    auto* page = new QVBoxLayout(OPCTab);

    // Server choice and connection.
    GroupBox_Server = NewGroup("GroupBox_Server", QStringLiteral("OPC strežnik"));
    ComboBox2 = Named(new TextComboBox(false), "ComboBox2");
    ComboBox2->setMinimumWidth(320);
    PoveziOPCStreznik = NewButton("PoveziOPCStreznik", QStringLiteral("Poveži"));
    PrekiniOPCStreznik = NewButton("PrekiniOPCStreznik", QStringLiteral("Prekini"));
    Label54 = NewValueLabel("Label54", QString(), 110);
    auto* server = new QHBoxLayout(GroupBox_Server);
    server->addWidget(CaptionFor(ComboBox2, QStringLiteral("Izberi strežnik: ")));
    server->addWidget(ComboBox2);
    server->addSpacing(12);
    server->addWidget(PoveziOPCStreznik);
    server->addWidget(PrekiniOPCStreznik);
    server->addSpacing(24);
    server->addWidget(CaptionFor(Label54, QStringLiteral("Status:")));
    server->addWidget(Label54);
    server->addStretch();
    page->addWidget(GroupBox_Server);

    // The tag table with the role of each row beside it.
    GroupBox_Tags = NewGroup("GroupBox_Tags", QStringLiteral("OPC točke"));
    OPCTabela = Named(new StringGrid(2, TagRows, TagColumnWidth, TagRowHeight), "OPCTabela");

    const std::array<const char*, TagRows> names = {
        "RadioButton1",  "RadioButton2",  "RadioButton3",  "RadioButton4",  "RadioButton5",
        "RadioButton6",  nullptr,         "RadioButton7",  "RadioButton8",  "RadioButton9",
        "RadioButton10", "RadioButton11", "RadioButton12", nullptr,         "RadioButton13",
        "RadioButton14", "RadioButton15", "RadioButton16", "RadioButton17", "RadioButton18"};
    const std::array<QString, TagRows> captions = {QStringLiteral("Manip. signal 1 (ventil, ref):"),
                                                   QStringLiteral("Manip. signal 2 (ventil, ref):"),
                                                   QStringLiteral("Izhod reg. 1 (ventil, ...):"),
                                                   QStringLiteral("Izhod reg. 2 (ventil, ...):"),
                                                   QStringLiteral("Meritev 1 (temperatura, ...):"),
                                                   QStringLiteral("Meritev 2 (temperatura, ...):"),
                                                   QStringLiteral("Parametri regulatorja"),
                                                   QStringLiteral("P člen"),
                                                   QStringLiteral("I člen"),
                                                   QStringLiteral("D člen"),
                                                   QStringLiteral("R/A"),
                                                   QStringLiteral("Ročno"),
                                                   QStringLiteral("Avtomatsko"),
                                                   QStringLiteral("Parametri zunanjega reg."),
                                                   QStringLiteral("P člen"),
                                                   QStringLiteral("I člen"),
                                                   QStringLiteral("D člen"),
                                                   QStringLiteral("R/A"),
                                                   QStringLiteral("Ročno"),
                                                   QStringLiteral("Avtomatsko")};
    std::array<QRadioButton**, 18> members = {
        &RadioButton1,  &RadioButton2,  &RadioButton3,  &RadioButton4,  &RadioButton5,
        &RadioButton6,  &RadioButton7,  &RadioButton8,  &RadioButton9,  &RadioButton10,
        &RadioButton11, &RadioButton12, &RadioButton13, &RadioButton14, &RadioButton15,
        &RadioButton16, &RadioButton17, &RadioButton18};

    // The radio buttons stand exactly beside their rows: each takes one row
    // height, below the table's frame.
    auto* roles = Named(new QWidget, "OPCRoles");
    auto* roleColumn = new QVBoxLayout(roles);
    roleColumn->setContentsMargins(0, OPCTabela->frameWidth(), 0, OPCTabela->frameWidth());
    roleColumn->setSpacing(0);
    auto* roleGroup = new QButtonGroup(this);
    roleGroup->setObjectName(QStringLiteral("OPCRoleGroup"));
    std::size_t next = 0;
    for (int row = 0; row < TagRows; ++row) {
        QWidget* cell = nullptr;
        if (row == ControllerHeadingRow) {
            cell = NewHeading("Label_ParametriRegulatorja", captions[row]);
        } else if (row == OuterControllerHeadingRow) {
            cell = NewHeading("Label_ParametriZunanjegaReg", captions[row]);
        } else {
            auto* button = Named(new QRadioButton(captions[row]), names[row]);
            roleGroup->addButton(button, row);
            *members[next++] = button;
            cell = button;
        }
        cell->setFixedHeight(TagRowHeight);
        roleColumn->addWidget(cell);
    }
    RadioButton2->setEnabled(false);
    RadioButton4->setEnabled(false);

    // Manual/automatic switching of the two controllers, beside their rows.
    IzberiAjtemKnof = NewButton("IzberiAjtemKnof", QStringLiteral("Izberi"));
    const QStringList modes = {QStringLiteral("R/A"), QStringLiteral("Ročno + Avtomatsko")};
    RadioGroup4 = Named(new RadioGroup(QStringLiteral("R/A preklop"), modes), "RadioGroup4");
    RadioGroup4->SetItemIndex(1);
    Label14 = NewLabel("Label14", QStringLiteral("Ročno:"));
    ComboBox3 = Named(new TextComboBox(false), "ComboBox3");
    ComboBox3->addItems({QStringLiteral("0"), QStringLiteral("1")});
    Label14->setBuddy(ComboBox3);
    RadioGroup5 = Named(new RadioGroup(QStringLiteral("R/A preklop"), modes), "RadioGroup5");
    RadioGroup5->SetItemIndex(1);
    Label15 = NewLabel("Label15", QStringLiteral("Ročno:"));
    ComboBox4 = Named(new TextComboBox(false), "ComboBox4");
    ComboBox4->addItems({QStringLiteral("0"), QStringLiteral("1")});
    Label15->setBuddy(ComboBox4);

    auto switchBlock = [](RadioGroup* group, QLabel* label, TextComboBox* combo, int rows) {
        auto* block = new QWidget;
        block->setFixedHeight(rows * TagRowHeight);
        auto* layout = new QHBoxLayout(block);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(group, 0, Qt::AlignTop);
        layout->addSpacing(8);
        layout->addWidget(label, 0, Qt::AlignVCenter);
        layout->addWidget(combo, 0, Qt::AlignVCenter);
        layout->addStretch();
        return block;
    };
    auto* right = new QWidget;
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, OPCTabela->frameWidth(), 0, 0);
    rightColumn->setSpacing(0);
    auto* browseBlock = new QWidget;
    browseBlock->setFixedHeight(ControllerHeadingRow * TagRowHeight);
    auto* browse = new QVBoxLayout(browseBlock);
    browse->setContentsMargins(0, 0, 0, 0);
    browse->addWidget(IzberiAjtemKnof, 0, Qt::AlignLeft | Qt::AlignTop);
    browse->addStretch();
    rightColumn->addWidget(browseBlock);
    rightColumn->addSpacing(TagRowHeight);
    rightColumn->addWidget(switchBlock(RadioGroup4, Label14, ComboBox3, 6));
    rightColumn->addSpacing(TagRowHeight);
    rightColumn->addWidget(switchBlock(RadioGroup5, Label15, ComboBox4, 6));
    rightColumn->addStretch();

    auto* tags = new QGridLayout(GroupBox_Tags);
    tags->setHorizontalSpacing(10);
    tags->setVerticalSpacing(2);
    tags->addWidget(NewHeading("Label_ProcesniSignali", QStringLiteral("Procesni signali")), 0, 0);
    auto* headings = new QHBoxLayout;
    headings->setSpacing(0);
    auto* tagHeading = NewLabel("Label_OznakaOPCTocke", QStringLiteral("Oznaka OPC točke"));
    tagHeading->setFixedWidth(TagColumnWidth);
    headings->addWidget(tagHeading);
    headings->addWidget(NewLabel("Label_Opis", QStringLiteral("Opis")));
    tags->addLayout(headings, 0, 1);
    tags->addWidget(roles, 1, 0, Qt::AlignTop);
    tags->addWidget(OPCTabela, 1, 1, Qt::AlignTop);
    tags->addWidget(right, 1, 2, Qt::AlignTop);
    tags->setColumnStretch(3, 1);
    page->addWidget(GroupBox_Tags);
    page->addStretch();
    return OPCTab;
}

void TForm1::WireOpcPage()
{
    OnEvent(PoveziOPCStreznik, &QPushButton::clicked, &TForm1::PoveziOPCStreznikClick);
    OnEvent(PrekiniOPCStreznik, &QPushButton::clicked, &TForm1::PrekiniOPCStreznikClick);
    OnEvent(&dOPCServer1, &OpcServer::OnDisconnect, &TForm1::dOPCServer1Disconnect);
    connect(&dOPCServer1, &OpcServer::ItemErrorReport, this, [this](const QString& report) {
        Guard(this, [&] { dOPCServer1ItemErrorReport(report); });
    });
    connect(OPCTabela, &StringGrid::SelectCell, this, [this](int column, int row) {
        Guard(this, [&] { OPCTabelaSelectCell(column, row); });
    });
    OnEvent(OPCTabela, &StringGrid::DblClick, &TForm1::OPCTabelaDblClick);
    OnEvent(IzberiAjtemKnof, &QPushButton::clicked, &TForm1::IzberiAjtemKnofClick);
    OnEvent(RadioGroup4, &RadioGroup::Click, &TForm1::RadioGroup4Click);
    OnEvent(RadioGroup5, &RadioGroup::Click, &TForm1::RadioGroup5Click);
    // The switching mode starts at "Ročno + Avtomatsko".
    RadioGroup4Click();
    RadioGroup5Click();
}

QRadioButton* TForm1::RoleButton(int row) const
{
    const std::array<QRadioButton*, TagRows> buttons = {
        RadioButton1,  RadioButton2,  RadioButton3,  RadioButton4,  RadioButton5,
        RadioButton6,  nullptr,       RadioButton7,  RadioButton8,  RadioButton9,
        RadioButton10, RadioButton11, RadioButton12, nullptr,       RadioButton13,
        RadioButton14, RadioButton15, RadioButton16, RadioButton17, RadioButton18};
    if (row < 0 || row >= TagRows)
        return nullptr;
    return buttons[static_cast<std::size_t>(row)];
}

int TForm1::CheckedRoleRow() const
{
    for (int row = 0; row < TagRows; ++row) {
        const QRadioButton* button = RoleButton(row);
        if (button && button->isChecked())
            return row;
    }
    return -1;
}

void TForm1::PoveziOPCStreznikClick()
{
    const int index = ComboBox2->ItemIndex();
    const QString progId = index >= 0 ? ComboBox2->itemText(index) : QString();
    dOPCServer1.ConnectServer(progId, QString());
    const QString state = dOPCServer1.ServerStateText();
    Label54->setText(state);
    if (state == QStringLiteral("running"))
        PoveziOPCStreznik->setEnabled(false);
}

void TForm1::PrekiniOPCStreznikClick()
{
    dOPCServer1.DisconnectServer();
    PoveziOPCStreznik->setEnabled(true);
}

void TForm1::dOPCServer1Disconnect()
{
    Label54->setText(QStringLiteral("stopped"));
}

void TForm1::dOPCServer1ItemErrorReport(const QString& report)
{
    Dialogs().ShowMessage(this, report);
}

void TForm1::OPCTabelaSelectCell(int /*column*/, int row)
{
    // Rows 1 and 3 (second manipulated signal and second controller output)
    // have no tag use; rows 6 and 13 have no role.
    if (row == 1 || row == 3)
        return;
    if (QRadioButton* button = RoleButton(row))
        button->setChecked(true);
}

void TForm1::OPCTabelaDblClick()
{
    IzberiAjtemKnofClick();
}

void TForm1::IzberiAjtemKnofClick()
{
    // Without a connection BrowseItems shows nothing and returns false.
    QStringList chosen;
    if (!BrowseItems(dOPCServer1, chosen, this) || chosen.isEmpty())
        return;
    const int row = CheckedRoleRow();
    if (row < 0)
        return;
    // Only the tag: the description is the user's own text.
    OPCTabela->SetCell(0, row, chosen.first());
}

void TForm1::RadioGroup4Click()
{
    const bool singleSwitch = RadioGroup4->ItemIndex() == 0;
    RadioButton10->setEnabled(singleSwitch);
    Label14->setEnabled(singleSwitch);
    ComboBox3->setEnabled(singleSwitch);
    RadioButton11->setEnabled(!singleSwitch);
    RadioButton12->setEnabled(!singleSwitch);
}

void TForm1::RadioGroup5Click()
{
    const bool singleSwitch = RadioGroup5->ItemIndex() == 0;
    RadioButton16->setEnabled(singleSwitch);
    Label15->setEnabled(singleSwitch);
    ComboBox4->setEnabled(singleSwitch);
    RadioButton17->setEnabled(!singleSwitch);
    RadioButton18->setEnabled(!singleSwitch);
}
