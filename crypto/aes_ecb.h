#pragma once
// AES in ECB mode without padding, over OpenSSL 3 EVP. One object holds one expanded key;
// every 16-byte block is processed on its own, so the object can serve any number of texts.

#include "key_size.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct evp_cipher_ctx_st;

namespace zentavo {

// An OpenSSL call failed (never expected with valid arguments); what() names the call.
class CryptoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The K key bytes of a key text: its first min(K, length) bytes, then zero bytes up to K.
std::string FormKeyBytes(std::string_view keyText, KeySize size);

class AesEcb {
public:
    enum class Direction { Encipher, Decipher };

    // keyBytes must hold exactly KeyByteCount(size) bytes.
    AesEcb(std::string_view keyBytes, KeySize size, Direction direction);
    AesEcb(AesEcb&&) noexcept;
    AesEcb& operator=(AesEcb&&) noexcept;
    ~AesEcb();

    static constexpr std::size_t kBlockSize = 16;

    // Processes length bytes (a multiple of kBlockSize) from in to out; in and out may be the same.
    void Process(const std::uint8_t* in, std::uint8_t* out, std::size_t length) const;
    std::string Process(std::string_view blocks) const;

private:
    struct ContextDeleter {
        void operator()(evp_cipher_ctx_st* context) const;
    };
    std::unique_ptr<evp_cipher_ctx_st, ContextDeleter> context_;
};

} // namespace zentavo
