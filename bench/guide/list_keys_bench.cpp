// The guide's keys of the lists' channels (id, name, tvg id, tvg name, tvg shift) taken from a
// catalogue of COUNT channels (default 1,000,000), as a guide reading takes them before it starts:
// "stream" reads the file item by item (CollectGuideListChannels), "document" loads it whole first
// and walks the document. Prints the time and the peak of resident memory above the process's idle
// state (VmHWM), so that each way runs in a process of its own.
// usage: zentavo-bench-guide-list-keys stream|document [COUNT]
#include "bench/guide/process_status.h"
#include "channels/catalogue.h"
#include "channels/playlists/playlist_store.h"
#include "guide/guide_list_channels.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

using namespace zentavo;

namespace {

// Items as an imported playlist's catalogue has them, every one with its guide keys.
void WriteCatalogue(const std::filesystem::path& path, long count)
{
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
    for (long i = 0; i < count; ++i) {
        out << "<item><id>" << i + 1 << "</id><name>Bench Channel " << i
            << "</name><country>Germany</country><bandwidth>720p</bandwidth><type2>tv</type2><url>"
            << std::string(64, 'A') << "</url><logo>https://logos.example/" << i
            << ".png</logo><group>News</group><tvgid>ch" << i << ".bench</tvgid><tvgname>Bench " << i
            << "</tvgname><tvgshift>1</tvgshift><imgindex>0</imgindex></item>\n";
    }
    out << "</items>\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "stream") != 0 && std::strcmp(argv[1], "document") != 0)) {
        std::fprintf(stderr, "usage: %s stream|document [COUNT]\n", argv[0]);
        return 2;
    }
    const bool stream = std::strcmp(argv[1], "stream") == 0;
    const long count = argc > 2 ? std::atol(argv[2]) : 1000000;
    QTemporaryDir folder;
    const std::filesystem::path catalogue = std::filesystem::path(folder.path().toStdString()) / "tv-all.xml";
    WriteCatalogue(catalogue, count);
    const PlaylistStore noPlaylists(std::filesystem::path(folder.path().toStdString()) / "playlists");

    const long idleRss = StatusKb("VmRSS");
    const auto started = std::chrono::steady_clock::now();
    const std::vector<GuideListChannel> channels =
        stream ? CollectGuideListChannels(catalogue, noPlaylists) : GuideListChannelsOf(Catalogue::Load(catalogue));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("way %s\nchannels %zu\ncatalogue_mb %.1f\nseconds %.2f\npeak_rss_above_idle_mb %.1f\n", argv[1],
                channels.size(), std::filesystem::file_size(catalogue) / 1048576.0, seconds,
                (StatusKb("VmHWM") - idleRss) / 1024.0);
    return channels.size() == static_cast<std::size_t>(count) ? 0 : 1;
}
