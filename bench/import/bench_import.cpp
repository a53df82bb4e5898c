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
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path)
{
    return zentavo::ReadFileBytes(path, zentavo::kMaxPlaylistBytes);
}

double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Median wall time and median processor time of the runs. The processor time changes less when
// other programs share the machine; the wall time includes waiting for the disk.
struct Timing {
    double wall = 0, cpu = 0;
};

Timing MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> walls, cpus;
    work(); // warm the page cache and the allocator
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        work();
        cpus.push_back(CpuMs() - cpuStart);
        walls.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

void Print(const char* what, const Timing& t, const Timing& base)
{
    std::printf("%-34s %8.2f ms wall %8.2f ms cpu   (%6.2fx / %6.2fx the bare read)\n", what, t.wall, t.cpu,
                t.wall / base.wall, t.cpu / base.cpu);
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

    const Timing read = MedianMs(runs, [&] { bytes = ReadFile(path).size(); });
    const Timing parse = MedianMs(runs, [&] { entries = zentavo::ParsePlaylist(ReadFile(path), path).size(); });
    const Timing decide = MedianMs(runs, [&] {
        zentavo::PlaylistImport import({});
        import.AddPlaylist(ReadFile(path), path);
        imported = import.Channels().size();
    });
    zentavo::PlaylistImport decided({});
    decided.AddPlaylist(ReadFile(path), path);
    const Timing build = MedianMs(runs, [&] { zentavo::PreparedCatalogueBytes(decided.Channels(), passphrase); });
    const Timing save = MedianMs(runs, [&] { zentavo::SavePreparedCatalogue(decided.Channels(), passphrase, out); });
    const Timing full = MedianMs(runs, [&] {
        zentavo::PlaylistImport import({});
        import.AddPlaylist(ReadFile(path), path);
        zentavo::SavePreparedCatalogue(import.Channels(), passphrase, out);
    });
    std::filesystem::remove(out);

    std::printf("playlist: %s (%zu bytes, %zu entries, %zu imported), median of %d runs\n", path.c_str(), bytes,
                entries, imported, runs);
    Print("bare read of the file", read, read);
    Print("read + parse to entries", parse, read);
    Print("read + parse + checks + dedupe", decide, read);
    Print("  write the prepared catalogue", build, read);
    Print("  ... and save it to a file", save, read);
    Print("full import to a catalogue file", full, read);
    std::printf("full import / (read + parse): %.2fx wall, %.2fx cpu\n", full.wall / parse.wall, full.cpu / parse.cpu);
    return 0;
}
