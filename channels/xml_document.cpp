#include "xml_document.h"

#include "xml_generic_errors.h"

#include "files/file_descriptor.h"
#include "files/file_error.h"
#include "files/file_writer.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zentavo {

namespace {

// No network access, no DTD loading, no entity substitution (so no external entity is ever read),
// no messages on stderr: errors are collected and raised as XmlError. COMPACT stores short texts
// inside their nodes, which saves an allocation for most fields of a catalogue item.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

const xmlChar* Xml(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

std::string Cstr(std::string_view text)
{
    return std::string(text);
}

std::string FromXml(const xmlChar* text)
{
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool NameIs(const xmlNode* node, std::string_view name)
{
    if (node->type != XML_ELEMENT_NODE)
        return false;
    const auto* nodeName = reinterpret_cast<const char*>(node->name);
    return std::strncmp(nodeName, name.data(), name.size()) == 0 && nodeName[name.size()] == '\0';
}

// Text that XML 1.0 can carry: valid UTF-8 without control characters other than tab, LF and CR.
// Anything else would be written into a file that no parser accepts again.
void CheckStorableText(std::string_view text, const char* what)
{
    if (text.size() > static_cast<std::size_t>(INT_MAX)
        || xmlCheckUTF8(reinterpret_cast<const xmlChar*>(Cstr(text).c_str())) == 0
        || std::memchr(text.data(), '\0', text.size()) != nullptr)
        throw XmlError(std::string(what) + " is not valid UTF-8 text");
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            throw XmlError(std::string(what) + " holds a control character that XML cannot store");
    }
}

void CheckName(std::string_view name)
{
    if (name.empty() || xmlValidateName(Xml(Cstr(name).c_str()), 0) != 0)
        throw XmlError("'" + std::string(name) + "' is not a valid XML name");
}

void IgnoreXPathError(void*, xmlError*) {}

struct XPathContextDeleter {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectDeleter {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

// Evaluates an XPath 1.0 expression with node as the context node; the first element of the
// resulting node-set in document order. An expression that does not compile, fails, or gives
// no node-set selects nothing.
std::optional<XmlElement> SelectFirstElement(xmlDoc* doc, xmlNode* node, std::string_view xpath)
{
    const std::string expression(xpath);
    if (expression.size() != std::strlen(expression.c_str()))
        return std::nullopt; // an embedded NUL would silently cut the expression
    const std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(xmlXPathNewContext(doc));
    if (!context)
        throw XmlError("Cannot create an XPath context");
    context->node = node;
    context->error = IgnoreXPathError;
    const XmlGenericErrorsSilenced silenced;
    const std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
        xmlXPathEvalExpression(Xml(expression.c_str()), context.get()));
    if (!result || result->type != XPATH_NODESET || result->nodesetval == nullptr)
        return std::nullopt;
    const xmlNodeSet* nodes = result->nodesetval;
    // libxml2 returns location paths in document order, but a union or a filter may not be
    // sorted: take the earliest element explicitly.
    xmlNode* first = nullptr;
    for (int i = 0; i < nodes->nodeNr; ++i) {
        xmlNode* candidate = nodes->nodeTab[i];
        if (candidate->type != XML_ELEMENT_NODE)
            continue;
        if (first == nullptr || xmlXPathCmpNodes(candidate, first) == 1)
            first = candidate;
    }
    if (first == nullptr)
        return std::nullopt;
    return XmlElement(first);
}

[[noreturn]] void ThrowSaveError(const std::filesystem::path& path, const std::string& reason)
{
    throw XmlError("Cannot save " + path.string() + ": " + reason);
}

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// Opens a file for parsing. It is opened without blocking, so a FIFO without a writer or a
// device never holds the caller up, and anything but a regular file is refused before a read.
FileDescriptor OpenRegularFile(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        throw XmlError("Cannot read " + path.string() + ": " + ErrnoText(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        throw XmlError("Cannot read " + path.string() + ": " + ErrnoText(errno));
    if (S_ISDIR(info.st_mode))
        throw XmlError("Cannot read " + path.string() + ": " + ErrnoText(EISDIR));
    if (!S_ISREG(info.st_mode))
        throw XmlError("Cannot read " + path.string() + ": not a regular file");
    return fd;
}

// The first error the parser reports: the later ones mostly follow from it.
struct FirstParseError {
    bool seen = false;
    int line = 0;
    std::string message;
};

void RecordParseError(void* userData, xmlError* error)
{
    auto* context = static_cast<xmlParserCtxt*>(userData);
    auto* first = static_cast<FirstParseError*>(context->_private);
    if (first == nullptr || first->seen || error == nullptr || error->level < XML_ERR_ERROR)
        return;
    first->seen = true;
    first->line = error->line;
    first->message = error->message ? error->message : "";
    while (!first->message.empty() && (first->message.back() == '\n' || first->message.back() == ' '))
        first->message.pop_back();
    std::replace(first->message.begin(), first->message.end(), '\n', ' '); // one line of text
}

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

// Parses with read(ctxt) (which calls one of libxml2's xmlCtxtRead* functions), collecting the
// first error; a document that is not well-formed or has no root element is an XmlError.
template <typename Read> xmlDoc* Parse(const std::string& sourceName, Read read)
{
    const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
    if (!context)
        throw XmlError("Cannot create an XML parser");
    const XmlGenericErrorsSilenced silenced;
    FirstParseError firstError;
    context->_private = &firstError;
    context->userData = context.get();
    context->sax->serror = RecordParseError;
    xmlDoc* doc = read(context.get());
    if (doc == nullptr || !context->wellFormed) {
        if (doc != nullptr)
            xmlFreeDoc(doc);
        std::string reason = "not well-formed XML";
        if (firstError.seen)
            reason += " (line " + std::to_string(firstError.line) + ": " + firstError.message + ")";
        throw XmlError(sourceName + ": " + reason);
    }
    if (xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        throw XmlError(sourceName + ": no root element");
    }
    return doc;
}

xmlDoc* ParseBytes(std::string_view bytes, const std::string& sourceName)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        throw XmlError(sourceName + ": file too large");
    return Parse(sourceName, [bytes](xmlParserCtxt* context) {
        return xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                 kParseOptions);
    });
}

// Reads the checked file in pieces as it parses, as xmllint does: no copy of the whole file in
// memory. (A regular file never makes a read wait, with or without O_NONBLOCK.) Reading through
// the descriptor also means a compressed file is never inflated behind our back.
xmlDoc* ParseFile(const std::filesystem::path& path)
{
    FileDescriptor fd = OpenRegularFile(path);
    const std::string url = path.string();
    return Parse(url, [&fd, &url](xmlParserCtxt* context) {
        return xmlCtxtReadFd(context, fd.Get(), url.c_str(), nullptr, kParseOptions);
    });
}

} // namespace

// ---- XmlElement ----

std::string XmlElement::Name() const
{
    return FromXml(node_->name);
}

std::string_view XmlElement::NameView() const
{
    return reinterpret_cast<const char*>(node_->name);
}

bool XmlElement::HasPlainName(std::string_view name) const
{
    return node_->ns == nullptr && NameIs(node_, name);
}

std::string_view XmlElement::Text(std::string& storage) const
{
    const xmlNode* child = node_->children;
    if (child == nullptr)
        return {};
    if (child->next == nullptr && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE))
        return child->content ? std::string_view(reinterpret_cast<const char*>(child->content)) : std::string_view();
    storage = Text();
    return storage;
}

std::string XmlElement::Text() const
{
    // The common case, a single text child, needs no copy through libxml2's buffer.
    const xmlNode* child = node_->children;
    if (child == nullptr)
        return {};
    if (child->next == nullptr && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE))
        return FromXml(child->content);
    xmlChar* content = xmlNodeGetContent(node_);
    std::string text = FromXml(content);
    xmlFree(content);
    return text;
}

void XmlElement::SetText(std::string_view text)
{
    CheckStorableText(text, "Element text");
    xmlNodeSetContent(node_, nullptr); // frees the children
    if (text.empty())
        return;
    xmlNode* textNode = xmlNewDocTextLen(node_->doc, Xml(Cstr(text).c_str()), static_cast<int>(text.size()));
    if (textNode == nullptr || xmlAddChild(node_, textNode) == nullptr) {
        xmlFreeNode(textNode);
        throw XmlError("Cannot set element text");
    }
}

std::string XmlElement::ChildText(std::string_view name) const
{
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (NameIs(child, name))
            return XmlElement(child).Text();
    }
    return {};
}

std::optional<XmlElement> XmlElement::FirstChildElement(std::string_view name) const
{
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && (name.empty() || NameIs(child, name)))
            return XmlElement(child);
    }
    return std::nullopt;
}

std::optional<XmlElement> XmlElement::NextSiblingElement() const
{
    for (xmlNode* sibling = node_->next; sibling != nullptr; sibling = sibling->next) {
        if (sibling->type == XML_ELEMENT_NODE)
            return XmlElement(sibling);
    }
    return std::nullopt;
}

std::vector<XmlElement> XmlElement::ChildElements() const
{
    std::vector<XmlElement> elements;
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            elements.emplace_back(child);
    }
    return elements;
}

std::optional<XmlElement> XmlElement::SelectSingleNode(std::string_view xpath) const
{
    return SelectFirstElement(node_->doc, node_, xpath);
}

std::optional<std::string> XmlElement::Attribute(std::string_view name) const
{
    const std::string key(name);
    xmlAttr* attribute = xmlHasProp(node_, Xml(key.c_str()));
    if (attribute == nullptr)
        return std::nullopt;
    if (attribute->type != XML_ATTRIBUTE_NODE)
        return std::nullopt; // a default from a DTD declaration, not an attribute of the element
    xmlChar* value = xmlNodeListGetString(node_->doc, attribute->children, 1);
    std::string text = FromXml(value);
    xmlFree(value);
    return text;
}

void XmlElement::SetAttribute(std::string_view name, std::string_view value)
{
    CheckName(name);
    CheckStorableText(value, "Attribute value");
    // xmlSetProp stores the value as text, not as markup: '&' and '<' stay characters.
    if (xmlSetProp(node_, Xml(Cstr(name).c_str()), Xml(Cstr(value).c_str())) == nullptr)
        throw XmlError("Cannot set attribute '" + std::string(name) + "'");
}

XmlElement XmlElement::AppendChild(std::string_view name)
{
    CheckName(name);
    xmlNode* child = xmlNewDocNode(node_->doc, nullptr, Xml(Cstr(name).c_str()), nullptr);
    if (child == nullptr)
        throw XmlError("Cannot create element '" + std::string(name) + "'");
    if (xmlAddChild(node_, child) == nullptr) {
        xmlFreeNode(child);
        throw XmlError("Cannot append element '" + std::string(name) + "'");
    }
    return XmlElement(child);
}

void XmlElement::Remove()
{
    xmlUnlinkNode(node_);
    xmlFreeNode(node_);
    node_ = nullptr;
}

// ---- XmlDocument ----

void XmlDocument::Deleter::operator()(_xmlDoc* doc) const
{
    xmlFreeDoc(doc);
}

XmlDocument XmlDocument::LoadFile(const std::filesystem::path& path)
{
    return XmlDocument(ParseFile(path));
}

XmlDocument XmlDocument::LoadBytes(std::string_view bytes)
{
    return XmlDocument(ParseBytes(bytes, "XML text"));
}

XmlDocument XmlDocument::Create(std::string_view rootName)
{
    CheckName(rootName);
    xmlDoc* doc = xmlNewDoc(Xml("1.0"));
    if (doc == nullptr)
        throw XmlError("Cannot create an XML document");
    XmlDocument document(doc);
    doc->encoding = xmlStrdup(Xml("UTF-8"));
    xmlNode* root = xmlNewDocNode(doc, nullptr, Xml(Cstr(rootName).c_str()), nullptr);
    if (doc->encoding == nullptr || root == nullptr) {
        xmlFreeNode(root);
        throw XmlError("Cannot create an XML document");
    }
    xmlDocSetRootElement(doc, root);
    return document;
}

XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

XmlElement XmlDocument::Root() const
{
    return XmlElement(xmlDocGetRootElement(doc_.get()));
}

std::optional<XmlElement> XmlDocument::SelectSingleNode(std::string_view xpath) const
{
    return SelectFirstElement(doc_.get(), reinterpret_cast<xmlNode*>(doc_.get()), xpath);
}

namespace {

// The document in the given encoding, or nothing when libxml2 cannot write that encoding.
std::optional<std::string> DumpDocument(xmlDoc* doc, const char* encoding)
{
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &memory, &size, encoding);
    if (memory == nullptr || size < 0) {
        xmlFree(memory);
        return std::nullopt;
    }
    std::string bytes(reinterpret_cast<const char*>(memory), static_cast<std::size_t>(size));
    xmlFree(memory);
    return bytes;
}

// Encodings whose output libxml2 always reads back: Unicode forms it detects, and encodings
// that write ASCII as ASCII.
bool RoundTripsSafely(std::string_view encoding)
{
    std::string name(encoding);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "UTF-8" || name == "UTF8" || name == "UTF-16" || name == "UTF-16LE" || name == "UTF-16BE"
        || name == "US-ASCII" || name == "ASCII" || name.starts_with("ISO-8859-") || name.starts_with("WINDOWS-125")
        || name.starts_with("CP125");
}

bool Parses(const std::string& bytes)
{
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                kParseOptions & ~XML_PARSE_COMPACT);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

} // namespace

std::string XmlDocument::SaveToBytes() const
{
    // In the declared encoding (UTF-8 when none is declared); characters the encoding cannot
    // hold are written as character references by libxml2's output converter. An encoding that
    // libxml2 cannot write, or whose output it cannot read again (UTF-7 encodes '<' itself),
    // gives way to UTF-8, and the declaration says so: the characters are kept either way.
    const XmlGenericErrorsSilenced silenced;
    const char* encoding = doc_->encoding ? reinterpret_cast<const char*>(doc_->encoding) : "UTF-8";
    if (std::optional<std::string> bytes = DumpDocument(doc_.get(), encoding)) {
        if (RoundTripsSafely(encoding) || (bytes->size() <= static_cast<std::size_t>(INT_MAX) && Parses(*bytes)))
            return std::move(*bytes);
    }
    if (std::optional<std::string> bytes = DumpDocument(doc_.get(), "UTF-8"))
        return std::move(*bytes);
    throw XmlError("Cannot write the document");
}

void XmlDocument::SaveFile(const std::filesystem::path& path) const
{
    const std::string bytes = SaveToBytes();
    try {
        ReplaceFile(path, bytes);
    } catch (const FileError& error) {
        ThrowSaveError(path, error.what());
    }
}

} // namespace zentavo
