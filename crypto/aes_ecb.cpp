#include "aes_ecb.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>

namespace zentavo {

namespace {

const char* CipherName(KeySize size)
{
    switch (size) {
    case KeySize::Key128:
        return "AES-128-ECB";
    case KeySize::Key192:
        return "AES-192-ECB";
    case KeySize::Key256:
        return "AES-256-ECB";
    }
    return "AES-256-ECB";
}

struct CipherDeleter {
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
};

} // namespace

std::string FormKeyBytes(std::string_view keyText, KeySize size)
{
    std::string key(KeyByteCount(size), '\0');
    key.replace(0, std::min(keyText.size(), key.size()), keyText.substr(0, key.size()));
    return key;
}

void AesEcb::ContextDeleter::operator()(evp_cipher_ctx_st* context) const
{
    EVP_CIPHER_CTX_free(context);
}

AesEcb::AesEcb(std::string_view keyBytes, KeySize size, Direction direction) : context_(EVP_CIPHER_CTX_new())
{
    if (!context_)
        throw CryptoError("EVP_CIPHER_CTX_new failed");
    if (keyBytes.size() != KeyByteCount(size))
        throw CryptoError("AES key of the wrong length");
    // An explicit fetch: the implicit one behind EVP_aes_*_ecb() costs a lookup at every init.
    const std::unique_ptr<EVP_CIPHER, CipherDeleter> cipher(EVP_CIPHER_fetch(nullptr, CipherName(size), nullptr));
    if (!cipher)
        throw CryptoError("EVP_CIPHER_fetch failed");
    const int encipher = direction == Direction::Encipher ? 1 : 0;
    if (EVP_CipherInit_ex2(context_.get(), cipher.get(), reinterpret_cast<const unsigned char*>(keyBytes.data()),
                           nullptr, encipher, nullptr)
        != 1)
        throw CryptoError("EVP_CipherInit_ex2 failed");
    // The caller fills the last block with zero bytes; the cipher must not add padding of its own.
    if (EVP_CIPHER_CTX_set_padding(context_.get(), 0) != 1)
        throw CryptoError("EVP_CIPHER_CTX_set_padding failed");
}

AesEcb::AesEcb(AesEcb&&) noexcept = default;
AesEcb& AesEcb::operator=(AesEcb&&) noexcept = default;
AesEcb::~AesEcb() = default;

void AesEcb::Process(const std::uint8_t* in, std::uint8_t* out, std::size_t length) const
{
    if (length % kBlockSize != 0)
        throw CryptoError("AES-ECB input is not a whole number of blocks");
    // With whole blocks and padding off, ECB keeps no partial block between calls, so one
    // initialised context serves every call without being reset.
    constexpr std::size_t kChunk = (INT_MAX / kBlockSize) * kBlockSize;
    while (length > 0) {
        const std::size_t chunk = std::min(length, kChunk);
        int written = 0;
        if (EVP_CipherUpdate(context_.get(), out, &written, in, static_cast<int>(chunk)) != 1
            || static_cast<std::size_t>(written) != chunk)
            throw CryptoError("EVP_CipherUpdate failed");
        in += chunk;
        out += chunk;
        length -= chunk;
    }
}

std::string AesEcb::Process(std::string_view blocks) const
{
    std::string out(blocks.size(), '\0');
    Process(reinterpret_cast<const std::uint8_t*>(blocks.data()), reinterpret_cast<std::uint8_t*>(out.data()),
            blocks.size());
    return out;
}

} // namespace zentavo
