#pragma once
// The channel catalogue (data/tv-all.xml): enumeration in file order and lookup by id.

#include "list_row.h"
#include "xml_document.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zentavo {

// The message that reports a catalogue or favourites file that cannot be loaded (eight trailing blanks).
inline constexpr const char* kListFileMessage =
    "Sorry. The list file error, please reinstall this application.        ";

// Raised when a catalogue or favourites file cannot be loaded; what() is kListFileMessage,
// detail() says what went wrong (for logs and the command line tool).
class ListFileError : public std::runtime_error {
public:
    explicit ListFileError(std::string detail) : std::runtime_error(kListFileMessage), detail_(std::move(detail)) {}
    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

struct ChannelRecord {
    std::string id, name, country, bandwidth, type2, imgindex, url; // text as read; missing = empty
    std::string logo = {}; // address of the channel's logo (an imported list's tvg-logo); often missing
    std::string group = {}; // an imported list's group of the channel (group-title)
    std::string number = {}; // an imported list's number of the channel (tvg-chno)
    std::string headers = {}; // request headers of the channel's play (EncodedRequestHeaders)
    // What the programme guide matches an imported list's channel by (its tvg-id, tvg-name and
    // tvg-shift in hours); often missing.
    std::string tvgid = {}, tvgname = {}, tvgshift = {};
};

// How many fields a ChannelRecord has (RecordField's indexes are 0 to kRecordFieldCount - 1).
inline constexpr int kRecordFieldCount = 14;

// What tells one version of a file from another: the file itself (device and inode), its size and
// the time it was last changed. A file replaced whole is another inode.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at that path now; nothing when it cannot be read.
std::optional<FileStamp> CurrentFileStamp(const std::filesystem::path& path);

class Catalogue {
public:
    // Parses the file afresh; throws ListFileError.
    static Catalogue Load(const std::filesystem::path& path);
    static Catalogue FromDocument(XmlDocument document);

    // Visits the children of the root element in document order.
    void ForEachChannel(const std::function<void(const ChannelRecord&)>& visit) const;
    void ForEachChannel(const std::function<void(const XmlElement& element, const ChannelRecord&)>& visit) const;
    // The items a lookup can find: the "item" children of the root "items" (neither in a
    // namespace), in document order, each with the text of its first "id" child without the XML
    // white space around it (empty when it has none).
    void ForEachItem(const std::function<void(const XmlElement& item, std::string_view id)>& visit) const;
    // The first of those items whose id is exactly that id. The id is data, compared as written:
    // it must be a decimal integer in digits alone (no sign, no leading zero, see channel_id.h);
    // any other text, "017" or "1 or 1=1" for instance, finds nothing.
    std::optional<XmlElement> FindChannel(std::string_view id) const;
    std::optional<ChannelRecord> FindChannelRecord(std::string_view id) const;

    const XmlDocument& Document() const { return document_; }

    // Reads the file one item at a time and builds no document: visit gets the record of each child
    // of the root as ForEachChannel gives it, and whether FindChannel can find it (an "item" child
    // of the root "items", neither in a namespace). A file of a million items costs the memory of
    // one. Throws ListFileError as Load does, possibly after visits of the items before the fault:
    // a caller keeps what it took only when the call returns. Stop ends the reading there, without
    // looking at the rest of the file.
    enum class StreamVisit { Continue, Stop };
    static void Stream(const std::filesystem::path& path,
                       const std::function<StreamVisit(const ChannelRecord& record, bool findable)>& visit);
    // As Stream, with the place of each child: the byte offset in the file from which ReadItemAt
    // reads that child again. Places are good for the version of the file that stamp names, and
    // only when the file is plain: UTF-8, no document type declaration, the root a plain "items"
    // without attributes (the catalogues the player writes are).
    struct StreamedFile {
        FileStamp stamp;
        bool plain = false;
    };
    static StreamedFile StreamWithPlaces(
        const std::filesystem::path& path,
        const std::function<StreamVisit(const ChannelRecord& record, bool findable, std::uint64_t place)>& visit);
    // The child of the root at that place of a plain file, as Stream gives it; nothing when the
    // file is no longer that version, cannot be read, or holds no child there.
    struct PlacedItem {
        ChannelRecord record;
        bool findable = false;
    };
    static std::optional<PlacedItem> ReadItemAt(const std::filesystem::path& path, const FileStamp& stamp,
                                                std::uint64_t place);
    // What Load(path).FindChannelRecord(id) gives, read item by item and only up to the item found.
    static std::optional<ChannelRecord> FindRecordInFile(const std::filesystem::path& path, std::string_view id);

    // The fields of one item: the text of the first child element of each name, empty when missing.
    static ChannelRecord ReadRecord(const XmlElement& item);

private:
    explicit Catalogue(XmlDocument document) : document_(std::move(document)) {}
    XmlDocument document_;
};

// The index of the record field that a child element of an item with that name fills (its first
// such child counts), or -1; and that field of a record.
int RecordFieldIndex(std::string_view name);
std::string& RecordField(ChannelRecord& record, int index);

// imgindex as the lists use it: a decimal integer (optional sign, surrounding XML white space
// allowed), or nothing when the text is not one or does not fit an int.
std::optional<int> ParseImgIndex(std::string_view text);
// The row icon of an imgindex text: its integer value, or kNoIcon when it is not one.
int IconIndexOf(std::string_view imgindex);

} // namespace zentavo
