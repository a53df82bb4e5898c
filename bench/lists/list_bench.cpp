// Filling the channel list window from big catalogues, beside the bare libxml2 parse of the same file.
// Run: build/bin/list_bench (QT_QPA_PLATFORM=offscreen is set when no display is given).
#include "bench/core/catalogue_generator.h"
#include "channels/app_context.h"
#include "channels/ui/channel_list_view.h"
#include "channels/ui/favourites_prompts.h"
#include "channels/ui/list_form.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

using namespace zentavo;

namespace {

class SilentPrompts : public FavouritesPrompts {
public:
    bool ConfirmAdd() override { return true; }
    std::optional<QString> AskComment(const QString&) override { return std::nullopt; }
    void ShowListFileError() override { throw std::runtime_error("benchmark catalogue cannot be loaded"); }
    void ShowLeftOutRows(const QString&) override { throw std::runtime_error("benchmark catalogue has duplicate ids"); }
};

struct Catalogue {
    QTemporaryDir dir;
    AppContext context;
    int tvRows = 0;
};

// A favourites file naming every tenth channel of the first 10,000, half of them with a comment.
std::string FavouritesText(int favourites)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>";
    for (int i = 0; i < favourites; ++i)
        text += "<item id=\"" + std::to_string(i * 10 + 1) + "\" comment=\"" + (i % 2 ? "evening news" : "") + "\"/>";
    text += "</items>\n";
    return text;
}

void WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Every item given a logo address, as an imported list's tvg-logo gives: on 127.0.0.1 where nothing
// listens, so the rows that are shown ask for it and keep their kind icon.
std::string WithLogos(const std::string& catalogue)
{
    std::string out;
    out.reserve(catalogue.size() * 3 / 2);
    std::size_t from = 0;
    int item = 0;
    const std::string_view close = "</item>";
    for (std::size_t end; (end = catalogue.find(close, from)) != std::string::npos; from = end + close.size()) {
        out.append(catalogue, from, end - from);
        out += "<logo>http://127.0.0.1:9/logos/channel-" + std::to_string(++item) + ".png</logo>";
        out += close;
    }
    out.append(catalogue, from);
    return out;
}

Catalogue& CatalogueOf(int channels, bool logos = false)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<Catalogue>> made;
    auto& entry = made[{channels, logos}];
    if (!entry) {
        entry = std::make_unique<Catalogue>();
        entry->context.AppFolder = entry->dir.path() + QStringLiteral("/");
        QDir(entry->dir.path()).mkpath(QStringLiteral("data"));
        const std::string generated = bench::GenerateCatalogue(static_cast<size_t>(channels));
        WriteFile(entry->context.CataloguePath(), logos ? WithLogos(generated) : generated);
        WriteFile(entry->context.FavouritesPath(), FavouritesText(1000));
        entry->tvRows = channels / 5 * 2; // the generator's types repeat tv, radio, webcam, tv, radio
    }
    return *entry;
}

void BM_BareParse(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(CatalogueOf(static_cast<int>(state.range(0))).context.CataloguePath());
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadFile(path.constData(), nullptr, XML_PARSE_NONET);
        if (doc == nullptr)
            throw std::runtime_error("bare parse failed");
        xmlFreeDoc(doc);
    }
}

// With logos, every channel has a logo address.
void LoadChannelLists(benchmark::State& state, bool logos)
{
    Catalogue& catalogue = CatalogueOf(static_cast<int>(state.range(0)), logos);
    SilentPrompts prompts;
    TListForm form(catalogue.context, prompts);
    for (auto _ : state)
        form.LoadChannelLists();
}

void BM_LoadChannelLists(benchmark::State& state)
{
    LoadChannelLists(state, false);
}

void BM_LoadFavourites(benchmark::State& state)
{
    Catalogue& catalogue = CatalogueOf(static_cast<int>(state.range(0)));
    SilentPrompts prompts;
    TListForm form(catalogue.context, prompts);
    for (auto _ : state)
        form.LoadFavourites();
}

// Showing the filled window on the TV tab and paging through to the last row, painting each page.
void ShowAndScrollTvList(benchmark::State& state, bool logos)
{
    Catalogue& catalogue = CatalogueOf(static_cast<int>(state.range(0)), logos);
    SilentPrompts prompts;
    TListForm form(catalogue.context, prompts);
    form.LoadChannelLists();
    auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView1"));
    for (auto _ : state) {
        form.show();
        QApplication::processEvents();
        QScrollBar* bar = list->verticalScrollBar();
        for (int step = 0; step < 50; ++step) {
            bar->setValue(bar->maximum() * step / 49);
            list->viewport()->repaint();
        }
        form.hide();
        QApplication::processEvents();
    }
}

void BM_ShowAndScrollTvList(benchmark::State& state)
{
    ShowAndScrollTvList(state, false);
}

// Search as you type on the TV tab: one keystroke is the new text in the search field, the rows
// found and the list painted again. 250,000 channels give 100,000 TV rows.
const QStringList kTyping{QStringLiteral("c"),
                          QStringLiteral("ch"),
                          QStringLiteral("cha"),
                          QStringLiteral("chan"),
                          QStringLiteral("chann"),
                          QStringLiteral("channe"),
                          QStringLiteral("channel"),
                          QStringLiteral("channel "),
                          QStringLiteral("channel 1"),
                          QStringLiteral("channel 12"),
                          QStringLiteral("channel 12 "),
                          QStringLiteral("channel 12 o"),
                          QStringLiteral("channel 12 os"),
                          QStringLiteral("channel 12 ost"),
                          QStringLiteral("channel 12 oste"),
                          QStringLiteral("channel 12 ost"),
                          QStringLiteral("channel 12"),
                          QStringLiteral("channel 1"),
                          QStringLiteral("channel"),
                          QStringLiteral("c"),
                          QString()};

void BM_SearchKeystroke(benchmark::State& state)
{
    Catalogue& catalogue = CatalogueOf(static_cast<int>(state.range(0)));
    SilentPrompts prompts;
    TListForm form(catalogue.context, prompts);
    form.LoadChannelLists();
    auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView1"));
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    form.show();
    QApplication::processEvents();
    std::size_t step = 0;
    for (auto _ : state) {
        search->setText(kTyping.at(static_cast<qsizetype>(step++ % static_cast<std::size_t>(kTyping.size()))));
        list->viewport()->repaint();
    }
    state.counters["tv_rows"] = static_cast<double>(list->model()->rowCount() == 0 ? 0 : catalogue.tvRows);
    form.hide();
}

// The first keystroke after the lists were filled.
void BM_FirstSearchKeystroke(benchmark::State& state)
{
    Catalogue& catalogue = CatalogueOf(static_cast<int>(state.range(0)));
    SilentPrompts prompts;
    TListForm form(catalogue.context, prompts);
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    for (auto _ : state) {
        state.PauseTiming();
        search->clear();
        form.LoadChannelLists();
        state.ResumeTiming();
        search->setText(QStringLiteral("c"));
    }
}

} // namespace

BENCHMARK(BM_BareParse)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadChannelLists)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFavourites)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowAndScrollTvList)->Arg(100000)->Unit(benchmark::kMillisecond);
// The same with a logo address on every channel (logos/1): filling and paging cost no more.
BENCHMARK_CAPTURE(LoadChannelLists, logos, true)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowAndScrollTvList, logos, true)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadChannelLists)->Arg(250000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeystroke)->Arg(250000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstSearchKeystroke)->Arg(250000)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
