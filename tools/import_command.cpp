#include "commands.h"

namespace zentavo::tool {

int RunImport(const Args&) { return kExitUsage; }

} // namespace zentavo::tool
