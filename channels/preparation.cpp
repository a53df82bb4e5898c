#include "preparation.h"

#include "catalogue.h"
#include "crypto/protected_string_cipher.h"
#include "media_kind.h"

namespace zentavo {

void AnnotateMediaKinds(XmlDocument& catalogue)
{
    // The items are taken once, before the walk, so the appended elements are never visited.
    for (XmlElement& item : catalogue.Root().ChildElements()) {
        const MediaKind kind = ClassifyMediaKind(item.ChildText("url"));
        // Appended after the last child, even when the item already has an imgindex: the first
        // one stays in force for every reader.
        item.AppendChild("imgindex").SetText(std::to_string(static_cast<int>(kind)));
    }
}

void EncipherCatalogueAddresses(XmlDocument& catalogue, std::string_view passphrase)
{
    const ProtectedStringCipher cipher(passphrase, KeySize::Key256);
    for (XmlElement& item : catalogue.Root().ChildElements()) {
        // An item without a url element has no address to protect and is left as it is.
        auto url = item.FirstChildElement("url");
        if (url)
            url->SetText(cipher.Encipher(url->Text()));
    }
}

namespace {

XmlDocument LoadCatalogueDocument(const std::filesystem::path& in)
{
    try {
        return XmlDocument::LoadFile(in);
    } catch (const XmlError& error) {
        throw ListFileError(error.what());
    }
}

} // namespace

void AnnotateMediaKinds(const std::filesystem::path& in, const std::filesystem::path& out)
{
    XmlDocument catalogue = LoadCatalogueDocument(in);
    AnnotateMediaKinds(catalogue);
    catalogue.SaveFile(out);
}

void EncipherCatalogueAddresses(const std::filesystem::path& in, const std::filesystem::path& out,
                                std::string_view passphrase)
{
    XmlDocument catalogue = LoadCatalogueDocument(in);
    EncipherCatalogueAddresses(catalogue, passphrase);
    catalogue.SaveFile(out);
}

} // namespace zentavo
