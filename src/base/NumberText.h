#pragma once

// Numbers as text, for the whole program: every label, edit, file and JSON
// field formats and parses its numbers here.
//
//  - General format with P significant digits: rounded to P significant
//    digits, halves away from zero on the exact decimal value of the double;
//    trailing zeros removed; fixed notation when the decimal exponent e
//    (value = d.ddd x 10^e) satisfies -4 <= e < P, otherwise "dE-x" / "dEx"
//    with at least `exponentDigits` exponent digits. Zero is "0".
//  - Fixed format with D decimals and at most P significant digits: rounded
//    once, at the coarser of the two positions, halves away from zero; always
//    D decimals (zeros beyond the P significant digits); no minus sign on a
//    value that rounds to zero; values of 10^P or more in the general format.
//
// Texts use the decimal separator of the default locale (QLocale()); the
// *Text variants take the separator explicitly.

#include <QString>
#include <QStringView>

#include <optional>
#include <string>

// A text of a file or of a field as an error message quotes it: characters
// that cannot be shown as "?", at most 40 characters (then "…"), so that a
// wrong or binary file never puts raw bytes into a message.
QString QuotedForMessage(const QString& text);

// The default locale's decimal separator.
QString DecimalSeparator();

QString FormatGeneral(double value, int precision, int exponentDigits = 0);
QString FormatFixed(double value, int precision, int decimals);

// The same with '.' as separator (files that other programs read, JSON).
std::string FormatGeneralC(double value, int precision, int exponentDigits = 0);
std::string FormatFixedC(double value, int precision, int decimals);

// A decimal number written with the default locale's separator (surrounding
// blanks allowed, optional exponent). Throws ConversionError naming the text
// when it is not a finite number.
double ParseNumber(const QString& text);

// ParseNumber of the text of a field the user fills; the error names the
// field: "Ocenjeno ojačenje: 'abc' ni veljavno število".
double ParseFieldNumber(const QString& text, const QString& field);

// The same with an explicit decimal separator.
double ParseNumberWith(const QString& text, QStringView separator);

// A whole decimal number in the int range. Throws ConversionError naming the
// text otherwise.
int ParseInteger(const QString& text);

// The lenient reading of a sample field of the data and model files: the
// first "," is taken as ".", so either decimal mark is accepted. Empty when
// the field is not a finite number.
std::optional<double> ParseSampleField(QStringView text);
