#pragma once
// A small XML document over libxml2: load a file or bytes in the encoding its declaration names,
// XPath 1.0 single-node selection, element text and attributes, append, remove, save.

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace zentavo {

// Raised when a document cannot be loaded, parsed, queried or saved; what() says why.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A non-owning handle on an element of an XmlDocument; valid while the document lives
// and the element has not been removed. All text is UTF-8.
class XmlElement {
public:
    explicit XmlElement(_xmlNode* node) : node_(node) {}

    std::string Name() const;
    // The element's name without a copy; valid while the element lives.
    std::string_view NameView() const;
    // The element has that name and belongs to no namespace.
    bool HasPlainName(std::string_view name) const;
    // Text content of the element (all its descendant text).
    std::string Text() const;
    // The same text without a copy when the element holds a single text node; otherwise the text
    // is put into storage and the view is of storage.
    std::string_view Text(std::string& storage) const;
    void SetText(std::string_view text);
    // Text of the first child element with that name; empty text when there is none.
    std::string ChildText(std::string_view name) const;
    std::optional<XmlElement> FirstChildElement(std::string_view name = {}) const;
    std::optional<XmlElement> NextSiblingElement() const;
    // Child elements in document order (text, comments and processing instructions skipped).
    std::vector<XmlElement> ChildElements() const;
    // XPath 1.0 relative to this element; the first match in document order that is an element.
    std::optional<XmlElement> SelectSingleNode(std::string_view xpath) const;
    std::optional<std::string> Attribute(std::string_view name) const;
    void SetAttribute(std::string_view name, std::string_view value);
    // Appends a new child element after the last child and returns it.
    XmlElement AppendChild(std::string_view name);
    // Unlinks the element from its parent and frees it; the handle is invalid afterwards.
    void Remove();

    // The same element of the same document.
    bool operator==(const XmlElement& other) const { return node_ == other.node_; }

private:
    _xmlNode* node_;
};

class XmlDocument {
public:
    // Throws XmlError when the file is missing, unreadable, not a regular file (a folder, a FIFO,
    // a device: none is waited for) or not well-formed. Never reads the network, a DTD or an
    // external entity; entity references stay references.
    static XmlDocument LoadFile(const std::filesystem::path& path);
    static XmlDocument LoadBytes(std::string_view bytes);
    // A new document: <?xml version="1.0" encoding="UTF-8"?> and an empty root element.
    static XmlDocument Create(std::string_view rootName);

    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;
    ~XmlDocument();

    XmlElement Root() const;
    // XPath 1.0 from the document; the first match in document order that is an element.
    std::optional<XmlElement> SelectSingleNode(std::string_view xpath) const;
    // The whole document in its own declared encoding; characters that encoding cannot hold
    // become character references, so a load of the result gives the same text. An encoding
    // whose output could not be read again (UTF-7) gives way to UTF-8, declared as such.
    std::string SaveToBytes() const;
    // Replaces the file whole through ReplaceFile (files/file_writer.h): a failed or interrupted
    // save leaves the previous file whole, and a link, working or dangling, is written through and
    // kept. Throws XmlError "Cannot save PATH: reason".
    void SaveFile(const std::filesystem::path& path) const;

private:
    struct Deleter {
        void operator()(_xmlDoc* doc) const;
    };
    explicit XmlDocument(_xmlDoc* doc) : doc_(doc) {}
    std::unique_ptr<_xmlDoc, Deleter> doc_;
};

} // namespace zentavo
