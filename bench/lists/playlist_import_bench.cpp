// Adding a playlist of 100,000 entries from the channel list window (Channels > Add playlist...),
// once from a file and once from an address on 127.0.0.1: the time from Add to the summary, the
// longest the window's event loop went without running (a 1 ms timer measures the gaps), and the
// anonymous memory of the process (smaps_rollup) before, at the peak of and after each import.
// Run: build/bin/playlist_import_bench [ENTRIES | FILE]   (QT_QPA_PLATFORM=offscreen when no display)
#include "channels/app_context.h"
#include "channels/catalogue_index.h"
#include "channels/playlists/combined_lists.h"
#include "channels/playlists/playlist_store.h"
#include "channels/ui/favourites_prompts.h"
#include "channels/ui/list_form.h"
#include "tests/support/media_server.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>
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
// it does not move with the libraries other programs share.
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

struct Figures {
    qint64 totalMs = 0;
    qint64 longestStallMs = 0;
    qint64 stallEndMs = 0; // when the longest stall ended, from Add
    QString summary;
    int tvRows = 0;
    double peakAnonMiB = 0; // sampled by the 1 ms timer every 500 ticks, and at the summary
    double afterAnonMiB = 0; // once the rows shown before are freed
};

Figures AddFromWindow(TListForm& form, const QString& source)
{
    Figures figures;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    bool measuring = false;
    int tick = 0;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        if (measuring && sinceTick.elapsed() > figures.longestStallMs) {
            figures.longestStallMs = sinceTick.elapsed();
            figures.stallEndMs = clock.elapsed();
        }
        if (measuring && ++tick % 500 == 0)
            figures.peakAnonMiB = std::max(figures.peakAnonMiB, AnonymousMiB());
        sinceTick.restart();
    });
    AnswerNext(QStringLiteral("AddPlaylistDialog"), [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("SourceEdit"))->setText(source);
        ticks.start();
        sinceTick.start();
        clock.start();
        measuring = true;
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const auto answerBox = [&](QWidget* widget) {
        figures.totalMs = clock.elapsed();
        measuring = false;
        figures.peakAnonMiB = std::max(figures.peakAnonMiB, AnonymousMiB());
        auto* box = static_cast<QMessageBox*>(widget);
        figures.summary = box->text();
        box->button(QMessageBox::Ok)->click();
    };
    AnswerNext(QStringLiteral("PlaylistSummary"), answerBox);
    AnswerNext(QStringLiteral("PlaylistFailure"), answerBox);
    form.findChild<QAction*>(QStringLiteral("AddPlaylistAction"))->trigger();
    ticks.stop();
    // The rows shown before are freed on a thread of their own: let it finish.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    figures.afterAnonMiB = AnonymousMiB();
    figures.tvRows = form.findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount();
    return figures;
}

// The lookup a play makes for the channel of the list's last row (the catalogue that shows it, then
// its item), with the places the lists took and without them (every item read up to it, twice:
// once to find the catalogue, once to read the item, as plays did before places were kept).
void TimePlayLookup(const AppContext& context, TListForm& form)
{
    const auto* model = form.findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
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

void Print(const char* what, const Figures& figures)
{
    std::printf("%-30s %6lld ms to the summary, longest event-loop stall %4lld ms (ending at %lld ms), %d TV rows, "
                "anonymous memory peak %.0f MiB, after %.0f MiB\n",
                what, static_cast<long long>(figures.totalMs), static_cast<long long>(figures.longestStallMs),
                static_cast<long long>(figures.stallEndMs), figures.tvRows, figures.peakAnonMiB, figures.afterAnonMiB);
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
