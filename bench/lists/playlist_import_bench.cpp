// Adding a playlist of 100,000 entries from the channel list window (Channels > Add playlist...),
// once from a file and once from an address on 127.0.0.1: the time from Add to the summary; the
// longest the window's event loop went without running, from Add to a second after the summary (a
// 1 ms timer measures the gaps), with the processor time the window's thread used in it (the rest
// it waited for a processor or a lock), and every gap over 20 ms; and the anonymous memory of the
// process before, at the peak of (sampled on a thread of its own) and after each import.
// Run: build/bin/playlist_import_bench [ENTRIES | FILE]   (QT_QPA_PLATFORM=offscreen when no display)
#include "channels/app_context.h"
#include "channels/catalogue_index.h"
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/playlist_store.h"
#include "channels/ui/channel_list_model.h"
#include "channels/ui/channel_list_view.h"
#include "channels/ui/favourites_prompts.h"
#include "channels/ui/list_form.h"
#include "tests/support/media_server.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace zentavo;

namespace {

class SilentPrompts : public FavouritesPrompts {
public:
    bool ConfirmAdd() override { return true; }
    std::optional<QString> AskComment(const QString&) override { return std::nullopt; }
    void ShowListFileError() override { throw std::runtime_error("benchmark catalogue cannot be loaded"); }
    void ShowLeftOutRows(const QString&) override {}
};

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// An M3U of that many entries as providers write them: tvg attributes, groups, a radio now and then.
QByteArray GeneratedPlaylist(int entries)
{
    static const char* const countries[] = {"DE", "FR", "IT", "ES", "AT", "PL", "SE", "PT", "GR", "US"};
    QByteArray text = "#EXTM3U\n";
    text.reserve(entries * 170);
    for (int i = 0; i < entries; ++i) {
        const char* country = countries[i % 10];
        text += "#EXTINF:-1 tvg-id=\"Channel" + QByteArray::number(i) + "." + QByteArray(country).toLower()
            + "\" tvg-country=\"" + country + "\" tvg-logo=\"https://logos.example/" + QByteArray::number(i)
            + ".png\" group-title=\"News\"" + (i % 7 == 0 ? " radio=\"true\"" : "") + ",Channel "
            + QByteArray::number(i) + " (1080p)\n";
        text +=
            "https://stream" + QByteArray::number(i % 50) + ".example/live/" + QByteArray::number(i) + "/index.m3u8\n";
    }
    return text;
}

// Runs act on the next visible top-level window with that object name.
void AnswerNext(const QString& name, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name && widget->isVisible()) {
                timer->deleteLater();
                timer->stop();
                act(widget);
                return;
            }
        }
    });
    timer->start();
}

// Anonymous memory of this process in MiB, as /proc/self/smaps_rollup counts it: unlike RSS and PSS
// it does not move when other programs map the same libraries.
double AnonymousMiB()
{
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (!rollup.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        if (line.startsWith("Anonymous:"))
            return line.mid(10).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// The same pages as the kernel counts them as they come and go (RssAnon of /proc/self/status): read
// while the window is timed, since reading smaps_rollup walks the page tables under the lock that
// every page fault of the process takes, and holds the window's thread up for tens of milliseconds.
double CountedAnonymousMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

constexpr qint64 kLongStallMs = 20;

// Processor time this thread has used, in milliseconds.
double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Stall {
    qint64 endMs = 0; // from Add
    qint64 lengthMs = 0;
    double workMs = 0; // the window's thread's processor time within it; the rest it waited for a processor
};

struct Figures {
    qint64 totalMs = 0;
    Stall longest;
    double longestWorkMs = 0; // the most processor time the window's thread spent in one stall
    std::vector<Stall> longStalls; // every stall over kLongStallMs
    QString summary;
    int tvRows = 0;
    double peakAnonMiB = 0; // sampled every 100 ms on a thread of its own
    double afterAnonMiB = 0; // once the rows shown before are freed
};

// Samples the anonymous memory every 100 ms on a thread of its own while it lives.
class MemorySampler {
public:
    MemorySampler()
        : thread_(QThread::create([this] {
              while (!stop_.load()) {
                  const double now = CountedAnonymousMiB();
                  double peak = peak_.load();
                  while (now > peak && !peak_.compare_exchange_weak(peak, now)) {
                  }
                  std::unique_lock lock(mutex_);
                  wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_.load(); });
              }
          }))
    {
        thread_->start();
    }
    ~MemorySampler()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_->wait();
    }
    double PeakMiB() const { return peak_.load(); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<double> peak_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<QThread> thread_;
};

Figures AddFromWindow(TListForm& form, const QString& source)
{
    Figures figures;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    double cpuAtTick = 0;
    bool measuring = false;
    std::unique_ptr<MemorySampler> memory;
    QTimer ticks;
    ticks.setInterval(1);
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        const qint64 length = sinceTick.elapsed();
        const double cpu = ThreadCpuMs();
        if (measuring) {
            const Stall stall{clock.elapsed(), length, cpu - cpuAtTick};
            if (length > figures.longest.lengthMs)
                figures.longest = stall;
            figures.longestWorkMs = std::max(figures.longestWorkMs, stall.workMs);
            if (length > kLongStallMs)
                figures.longStalls.push_back(stall);
        }
        sinceTick.restart();
        cpuAtTick = cpu;
    });
    AnswerNext(QStringLiteral("AddPlaylistDialog"), [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("SourceEdit"))->setText(source);
        memory = std::make_unique<MemorySampler>();
        ticks.start();
        sinceTick.start();
        cpuAtTick = ThreadCpuMs();
        clock.start();
        measuring = true;
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const auto answerBox = [&](QWidget* widget) {
        figures.totalMs = clock.elapsed();
        auto* box = static_cast<QMessageBox*>(widget);
        figures.summary = box->text();
        box->button(QMessageBox::Ok)->click();
    };
    AnswerNext(QStringLiteral("PlaylistSummary"), answerBox);
    AnswerNext(QStringLiteral("PlaylistFailure"), answerBox);
    form.findChild<QAction*>(QStringLiteral("AddPlaylistAction"))->trigger();
    // The window goes on being timed for a second after the summary: the views lay the new rows out
    // as their events come, and the rows shown before are freed on a thread of their own.
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();
    measuring = false;
    ticks.stop();
    figures.peakAnonMiB = memory->PeakMiB();
    memory.reset();
    figures.afterAnonMiB = AnonymousMiB();
    figures.tvRows = form.findChild<ChannelListView*>(QStringLiteral("ListView1"))->model()->rowCount();
    return figures;
}

// The lookup a play makes for the channel of the list's last row (the catalogue that shows it, then
// its item), with the places the lists took and without them (every item read up to it, twice:
// once to find the catalogue, once to read the item, as plays did before places were kept).
void TimePlayLookup(const AppContext& context, TListForm& form)
{
    const auto* model = form.findChild<ChannelListView*>(QStringLiteral("ListView1"))->model();
    const std::string id = model->index(model->rowCount() - 1, 1).data().toString().toStdString();
    const std::filesystem::path shipped = context.CataloguePath().toStdString();
    const PlaylistStore store(context.PlaylistsFolder().toStdString());
    const auto lookUp = [&](const CatalogueIndexes* places) {
        QElapsedTimer clock;
        clock.start();
        const std::filesystem::path catalogue = CatalogueShowing(shipped, store, id, places);
        const bool found = places ? FindRecord(catalogue, id, places).has_value()
                                  : Catalogue::FindRecordInFile(catalogue, id).has_value();
        if (!found)
            throw std::runtime_error("the last row's channel was not found");
        return clock.nsecsElapsed() / 1e6;
    };
    const double withPlaces = lookUp(context.CataloguePlaces.get());
    const double withoutPlaces = lookUp(nullptr);
    std::printf("play lookup of the last row (%s): %.1f ms with the places, %.0f ms reading the items up to it\n",
                id.c_str(), withPlaces, withoutPlaces);
}

// The window's thread during one action: from the action to its end (done), and 50 ms beyond.
struct ActionFigures {
    double wallMs = 0;
    double longestStallMs = 0; // the longest gap of a 1 ms timer, the action itself included
    double longestWorkMs = 0; // the most processor time of the window's thread in one gap
};

ActionFigures TimeAction(const std::function<void()>& act, const std::function<bool()>& done)
{
    ActionFigures figures;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    double cpuAtTick = 0;
    QTimer ticks;
    ticks.setInterval(1);
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        const double cpu = ThreadCpuMs();
        figures.longestStallMs = std::max(figures.longestStallMs, sinceTick.nsecsElapsed() / 1e6);
        figures.longestWorkMs = std::max(figures.longestWorkMs, cpu - cpuAtTick);
        sinceTick.restart();
        cpuAtTick = cpu;
    });
    ticks.start();
    clock.start();
    sinceTick.start();
    cpuAtTick = ThreadCpuMs();
    act();
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    figures.wallMs = clock.nsecsElapsed() / 1e6;
    QEventLoop beyond;
    QTimer::singleShot(50, &beyond, &QEventLoop::quit);
    beyond.exec();
    return figures;
}

// What the user does in the list of a million rows, the window's thread timed through each: a row
// selected, a search typed key by key (the slowest key), the search cleared, clicks on the header
// that sort the rows (to the rows shown sorted).
void TimeListActions(TListForm& form)
{
    auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView1"));
    auto* model = qobject_cast<ChannelListModel*>(list->model());
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("Edit_search"));
    const auto at_once = [] { return true; };
    const auto print = [](const char* what, const ActionFigures& figures) {
        std::printf("%-42s %6.0f ms, longest stall %4.0f ms (%.0f ms working)\n", what, figures.wallMs,
                    figures.longestStallMs, figures.longestWorkMs);
    };
    print("select the middle row:",
          TimeAction([&] { list->setCurrentIndex(model->index(model->rowCount() / 2, 0)); }, at_once));
    ActionFigures slowestKey;
    const QString word = QStringLiteral("channel 99999");
    for (qsizetype length = 1; length <= word.size(); ++length) {
        const ActionFigures key = TimeAction([&] { search->setText(word.left(length)); }, at_once);
        if (key.longestStallMs > slowestKey.longestStallMs)
            slowestKey = key;
    }
    print("search typed key by key, the slowest key:", slowestKey);
    print("search cleared:", TimeAction([&] { search->clear(); }, at_once));
    const auto sorted = [model] { return !model->Sorting(); };
    print("sort by caption (header click):",
          TimeAction([&] { emit list->header()->sectionClicked(ChannelListModel::CaptionColumn); }, sorted));
    print("sort by group (header click):",
          TimeAction([&] { emit list->header()->sectionClicked(ChannelListModel::GroupColumn); }, sorted));
}

void Print(const char* what, const Figures& figures)
{
    std::printf(
        "%-30s %6lld ms to the summary, longest event-loop stall %4lld ms (ending at %lld ms, %.0f ms of it "
        "working), most work in one stall %.0f ms, %d TV rows, anonymous memory peak %.0f MiB, after %.0f MiB\n",
        what, static_cast<long long>(figures.totalMs), static_cast<long long>(figures.longest.lengthMs),
        static_cast<long long>(figures.longest.endMs), figures.longest.workMs, figures.longestWorkMs, figures.tvRows,
        figures.peakAnonMiB, figures.afterAnonMiB);
    std::printf("%-30s stalls over %lld ms (working):", "", static_cast<long long>(kLongStallMs));
    for (const Stall& stall : figures.longStalls)
        std::printf(" %lld (%.0f) ms ending at %lld ms;", static_cast<long long>(stall.lengthMs), stall.workMs,
                    static_cast<long long>(stall.endMs));
    std::printf("%s\n", figures.longStalls.empty() ? " none" : "");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.filePath(QStringLiteral("xdg-data")).toLocal8Bit());
    QApplication app(argc, argv);
    try {
        const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("100000");
        bool isNumber = false;
        const int entries = argument.toInt(&isNumber);
        QTemporaryDir served;
        const QString listPath = served.filePath(QStringLiteral("list.m3u"));
        if (isNumber)
            WriteFile(listPath, GeneratedPlaylist(entries));
        else if (!QFile::copy(argument, listPath))
            throw std::runtime_error("cannot read " + argument.toStdString());

        AppContext context;
        context.AppFolder = data.path() + QStringLiteral("/");
        QDir(data.path()).mkpath(QStringLiteral("data"));
        WriteFile(context.CataloguePath(),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items><item><id>1</id><name>Shipped</name>"
                  "<country>Germany</country><bandwidth/><type2>tv</type2><url>00</url><imgindex>0</imgindex></item></"
                  "items>\n");
        context.StreamPassphrase = "benchmark passphrase";
        SilentPrompts prompts;
        TListForm form(context, prompts);
        form.LoadChannelLists();
        form.LoadFavourites();
        form.show();
        QApplication::processEvents();
        std::printf("idle window with an empty profile: anonymous memory %.0f MiB\n", AnonymousMiB());

        std::printf("playlist: %s (%lld bytes)\n",
                    qPrintable(isNumber ? QStringLiteral("%1 generated entries").arg(entries) : argument),
                    static_cast<long long>(QFile(listPath).size()));
        const Figures fromFile = AddFromWindow(form, listPath);
        Print("Add playlist from a file:", fromFile);
        TimePlayLookup(context, form);
        TimeListActions(form);
        // The server runs on a thread of its own, so that its sending is not counted as the window's.
        std::promise<QUrl> address;
        QEventLoop* serverLoop = nullptr;
        std::unique_ptr<QThread> serverThread(QThread::create([&] {
            test::MediaServer server(served.path());
            QEventLoop loop;
            serverLoop = &loop;
            address.set_value(server.Url(QStringLiteral("list.m3u")));
            loop.exec();
        }));
        serverThread->start();
        const QUrl url = address.get_future().get();
        const Figures fromAddress = AddFromWindow(form, url.toString());
        QMetaObject::invokeMethod(serverLoop, &QEventLoop::quit, Qt::QueuedConnection);
        serverThread->wait();
        Print("Add playlist from 127.0.0.1:", fromAddress);
        std::printf("summary: %s\n",
                    qPrintable(QString(fromAddress.summary).replace(QLatin1Char('\n'), QStringLiteral(" / "))));
        return fromFile.summary.startsWith(QStringLiteral("Imported"))
                && fromAddress.summary.startsWith(QStringLiteral("Imported"))
            ? 0
            : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
