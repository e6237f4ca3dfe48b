#include "tools/cli/arguments.h"

#include <charconv>

#include "agendor/core/date_time.h"

namespace agendor::cli {

Options::Options(const std::vector<std::string>& args, const std::set<std::string>& valued,
                 const std::set<std::string>& flags) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (valued.count(arg) != 0) {
            if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
            if (values_.count(arg) != 0) throw UsageError("option " + arg + " given twice");
            values_[arg] = args[++i];
        } else if (flags.count(arg) != 0) {
            flags_.insert(arg);
        } else if (arg.rfind("--", 0) == 0) {
            throw UsageError("unknown option " + arg);
        } else {
            throw UsageError("unexpected argument \"" + arg + "\"");
        }
    }
}

bool Options::Has(const std::string& name) const { return values_.count(name) != 0; }

std::optional<std::string> Options::Value(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

DateTime ParseDateArgument(const std::string& option, const std::string& text) {
    const std::optional<DateTime> date = dt::ParseDayMonthYear(text);
    if (!date) throw UsageError(option + ": \"" + text + "\" is not a date DD.MM.YYYY between 01.01.0100 and 31.12.9999");
    return *date;
}

long ParseIntegerArgument(const std::string& option, const std::string& text, long low, long high) {
    long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [last, error] = std::from_chars(begin, end, value);
    if (text.empty() || error != std::errc() || last != end || value < low || value > high) {
        throw UsageError(option + ": \"" + text + "\" is not a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    }
    return value;
}

} // namespace agendor::cli
