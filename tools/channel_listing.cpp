#include "channel_listing.h"

#include "channels/catalogue.h"
#include "crypto/protected_string_cipher.h"
#include "crypto/string_cipher.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
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

// The listed fields in output order, without the address; the address is the field after them.
constexpr std::array<const char*, 7> kFieldNames = {"id", "type2", "imgindex", "country", "name", "bandwidth", "url"};
constexpr std::size_t kUrl = 6;

// The first child element of each listed name, or nothing.
std::array<std::optional<XmlElement>, 7> FindFields(const XmlElement& item)
{
    std::array<std::optional<XmlElement>, 7> fields{};
    for (auto child = item.FirstChildElement(); child; child = child->NextSiblingElement()) {
        const std::string_view name = child->NameView();
        for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
            if (!fields[i] && name == kFieldNames[i]) {
                fields[i] = child;
                break;
            }
        }
    }
    return fields;
}

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
    std::array<std::string, 7> storage;
    for (auto item = catalogue.Root().FirstChildElement(); item; item = item->NextSiblingElement()) {
        const std::array<std::optional<XmlElement>, 7> fields = FindFields(*item);
        std::array<std::string_view, 7> texts;
        for (std::size_t i = 0; i < fields.size(); ++i)
            texts[i] = fields[i] ? fields[i]->Text(storage[i]) : std::string_view();
        std::string_view plain;
        std::string error;
        try {
            cipher.DecipherInto(texts[kUrl], address, scratch);
            plain = address;
            while (!plain.empty() && static_cast<unsigned char>(plain.front()) <= 32)
                plain.remove_prefix(1);
            while (!plain.empty() && static_cast<unsigned char>(plain.back()) <= 32)
                plain.remove_suffix(1);
        } catch (const ConversionError& failure) {
            error = failure.what();
        } catch (const StreamReadError& failure) {
            error = failure.what();
        } catch (const EAESError& failure) {
            error = failure.what();
        }
        if (!error.empty()) {
            ++failures;
            onError(std::string(texts[0]), error);
        }
        for (std::size_t i = 0; i < kUrl; ++i) {
            output.AppendField(texts[i]);
            output.Append('\t');
        }
        output.AppendField(plain);
        output.EndLine();
    }
    output.Flush();
    return failures;
}

} // namespace zentavo::tool
