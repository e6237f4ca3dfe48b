#pragma once
// Reading agendor-cli's command line: options of the form --name VALUE and
// --flag, and the values they take. Every wrong argument raises UsageError,
// whose text is the one line the tool prints before exiting with status 2.
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "agendor/platform/types.h"

namespace agendor::cli {

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// The options after the command word. Each command names the options that
// take a value and the flags it knows; anything else is refused.
class Options {
public:
    Options(const std::vector<std::string>& args, const std::set<std::string>& valued,
            const std::set<std::string>& flags);

    bool Has(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    bool Flag(const std::string& name) const { return flags_.count(name) != 0; }

private:
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
};

// "DD.MM.YYYY" (leading zeros optional) of a real date from 1 Jan 100 to
// 31 Dec 9999, at midnight.
DateTime ParseDateArgument(const std::string& option, const std::string& text);
// A decimal integer in [low, high], nothing else around it.
long ParseIntegerArgument(const std::string& option, const std::string& text, long low, long high);

} // namespace agendor::cli
