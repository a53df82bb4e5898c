#pragma once
// Enciphers and deciphers protected strings under one key text: the key is expanded once,
// so a caller that handles many strings under the same key (a whole catalogue) pays for it once.
// EncipherString and DecipherString are this class used for a single text.

#include "aes_ecb.h"
#include "key_size.h"

#include <string>
#include <string_view>

namespace zentavo {

class ProtectedStringCipher {
public:
    ProtectedStringCipher(std::string_view keyText, KeySize size);

    // 16 + 32 * ceil(n / 16) capital hex digits for a plain text of n bytes.
    std::string Encipher(std::string_view plain) const;
    // Every deciphered byte; throws ConversionError, StreamReadError or EAESError.
    std::string Decipher(std::string_view protectedText) const;
    // As Decipher, into out (its capacity is reused); scratch holds the decoded bytes between calls.
    void DecipherInto(std::string_view protectedText, std::string& out, std::string& scratch) const;

private:
    AesEcb encipher_;
    AesEcb decipher_;
};

} // namespace zentavo
