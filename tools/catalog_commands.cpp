#include "commands.h"

namespace zentavo::tool {

int RunClassify(const Args&) { return kExitUsage; }
int RunProtect(const Args&) { return kExitUsage; }
int RunUnprotect(const Args&) { return kExitUsage; }
int RunAnnotate(const Args&) { return kExitUsage; }
int RunEncipher(const Args&) { return kExitUsage; }
int RunList(const Args&) { return kExitUsage; }

} // namespace zentavo::tool
