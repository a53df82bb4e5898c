#include "prepared_catalogue.h"

#include "channels/preparation.h"

#include <libxml/tree.h>

#include <string>

namespace zentavo {

XmlDocument BuildPreparedCatalogue(const std::vector<ImportedChannel>& channels, std::string_view passphrase)
{
    XmlDocument document = XmlDocument::Create("items");
    XmlElement root = document.Root();
    long id = 0;
    // One item a line: the file stays readable and a rebuilt catalogue diffs line by line.
    // Readers and both preparation steps see elements only, so the line breaks change nothing.
    const auto newLine = [&] {
        if (xmlAddChild(root.Native(), xmlNewDocText(document.Native(), reinterpret_cast<const xmlChar*>("\n"))) == nullptr)
            throw XmlError("Cannot create an XML document");
    };
    for (const ImportedChannel& channel : channels) {
        newLine();
        XmlElement item = root.AppendChild("item");
        item.AppendChild("id").SetText(std::to_string(++id));
        item.AppendChild("name").SetText(channel.name);
        item.AppendChild("country").SetText(channel.country);
        item.AppendChild("bandwidth").SetText(channel.bandwidth);
        item.AppendChild("type2").SetText(channel.type2);
        item.AppendChild("url").SetText(channel.url);
    }
    newLine();
    // The two preparation steps themselves, so the result is theirs by construction.
    AnnotateMediaKinds(document);
    EncipherCatalogueAddresses(document, passphrase);
    return document;
}

} // namespace zentavo
