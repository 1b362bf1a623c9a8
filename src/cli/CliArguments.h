#pragma once

// The arguments of one varkol-cli command: positional arguments and
// "--name value" options or "--flag" switches. A command states which options
// and flags it knows; anything else is a usage error.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that does not fit the command (exit status 1).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CliArguments {
public:
    // Parses argv[first..]; `options` take a value, `flags` do not.
    CliArguments(int argc, char** argv, int first, const std::set<std::string>& options,
                 const std::set<std::string>& flags);

    const std::vector<std::string>& Positional() const { return positional_; }
    // The positional argument `index`, or a usage error naming `what`.
    const std::string& Required(std::size_t index, const std::string& what) const;
    void ExpectPositionalCount(std::size_t count) const;

    bool Has(const std::string& name) const { return options_.count(name) || flags_.count(name); }
    bool Flag(const std::string& name) const { return flags_.count(name) > 0; }
    std::optional<std::string> Option(const std::string& name) const;

    // An option's value as a number ('.' as decimal mark) or an integer;
    // a usage error when it is not one.
    std::optional<double> Number(const std::string& name) const;
    std::optional<int> Integer(const std::string& name) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
    std::set<std::string> flags_;
};
