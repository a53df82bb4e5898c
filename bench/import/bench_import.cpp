// Times the import of a large playlist (default: the 16,823 entries of iptv-org-by-country.m3u)
// beside the bare read of the same file, and the steps in between. Median of the runs.
//
//   bench_import [PLAYLIST] [RUNS]
#include "channels/import/file_bytes.h"
#include "channels/import/playlist_format.h"
#include "channels/import/playlist_import.h"
#include "channels/import/prepared_catalogue.h"
#include "crypto/stream_passphrase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) { return zentavo::ReadFileBytes(path); }

double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    work(); // warm the page cache and the allocator
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string path = argc > 1 ? argv[1] : ZENTAVO_DEFAULT_PLAYLIST;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    if (!std::filesystem::exists(path)) {
        std::fprintf(stderr, "bench_import: %s not found\n", path.c_str());
        return 1;
    }
    const auto out = std::filesystem::temp_directory_path() / "zentavo-bench-import.xml";
    const std::string passphrase = zentavo::BuildStreamPassphrase();
    size_t entries = 0, imported = 0, bytes = 0;

    const double read = MedianMs(runs, [&] { bytes = ReadFile(path).size(); });
    const double parse = MedianMs(runs, [&] { entries = zentavo::ParsePlaylist(ReadFile(path), path).size(); });
    const double decide = MedianMs(runs, [&] {
        zentavo::PlaylistImport import({});
        import.AddPlaylist(ReadFile(path), path);
        imported = import.Channels().size();
    });
    zentavo::PlaylistImport decided({});
    decided.AddPlaylist(ReadFile(path), path);
    const double build = MedianMs(runs, [&] { zentavo::PreparedCatalogueBytes(decided.Channels(), passphrase); });
    const double save = MedianMs(runs, [&] { zentavo::SavePreparedCatalogue(decided.Channels(), passphrase, out); });
    const double full = MedianMs(runs, [&] {
        zentavo::PlaylistImport import({});
        import.AddPlaylist(ReadFile(path), path);
        zentavo::SavePreparedCatalogue(import.Channels(), passphrase, out);
    });
    std::filesystem::remove(out);

    std::printf("playlist: %s (%zu bytes, %zu entries, %zu imported), median of %d runs\n", path.c_str(), bytes,
                entries, imported, runs);
    std::printf("bare read of the file            %8.2f ms\n", read);
    std::printf("read + parse to entries          %8.2f ms  (%.2fx the bare read)\n", parse, parse / read);
    std::printf("read + parse + checks + dedupe   %8.2f ms  (%.2fx)\n", decide, decide / read);
    std::printf("  write the prepared catalogue   %8.2f ms  (classify, encipher, serialise)\n", build);
    std::printf("  ... and save it to a file      %8.2f ms\n", save);
    std::printf("full import to a catalogue file  %8.2f ms  (%.2fx the bare read)\n", full, full / read);
    return 0;
}
