#include "catalogue_generator.h"

#include "crypto/protected_string_cipher.h"
#include "crypto/stream_passphrase.h"

namespace zentavo::bench {

std::string GenerateCatalogue(std::size_t count)
{
    static constexpr const char* kCountries[] = {"Germany", "France", "Brasil", "Japan", "Côte d'Ivoire", "Österreich"};
    static constexpr const char* kTypes[] = {"tv", "radio", "webcam", "tv", "radio"};
    static constexpr const char* kBandwidths[] = {"300k", "", "56k", "1.5M"};
    static constexpr const char* kAddresses[] = {
        "http://stream%zu.example.net/live.asx", "rtsp://media.example.org/ch%zu.rm",
        "http://cam.example.com/cam%zu/snapshot.jpg", "mms://wm.example.net/tv%zu"};
    const ProtectedStringCipher cipher(BuildStreamPassphrase(), KeySize::Key256);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    xml.reserve(count * 300);
    char address[128];
    for (std::size_t i = 1; i <= count; ++i) {
        const std::size_t kind = i % 4;
        std::snprintf(address, sizeof address, kAddresses[kind], i);
        xml += "  <item>\n    <id>" + std::to_string(i) + "</id>\n    <name>Channel number " + std::to_string(i)
            + " &amp; friends</name>\n    <country>" + kCountries[i % 6] + "</country>\n    <bandwidth>"
            + kBandwidths[i % 4] + "</bandwidth>\n    <type2>" + kTypes[i % 5] + "</type2>\n    <imgindex>"
            + std::to_string(kind == 0 || kind == 3 ? 0 : kind) + "</imgindex>\n    <url>" + cipher.Encipher(address)
            + "</url>\n  </item>\n";
    }
    xml += "</items>\n";
    return xml;
}

} // namespace zentavo::bench
