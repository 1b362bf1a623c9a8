#pragma once

// A combo box whose item index and text are separate, as the program's lists
// need: it can show a text with no item selected (ItemIndex() == -1), for
// instance a default caption, or in an editable one a text the user typed
// over an item. A drop-down list (not editable) is for fixed choices: the
// user picks an item, and a text set from code without a matching item is
// shown greyed until then.
//
// Change fires when the user picks an item or types; setting the index or
// the text from code does not fire it.

#include <QComboBox>

class TextComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TextComboBox(bool editable, QWidget* parent = nullptr);

    // The selected item; -1 when none is selected or the text no longer
    // matches the selected item.
    int ItemIndex() const;
    // Selects item `index` and shows its text; -1 selects nothing and
    // clears the text.
    void SetItemIndex(int index);

    QString Text() const;
    // Editable: shows `text` with no item selected. Drop-down list: selects
    // the item with exactly that text, or else shows the text with no item
    // selected.
    void SetText(const QString& text);

signals:
    void Change();
};
