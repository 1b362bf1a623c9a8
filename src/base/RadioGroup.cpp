#include "base/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setVerticalSpacing(2);
    const int count = static_cast<int>(items.size());
    const int perColumn = (count + std::max(columns, 1) - 1) / std::max(columns, 1);
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        button->setObjectName(QStringLiteral("Item%1").arg(i));
        group_->addButton(button, i);
        buttons_.append(button);
        layout->addWidget(button, perColumn > 0 ? i % perColumn : 0,
                          perColumn > 0 ? i / perColumn : 0);
    }
    connect(group_, &QButtonGroup::idToggled, this, &RadioGroup::ButtonToggled);
}

void RadioGroup::SetItemIndex(int index)
{
    if (index == -1) {
        group_->setExclusive(false);
        for (QRadioButton* button : buttons_)
            button->setChecked(false);
        group_->setExclusive(true);
        itemIndex_ = -1;
        return;
    }
    if (index < 0 || index >= Count())
        return;
    buttons_.at(index)->setChecked(true);
}

void RadioGroup::ButtonToggled(int id, bool checked)
{
    if (!checked || id == itemIndex_)
        return;
    itemIndex_ = id;
    emit Click();
}
