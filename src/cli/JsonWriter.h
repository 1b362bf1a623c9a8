#pragma once

// The JSON that varkol-cli prints: a small value tree with objects that keep
// the order in which fields were added. Numbers are written at full precision
// (the shortest text that reads back to the same double); a value that is not
// finite is written as null.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class JsonValue {
public:
    using Array = std::vector<JsonValue>;
    using Object = std::vector<std::pair<std::string, JsonValue>>;

    JsonValue() = default; // null
    JsonValue(bool value) : value_(value) {}
    JsonValue(int value) : value_(static_cast<std::int64_t>(value)) {}
    JsonValue(std::int64_t value) : value_(value) {}
    JsonValue(double value) : value_(value) {}
    JsonValue(const char* value) : value_(std::string(value)) {}
    JsonValue(std::string value) : value_(std::move(value)) {}
    JsonValue(Array value) : value_(std::move(value)) {}
    JsonValue(Object value) : value_(std::move(value)) {}

    static JsonValue NumberArray(const double* values, int count);

    // Appends a field to an object value (turning a null value into an object).
    JsonValue& Add(const std::string& key, JsonValue value);

    std::string Serialize() const;

private:
    void Write(std::string& out) const;
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Array, Object> value_;
};
