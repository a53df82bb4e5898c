#pragma once
// Splits a command's arguments into options and positional arguments.

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo::tool {

// Bad usage of a command: what() says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ParsedArgs {
    std::map<std::string, std::string> values; // options that take a value, by name ("--key")
    std::set<std::string> flags; // options without a value ("--raw")
    std::vector<std::string> positional;
};

// Options may come before or after the positional arguments; "--name=value" and "--name value"
// are alike; "--" ends the options, so a positional argument may begin with '-'. A lone "-" is
// positional. Throws UsageError for an unknown option, a missing value, or an option given twice.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string_view>& valueOptions,
                     const std::set<std::string_view>& flagOptions);

} // namespace zentavo::tool
