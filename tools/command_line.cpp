#include "command_line.h"

namespace zentavo::tool {

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::set<std::string_view>& valueOptions,
                     const std::set<std::string_view>& flagOptions)
{
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasInlineValue = false;
        if (const auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasInlineValue = true;
        }
        if (valueOptions.contains(name)) {
            if (!hasInlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError("option " + name + " needs a value");
                value = args[++i];
            }
            if (!parsed.values.emplace(name, value).second)
                throw UsageError("option " + name + " given twice");
        } else if (flagOptions.contains(name) && !hasInlineValue) {
            if (!parsed.flags.insert(name).second)
                throw UsageError("option " + name + " given twice");
        } else {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    return parsed;
}

} // namespace zentavo::tool
