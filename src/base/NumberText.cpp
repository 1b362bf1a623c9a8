#include "base/NumberText.h"

#include "base/Errors.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// Decimal exponent e of a finite, positive value: value = d.ddd x 10^e.
// 21 significant digits never round a double up to the next power of ten.
int DecimalExponent(double positive)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, positive, std::chars_format::scientific, 20);
    const char* e = std::find(buffer, result.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), result.ptr, exponent);  // not NUL-terminated
    return exponent;
}

// Significant digits of a positive value in scientific notation with
// `precision` digits after the first, and its exponent.
void ScientificDigits(double positive, int precision, std::string& digits, int& exponent)
{
    std::string buffer(static_cast<std::size_t>(precision) + 32, '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), positive,
                                      std::chars_format::scientific, precision);
    const std::string text(buffer.data(), result.ptr);
    const std::size_t e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    exponent = std::atoi(text.c_str() + e + 1);
}

// The value rounded to a multiple of 10^position, halves away from zero on
// its exact decimal value, as the integer number of such units (decimal
// digits without leading zeros; "" for zero).
std::string RoundAt(double positive, int position)
{
    const int exponent = DecimalExponent(positive);
    const int keep = exponent - position + 1;  // significant digits kept
    if (keep < 0)
        return {};  // below a tenth of a unit
    // 25 more digits than kept tell the direction, unless they read exactly
    // "5000...": then the rounding of the 25 digits may have made a tie out
    // of a value just below or above one, and the exact expansion decides.
    // (A double's exact expansion has at most 767 significant digits.)
    std::string digits;
    int shownExponent = 0;
    ScientificDigits(positive, keep + 24, digits, shownExponent);
    std::string tail = digits.substr(static_cast<std::size_t>(keep));
    if (tail.find_first_not_of('0', 1) == std::string::npos && tail[0] == '5') {
        ScientificDigits(positive, 800, digits, shownExponent);
        tail = digits.substr(static_cast<std::size_t>(keep));
    }
    std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
    if (tail[0] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[static_cast<std::size_t>(i)];
    }
    const std::size_t nonZero = kept.find_first_not_of('0');
    return nonZero == std::string::npos ? std::string() : kept.substr(nonZero);
}

std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string General(double value, int precision, int exponentDigits, const std::string& separator)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return "0";
    precision = std::max(precision, 1);
    const double positive = std::fabs(value);
    int exponent = DecimalExponent(positive);
    std::string digits = RoundAt(positive, exponent - precision + 1);
    if (static_cast<int>(digits.size()) > precision) {  // 9.99.. rounded up to 10.0..
        ++exponent;
        digits.pop_back();
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    std::string text = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent < precision) {
        const int integerDigits = exponent + 1;
        if (integerDigits <= 0) {
            text += "0" + separator + std::string(static_cast<std::size_t>(-integerDigits), '0') +
                    digits;
        } else if (static_cast<int>(digits.size()) <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, static_cast<std::size_t>(integerDigits)) + separator +
                    digits.substr(static_cast<std::size_t>(integerDigits));
        }
        return text;
    }
    text += digits.substr(0, 1);
    if (digits.size() > 1)
        text += separator + digits.substr(1);
    std::string exponentText = std::to_string(std::abs(exponent));
    if (static_cast<int>(exponentText.size()) < exponentDigits)
        exponentText.insert(0, static_cast<std::size_t>(exponentDigits) - exponentText.size(), '0');
    return text + "E" + (exponent < 0 ? "-" : "") + exponentText;
}

std::string Fixed(double value, int precision, int decimals, const std::string& separator)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    precision = std::max(precision, 1);
    decimals = std::max(decimals, 0);
    const double positive = std::fabs(value);
    std::string units;  // the rounded value in units of 10^position
    int position = -decimals;
    if (positive != 0) {
        position = std::max(-decimals, DecimalExponent(positive) - precision + 1);
        units = RoundAt(positive, position);
        if (static_cast<int>(units.size()) + position > precision)  // 10^P or more
            return General(value, precision, 0, separator);
    }
    // Scaled to an integer count of 10^-decimals, padded to show the point.
    std::string scaled = units.empty() ? "0" : units + std::string(position + decimals, '0');
    if (static_cast<int>(scaled.size()) <= decimals)
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    std::string text = (value < 0 && !units.empty()) ? "-" : "";
    const std::size_t integerDigits = scaled.size() - static_cast<std::size_t>(decimals);
    text += scaled.substr(0, integerDigits);
    if (decimals > 0)
        text += separator + scaled.substr(integerDigits);
    return text;
}

// Sign, digits with at most one separator (at least one digit), optional
// exponent; nothing else. Empty unless the text is a finite number.
std::optional<double> ScanNumber(QStringView text, QStringView separator)
{
    std::string plain;
    plain.reserve(static_cast<std::size_t>(text.size()));
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isDigit = [&](qsizetype at) { return at < n && text[at] >= u'0' && text[at] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            plain += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (isDigit(i)) {
        plain += static_cast<char>(text[i++].unicode());
        ++mantissaDigits;
    }
    if (!separator.isEmpty() && text.mid(i).startsWith(separator)) {
        plain += '.';
        i += separator.size();
        while (isDigit(i)) {
            plain += static_cast<char>(text[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            plain += static_cast<char>(text[i++].unicode());
        if (!isDigit(i))
            return std::nullopt;
        while (isDigit(i))
            plain += static_cast<char>(text[i++].unicode());
    }
    if (i != n)
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

[[noreturn]] void ThrowNotANumber(const QString& text)
{
    throw ConversionError("'" + QuotedForMessage(text).toStdString() + "' ni veljavno število");
}

}  // namespace

QString QuotedForMessage(const QString& text)
{
    constexpr qsizetype Longest = 40;
    QString shown = text.left(Longest);
    for (QChar& c : shown)
        if (!c.isPrint())
            c = u'?';
    return text.size() > Longest ? shown + QStringLiteral("…") : shown;
}

QString DecimalSeparator()
{
    return QLocale().decimalPoint();
}

QString FormatGeneral(double value, int precision, int exponentDigits)
{
    return QString::fromStdString(
        General(value, precision, exponentDigits, DecimalSeparator().toStdString()));
}

QString FormatFixed(double value, int precision, int decimals)
{
    return QString::fromStdString(Fixed(value, precision, decimals, DecimalSeparator().toStdString()));
}

std::string FormatGeneralC(double value, int precision, int exponentDigits)
{
    return General(value, precision, exponentDigits, ".");
}

std::string FormatFixedC(double value, int precision, int decimals)
{
    return Fixed(value, precision, decimals, ".");
}

double ParseNumber(const QString& text)
{
    return ParseNumberWith(text, DecimalSeparator());
}

double ParseFieldNumber(const QString& text, const QString& field)
{
    try {
        return ParseNumber(text);
    } catch (const ConversionError& e) {
        throw ConversionError(field.toStdString() + ": " + e.what());
    }
}

double ParseNumberWith(const QString& text, QStringView separator)
{
    const std::optional<double> value = ScanNumber(QStringView(text).trimmed(), separator);
    if (!value)
        ThrowNotANumber(text);
    return *value;
}

int ParseInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression integer(QStringLiteral(R"(^[+-]?[0-9]+$)"));
    if (!integer.match(trimmed).hasMatch())
        throw ConversionError("'" + QuotedForMessage(text).toStdString() + "' ni veljavno celo število");
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok || value < INT_MIN || value > INT_MAX)
        throw ConversionError("'" + QuotedForMessage(text).toStdString() + "' ni veljavno celo število");
    return static_cast<int>(value);
}

std::optional<double> ParseSampleField(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const qsizetype comma = trimmed.indexOf(u',');
    if (comma < 0)
        return ScanNumber(trimmed, u".");
    QString field = trimmed.toString();
    field[comma] = u'.';
    return ScanNumber(field, u".");
}
