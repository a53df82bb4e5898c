#pragma once
// Catalogue preparation: store each item's media kind, protect each item's address.

#include "xml_document.h"

#include <filesystem>
#include <string_view>

namespace zentavo {

// Appends to every child of the root an imgindex element with ClassifyMediaKind of its url text.
void AnnotateMediaKinds(XmlDocument& catalogue);
// Replaces every child's url text with EncipherString(url, passphrase, Key256).
void EncipherCatalogueAddresses(XmlDocument& catalogue, std::string_view passphrase);

// File to file; the input is never rewritten. Throw XmlError / ListFileError on failure,
// leaving any existing output file whole.
void AnnotateMediaKinds(const std::filesystem::path& in, const std::filesystem::path& out);
void EncipherCatalogueAddresses(const std::filesystem::path& in, const std::filesystem::path& out,
                                std::string_view passphrase);

} // namespace zentavo
