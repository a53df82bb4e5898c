#include "channel_listing.h"

#include "channels/catalogue.h"
#include "crypto/protected_string_cipher.h"
#include "crypto/string_cipher.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace zentavo::tool {

namespace {

// Output gathered in a buffer and written in large pieces.
class BufferedOutput {
public:
    explicit BufferedOutput(std::FILE* out) : out_(out) { buffer_.reserve(kFlushSize + 4096); }
    void AppendField(std::string_view field)
    {
        const std::size_t start = buffer_.size();
        buffer_.append(field);
        for (std::size_t i = start; i < buffer_.size(); ++i) {
            if (static_cast<unsigned char>(buffer_[i]) < 0x20)
                buffer_[i] = ' ';
        }
    }
    void Append(char c) { buffer_.push_back(c); }
    void EndLine()
    {
        buffer_.push_back('\n');
        if (buffer_.size() >= kFlushSize)
            Flush();
    }
    void Flush()
    {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
            throw std::runtime_error(std::string("cannot write the listing: ") + std::strerror(errno));
        buffer_.clear();
        if (std::fflush(out_) != 0)
            throw std::runtime_error(std::string("cannot write the listing: ") + std::strerror(errno));
    }

private:
    static constexpr std::size_t kFlushSize = 1 << 16;
    std::FILE* out_;
    std::string buffer_;
};

} // namespace

std::size_t WriteChannelListing(const XmlDocument& catalogue, std::string_view passphrase, std::FILE* out,
                                const std::function<void(const std::string& id, const std::string& message)>& onError)
{
    // One cipher for the whole catalogue: every address is under the same key.
    const ProtectedStringCipher cipher(passphrase, KeySize::Key256);
    BufferedOutput output(out);
    std::string address;
    std::string scratch;
    std::size_t failures = 0;
    for (auto item = catalogue.Root().FirstChildElement(); item; item = item->NextSiblingElement()) {
        const ChannelRecord record = Catalogue::ReadRecord(*item);
        std::string_view plain;
        try {
            cipher.DecipherInto(record.url, address, scratch);
            plain = address;
            while (!plain.empty() && static_cast<unsigned char>(plain.front()) <= 32)
                plain.remove_prefix(1);
            while (!plain.empty() && static_cast<unsigned char>(plain.back()) <= 32)
                plain.remove_suffix(1);
        } catch (const ConversionError& error) {
            ++failures;
            onError(record.id, error.what());
        } catch (const StreamReadError& error) {
            ++failures;
            onError(record.id, error.what());
        } catch (const EAESError& error) {
            ++failures;
            onError(record.id, error.what());
        }
        for (const std::string* field : {&record.id, &record.type2, &record.imgindex, &record.country,
                                         &record.name, &record.bandwidth}) {
            output.AppendField(*field);
            output.Append('\t');
        }
        output.AppendField(plain);
        output.EndLine();
    }
    output.Flush();
    return failures;
}

} // namespace zentavo::tool
