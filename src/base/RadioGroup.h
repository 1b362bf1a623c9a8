#pragma once

// A titled group of radio buttons addressed by item index, as the program's
// windows use them: ItemIndex() is the checked item (-1 when none), and
// Click fires whenever the checked item changes, whether the user clicked
// or the program called SetItemIndex, so that loading settings runs the same
// handlers as a user's choice.

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // Items are laid out top to bottom, filling `columns` columns in turn.
    RadioGroup(const QString& caption, const QStringList& items, int columns = 1,
               QWidget* parent = nullptr);

    int ItemIndex() const { return itemIndex_; }
    // Checks item `index` (-1 unchecks all). Fires Click when a new item
    // becomes checked; indices outside the items are ignored.
    void SetItemIndex(int index);

    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int index) const { return buttons_.at(index); }

signals:
    void Click();

private:
    void ButtonToggled(int id, bool checked);

    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
    int itemIndex_ = -1;
};
