// Catalogue enumeration and lookup beside the bare libxml2 parse of the same file, in one run.
// Each catalogue operation includes its own parse of the file, as the player does it.
#include "catalogue_generator.h"

#include "channels/catalogue.h"
#include "channels/channel_lists.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

// Catalogue files written once per size into a private temporary folder, removed at exit.
class CatalogueFiles {
public:
    CatalogueFiles()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zentavo-bench.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
    }
    ~CatalogueFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::filesystem::path& Get(std::size_t count)
    {
        auto found = paths_.find(count);
        if (found != paths_.end())
            return found->second;
        const std::filesystem::path path = folder_ / ("catalogue-" + std::to_string(count) + ".xml");
        const std::string xml = zentavo::bench::GenerateCatalogue(count);
        std::ofstream(path, std::ios::binary).write(xml.data(), static_cast<std::streamsize>(xml.size()));
        return paths_.emplace(count, path).first->second;
    }

private:
    std::filesystem::path folder_;
    std::map<std::size_t, std::filesystem::path> paths_;
};

CatalogueFiles& Files()
{
    static CatalogueFiles files;
    return files;
}

// What xmllint --noout does: read and parse the file with libxml2's defaults.
void BM_BareLibxml2Parse(benchmark::State& state)
{
    const auto& path = Files().Get(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, 0);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}

// The same parse with the options the catalogue uses (no network, compact text nodes).
void BM_BareLibxml2ParseCatalogueOptions(benchmark::State& state)
{
    const auto& path = Files().Get(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_COMPACT);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}

void BM_CatalogueLoad(benchmark::State& state)
{
    const auto& path = Files().Get(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto catalogue = zentavo::Catalogue::Load(path);
        benchmark::DoNotOptimize(catalogue);
    }
}

void BM_Enumeration(benchmark::State& state)
{
    const auto& path = Files().Get(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const auto catalogue = zentavo::Catalogue::Load(path);
        std::size_t fields = 0;
        catalogue.ForEachChannel([&fields](const zentavo::ChannelRecord& record) { fields += record.name.size(); });
        benchmark::DoNotOptimize(fields);
    }
}

void BM_BuildChannelLists(benchmark::State& state)
{
    const auto& path = Files().Get(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto lists = zentavo::BuildChannelLists(path);
        benchmark::DoNotOptimize(lists);
    }
}

void BM_FindChannelLast(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto& path = Files().Get(count);
    const std::string lastId = std::to_string(count);
    for (auto _ : state) {
        const auto catalogue = zentavo::Catalogue::Load(path);
        auto url = catalogue.FindChannel(lastId)->ChildText("url");
        benchmark::DoNotOptimize(url);
    }
}

constexpr int kSmall = 10'000;
constexpr int kLarge = 100'000;

BENCHMARK(BM_BareLibxml2Parse)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibxml2ParseCatalogueOptions)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueLoad)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Enumeration)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildChannelLists)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindChannelLast)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
