#include "stream_passphrase.h"

#include "aes_ecb.h"
#include "hex_codec.h"
#include "string_cipher.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

namespace zentavo {

namespace {

// The fixed seed of every catalogue's key text. Catalogues are prepared under the passphrase
// it gives, so changing it makes every shipped stream address unreadable.
constexpr std::string_view kStreamSeed = "Zentavo Player stream catalogue seed, v1.0 !";
static_assert(kStreamSeed.size() == 44);

} // namespace

std::string Md5Hex(std::string_view text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &digestSize, EVP_md5(), nullptr) != 1 || digestSize != 16)
        throw CryptoError("EVP_Digest (MD5) failed");
    std::string hex;
    AppendHexUpper(std::string_view(reinterpret_cast<const char*>(digest), digestSize), hex);
    std::transform(hex.begin(), hex.end(), hex.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return hex;
}

std::string BuildStreamPassphrase()
{
    // The digits hold no blanks; the trim keeps the rule that the key text is trimmed.
    return TrimControlBytes(Md5Hex(kStreamSeed));
}

} // namespace zentavo
