// The controller page's robustness figures: the table "Robustnost in
// kakovost", the Ms of the PID loop beside the robustness slider with the
// search for the fastest position within an Ms target, and the window of the
// frequency responses.

#include "app/Glavna.h"

#include "app/GlavnaLayout.h"
#include "base/NumberText.h"
#include "base/RadioGroup.h"
#include "base/TextComboBox.h"
#include "base/UserDialogs.h"
#include "tuning/FrequencyResponseWindow.h"
#include "tuning/TuningText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

// The table's rows and the loops they show.
constexpr int RowCount = 4;
const char* const RowNames[RowCount] = {"I", "P", "PI", "PID"};
constexpr int RowLoops[RowCount] = {LoopI, LoopP, LoopPI, LoopPID};
// The types of the type choice, by item index.
const char* const TypeNames[4] = {"P", "I", "PI", "PID"};
const char* const ColumnNames[RobustnessColumnCount] = {"Ms",    "GM",       "PM",
                                                        "Odziv", "Umiritev", "IAE"};

// The palette and the font, not a style sheet: they change at every step of
// the slider, and only when they differ.
void SetRed(QLabel* label, bool red)
{
    const QColor color = red ? QColor(Qt::red) : QPalette().color(QPalette::WindowText);
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == color)
        return;
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

void SetBold(QLabel* label, bool bold)
{
    QFont font = label->font();
    if (font.bold() == bold)
        return;
    font.setBold(bold);
    label->setFont(font);
}

QLabel* CellLabel(const QByteArray& name, const QString& text)
{
    QLabel* label = NewLabel(name.constData(), text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

QGroupBox* TForm1::BuildRobustnessGroup()
{
    GroupBox_Robustnost = NewGroup("GroupBox_Robustnost", QStringLiteral("Robustnost in kakovost"));
    auto* grid = new QGridLayout(GroupBox_Robustnost);
    const std::array<QString, RobustnessColumnCount> headings = RobustnessHeadings(false);
    for (int c = 0; c < RobustnessColumnCount; ++c) {
        const auto column = static_cast<std::size_t>(c);
        Label_RobHead[column] =
            CellLabel(QByteArray("Label_RobHead_") + ColumnNames[c], headings[column]);
        grid->addWidget(Label_RobHead[column], 0, c + 1);
    }
    for (int r = 0; r < RowCount; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const QByteArray name = QByteArray("Label_Rob_") + RowNames[r];
        Label_RobRow[row] = NewLabel(name.constData(), QString::fromLatin1(RowNames[r]));
        grid->addWidget(Label_RobRow[row], r + 1, 0);
        for (int c = 0; c < RobustnessColumnCount; ++c) {
            QLabel*& cell = Label_Rob[row][static_cast<std::size_t>(c)];
            cell = CellLabel(name + "_" + ColumnNames[c], QStringLiteral("–"));
            grid->addWidget(cell, r + 1, c + 1);
        }
    }
    Button_FrekvencniOdziv =
        NewButton("Button_FrekvencniOdziv", QStringLiteral("Frekvenčni odziv"));
    grid->addWidget(Button_FrekvencniOdziv, RowCount + 1, 0, 1, RobustnessColumnCount + 1,
                    Qt::AlignRight);
    grid->setColumnStretch(RobustnessColumnCount + 1, 1);
    return GroupBox_Robustnost;
}

void TForm1::AddMsControls(QGridLayout* sliderGroup)
{
    Label_RobustMs = NewLabel("Label_RobustMs", QStringLiteral("Ms (PID): –"));
    Label_RobustMs->setMinimumWidth(110);
    sliderGroup->addWidget(Label_RobustMs, 0, 3);
    Button_MsCilj = NewButton("Button_MsCilj", QStringLiteral("Najhitreje z Ms ≤"));
    Edit_MsCilj = NewEdit("Edit_MsCilj", FormatGeneral(1.6, 6), 60);
    auto* target = new QHBoxLayout;
    target->addWidget(Button_MsCilj);
    target->addWidget(Edit_MsCilj);
    target->addStretch();
    sliderGroup->addLayout(target, 2, 0, 1, 4);
}

void TForm1::WireRobustness()
{
    OnEvent(Button_FrekvencniOdziv, &QPushButton::clicked, &TForm1::Button_FrekvencniOdzivClick);
    OnEvent(Button_MsCilj, &QPushButton::clicked, &TForm1::Button_MsCiljClick);
    OnEvent(Edit_MsCilj, &QLineEdit::returnPressed, &TForm1::Button_MsCiljClick);
}

void TForm1::ShowRobustness(ResponseSet&& responses, bool disturbance)
{
    Label_RobHead[ColumnResponse]->setText(RobustnessHeadings(disturbance)[ColumnResponse]);
    for (std::size_t r = 0; r < RowCount; ++r) {
        const RobustnessRowTexts row = FormatRobustness(
            responses.Robustness[static_cast<std::size_t>(RowLoops[r])], disturbance);
        for (std::size_t c = 0; c < RobustnessColumnCount; ++c)
            Label_Rob[r][c]->setText(row.Cells[c]);
        // "nestabilno", and the margins shown but marked.
        for (const int c : {ColumnMs, ColumnGainMargin, ColumnPhaseMargin})
            SetRed(Label_Rob[r][static_cast<std::size_t>(c)], !row.Stable);
    }
    const LoopRobustness& pid = responses.Robustness[LoopPID];
    Label_RobustMs->setText(MsLabelText(pid));
    SetRed(Label_RobustMs, !pid.Frequency.Stable);
    DrawnResponses = std::make_unique<ResponseSet>(std::move(responses));
    ShowChosenType();
}

void TForm1::ShowChosenType()
{
    const int chosen = DrawnLoopOfType(RadioGroup_IzbiraTipaReg->ItemIndex());
    for (std::size_t r = 0; r < RowCount; ++r) {
        const bool bold = RowLoops[r] == chosen;
        SetBold(Label_RobRow[r], bold);
        for (QLabel* cell : Label_Rob[r])
            SetBold(cell, bold);
    }
    if (Form_FrekvencniOdziv && Form_FrekvencniOdziv->isVisible() && DrawnResponses)
        Form_FrekvencniOdziv->ShowLoops(DrawnResponses->Loops, DrawnResponses->Robustness, chosen);
}

void TForm1::Button_FrekvencniOdzivClick()
{
    if (!Form_FrekvencniOdziv)
        Form_FrekvencniOdziv = new FrequencyResponseWindow(this);
    Form_FrekvencniOdziv->show();
    Form_FrekvencniOdziv->raise();
    Form_FrekvencniOdziv->activateWindow();
    ShowChosenType();
}

void TForm1::Button_MsCiljClick()
{
    const double target = ParseFieldNumber(Edit_MsCilj->text(), QStringLiteral("Ciljni Ms"));
    const int type = RadioGroup_IzbiraTipaReg->ItemIndex();
    if (DrawnLoopOfType(type) < 0) {
        Dialogs().ShowMessage(this, QStringLiteral("Izberite tip regulatorja."));
        return;
    }
    TuningRequest request;
    request.Method = ComboBox1->ItemIndex();
    request.SamplingTimeText = Edit_Vzorcenje->text();
    request.Cascade = CheckBox_CascadeReg->isChecked();
    const std::optional<int> position = FastestSliderPosition(Store, request, type, target);
    if (!position) {
        Dialogs().ShowMessage(
            this, QStringLiteral("Pri nobenem položaju drsnika zanka z regulatorjem %1 ni "
                                 "stabilna z Ms ≤ %2; položaj ostane.")
                      .arg(QString::fromLatin1(TypeNames[type]), FormatGeneral(target, 6)));
        return;
    }
    ScrollBar_Robust->setValue(*position); // recomputes when it moves
}
