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
    setCurrentIndex(index);
    if (index == -1 && isEditable())
        setEditText(QString());
}

void TextComboBox::SetText(const QString& text)
{
    if (isEditable()) {
        setCurrentIndex(-1);
        setEditText(text);
        return;
    }
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}
