// The check of the number parsers: the page fields, the header lines and the
// lenient sample fields of the data and model files.

#include "FuzzChecks.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <optional>

namespace {

std::optional<double> Parsed(const QString& text, const char* separator)
{
    try {
        return ParseNumberWith(text, QString::fromLatin1(separator));
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

bool Same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

std::string CheckNumberText(const std::uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Every parser either refuses the text or gives a finite number.
    const std::optional<double> point = Parsed(text, ".");
    const std::optional<double> comma = Parsed(text, ",");
    const std::optional<double> field = ParseSampleField(text);
    for (const auto& value : {point, comma, field})
        if (value && !std::isfinite(*value))
            return "a parser gave a number that is not finite";
    try {
        ParseInteger(text);
    } catch (const ConversionError&) {
    }

    // The sample field accepts what the "." parse accepts when the text
    // holds no ",", and gives the same number.
    if (!text.contains(u',') && point && (!field || !Same(*field, *point)))
        return "a sample field reads a number differently from the \".\" parse";
    if (!text.contains(u',') && !text.contains(u'.') &&
        !Same(point.value_or(NAN), comma.value_or(NAN)))
        return "a number without a decimal mark depends on the separator";

    // The first eight bytes as a double: every finite value written in the
    // general format with 17 digits reads back exactly, with either mark.
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            const std::string written = FormatGeneralC(value, 17);
            const QString text17 = QString::fromStdString(written);
            const std::optional<double> back = Parsed(text17, ".");
            if (!back || *back != value)
                return "the number " + written + " does not read back";
            QString withComma = text17;
            withComma.replace(u'.', u',');
            const std::optional<double> lenient = ParseSampleField(withComma);
            if (!lenient || *lenient != value)
                return "the sample field " + withComma.toStdString() + " does not read back";
        }
    }
    return {};
}
