#pragma once
// Where the items of catalogue files lie, by id: taken while the lists read the files, so that a
// lookup (playing a channel near the end of a list of a million) reads one item instead of the file
// up to it. A file is still read afresh at every lookup: the index only says where, and is used
// only while the file is the version it was taken from; any other file, or a file that changed, is
// read item by item as before.

#include "catalogue.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentavo {

// The places of one catalogue file.
class CatalogueIndex {
public:
    // For each child of the root, in file order, as Catalogue::StreamWithPlaces gives them.
    void Add(std::string_view id, bool findable, std::uint64_t place);
    // Once the file is read: its stamp and whether its places can be used at all.
    void Finish(const Catalogue::StreamedFile& file);

    // What Catalogue::FindRecordInFile(path, id) gives, where the index knows it: the record, or
    // that there is none. Nothing when it cannot tell (the file changed, an id too long to index).
    std::optional<std::optional<ChannelRecord>> Find(const std::filesystem::path& path, std::string_view id) const;

private:
    struct Place {
        std::uint64_t id;
        std::uint64_t place;
    };
    std::vector<Place> places_; // of the findable items with a canonical id, by id once finished
    bool longIds_ = false; // a findable item has an id of more than 19 digits (not held)
    bool usable_ = false;
    FileStamp stamp_;
};

// The indexes of the catalogues the lists were read from last; shared by the threads that read the
// lists and the window that plays.
class CatalogueIndexes {
public:
    // The catalogues read now: indexes of others are dropped.
    void Replace(std::map<std::string, std::shared_ptr<const CatalogueIndex>> indexes);
    std::shared_ptr<const CatalogueIndex> Of(const std::filesystem::path& path) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const CatalogueIndex>> indexes_;
};

// What Catalogue::FindRecordInFile(path, id) gives, through the file's index when it has a usable one.
std::optional<ChannelRecord> FindRecord(const std::filesystem::path& path, std::string_view id,
                                        const CatalogueIndexes* indexes);

} // namespace zentavo
