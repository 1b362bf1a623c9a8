// The OPC page: choice of the server, connection, the tag table whose rows
// are the roles of the loop's tags, and the manual/automatic switching mode
// of the two controllers.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"
#include "base/RadioGroup.h"
#include "base/StringGrid.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "opc/LoopTags.h"
#include "opc/OpcBrowseDialog.h"
#include "opc/OpcClient.h"
#include "opc/UaConnection.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr int TagColumnWidth = 250;
// The status bar while connected over OPC UA.
constexpr const char* UnencryptedText =
    "Povezava z OPC UA strežnikom ni šifrirana (SecurityPolicy None).";
constexpr int TagRowHeight = 19;

} // namespace

QWidget* TForm1::BuildOpcPage()
{
    OPCTab = Named(new QWidget, "OPCTab");
    auto* page = new QVBoxLayout(OPCTab);

    // Server choice and connection.
    GroupBox_Server = NewGroup("GroupBox_Server", QStringLiteral("OPC strežnik"));
    // The listed servers, or an OPC UA endpoint typed in (opc.tcp://host:port[/path]).
    ComboBox2 = Named(new TextComboBox(true), "ComboBox2");
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
    OPCTabela = Named(new StringGrid(2, TagTableRows, TagColumnWidth, TagRowHeight), "OPCTabela");

    // The role of each row: its button's name and caption. Rows without a
    // role hold the sub-headings of the controllers' parameters.
    struct RoleView {
        TagRole Role;
        const char* Name;
        QRadioButton** Member;
        const char* Caption;
    };
    const std::array<RoleView, TagRoleCount> views = {{
        {TagRole::MV, "RadioButton1", &RadioButton1, "Manip. signal 1 (ventil, ref):"},
        {TagRole::MV2, "RadioButton2", &RadioButton2, "Manip. signal 2 (ventil, ref):"},
        {TagRole::U, "RadioButton3", &RadioButton3, "Izhod reg. 1 (ventil, ...):"},
        {TagRole::U2, "RadioButton4", &RadioButton4, "Izhod reg. 2 (ventil, ...):"},
        {TagRole::Y1, "RadioButton5", &RadioButton5, "Meritev 1 (temperatura, ...):"},
        {TagRole::Y2, "RadioButton6", &RadioButton6, "Meritev 2 (temperatura, ...):"},
        {TagRole::P, "RadioButton7", &RadioButton7, "P člen"},
        {TagRole::I, "RadioButton8", &RadioButton8, "I člen"},
        {TagRole::D, "RadioButton9", &RadioButton9, "D člen"},
        {TagRole::RA, "RadioButton10", &RadioButton10, "R/A"},
        {TagRole::Manual, "RadioButton11", &RadioButton11, "Ročno"},
        {TagRole::Auto, "RadioButton12", &RadioButton12, "Avtomatsko"},
        {TagRole::P2, "RadioButton13", &RadioButton13, "P člen"},
        {TagRole::I2, "RadioButton14", &RadioButton14, "I člen"},
        {TagRole::D2, "RadioButton15", &RadioButton15, "D člen"},
        {TagRole::RA2, "RadioButton16", &RadioButton16, "R/A"},
        {TagRole::Manual2, "RadioButton17", &RadioButton17, "Ročno"},
        {TagRole::Auto2, "RadioButton18", &RadioButton18, "Avtomatsko"},
    }};

    // The radio buttons stand exactly beside their rows: each takes one row
    // height, below the table's frame.
    auto* roles = Named(new QWidget, "OPCRoles");
    auto* roleColumn = new QVBoxLayout(roles);
    roleColumn->setContentsMargins(0, OPCTabela->frameWidth(), 0, OPCTabela->frameWidth());
    roleColumn->setSpacing(0);
    auto* roleGroup = new QButtonGroup(this);
    roleGroup->setObjectName(QStringLiteral("OPCRoleGroup"));
    for (int row = 0; row < TagTableRows; ++row) {
        QWidget* cell = nullptr;
        if (const std::optional<TagRole> role = RoleAtRow(row)) {
            const RoleView& view = views[static_cast<std::size_t>(*role)];
            auto* button = Named(new QRadioButton(QString::fromUtf8(view.Caption)), view.Name);
            roleGroup->addButton(button, row);
            *view.Member = button;
            RoleButtons[static_cast<std::size_t>(*role)] = button;
            cell = button;
        } else if (row < RoleRow(TagRole::P)) {
            cell =
                NewHeading("Label_ParametriRegulatorja", QStringLiteral("Parametri regulatorja"));
        } else {
            cell = NewHeading("Label_ParametriZunanjegaReg",
                              QStringLiteral("Parametri zunanjega reg."));
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
    // "Izberi" beside the process signals, each switching mode beside the
    // parameters of its controller.
    browseBlock->setFixedHeight((RoleRow(TagRole::P) - 1) * TagRowHeight);
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

QRadioButton* TForm1::RoleButton(TagRole role) const
{
    return RoleButtons[static_cast<std::size_t>(role)];
}

std::optional<TagRole> TForm1::CheckedRole() const
{
    for (const TagRole role : AllTagRoles) {
        if (RoleButton(role)->isChecked())
            return role;
    }
    return std::nullopt;
}

LoopTags TForm1::CurrentLoopTags() const
{
    LoopTags tags;
    for (const TagRole role : AllTagRoles) {
        tags.SetTag(role, OPCTabela->Cell(0, RoleRow(role)));
        tags.SetDescription(role, OPCTabela->Cell(1, RoleRow(role)));
    }
    tags.Switch1 = {RadioGroup4->ItemIndex(), ComboBox3->ItemIndex()};
    tags.Switch2 = {RadioGroup5->ItemIndex(), ComboBox4->ItemIndex()};
    return tags;
}

void TForm1::ShowLoopTags(const LoopTags& tags)
{
    for (const TagRole role : AllTagRoles) {
        OPCTabela->SetCell(0, RoleRow(role), tags.Tag(role));
        OPCTabela->SetCell(1, RoleRow(role), tags.Description(role));
    }
    RadioGroup4->SetItemIndex(tags.Switch1.Mode);
    ComboBox3->SetItemIndex(tags.Switch1.ManualValue);
    RadioGroup5->SetItemIndex(tags.Switch2.Mode);
    ComboBox4->SetItemIndex(tags.Switch2.ManualValue);
}

void TForm1::PoveziOPCStreznikClick()
{
    const int index = ComboBox2->ItemIndex();
    const QString progId = index >= 0 ? ComboBox2->itemText(index) : ComboBox2->Text().trimmed();
    dOPCServer1.ConnectServer(progId, QString());
    const QString state = dOPCServer1.ServerStateText();
    Label54->setText(state);
    if (state == QStringLiteral("running"))
        PoveziOPCStreznik->setEnabled(false);
    const auto* ua = dynamic_cast<const UaConnection*>(&dOPCServer1);
    if (ua && ua->IsUaConnection())
        StatusBar1->showMessage(QString::fromUtf8(UnencryptedText));
}

void TForm1::PrekiniOPCStreznikClick()
{
    dOPCServer1.DisconnectServer();
    PoveziOPCStreznik->setEnabled(true);
}

void TForm1::dOPCServer1Disconnect()
{
    Label54->setText(QStringLiteral("stopped"));
    // A lost connection is made again with "Poveži".
    PoveziOPCStreznik->setEnabled(true);
    if (StatusBar1->currentMessage() == QString::fromUtf8(UnencryptedText))
        StatusBar1->clearMessage();
}

void TForm1::dOPCServer1ItemErrorReport(const QString& report)
{
    if (!ItemReportsMuted)
        Dialogs().ShowMessage(this, report);
}

void TForm1::OPCTabelaSelectCell(int /*column*/, int row)
{
    // The second manipulated signal and the second controller output have
    // no tag use; the heading rows have no role.
    const std::optional<TagRole> role = RoleAtRow(row);
    if (role && role != TagRole::MV2 && role != TagRole::U2)
        RoleButton(*role)->setChecked(true);
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
    const std::optional<TagRole> role = CheckedRole();
    if (!role)
        return;
    // Only the tag: the description is the user's own text.
    OPCTabela->SetCell(0, RoleRow(*role), chosen.first());
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
