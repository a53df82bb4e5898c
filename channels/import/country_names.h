#pragma once
// English country names for the two-letter codes that channel lists use.

#include <string_view>

namespace zentavo {

// "de" or "DE" -> "Germany"; empty when the code names no country.
std::string_view CountryNameForCode(std::string_view code);

// The country that a tvg-id names by its suffix: "ZDF.de@SD" -> "Germany", "CadenaS.Radio" -> "".
std::string_view CountryFromTvgId(std::string_view tvgId);

} // namespace zentavo
