// Favourites loading from any file content: the rows are built or ListFileError is raised, a
// store that cannot be loaded is never changed, and edits of a loadable store keep it loadable.
#include "channels/catalogue.h"
#include "channels/favourites_store.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// One private folder on a memory file system (saves call fsync), removed at exit.
struct Workspace {
    std::filesystem::path folder;
    std::filesystem::path catalogue;
    std::filesystem::path favourites;
    Workspace()
    {
        const std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "zentavo-fuzz.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder = pattern;
        catalogue = folder / "tv-all.xml";
        favourites = folder / "tv-list-fav.xml";
        std::ofstream(catalogue)
            << "<?xml version=\"1.0\"?><items>"
               "<item><id>1</id><name>One</name><country>A</country><imgindex>0</imgindex></item>"
               "<item><id>17</id><name>Seventeen</name><country>B</country><imgindex>x</imgindex></item>"
               "<item><id>3</id><name>Three</name><country>C</country><imgindex>2</imgindex></item>"
               "</items>";
    }
    ~Workspace()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Workspace workspace;
    const std::string content(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(workspace.favourites, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    try {
        (void)zentavo::BuildFavouriteRows(workspace.favourites, workspace.catalogue);
    } catch (const zentavo::ListFileError&) {
        // Not a store: no operation may change it.
        try {
            zentavo::AddFavourite(workspace.favourites, "17");
            std::abort();
        } catch (const zentavo::ListFileError&) {
        }
        if (ReadAll(workspace.favourites) != content)
            std::abort();
        return 0;
    }
    // A store: edits keep it loadable, and a comment reads back as it was written.
    (void)zentavo::AddFavourite(workspace.favourites, "3");
    const std::string comment = "note <&> \"" + std::to_string(size) + "\"\t";
    if (zentavo::SetFavouriteComment(workspace.favourites, "3", comment) != zentavo::EditResult::Changed)
        std::abort();
    if (zentavo::FavouriteComment(workspace.favourites, "3") != comment)
        std::abort();
    (void)zentavo::RemoveFavourite(workspace.favourites, "1");
    (void)zentavo::BuildFavouriteRows(workspace.favourites, workspace.catalogue);
    return 0;
}
