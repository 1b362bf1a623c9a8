#pragma once

// Sets the default locale for one test and restores it afterwards. Tests of
// everything that writes or reads numbers run under a "," and a "." locale.

#include <QLocale>

class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

    static QLocale Comma() { return QLocale(QLocale::Slovenian, QLocale::Slovenia); }
    static QLocale Point() { return QLocale(QLocale::English, QLocale::UnitedStates); }

private:
    QLocale previous_;
};
