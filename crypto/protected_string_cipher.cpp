#include "protected_string_cipher.h"

#include "hex_codec.h"
#include "string_cipher.h"

#include <cstdint>

namespace zentavo {

namespace {

constexpr std::size_t kLengthFieldSize = 8;

} // namespace

ProtectedStringCipher::ProtectedStringCipher(std::string_view keyText, KeySize size)
    : encipher_(FormKeyBytes(keyText, size), size, AesEcb::Direction::Encipher),
      decipher_(FormKeyBytes(keyText, size), size, AesEcb::Direction::Decipher)
{}

std::string ProtectedStringCipher::Encipher(std::string_view plain) const
{
    constexpr std::size_t block = AesEcb::kBlockSize;
    const std::size_t paddedSize = (plain.size() + block - 1) / block * block;
    std::string bytes(kLengthFieldSize + paddedSize, '\0');
    // Length field: the plain byte count, unsigned 64-bit little-endian.
    auto length = static_cast<std::uint64_t>(plain.size());
    for (std::size_t i = 0; i < kLengthFieldSize; ++i, length >>= 8)
        bytes[i] = static_cast<char>(length & 0xFF);
    // The plain bytes, then zero bytes up to the next whole block, enciphered in place.
    bytes.replace(kLengthFieldSize, plain.size(), plain);
    auto* blocks = reinterpret_cast<std::uint8_t*>(bytes.data() + kLengthFieldSize);
    encipher_.Process(blocks, blocks, paddedSize);
    std::string out;
    out.reserve(2 * bytes.size());
    AppendHexUpper(bytes, out);
    return out;
}

std::string ProtectedStringCipher::Decipher(std::string_view protectedText) const
{
    std::string out;
    std::string scratch;
    DecipherInto(protectedText, out, scratch);
    return out;
}

void ProtectedStringCipher::DecipherInto(std::string_view protectedText, std::string& out, std::string& scratch) const
{
    DecodeHexPairs(protectedText, scratch);
    if (scratch.size() < kLengthFieldSize)
        throw StreamReadError("Stream read error");
    // The length field is read and skipped: the result keeps the zero fill of the last block.
    const std::size_t cipherSize = scratch.size() - kLengthFieldSize;
    if (cipherSize == 0 || cipherSize % AesEcb::kBlockSize != 0)
        throw EAESError("Invalid buffer size for decryption");
    out.resize(cipherSize);
    decipher_.Process(reinterpret_cast<const std::uint8_t*>(scratch.data() + kLengthFieldSize),
                      reinterpret_cast<std::uint8_t*>(out.data()), cipherSize);
}

} // namespace zentavo
