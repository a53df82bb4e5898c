#include "xmltv_reader.h"

#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <cstring>
#include <memory>

namespace zentavo {
namespace {

// The longest texts kept: a title or a name, and a description. A guide that has more is cut, so a
// faulty or hostile guide cannot blow up the database.
constexpr std::size_t kMaxShortText = 1024;
constexpr std::size_t kMaxDescription = 16 * 1024;

struct ReaderDeleter {
    void operator()(xmlTextReader* reader) const
    {
        // The document the parser began (the reader leaves it behind when the input is no XML at
        // all) goes with the reader.
        xmlDoc* document = xmlTextReaderCurrentDoc(reader);
        xmlFreeTextReader(reader);
        if (document)
            xmlFreeDoc(document);
    }
};

struct ReadContext {
    GuideInput* input;
    const XmltvHandlers* handlers;
    bool cancelled = false;
    std::string error; // the first error the parser reported
    int errorLine = 0;
};

int ReadPiece(void* context, char* buffer, int size)
{
    auto* read = static_cast<ReadContext*>(context);
    if (read->handlers->keepGoing && !read->handlers->keepGoing()) {
        read->cancelled = true;
        return -1;
    }
    try {
        return static_cast<int>(read->input->Read(buffer, static_cast<std::size_t>(size)));
    } catch (const std::exception& error) {
        read->error = error.what();
        return -1;
    }
}

int ClosePiece(void*)
{
    return 0;
}

void KeepFirstError(void* context, xmlErrorPtr error)
{
    auto* read = static_cast<ReadContext*>(context);
    if (!error || error->level < XML_ERR_ERROR || !read->error.empty())
        return;
    read->error = error->message ? error->message : "not well-formed";
    while (!read->error.empty() && (read->error.back() == '\n' || read->error.back() == ' '))
        read->error.pop_back();
    read->errorLine = error->line;
}

bool Named(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The text of the element's own text and CDATA descendants, cut at `limit` bytes on a character's start.
std::string TextOf(const xmlNode* element, std::size_t limit = kMaxShortText)
{
    std::string text;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (child->content)
                text += reinterpret_cast<const char*>(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            text += TextOf(child, limit);
        }
        if (text.size() > limit)
            break;
    }
    if (text.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    // Blanks at both ends are layout.
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t begin = 0;
    while (begin < text.size() && blank(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string AttributeOf(const xmlNode* element, const char* name)
{
    for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attribute->name), name) == 0 && attribute->children
            && attribute->children->content)
            return reinterpret_cast<const char*>(attribute->children->content);
    }
    return {};
}

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

GuideChannel ChannelOf(const xmlNode* element)
{
    GuideChannel channel;
    channel.id = AttributeOf(element, "id");
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (Named(child, "display-name")) {
            std::string name = TextOf(child);
            if (!name.empty())
                channel.names.push_back(std::move(name));
        }
    }
    return channel;
}

XmltvProgramme ProgrammeOf(const xmlNode* element)
{
    XmltvProgramme programme;
    programme.channel = AttributeOf(element, "channel");
    programme.start = AttributeOf(element, "start");
    programme.stop = AttributeOf(element, "stop");
    GuideProgramme& fields = programme.fields;
    std::string onscreen, xmltvNs, otherEpisode;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (Named(child, "title")) {
            if (fields.title.empty())
                fields.title = TextOf(child);
        } else if (Named(child, "sub-title")) {
            if (fields.subTitle.empty())
                fields.subTitle = TextOf(child);
        } else if (Named(child, "desc")) {
            if (fields.description.empty())
                fields.description = TextOf(child, kMaxDescription);
        } else if (Named(child, "category")) {
            const std::string category = TextOf(child);
            if (!category.empty() && fields.category.size() < kMaxShortText
                && (", " + fields.category + ", ").find(", " + category + ", ") == std::string::npos)
                fields.category += (fields.category.empty() ? "" : ", ") + category;
        } else if (Named(child, "episode-num")) {
            const std::string system = AttributeOf(child, "system");
            if (system == "onscreen" && onscreen.empty())
                onscreen = TextOf(child);
            else if (system == "xmltv_ns" && xmltvNs.empty())
                xmltvNs = ReadableXmltvNs(TextOf(child));
            else if (system.empty() && otherEpisode.empty())
                otherEpisode = TextOf(child);
        }
    }
    fields.episode = !onscreen.empty() ? onscreen : !xmltvNs.empty() ? xmltvNs : otherEpisode;
    return programme;
}

bool DeclaresEntities(xmlTextReader* reader)
{
    const xmlDoc* document = xmlTextReaderCurrentDoc(reader);
    const xmlDtd* dtd = document ? document->intSubset : nullptr;
    return dtd && (dtd->entities || dtd->pentities);
}

XmltvReadResult EntitiesRefused()
{
    XmltvReadResult result;
    result.end = XmltvReadResult::End::Refused;
    result.problem = "it declares entities of its own, which could make it grow without bound when read; such guides "
                     "are refused";
    return result;
}

} // namespace

XmltvReadResult ReadXmltv(GuideInput& input, const XmltvHandlers& handlers)
{
    ReadContext context{&input, &handlers, false, {}, 0};
    // No network, no DTD loaded, entities left as references (never substituted), libxml2's own
    // limits on the size of a text kept.
    const std::unique_ptr<xmlTextReader, ReaderDeleter> reader(xmlReaderForIO(
        ReadPiece, ClosePiece, &context, nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT | XML_PARSE_NOCDATA));
    XmltvReadResult result;
    if (!reader) {
        result.end = XmltvReadResult::End::Refused;
        result.problem = "it cannot be read";
        return result;
    }
    xmlTextReaderSetStructuredErrorHandler(reader.get(), KeepFirstError, &context);
    bool sawRoot = false;
    int status = xmlTextReaderRead(reader.get());
    while (status == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        const int depth = xmlTextReaderDepth(reader.get());
        if (type == XML_READER_TYPE_DOCUMENT_TYPE) {
            if (DeclaresEntities(reader.get()))
                return EntitiesRefused();
        } else if (type == XML_READER_TYPE_ELEMENT && depth == 0) {
            const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
            if (!name || std::strcmp(name, "tv") != 0) {
                result.end = XmltvReadResult::End::Refused;
                result.problem =
                    std::string("it is no XMLTV guide (its root element is <") + (name ? name : "") + ">, not <tv>)";
                return result;
            }
            sawRoot = true;
        } else if (type == XML_READER_TYPE_ELEMENT && depth == 1) {
            const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
            const bool isChannel = name && std::strcmp(name, "channel") == 0;
            const bool isProgramme = name && std::strcmp(name, "programme") == 0;
            if (isChannel || isProgramme) {
                const xmlNode* node = xmlTextReaderExpand(reader.get());
                if (!node)
                    break;
                if (isChannel && handlers.channel)
                    handlers.channel(ChannelOf(node));
                else if (isProgramme && handlers.programme)
                    handlers.programme(ProgrammeOf(node));
                status = xmlTextReaderNext(reader.get());
                continue;
            }
        }
        status = xmlTextReaderRead(reader.get());
    }
    if (context.cancelled) {
        result.end = XmltvReadResult::End::Cancelled;
        result.problem = "the reading was cancelled";
        return result;
    }
    if (status == 0 && sawRoot && context.error.empty()) {
        if (!input.Problem().empty()) {
            result.end = XmltvReadResult::End::Broken;
            result.problem = input.Problem();
        }
        return result;
    }
    // The parser reads ahead of the nodes handed on: it may have met the entities (and stopped at
    // their expansion) before the DTD's node came.
    if (DeclaresEntities(reader.get()))
        return EntitiesRefused();
    result.end = sawRoot ? XmltvReadResult::End::Broken : XmltvReadResult::End::Refused;
    result.line = context.errorLine ? context.errorLine : xmlTextReaderGetParserLineNumber(reader.get());
    if (!input.Problem().empty())
        result.problem = input.Problem();
    else if (!context.error.empty())
        result.problem = context.error;
    else if (!sawRoot)
        result.problem = "it is empty";
    else
        result.problem = "it is not well-formed";
    if (!sawRoot && context.error.empty() && input.Problem().empty())
        result.end = XmltvReadResult::End::Refused;
    return result;
}

} // namespace zentavo
