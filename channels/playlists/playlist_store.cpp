#include "playlist_store.h"

#include "own_channel_id.h"
#include "playlist_reading.h"

#include "channels/catalogue.h"
#include "channels/catalogue_index.h"
#include "channels/channel_id.h"
#include "channels/import/address_check.h"
#include "channels/import/prepared_catalogue.h"
#include "channels/xml_document.h"
#include "crypto/protected_string_cipher.h"
#include "crypto/string_cipher.h"
#include "files/file_descriptor.h"
#include "files/folder_entries.h"
#include "files/temporary_names.h"
#include "text/format_characters.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unordered_set>

namespace zentavo {
namespace {

// The window's imports and the quiet refresh at start-up run on threads of their own; one change
// of the folder at a time keeps the index whole.
std::mutex& StoreMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The folder, held locked while a change writes into it, so that the clean-up of a player starting
// meanwhile (RemoveLeftovers) never takes a catalogue whose index is still to be written. An flock
// on the folder itself: nothing is created for it, and it goes with the process that held it.
class FolderLock {
public:
    enum class Wait { Yes, No };
    FolderLock(const std::filesystem::path& folder, Wait wait)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC))
    {
        if (!fd_.IsOpen())
            return;
        int locked = -1;
        while ((locked = ::flock(fd_.Get(), LOCK_EX | (wait == Wait::No ? LOCK_NB : 0))) != 0 && errno == EINTR) {
        }
        // A file system without locks leaves the writes as they were before the lock.
        held_ = locked == 0 || errno == ENOLCK || errno == EOPNOTSUPP;
    }
    // The folder is open and no one else is changing it.
    bool Held() const { return held_; }
    int Fd() const { return fd_.Get(); }

private:
    FileDescriptor fd_;
    bool held_ = false;
};

// "playlist-N.xml": the name of an own catalogue file, N a number from 1 (PlaylistStore::Add).
bool IsCatalogueName(std::string_view name)
{
    constexpr std::string_view kStart = "playlist-";
    constexpr std::string_view kEnd = ".xml";
    if (name.size() <= kStart.size() + kEnd.size() || !name.starts_with(kStart) || !name.ends_with(kEnd))
        return false;
    const std::string_view number = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
    return number.front() != '0' && number.find_first_not_of("0123456789") == std::string_view::npos;
}

// The file of the store whose temporary file (file_writer's ".NAME.save-PID-XXXXXX") the name could
// be: the index or a catalogue. RemoveStaleTemporaryFiles decides whether it is one.
std::optional<std::string> TemporaryFileTarget(std::string_view name)
{
    const size_t end = name.find(".xml.");
    if (!name.starts_with('.') || end == std::string_view::npos)
        return std::nullopt;
    const std::string_view target = name.substr(1, end + 3);
    if (target == "playlists.xml" || IsCatalogueName(target))
        return std::string(target);
    return std::nullopt;
}

// Removes the name when it is a regular file; a link (never followed), a folder or anything else stays.
void RemoveRegularFile(int folderFd, const std::string& name)
{
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
        ::unlinkat(folderFd, name.c_str(), 0);
}

template <typename Number> Number ParseNumber(const std::optional<std::string>& text)
{
    Number value = 0;
    if (text)
        std::from_chars(text->data(), text->data() + text->size(), value);
    return value;
}

std::uint64_t IdNumber(std::string_view id)
{
    std::uint64_t value = 0;
    std::from_chars(id.data(), id.data() + id.size(), value);
    return value;
}

// The own ids of a catalogue file, optionally with the address each one names.
void ReadIds(const std::filesystem::path& path, NumberSet* ids,
             std::unordered_map<std::string, std::uint64_t>* byAddress, std::string_view passphrase)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return;
    std::optional<ProtectedStringCipher> cipher;
    if (byAddress)
        cipher.emplace(passphrase, KeySize::Key256);
    // Item by item: the catalogue of a million channels is never held whole.
    Catalogue::Stream(path, [&](const ChannelRecord& record, bool findable) {
        const std::string_view id = TrimXmlSpace(record.id);
        if (!findable || !IsOwnChannelId(id))
            return Catalogue::StreamVisit::Continue;
        if (ids)
            ids->insert(IdNumber(id));
        if (byAddress) {
            try {
                const std::string address = TrimControlBytes(cipher->Decipher(record.url));
                byAddress->emplace(AddressKey(address), IdNumber(id));
            } catch (const std::exception&) {
                // An address that cannot be read back gives its channel a fresh id.
            }
        }
        return Catalogue::StreamVisit::Continue;
    });
}

} // namespace

PlaylistStore::PlaylistStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path PlaylistStore::IndexPath() const
{
    return folder_ / "playlists.xml";
}

std::filesystem::path PlaylistStore::CataloguePath(const PlaylistInfo& playlist) const
{
    return folder_ / (playlist.key + ".xml");
}

std::vector<PlaylistInfo> PlaylistStore::Playlists() const
{
    std::error_code error;
    if (!std::filesystem::exists(IndexPath(), error))
        return {};
    XmlDocument index = [this] {
        try {
            return XmlDocument::LoadFile(IndexPath());
        } catch (const XmlError& e) {
            throw ListFileError(e.what());
        }
    }();
    std::vector<PlaylistInfo> playlists;
    for (auto item = index.Root().FirstChildElement("playlist"); item; item = item->NextSiblingElement()) {
        PlaylistInfo info;
        info.key = item->Attribute("key").value_or(std::string());
        // A key names a file in the folder: nothing but letters, digits and '-'.
        if (info.key.empty()
            || info.key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") != std::string::npos)
            continue;
        info.name = item->Attribute("name").value_or(std::string());
        RemoveHiddenFormatCharacters(info.name); // a direction override would reverse the rest of its row
        info.source = item->Attribute("source").value_or(std::string());
        info.count = ParseNumber<long>(item->Attribute("count"));
        info.updated = ParseNumber<std::int64_t>(item->Attribute("updated"));
        info.type = item->Attribute("type").value_or(std::string());
        for (auto guide = item->FirstChildElement("guide"); guide; guide = guide->NextSiblingElement()) {
            std::string address(TrimXmlSpace(guide->Text()));
            if (guide->HasPlainName("guide") && IsAddressSource(address))
                info.guides.push_back(std::move(address));
        }
        playlists.push_back(std::move(info));
    }
    return playlists;
}

void PlaylistStore::RemoveLeftovers() const
{
    // Never waits: a change under way (of this player or of another one) is no leftover, and the
    // clean-up can wait for the next start.
    const std::unique_lock lock(StoreMutex(), std::try_to_lock);
    if (!lock.owns_lock())
        return;
    const FolderLock folder(folder_, FolderLock::Wait::No);
    if (!folder.Held())
        return;
    std::vector<PlaylistInfo> listed;
    try {
        listed = Playlists();
    } catch (const ListFileError&) {
        return; // an index that cannot be read may name any of them
    }
    std::unordered_set<std::string> named;
    for (const PlaylistInfo& playlist : listed)
        named.insert(CataloguePath(playlist).filename().string());
    std::unordered_set<std::string> targets;
    for (const std::string& entry : FolderEntryNames(folder.Fd())) {
        if (IsCatalogueName(entry) && !named.contains(entry))
            RemoveRegularFile(folder.Fd(), entry);
        else if (auto target = TemporaryFileTarget(entry))
            targets.insert(std::move(*target));
    }
    for (const std::string& target : targets)
        RemoveStaleTemporaryFiles(folder.Fd(), target);
}

std::optional<PlaylistInfo> PlaylistStore::Find(std::string_view key) const
{
    for (PlaylistInfo& playlist : Playlists()) {
        if (playlist.key == key)
            return std::move(playlist);
    }
    return std::nullopt;
}

void PlaylistStore::SaveIndex(const std::vector<PlaylistInfo>& playlists) const
{
    XmlDocument index = XmlDocument::Create("playlists");
    for (const PlaylistInfo& playlist : playlists) {
        XmlElement item = index.Root().AppendChild("playlist");
        item.SetAttribute("key", playlist.key);
        item.SetAttribute("name", playlist.name);
        item.SetAttribute("source", playlist.source);
        item.SetAttribute("count", std::to_string(playlist.count));
        item.SetAttribute("updated", std::to_string(playlist.updated));
        if (!playlist.type.empty())
            item.SetAttribute("type", playlist.type);
        for (const std::string& guide : playlist.guides)
            item.AppendChild("guide").SetText(guide);
    }
    index.SaveFile(IndexPath());
}

PlaylistInfo PlaylistStore::Write(PlaylistInfo info, const std::vector<ImportedChannel>& channels,
                                  std::string_view passphrase, const std::vector<PlaylistInfo>& listed) const
{
    NumberSet taken;
    std::unordered_map<std::string, std::uint64_t> previous;
    for (const PlaylistInfo& other : listed) {
        if (other.key == info.key)
            ReadIds(CataloguePath(other), nullptr, &previous, passphrase);
        else
            ReadIds(CataloguePath(other), &taken, nullptr, passphrase);
    }
    const std::vector<std::uint64_t> ids = AssignOwnIds(channels, previous, std::move(taken));
    std::filesystem::create_directories(folder_);
    SavePreparedCatalogue(channels, passphrase, CataloguePath(info), ids);
    info.count = static_cast<long>(channels.size());
    return info;
}

PlaylistInfo PlaylistStore::Add(std::string_view name, std::string_view source,
                                const std::vector<ImportedChannel>& channels, std::string_view passphrase,
                                std::int64_t now, std::string_view type, const std::vector<std::string>& guides)
{
    const std::lock_guard lock(StoreMutex());
    std::filesystem::create_directories(folder_);
    const FolderLock folder(folder_, FolderLock::Wait::Yes);
    std::vector<PlaylistInfo> playlists = Playlists();
    // The first number whose key no listed playlist and no file in the folder has.
    PlaylistInfo info;
    for (long number = 1;; ++number) {
        info.key = "playlist-" + std::to_string(number);
        bool used = false;
        for (const PlaylistInfo& playlist : playlists)
            used = used || playlist.key == info.key;
        std::error_code error;
        if (!used && !std::filesystem::exists(CataloguePath(info), error))
            break;
    }
    info.name = name;
    info.source = source;
    info.updated = now;
    info.type = type;
    info.guides = guides;
    info = Write(std::move(info), channels, passphrase, playlists);
    playlists.push_back(info);
    SaveIndex(playlists);
    return info;
}

PlaylistInfo PlaylistStore::Replace(std::string_view key, const std::vector<ImportedChannel>& channels,
                                    std::string_view passphrase, std::int64_t now,
                                    const std::vector<std::string>& guides)
{
    const std::lock_guard lock(StoreMutex());
    const FolderLock folder(folder_, FolderLock::Wait::Yes);
    std::vector<PlaylistInfo> playlists = Playlists();
    for (PlaylistInfo& playlist : playlists) {
        if (playlist.key != key)
            continue;
        PlaylistInfo info = playlist;
        info.updated = now;
        info.guides = guides;
        playlist = Write(std::move(info), channels, passphrase, playlists);
        SaveIndex(playlists);
        return playlist;
    }
    throw std::invalid_argument("The playlist is not in the list of playlists any more");
}

void PlaylistStore::Remove(std::string_view key)
{
    const std::lock_guard lock(StoreMutex());
    const FolderLock folder(folder_, FolderLock::Wait::Yes);
    std::vector<PlaylistInfo> playlists = Playlists();
    std::vector<PlaylistInfo> kept;
    std::optional<PlaylistInfo> removed;
    for (PlaylistInfo& playlist : playlists) {
        if (playlist.key == key)
            removed = std::move(playlist);
        else
            kept.push_back(std::move(playlist));
    }
    if (!removed)
        return;
    SaveIndex(kept);
    std::error_code error;
    std::filesystem::remove(CataloguePath(*removed), error);
    // And what a save of its catalogue that was killed left behind.
    if (folder.Held())
        RemoveStaleTemporaryFiles(folder.Fd(), CataloguePath(*removed).filename().string());
}

std::optional<std::filesystem::path> PlaylistStore::CatalogueHolding(std::string_view id,
                                                                     const CatalogueIndexes* indexes) const
{
    const std::string_view trimmed = TrimXmlSpace(id);
    if (!IsOwnChannelId(trimmed))
        return std::nullopt;
    std::vector<PlaylistInfo> playlists;
    try {
        playlists = Playlists();
    } catch (const ListFileError&) {
        return std::nullopt; // an index that cannot be read lists no playlist
    }
    for (const PlaylistInfo& playlist : playlists) {
        try {
            if (FindRecord(CataloguePath(playlist), trimmed, indexes))
                return CataloguePath(playlist);
        } catch (const ListFileError&) {
            // A catalogue that cannot be read holds no channel to play.
        }
    }
    return std::nullopt;
}

} // namespace zentavo
