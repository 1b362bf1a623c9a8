#include "cli/CliArguments.h"

#include <charconv>
#include <cmath>

CliArguments::CliArguments(int argc, char** argv, int first, const std::set<std::string>& options,
                           const std::set<std::string>& flags)
{
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            positional_.push_back(arg);
            continue;
        }
        const std::string name = arg.substr(2);
        if (flags.count(name)) {
            flags_.insert(name);
        } else if (options.count(name)) {
            if (i + 1 >= argc)
                throw UsageError("option --" + name + " needs a value");
            options_[name] = argv[++i];
        } else {
            throw UsageError("unknown option --" + name);
        }
    }
}

const std::string& CliArguments::Required(std::size_t index, const std::string& what) const
{
    if (index >= positional_.size())
        throw UsageError("missing " + what);
    return positional_[index];
}

void CliArguments::ExpectPositionalCount(std::size_t count) const
{
    if (positional_.size() > count)
        throw UsageError("unexpected argument '" + positional_[count] + "'");
    if (positional_.size() < count)
        throw UsageError("missing argument");
}

std::optional<std::string> CliArguments::Option(const std::string& name) const
{
    const auto it = options_.find(name);
    if (it == options_.end())
        return std::nullopt;
    return it->second;
}

std::optional<double> CliArguments::Number(const std::string& name) const
{
    const std::optional<std::string> text = Option(name);
    if (!text)
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), value);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size() ||
        !std::isfinite(value))
        throw UsageError("--" + name + ": '" + *text + "' is not a number");
    return value;
}

std::optional<int> CliArguments::Integer(const std::string& name) const
{
    const std::optional<std::string> text = Option(name);
    if (!text)
        return std::nullopt;
    int value = 0;
    const char* begin = text->data();
    if (!text->empty() && *begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, text->data() + text->size(), value);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size() ||
        begin == text->data() + text->size())
        throw UsageError("--" + name + ": '" + *text + "' is not an integer");
    return value;
}
