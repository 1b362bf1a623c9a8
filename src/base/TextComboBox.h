#pragma once

// A combo box whose item index and text are separate, as the program's lists
// need: an editable one can show a text with no item selected
// (ItemIndex() == -1), for instance a default caption or a text the user
// typed over an item. A drop-down list (not editable) shows an item or
// nothing.
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

    QString Text() const { return currentText(); }
    // Editable: shows `text` with no item selected. Drop-down list: selects
    // the item with exactly that text, or nothing.
    void SetText(const QString& text);

signals:
    void Change();
};
