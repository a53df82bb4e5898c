#pragma once
// The key text under which every stream address of the catalogue is protected.

#include <string>
#include <string_view>

namespace zentavo {

// 32 lower-case hex digits of the MD5 digest of the program's fixed 44-character seed.
std::string BuildStreamPassphrase();
// 32 lower-case hex digits of the MD5 digest of any text.
std::string Md5Hex(std::string_view text);

} // namespace zentavo
