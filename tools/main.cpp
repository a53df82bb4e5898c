// zentavo-catalog: maintenance commands for whoever prepares a channel catalogue.
#include "commands.h"

#include <cstring>
#include <iostream>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: zentavo-catalog COMMAND [ARGS]\n"
    "  classify ADDRESS...                                   media kind code of each address\n"
    "  protect [--key TEXT] [--size 128|192|256] PLAIN       protected string of PLAIN\n"
    "  unprotect [--key TEXT] [--size ...] [--raw] PROTECTED plain text of PROTECTED\n"
    "  annotate IN -o OUT                                    store each item's media kind\n"
    "  encipher IN -o OUT                                    protect each item's address\n"
    "  list CATALOGUE                                        one channel a line, tab-separated\n"
    "  import [--type tv|radio|webcam] [--country NAME] FILE... -o OUT\n"
    "                                                        playlists to a prepared catalogue\n";

struct Command {
    std::string_view name;
    int (*run)(const zentavo::tool::Args&);
};

constexpr Command kCommands[] = {
    {"classify", zentavo::tool::RunClassify},   {"protect", zentavo::tool::RunProtect},
    {"unprotect", zentavo::tool::RunUnprotect}, {"annotate", zentavo::tool::RunAnnotate},
    {"encipher", zentavo::tool::RunEncipher},   {"list", zentavo::tool::RunList},
    {"import", zentavo::tool::RunImport},
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::cerr << kUsage;
        return zentavo::tool::kExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << kUsage;
        return zentavo::tool::kExitOk;
    }
    for (const auto& command : kCommands) {
        if (command.name == name)
            return command.run(zentavo::tool::Args(argv + 2, argv + argc));
    }
    std::cerr << "zentavo-catalog: unknown command '" << name << "'\n" << kUsage;
    return zentavo::tool::kExitUsage;
}
