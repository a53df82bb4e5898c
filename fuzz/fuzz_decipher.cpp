// DecipherString on any text: only its three errors may come out, and a text it accepts
// deciphers to the whole number of blocks it holds.
#include "crypto/string_cipher.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // First byte: key size and key text length; the rest is the protected text.
    const auto keySize = static_cast<zentavo::KeySize>(data[0] % 3);
    const std::size_t keyLength = (data[0] >> 2) % 40;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view key = rest.substr(0, std::min(keyLength, rest.size()));
    const std::string_view text = rest.substr(key.size());
    try {
        const std::string plain = zentavo::DecipherString(text, key, keySize);
        const std::size_t bytes = (text.size() + 1) / 2;
        if (plain.size() != bytes - 8 || plain.size() % 16 != 0 || plain.empty())
            std::abort();
    } catch (const zentavo::ConversionError&) {
    } catch (const zentavo::StreamReadError&) {
    } catch (const zentavo::EAESError&) {
    }
    // Any text enciphers, and deciphers back to itself followed by the zero fill.
    const std::string protectedText = zentavo::EncipherString(text, key, keySize);
    if (protectedText.size() != 16 + 32 * ((text.size() + 15) / 16))
        std::abort();
    if (!text.empty()) {
        const std::string back = zentavo::DecipherString(protectedText, key, keySize);
        if (std::string_view(back).substr(0, text.size()) != text
            || back.find_first_not_of('\0', text.size()) != std::string::npos)
            std::abort();
    }
    return 0;
}
