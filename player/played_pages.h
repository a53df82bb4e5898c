#pragma once
// The page files of the plays that one browser was sent to. A page file stays while it is the
// newest play or what the browser shows (a webcam refresh loads it again); every other one is
// removed once a page has finished loading, so the scratch folder holds one or two pages at a time.

#include <QUrl>

#include <filesystem>
#include <vector>

namespace zentavo {

class ScratchFolder;

class PlayedPages {
public:
    // The page files are in `scratch`, which must outlive this.
    explicit PlayedPages(ScratchFolder& scratch) : scratch_(scratch) {}

    // The browser is being sent to the page at `url`, held in `file`.
    void Add(const QUrl& url, std::filesystem::path file);
    // A load has finished and the browser now shows `shown` (a player page or the start page).
    void Loaded(const QUrl& shown);

private:
    struct Page {
        QUrl url;
        std::filesystem::path file;
    };
    ScratchFolder& scratch_;
    std::vector<Page> pages_;
};

} // namespace zentavo
