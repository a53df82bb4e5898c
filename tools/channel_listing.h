#pragma once
// The "list" command's output: one channel a line, tab-separated fields
// id, type2, imgindex, country, name, bandwidth, deciphered address.

#include "channels/xml_document.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace zentavo::tool {

// Writes a line for every child element of the root, in document order, to out. The address is
// DecipherString under passphrase (Key256), trimmed as every caller trims it. A control byte
// inside a field (a tab or line break would break the format) is written as a blank. An address
// that cannot be deciphered is reported through onError (id, message) and its field left empty.
// Returns the number of such addresses. Throws std::runtime_error when out cannot be written.
std::size_t WriteChannelListing(const XmlDocument& catalogue, std::string_view passphrase, std::FILE* out,
                                const std::function<void(const std::string& id, const std::string& message)>& onError);

} // namespace zentavo::tool
