#pragma once

// An edit for a time of day typed as two-digit hours, minutes and seconds
// ("12:00:00"): the colons are fixed, only digits can be typed.

#include <QLineEdit>
#include <QTime>

class MaskedTimeEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedTimeEdit(const QString& text, QWidget* parent = nullptr);

    // The time shown, invalid when the digits are not a time of day.
    QTime Time() const;
    void SetTime(const QTime& time);
};
