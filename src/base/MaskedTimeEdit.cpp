#include "base/MaskedTimeEdit.h"

namespace {
const QString TimeFormat = QStringLiteral("HH:mm:ss");
}

MaskedTimeEdit::MaskedTimeEdit(const QString& text, QWidget* parent) : QLineEdit(parent)
{
    setInputMask(QStringLiteral("99:99:99;_"));
    setText(text);
}

QTime MaskedTimeEdit::Time() const
{
    return QTime::fromString(text(), TimeFormat);
}

void MaskedTimeEdit::SetTime(const QTime& time)
{
    setText(time.toString(TimeFormat));
}
