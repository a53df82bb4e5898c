// Catalogue::Stream: the items of a catalogue file read with libxml2's SAX interface, so that no
// node is ever built. Each child of the root gives a ChannelRecord exactly as ReadRecord reads it
// from a loaded document: the first child element of each field name, with all its descendant text.
#include "catalogue.h"

#include "files/file_descriptor.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentavo {
namespace {

// As XmlDocument::LoadFile: no network, no DTD loading, no entity substitution, no messages.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
constexpr std::size_t kChunk = 256 * 1024;

bool IsPlain(const xmlChar* localName, const xmlChar* uri, const char* name)
{
    return uri == nullptr && std::strcmp(reinterpret_cast<const char*>(localName), name) == 0;
}

// The parse state: where in the tree the parser is and the record of the child being read.
struct Reading {
    const std::function<Catalogue::StreamVisit(const ChannelRecord&, bool)>* visit = nullptr;
    int depth = 0; // of the element the parser is in: 1 the root, 2 a child of it
    bool rootIsItems = false;
    bool findable = false; // the child being read
    ChannelRecord record;
    unsigned seen = 0; // fields whose first element was met
    std::string* field = nullptr; // the field whose element the parser is in, at any depth below it
    int fieldDepth = 0;
    bool stopped = false;
    bool firstError = false;
    int errorLine = 0;
    std::string errorMessage;
};

std::string* FieldOf(ChannelRecord& record, unsigned& seen, const xmlChar* localName)
{
    const int index = RecordFieldIndex(reinterpret_cast<const char*>(localName));
    if (index < 0 || (seen & (1U << index)) != 0)
        return nullptr;
    seen |= 1U << index;
    return &RecordField(record, index);
}

void StartElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar* uri, int, const xmlChar**, int,
                  int, const xmlChar**)
{
    auto* reading = static_cast<Reading*>(static_cast<xmlParserCtxt*>(data)->_private);
    ++reading->depth;
    if (reading->depth == 1) {
        reading->rootIsItems = IsPlain(localName, uri, "items");
    } else if (reading->depth == 2) {
        reading->findable = reading->rootIsItems && IsPlain(localName, uri, "item");
        reading->record = ChannelRecord();
        reading->seen = 0;
        reading->field = nullptr;
    } else if (reading->depth == 3) {
        reading->field = FieldOf(reading->record, reading->seen, localName);
        reading->fieldDepth = 3;
    }
}

void EndElement(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* context = static_cast<xmlParserCtxt*>(data);
    auto* reading = static_cast<Reading*>(context->_private);
    if (reading->depth == 3)
        reading->field = nullptr;
    if (reading->depth == 2 && !reading->stopped) {
        if ((*reading->visit)(reading->record, reading->findable) == Catalogue::StreamVisit::Stop) {
            reading->stopped = true;
            xmlStopParser(context);
        }
    }
    --reading->depth;
}

void Characters(void* data, const xmlChar* text, int length)
{
    auto* reading = static_cast<Reading*>(static_cast<xmlParserCtxt*>(data)->_private);
    if (reading->field != nullptr)
        reading->field->append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

// An entity reference left as a reference: a loaded document's text holds the entity's content.
void Reference(void* data, const xmlChar* name)
{
    auto* context = static_cast<xmlParserCtxt*>(data);
    auto* reading = static_cast<Reading*>(context->_private);
    if (reading->field == nullptr || context->myDoc == nullptr)
        return;
    const xmlEntity* entity = xmlGetDocEntity(context->myDoc, name);
    if (entity != nullptr && entity->content != nullptr)
        reading->field->append(reinterpret_cast<const char*>(entity->content));
}

void RecordError(void* data, xmlError* error)
{
    auto* reading = static_cast<Reading*>(static_cast<xmlParserCtxt*>(data)->_private);
    if (reading->firstError || error == nullptr || error->level < XML_ERR_ERROR)
        return;
    reading->firstError = true;
    reading->errorLine = error->line;
    reading->errorMessage = error->message ? error->message : "";
    while (!reading->errorMessage.empty()
           && (reading->errorMessage.back() == '\n' || reading->errorMessage.back() == ' '))
        reading->errorMessage.pop_back();
    std::replace(reading->errorMessage.begin(), reading->errorMessage.end(), '\n', ' ');
}

void IgnoreGenericError(void*, const char*, ...) {}

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const
    {
        if (context->myDoc != nullptr)
            xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
        xmlFreeParserCtxt(context);
    }
};

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason)
{
    throw ListFileError(path.string() + ": " + reason);
}

[[noreturn]] void FailToRead(const std::filesystem::path& path, const std::string& reason)
{
    throw ListFileError("Cannot read " + path.string() + ": " + reason);
}

} // namespace

void Catalogue::Stream(const std::filesystem::path& path,
                       const std::function<StreamVisit(const ChannelRecord& record, bool findable)>& visit)
{
    // Opened without blocking and refused unless a regular file, as XmlDocument::LoadFile does.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        FailToRead(path, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        FailToRead(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        FailToRead(path, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");

    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof(sax));
    xmlSAXVersion(&sax, 2); // the default handlers keep a DTD's entities for Reference
    sax.startElementNs = StartElement;
    sax.endElementNs = EndElement;
    sax.characters = Characters;
    sax.cdataBlock = Characters;
    sax.ignorableWhitespace = Characters;
    sax.reference = Reference;
    sax.serror = RecordError;
    sax.error = nullptr;
    sax.warning = nullptr;

    const xmlGenericErrorFunc oldFunction = xmlGenericError;
    void* const oldContext = xmlGenericErrorContext;
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
    struct Restore {
        xmlGenericErrorFunc function;
        void* context;
        ~Restore() { xmlSetGenericErrorFunc(context, function); }
    } restore{oldFunction, oldContext};

    Reading reading;
    reading.visit = &visit;
    std::vector<char> buffer(kChunk);
    // The first bytes decide the encoding, as the declaration (or a byte order mark) names it.
    ssize_t got = 0;
    while ((got = ::read(fd.Get(), buffer.data(), 4)) < 0 && errno == EINTR) {
    }
    if (got < 0)
        FailToRead(path, std::strerror(errno));
    const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(
        xmlCreatePushParserCtxt(&sax, nullptr, buffer.data(), static_cast<int>(got), path.c_str()));
    if (!context)
        throw ListFileError(path.string() + ": cannot create an XML parser");
    context->_private = &reading;
    context->userData = context.get();
    xmlCtxtUseOptions(context.get(), kParseOptions);
    // An empty file still goes through the parser's end, which reports a document without a root.
    bool done = got == 0;
    if (done)
        xmlParseChunk(context.get(), nullptr, 0, 1);
    while (!done && !reading.stopped) {
        while ((got = ::read(fd.Get(), buffer.data(), buffer.size())) < 0 && errno == EINTR) {
        }
        if (got < 0)
            FailToRead(path, std::strerror(errno));
        done = got == 0;
        if (xmlParseChunk(context.get(), buffer.data(), static_cast<int>(got), done ? 1 : 0) != 0
            && !context->wellFormed)
            break;
    }
    if (reading.stopped)
        return;
    if (!context->wellFormed) {
        std::string reason = "not well-formed XML";
        if (reading.firstError)
            reason += " (line " + std::to_string(reading.errorLine) + ": " + reading.errorMessage + ")";
        Fail(path, reason);
    }
}

} // namespace zentavo
