#pragma once
// Catalogues of any size for the benchmarks: items with every field and a protected address.

#include <cstddef>
#include <string>

namespace zentavo::bench {

// A UTF-8 catalogue of count items with ids 1..count, indented as a hand-kept file is; every
// url is protected under the stream passphrase.
std::string GenerateCatalogue(std::size_t count);

} // namespace zentavo::bench
