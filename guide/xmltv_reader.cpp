#include "xmltv_reader.h"

#include "channels/xml_generic_errors.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace zentavo {
namespace {

// The longest texts kept: a title or a name, and a description. A guide that has more is cut, so a
// faulty or hostile guide cannot blow up the database.
constexpr std::size_t kMaxShortText = 1024;
constexpr std::size_t kMaxDescription = 16 * 1024;
// Bytes handed to the parser at a time.
constexpr std::size_t kPiece = 256 * 1024;
// No network, no DTD loaded, entities never substituted, no messages of libxml2's own.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The element whose text is being gathered, below a <channel> or a <programme>.
enum class Field { None, DisplayName, Title, SubTitle, Description, Category, Onscreen, XmltvNs, OtherEpisode };

// xmltv_ns counts from zero: "1.4.0/2" is the second season's fifth episode, part one of two.
std::string ReadableXmltvNs(std::string_view text)
{
    std::string parts[3];
    int part = 0;
    for (const char c : text) {
        if (c == '.') {
            if (++part > 2)
                break;
        } else if (c != ' ') {
            parts[part] += c;
        }
    }
    const auto number = [](const std::string& field) -> std::string {
        const std::string value = field.substr(0, field.find('/'));
        if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos)
            return {};
        return std::to_string(std::stoi(value) + 1);
    };
    std::string readable;
    if (const std::string season = number(parts[0]); !season.empty())
        readable = "S" + season;
    if (const std::string episode = number(parts[1]); !episode.empty())
        readable += (readable.empty() ? "E" : " E") + episode;
    return readable;
}

bool Is(const xmlChar* name, const char* expected)
{
    return std::strcmp(reinterpret_cast<const char*>(name), expected) == 0;
}

// The value of an attribute by its local name, from the five pointers SAX2 gives each attribute
// (local name, prefix, URI, value, end of value).
std::string_view AttributeOf(const xmlChar** attributes, int count, const char* name)
{
    for (int i = 0; i < count; ++i) {
        const xmlChar** attribute = attributes + 5 * i;
        if (Is(attribute[0], name))
            return {reinterpret_cast<const char*>(attribute[3]), static_cast<std::size_t>(attribute[4] - attribute[3])};
    }
    return {};
}

// The gathered text cut at `limit` bytes on a character's start, without the blanks at both ends
// (layout).
std::string_view Finished(std::string& text, std::size_t limit)
{
    if (text.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t begin = 0;
    while (begin < text.size() && blank(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && blank(text[end - 1]))
        --end;
    return std::string_view(text).substr(begin, end - begin);
}

// The parse state: where in the tree the parser is and the fields of the element being read.
struct Reading {
    GuideInput* input = nullptr;
    const XmltvHandlers* handlers = nullptr;
    xmlParserCtxt* context = nullptr;
    int depth = 0; // of the element the parser is in: 1 the root, 2 a channel or programme
    bool sawRoot = false;
    std::string wrongRoot; // the root's name when it is not <tv>
    bool declaresEntities = false;
    bool cancelled = false;
    std::string error; // the first error the parser or the input reported
    int errorLine = 0;
    std::exception_ptr thrown; // by a handler: the parser stopped, and it goes on to the caller

    enum class Element { Other, Channel, Programme } element = Element::Other;
    Field field = Field::None; // whose text is gathered, at any depth below its element
    std::size_t limit = 0; // of the field's text; gathering stops a byte past it
    std::string text; // the field's text so far

    GuideChannel channel;
    std::string programmeChannel, start, stop, title, subTitle, description, category, onscreen, xmltvNs, otherEpisode;
};

Reading& ReadingOf(void* data)
{
    return *static_cast<Reading*>(static_cast<xmlParserCtxt*>(data)->_private);
}

void Stop(Reading& reading)
{
    xmlStopParser(reading.context);
}

// Runs a handler inside a callback of the parser, which no exception may cross: what it throws
// stops the parser and is thrown again once the parser is left.
template <typename Call> auto Guarded(Reading& reading, Call call) -> decltype(call())
{
    try {
        return call();
    } catch (...) {
        if (!reading.thrown)
            reading.thrown = std::current_exception();
        Stop(reading);
        return decltype(call())();
    }
}

void StartProgramme(Reading& reading, const xmlChar** attributes, int count)
{
    const std::string_view channel = AttributeOf(attributes, count, "channel");
    if (reading.handlers->wantsProgramme
        && !Guarded(reading, [&] { return reading.handlers->wantsProgramme(channel); })) {
        reading.element = Reading::Element::Other;
        return;
    }
    reading.element = Reading::Element::Programme;
    reading.programmeChannel.assign(channel);
    reading.start.assign(AttributeOf(attributes, count, "start"));
    reading.stop.assign(AttributeOf(attributes, count, "stop"));
    // Cleared, not made anew: the strings keep their room for the next programme.
    for (std::string* field : {&reading.title, &reading.subTitle, &reading.description, &reading.category,
                               &reading.onscreen, &reading.xmltvNs, &reading.otherEpisode})
        field->clear();
}

// Which field a child of a programme fills; None when its kind is filled already (the first one
// with text wins) or is not kept.
Field ProgrammeField(const Reading& reading, const xmlChar* name, const xmlChar** attributes, int count)
{
    if (Is(name, "title"))
        return reading.title.empty() ? Field::Title : Field::None;
    if (Is(name, "sub-title"))
        return reading.subTitle.empty() ? Field::SubTitle : Field::None;
    if (Is(name, "desc"))
        return reading.description.empty() ? Field::Description : Field::None;
    if (Is(name, "category"))
        return reading.category.size() < kMaxShortText ? Field::Category : Field::None;
    if (Is(name, "episode-num")) {
        const std::string_view system = AttributeOf(attributes, count, "system");
        if (system == "onscreen")
            return reading.onscreen.empty() ? Field::Onscreen : Field::None;
        if (system == "xmltv_ns")
            return reading.xmltvNs.empty() ? Field::XmltvNs : Field::None;
        if (system.empty())
            return reading.otherEpisode.empty() ? Field::OtherEpisode : Field::None;
    }
    return Field::None;
}

void StartElement(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**,
                  int attributeCount, int, const xmlChar** attributes)
{
    Reading& reading = ReadingOf(data);
    ++reading.depth;
    if (reading.depth == 1) {
        if (!Is(localName, "tv")) {
            reading.wrongRoot = reinterpret_cast<const char*>(localName);
            Stop(reading);
            return;
        }
        reading.sawRoot = true;
    } else if (reading.depth == 2) {
        reading.element = Reading::Element::Other;
        reading.field = Field::None;
        if (Is(localName, "programme")) {
            StartProgramme(reading, attributes, attributeCount);
        } else if (Is(localName, "channel")) {
            reading.element = Reading::Element::Channel;
            reading.channel.id.assign(AttributeOf(attributes, attributeCount, "id"));
            reading.channel.names.clear();
        }
    } else if (reading.depth == 3) {
        if (reading.element == Reading::Element::Programme)
            reading.field = ProgrammeField(reading, localName, attributes, attributeCount);
        else if (reading.element == Reading::Element::Channel)
            reading.field = Is(localName, "display-name") ? Field::DisplayName : Field::None;
        reading.limit = reading.field == Field::Description ? kMaxDescription : kMaxShortText;
        reading.text.clear();
    }
}

void EndField(Reading& reading)
{
    const Field field = reading.field;
    reading.field = Field::None;
    if (field == Field::None)
        return;
    const std::string_view text = Finished(reading.text, reading.limit);
    switch (field) {
    case Field::None:
        break;
    case Field::DisplayName:
        if (!text.empty())
            reading.channel.names.emplace_back(text);
        break;
    case Field::Title:
        reading.title.assign(text);
        break;
    case Field::SubTitle:
        reading.subTitle.assign(text);
        break;
    case Field::Description:
        reading.description.assign(text);
        break;
    case Field::Category: {
        if (text.empty())
            break;
        // Each category once, in the order first met.
        const std::string_view joined = reading.category;
        bool known = false;
        for (std::size_t at = joined.find(text); at != std::string_view::npos && !known; at = joined.find(text, at + 1))
            known = (at == 0 || (at >= 2 && joined.substr(at - 2, 2) == ", "))
                && (at + text.size() == joined.size() || joined.substr(at + text.size(), 2) == ", ");
        if (!known) {
            if (!reading.category.empty())
                reading.category += ", ";
            reading.category += text;
        }
        break;
    }
    case Field::Onscreen:
        reading.onscreen.assign(text);
        break;
    case Field::XmltvNs:
        reading.xmltvNs = ReadableXmltvNs(text);
        break;
    case Field::OtherEpisode:
        reading.otherEpisode.assign(text);
        break;
    }
}

void EndProgramme(Reading& reading)
{
    const std::string& episode = !reading.onscreen.empty() ? reading.onscreen
        : !reading.xmltvNs.empty()                         ? reading.xmltvNs
                                                           : reading.otherEpisode;
    const XmltvProgramme programme{reading.programmeChannel,
                                   reading.start,
                                   reading.stop,
                                   {reading.title, reading.subTitle, episode, reading.description, reading.category}};
    if (reading.handlers->programme)
        Guarded(reading, [&] { reading.handlers->programme(programme); });
}

void EndElement(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
{
    Reading& reading = ReadingOf(data);
    if (reading.depth == 3) {
        EndField(reading);
    } else if (reading.depth == 2) {
        if (reading.element == Reading::Element::Programme)
            EndProgramme(reading);
        else if (reading.element == Reading::Element::Channel && reading.handlers->channel)
            Guarded(reading, [&] { reading.handlers->channel(std::move(reading.channel)); });
        reading.element = Reading::Element::Other;
    }
    --reading.depth;
}

// The text of the field being gathered, CDATA and the text of elements within it included.
void Characters(void* data, const xmlChar* text, int length)
{
    Reading& reading = ReadingOf(data);
    if (reading.field == Field::None || reading.text.size() > reading.limit)
        return;
    const std::size_t room = reading.limit + 1 - reading.text.size();
    reading.text.append(reinterpret_cast<const char*>(text), std::min(room, static_cast<std::size_t>(length)));
}

// A document whose DTD declares entities is refused at the first declaration, before any content.
void EntityDeclared(void* data, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    Reading& reading = ReadingOf(data);
    reading.declaresEntities = true;
    Stop(reading);
}

void UnparsedEntityDeclared(void* data, const xmlChar*, const xmlChar*, const xmlChar*, const xmlChar*)
{
    EntityDeclared(data, nullptr, 0, nullptr, nullptr, nullptr);
}

void KeepFirstError(void* data, xmlErrorPtr error)
{
    Reading& reading = ReadingOf(data);
    if (!error || error->level < XML_ERR_ERROR || !reading.error.empty())
        return;
    reading.error = error->message ? error->message : "not well-formed";
    while (!reading.error.empty() && (reading.error.back() == '\n' || reading.error.back() == ' '))
        reading.error.pop_back();
    reading.errorLine = error->line;
}

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const
    {
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
        xmlFreeParserCtxt(context);
    }
};

xmlSAXHandler Handlers()
{
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof(sax));
    xmlSAXVersion(&sax, 2);
    sax.startElementNs = StartElement;
    sax.endElementNs = EndElement;
    sax.characters = Characters;
    sax.cdataBlock = Characters;
    sax.ignorableWhitespace = Characters;
    sax.entityDecl = EntityDeclared;
    sax.unparsedEntityDecl = UnparsedEntityDeclared;
    // References are left out of the text, and comments and processing instructions are not kept:
    // libxml2's own handlers would hang them on a document that grows with the guide.
    sax.reference = nullptr;
    sax.comment = nullptr;
    sax.processingInstruction = nullptr;
    sax.serror = KeepFirstError;
    sax.error = nullptr;
    sax.warning = nullptr;
    return sax;
}

// Up to `size` bytes of the input; 0 at its end or when it failed (the failure kept as the error).
std::size_t ReadPiece(Reading& reading, char* buffer, std::size_t size)
{
    try {
        return reading.input->Read(buffer, size);
    } catch (const std::exception& error) {
        if (reading.error.empty())
            reading.error = error.what();
        return 0;
    }
}

// Feeds the document to the parser piece by piece until its end, a fault, a stop or a cancel.
void Parse(Reading& reading, xmlSAXHandler& sax)
{
    // The first bytes decide the encoding, as a byte order mark or the declaration names it.
    char first[4];
    std::size_t got = 0;
    for (std::size_t more = 1; got < sizeof first && more > 0; got += more)
        more = ReadPiece(reading, first + got, sizeof first - got);
    const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(
        xmlCreatePushParserCtxt(&sax, nullptr, first, static_cast<int>(got), nullptr));
    if (!context) {
        reading.error = "it cannot be read";
        return;
    }
    reading.context = context.get();
    context->_private = &reading;
    xmlCtxtUseOptions(context.get(), kParseOptions);
    std::vector<char> buffer(kPiece);
    bool ended = got < sizeof first;
    if (ended)
        xmlParseChunk(context.get(), nullptr, 0, 1);
    while (!ended && context->instate != XML_PARSER_EOF) {
        if (reading.handlers->keepGoing && !reading.handlers->keepGoing()) {
            reading.cancelled = true;
            break;
        }
        const std::size_t size = ReadPiece(reading, buffer.data(), buffer.size());
        ended = size == 0;
        if (xmlParseChunk(context.get(), buffer.data(), static_cast<int>(size), ended ? 1 : 0) != 0
            && !context->wellFormed)
            break;
    }
    if (!context->wellFormed && reading.error.empty() && !reading.declaresEntities && reading.wrongRoot.empty())
        reading.error = "it is not well-formed";
    if (!reading.error.empty() && reading.errorLine == 0)
        reading.errorLine = xmlSAX2GetLineNumber(context.get());
    reading.context = nullptr;
}

} // namespace

XmltvReadResult ReadXmltv(GuideInput& input, const XmltvHandlers& handlers)
{
    // libxml2 reports some faults (an encoding it cannot convert) through its generic handler too.
    const XmlGenericErrorsSilenced silenced;

    Reading reading;
    reading.input = &input;
    reading.handlers = &handlers;
    xmlSAXHandler sax = Handlers();
    Parse(reading, sax);
    if (reading.thrown)
        std::rethrow_exception(reading.thrown);

    XmltvReadResult result;
    if (reading.cancelled) {
        result.end = XmltvReadResult::End::Cancelled;
        result.problem = "the reading was cancelled";
        return result;
    }
    if (reading.declaresEntities) {
        result.end = XmltvReadResult::End::Refused;
        result.problem = "it declares entities of its own, which could make it grow without bound when read; such "
                         "guides are refused";
        return result;
    }
    if (!reading.wrongRoot.empty()) {
        result.end = XmltvReadResult::End::Refused;
        result.problem = "it is no XMLTV guide (its root element is <" + reading.wrongRoot + ">, not <tv>)";
        return result;
    }
    if (reading.sawRoot && reading.error.empty() && input.Problem().empty())
        return result;
    result.end = reading.sawRoot ? XmltvReadResult::End::Broken : XmltvReadResult::End::Refused;
    result.line = reading.errorLine;
    if (!input.Problem().empty())
        result.problem = input.Problem();
    else if (!reading.error.empty())
        result.problem = reading.error;
    else
        result.problem = "it is empty";
    return result;
}

} // namespace zentavo
