#pragma once
// A field of /proc/self/status in kB (VmRSS, VmHWM, RssAnon), 0 when it is missing.

#include <fstream>
#include <string>

namespace zentavo {

inline long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return 0;
}

} // namespace zentavo
