#pragma once
// The commands of zentavo-catalog. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 bad data, 2 bad usage. Errors go to standard error.

#include <string>
#include <vector>

namespace zentavo::tool {

using Args = std::vector<std::string>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadData = 1;
inline constexpr int kExitUsage = 2;

int RunClassify(const Args& args);
int RunProtect(const Args& args);
int RunUnprotect(const Args& args);
int RunAnnotate(const Args& args);
int RunEncipher(const Args& args);
int RunList(const Args& args);
int RunImport(const Args& args);

} // namespace zentavo::tool
