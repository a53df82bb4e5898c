// Catalogue::Stream: the items of a catalogue file read with libxml2's SAX interface, so that no
// node is ever built. Each child of the root gives a ChannelRecord exactly as ReadRecord reads it
// from a loaded document: the first child element of each field name, with all its descendant text.
// The reading also tells where each child starts, so that ReadItemAt can read one child again
// without the file before it.
#include "catalogue.h"
#include "xml_generic_errors.h"

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

using PlacedVisit = std::function<Catalogue::StreamVisit(const ChannelRecord&, bool, std::uint64_t)>;

// The parse state: where in the tree the parser is and the record of the child being read.
struct Reading {
    const PlacedVisit* visit = nullptr;
    int depth = 0; // of the element the parser is in: 1 the root, 2 a child of it
    bool rootIsItems = false;
    bool findable = false; // the child being read
    ChannelRecord record;
    unsigned seen = 0; // fields whose first element was met
    std::string* field = nullptr; // the field whose element the parser is in, at any depth below it
    int fieldDepth = 0;
    bool wantPlaces = false;
    bool rootIsPlain = false; // "items" without attributes or namespace declarations
    std::uint64_t nextPlace = 0; // where the next child of the root can be read from
    std::uint64_t place = 0; // of the child being read
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

// The byte offset in the file of the parser's position: after the end tag in EndElement, at the
// closing '>' of the start tag in StartElement (a '>' read again as text changes nothing).
// Only when places are wanted and without an encoder: with one, libxml2 works the position out by
// converting the rest of its buffer back at every call, and such a file has no places anyway.
std::uint64_t Position(xmlParserCtxt* context)
{
    const auto* reading = static_cast<const Reading*>(context->_private);
    if (!reading->wantPlaces || context->input == nullptr || context->input->buf == nullptr
        || context->input->buf->encoder != nullptr)
        return 0;
    const long consumed = xmlByteConsumed(context);
    return consumed < 0 ? 0 : static_cast<std::uint64_t>(consumed);
}

void StartElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar* uri, int namespaces,
                  const xmlChar**, int attributes, int, const xmlChar**)
{
    auto* context = static_cast<xmlParserCtxt*>(data);
    auto* reading = static_cast<Reading*>(context->_private);
    ++reading->depth;
    if (reading->depth == 1) {
        reading->rootIsItems = IsPlain(localName, uri, "items");
        reading->rootIsPlain = reading->rootIsItems && namespaces == 0 && attributes == 0;
        reading->nextPlace = Position(context);
    } else if (reading->depth == 2) {
        reading->findable = reading->rootIsItems && IsPlain(localName, uri, "item");
        // Cleared field by field: the strings keep their room for the next child.
        for (int field = 0; field < kRecordFieldCount; ++field)
            RecordField(reading->record, field).clear();
        reading->place = reading->nextPlace;
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
        if ((*reading->visit)(reading->record, reading->findable, reading->place) == Catalogue::StreamVisit::Stop) {
            reading->stopped = true;
            xmlStopParser(context);
        }
        reading->nextPlace = Position(context);
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

FileStamp StampOf(const struct stat& info)
{
    return FileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
                     static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// Opened without blocking and refused unless a regular file, as XmlDocument::LoadFile does.
FileDescriptor OpenCatalogue(const std::filesystem::path& path, FileStamp& stamp)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        FailToRead(path, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        FailToRead(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        FailToRead(path, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
    stamp = StampOf(info);
    return fd;
}

FileStamp StampNow(const FileDescriptor& fd)
{
    struct stat info {};
    return ::fstat(fd.Get(), &info) == 0 ? StampOf(info) : FileStamp{};
}

ssize_t ReadSome(const FileDescriptor& fd, char* to, std::size_t size)
{
    ssize_t got = 0;
    while ((got = ::read(fd.Get(), to, size)) < 0 && errno == EINTR) {
    }
    return got;
}

// What a reading found out about the document besides its children.
struct ReadingEnd {
    bool wellFormed = false;
    bool plain = false; // UTF-8 without a document type declaration, the root a plain "items"
};

// Reads the children of the root from fd's position on, the parser first given start (the first
// bytes of the file, or the root's start tag when reading from a child's place). Throws
// ListFileError for a file that cannot be read or is not well-formed.
ReadingEnd ReadChildren(const std::filesystem::path& path, const FileDescriptor& fd, std::string_view start,
                        const PlacedVisit& visit, bool reportErrors, bool wantPlaces)
{
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

    const XmlGenericErrorsSilenced silenced;

    Reading reading;
    reading.visit = &visit;
    reading.wantPlaces = wantPlaces;
    std::vector<char> buffer(kChunk);
    const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(
        xmlCreatePushParserCtxt(&sax, nullptr, start.data(), static_cast<int>(start.size()), path.c_str()));
    if (!context)
        throw ListFileError(path.string() + ": cannot create an XML parser");
    context->_private = &reading;
    context->userData = context.get();
    xmlCtxtUseOptions(context.get(), kParseOptions);
    // An empty file still goes through the parser's end, which reports a document without a root.
    bool done = start.empty();
    if (done)
        xmlParseChunk(context.get(), nullptr, 0, 1);
    while (!done && !reading.stopped) {
        const ssize_t got = ReadSome(fd, buffer.data(), buffer.size());
        if (got < 0)
            FailToRead(path, std::strerror(errno));
        done = got == 0;
        if (xmlParseChunk(context.get(), buffer.data(), static_cast<int>(got), done ? 1 : 0) != 0
            && !context->wellFormed)
            break;
    }
    ReadingEnd end;
    end.wellFormed = reading.stopped || context->wellFormed;
    end.plain = reading.rootIsPlain && context->input != nullptr && context->input->buf != nullptr
        && context->input->buf->encoder == nullptr
        && (context->myDoc == nullptr || context->myDoc->intSubset == nullptr);
    if (!end.wellFormed && reportErrors) {
        std::string reason = "not well-formed XML";
        if (reading.firstError)
            reason += " (line " + std::to_string(reading.errorLine) + ": " + reading.errorMessage + ")";
        Fail(path, reason);
    }
    return end;
}

// The first bytes decide the encoding, as the declaration (or a byte order mark) names it.
std::string FirstBytes(const std::filesystem::path& path, const FileDescriptor& fd)
{
    char first[4];
    const ssize_t got = ReadSome(fd, first, sizeof first);
    if (got < 0)
        FailToRead(path, std::strerror(errno));
    return std::string(first, static_cast<std::size_t>(got));
}

} // namespace

std::optional<FileStamp> CurrentFileStamp(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return StampOf(info);
}

void Catalogue::Stream(const std::filesystem::path& path,
                       const std::function<StreamVisit(const ChannelRecord& record, bool findable)>& visit)
{
    FileStamp stamp;
    const FileDescriptor fd = OpenCatalogue(path, stamp);
    ReadChildren(
        path, fd, FirstBytes(path, fd),
        [&visit](const ChannelRecord& record, bool findable, std::uint64_t) { return visit(record, findable); }, true,
        false);
}

Catalogue::StreamedFile Catalogue::StreamWithPlaces(const std::filesystem::path& path, const PlacedVisit& visit)
{
    StreamedFile file;
    const FileDescriptor fd = OpenCatalogue(path, file.stamp);
    const ReadingEnd end = ReadChildren(path, fd, FirstBytes(path, fd), visit, true, true);
    // Places are only good for the version of the file that was read from start to end.
    file.plain = end.plain && StampNow(fd) == file.stamp;
    return file;
}

std::optional<Catalogue::PlacedItem> Catalogue::ReadItemAt(const std::filesystem::path& path, const FileStamp& stamp,
                                                           std::uint64_t place)
{
    FileStamp now;
    FileDescriptor fd;
    try {
        fd = OpenCatalogue(path, now);
    } catch (const ListFileError&) {
        return std::nullopt;
    }
    if (now != stamp || ::lseek(fd.Get(), static_cast<off_t>(place), SEEK_SET) != static_cast<off_t>(place))
        return std::nullopt;
    std::optional<PlacedItem> item;
    // The root's start tag of a plain catalogue, then the file from the child's place on.
    const ReadingEnd end = ReadChildren(
        path, fd, "<items>",
        [&item](const ChannelRecord& record, bool findable, std::uint64_t) {
            item = PlacedItem{record, findable};
            return StreamVisit::Stop;
        },
        false, false);
    if (!end.wellFormed)
        return std::nullopt;
    return item;
}

} // namespace zentavo
