#include "played_pages.h"

#include "scratch_folder.h"

#include <algorithm>

namespace zentavo {

void PlayedPages::Add(const QUrl& url, std::filesystem::path file)
{
    pages_.push_back({url, std::move(file)});
}

void PlayedPages::Loaded(const QUrl& shown)
{
    if (pages_.empty())
        return;
    const QUrl newest = pages_.back().url;
    const auto replaced = std::stable_partition(
        pages_.begin(), pages_.end(), [&](const Page& page) { return page.url == newest || page.url == shown; });
    for (auto page = replaced; page != pages_.end(); ++page)
        scratch_.RemovePage(page->file);
    pages_.erase(replaced, pages_.end());
}

} // namespace zentavo
