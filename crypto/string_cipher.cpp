#include "string_cipher.h"

#include "protected_string_cipher.h"

namespace zentavo {

std::string EncipherString(std::string_view plain, std::string_view keyText, KeySize size)
{
    return ProtectedStringCipher(keyText, size).Encipher(plain);
}

std::string DecipherString(std::string_view protectedText, std::string_view keyText, KeySize size)
{
    return ProtectedStringCipher(keyText, size).Decipher(protectedText);
}

std::string TrimControlBytes(std::string_view text)
{
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

} // namespace zentavo
