#include "base/TextComboBox.h"

#include <QLineEdit>

TextComboBox::TextComboBox(bool editable, QWidget* parent) : QComboBox(parent)
{
    setEditable(editable);
    if (editable) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, &TextComboBox::Change);
    }
    connect(this, &QComboBox::activated, this, &TextComboBox::Change);
}

int TextComboBox::ItemIndex() const
{
    const int index = currentIndex();
    if (index < 0)
        return -1;
    if (isEditable() && itemText(index) != currentText())
        return -1;
    return index;
}

void TextComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= count())
        index = -1;
    // Clearing the placeholder of a list with nothing selected selects the
    // first item: the index is set after it.
    setPlaceholderText(QString());
    setCurrentIndex(index);
    if (index == -1 && isEditable())
        setEditText(QString());
}

QString TextComboBox::Text() const
{
    return !isEditable() && currentIndex() < 0 ? placeholderText() : currentText();
}

void TextComboBox::SetText(const QString& text)
{
    if (isEditable()) {
        setCurrentIndex(-1);
        setEditText(text);
        return;
    }
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setPlaceholderText(index < 0 ? text : QString()); // before the index, as above
    setCurrentIndex(index);
}
