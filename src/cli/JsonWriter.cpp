#include "cli/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

void WriteString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += c; // UTF-8 passes through
            }
        }
    }
    out += '"';
}

void WriteNumber(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

JsonValue JsonValue::NumberArray(const double* values, int count)
{
    Array array;
    array.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        array.emplace_back(values[i]);
    return JsonValue(std::move(array));
}

JsonValue& JsonValue::Add(const std::string& key, JsonValue value)
{
    if (!std::holds_alternative<Object>(value_))
        value_ = Object{};
    std::get<Object>(value_).emplace_back(key, std::move(value));
    return *this;
}

std::string JsonValue::Serialize() const
{
    std::string out;
    Write(out);
    return out;
}

void JsonValue::Write(std::string& out) const
{
    if (std::holds_alternative<std::monostate>(value_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&value_)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* i = std::get_if<std::int64_t>(&value_)) {
        out += std::to_string(*i);
    } else if (const double* d = std::get_if<double>(&value_)) {
        WriteNumber(out, *d);
    } else if (const std::string* s = std::get_if<std::string>(&value_)) {
        WriteString(out, *s);
    } else if (const Array* a = std::get_if<Array>(&value_)) {
        out += '[';
        for (std::size_t k = 0; k < a->size(); ++k) {
            if (k)
                out += ',';
            (*a)[k].Write(out);
        }
        out += ']';
    } else {
        const Object& o = std::get<Object>(value_);
        out += '{';
        for (std::size_t k = 0; k < o.size(); ++k) {
            if (k)
                out += ',';
            WriteString(out, o[k].first);
            out += ':';
            o[k].second.Write(out);
        }
        out += '}';
    }
}
