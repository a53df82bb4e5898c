// The user's own playlists from the channel list window, with the real dialogs answered by the test:
// Channels > Add playlist... from a file and from an address on 127.0.0.1, the summary, a failed
// download, Cancel, Manage playlists (Refresh keeping ids and favourites, Remove), and the quiet
// refresh of old address playlists; and text from outside (a server's reason phrase, a playlist's
// name, a file's path) shown as written in the boxes and tooltips.
#include "channels/ui/channel_list_view.h"
#include "list_fixture.h"
#include "scripted_prompts.h"

#include "channels/playlists/combined_lists.h"
#include "channels/playlists/playlist_store.h"
#include "channels/ui/list_form.h"
#include "tests/support/media_server.h"
#include "tests/support/waits.h"
#include "tests/support/window_answer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

using namespace zentavo;
using test::Answer;

namespace {

const QByteArray kList = "#EXTM3U\n"
                         "#EXTINF:-1 tvg-country=\"DE\",Erste\nhttp://erste.example/live.m3u8\n"
                         "#EXTINF:-1 radio=\"true\" tvg-country=\"AT\",Welle\nhttp://welle.example/stream.mp3\n"
                         "#EXTINF:-1,Broken\nhhttp://broken.example/\n"
                         "#EXTINF:-1,Twice\nhttp://erste.example/live.m3u8\n";

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

// list: the entry of "Channels go to" (0 as the playlist says, 1 TV, 2 radio, 3 webcams).
std::unique_ptr<Answer> AnswerAddDialog(const QString& source, const QString& name = {}, int list = 0)
{
    return std::make_unique<Answer>(QStringLiteral("AddPlaylistDialog"), [source, name, list](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("SourceEdit"))->setText(source);
        dialog->findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(name);
        dialog->findChild<QComboBox*>(QStringLiteral("TypeCombo"))->setCurrentIndex(list);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
}

// Reads the message box's text and presses OK.
std::unique_ptr<Answer> AnswerMessage(const QString& objectName, QString& text)
{
    return std::make_unique<Answer>(objectName, [&text](QWidget* widget) {
        auto* box = static_cast<QMessageBox*>(widget);
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
}

// What a message box showed: its text, and whether its label took that text as plain text (a label
// left to guess takes text that looks like markup for rich text).
struct Shown {
    QString text;
    bool plain = false;
};

std::unique_ptr<Answer> AnswerShown(const QString& objectName, Shown& shown,
                                    QMessageBox::StandardButton button = QMessageBox::Ok)
{
    return std::make_unique<Answer>(objectName, [&shown, button](QWidget* widget) {
        auto* box = static_cast<QMessageBox*>(widget);
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        shown.text = label->text();
        shown.plain = label->textFormat() == Qt::PlainText
            || (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
        box->button(button)->click();
    });
}

// The text a tooltip shows: QToolTip lays it out as rich text when it looks like it.
QString ToolTipShows(const QString& tooltip)
{
    if (!Qt::mightBeRichText(tooltip))
        return tooltip;
    QTextDocument document;
    document.setHtml(tooltip);
    return document.toPlainText();
}

QStringList Captions(TListForm& form, int number)
{
    const auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(number));
    QStringList captions;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        captions << list->model()->index(row, 0).data().toString();
    return captions;
}

QString IdOfRow(TListForm& form, int number, const QString& caption)
{
    const auto* list = form.findChild<ChannelListView*>(QStringLiteral("ListView%1").arg(number));
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        if (list->model()->index(row, 0).data().toString() == caption)
            return list->model()->index(row, 1).data().toString();
    }
    return {};
}

ImportedChannel TvChannel(const char* name, const char* country, const char* url)
{
    ImportedChannel channel;
    channel.name = name;
    channel.country = country;
    channel.type2 = "tv";
    channel.url = url;
    return channel;
}

QString Own(const char* caption)
{
    return QString::fromUtf8(caption) + QString::fromUtf8(kOwnRowMarker);
}

struct Window {
    ListFixture fixture;
    ScriptedPrompts prompts;
    QTemporaryDir served;
    test::MediaServer server{served.path()};
    std::unique_ptr<TListForm> form;

    Window()
    {
        // A data folder of each test's own, so that no test sees another's playlists.
        QDir().mkpath(fixture.dir.filePath(QStringLiteral("xdg-data")));
        qputenv("XDG_DATA_HOME", fixture.dir.filePath(QStringLiteral("xdg-data")).toLocal8Bit());
        fixture.context.StreamPassphrase = "window test passphrase";
        ListFixture::WriteFile(served.filePath(QStringLiteral("list.m3u")), kList);
        form = std::make_unique<TListForm>(fixture.context, prompts);
        form->LoadChannelLists();
        form->LoadFavourites();
        form->show();
    }
    PlaylistStore Store() const { return PlaylistStore(ToPath(fixture.context.PlaylistsFolder())); }
    void TriggerAdd() { form->findChild<QAction*>(QStringLiteral("AddPlaylistAction"))->trigger(); }
};

} // namespace

class TestPlaylistsWindow : public QObject {
    Q_OBJECT
private slots:
    void addLocalFileShowsSummaryAndRows()
    {
        Window window;
        QString summary;
        const auto add =
            AnswerAddDialog(window.served.filePath(QStringLiteral("list.m3u")), QStringLiteral("Stations"));
        const auto done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        QVERIFY(add->Answered());
        QCOMPARE(summary,
                 QStringLiteral("Imported 2 channels from \u201CStations\u201D.\nTV Stations: 1, Radio Stations: 1.\n"
                                "Left out 2 of 4 entries:\n"
                                "  broken scheme: 1\n  duplicate address: 1"));
        QCOMPARE(Captions(*window.form, 1),
                 (QStringList{QStringLiteral(" France - News One  (300k)"), QStringLiteral(" Andorra - Çanal Sud"),
                              Own(" Germany - Erste")}));
        QCOMPARE(Captions(*window.form, 2).last(), Own(" Austria - Welle"));
        // The shipped catalogue is untouched; the own one lies in the user's data folder.
        QCOMPARE(ListFixture::ReadFile(window.fixture.context.CataloguePath()), QByteArray(kSmallCatalogue));
        const std::vector<PlaylistInfo> listed = window.Store().Playlists();
        QCOMPARE(listed.size(), size_t{1});
        QVERIFY(QFile::exists(QString::fromStdString(window.Store().CataloguePath(listed[0]).string())));
        QVERIFY(window.fixture.context.PlaylistsFolder().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));

        // An own channel is a favourite like any other, comment included.
        window.fixture.context.CurrentChannelId = IdOfRow(*window.form, 1, Own(" Germany - Erste"));
        window.prompts.commentAnswer = QStringLiteral("mine");
        window.form->EditFavourites(FavouritesCommand::Add);
        auto* favourites = window.form->findChild<ChannelListView*>(QStringLiteral("ListView4"));
        favourites->setCurrentIndex(favourites->model()->index(0, 0));
        window.form->EditFavourites(FavouritesCommand::AddComment);
        QCOMPARE(Captions(*window.form, 4), (QStringList{QStringLiteral("Germany - Erste  [ mine ]")}));
    }

    void addAddressAndFailedDownload()
    {
        Window window;
        QString summary;
        const QString address = window.server.Url(QStringLiteral("list.m3u")).toString();
        auto add = AnswerAddDialog(address);
        auto done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        QVERIFY2(summary.startsWith(QStringLiteral("Imported 2 channels from \u201C127.0.0.1:")), qPrintable(summary));
        QCOMPARE(window.Store().Playlists().at(0).source, address.toStdString());
        QCOMPARE(Captions(*window.form, 1).last(), Own(" Germany - Erste"));

        QString failure;
        add = AnswerAddDialog(window.server.Url(QStringLiteral("missing.m3u")).toString());
        done = AnswerMessage(QStringLiteral("PlaylistFailure"), failure);
        window.TriggerAdd();
        QVERIFY2(failure.contains(QStringLiteral("404")), qPrintable(failure));
        QCOMPARE(window.Store().Playlists().size(), size_t{1});
    }

    void radioStationsGoToTheRadioList()
    {
        Window window;
        ListFixture::WriteFile(
            window.served.filePath(QStringLiteral("radios.pls")),
            "[playlist]\nFile1=http://bremen.example/zwei.mp3\nTitle1=Bremen Zwei\nNumberOfEntries=1\n");
        QString summary;
        const auto add = AnswerAddDialog(window.served.filePath(QStringLiteral("radios.pls")), {}, 2);
        const auto done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        QCOMPARE(summary, QStringLiteral("Imported 1 channel from \u201Cradios\u201D.\nRadio Stations: 1."));
        QCOMPARE(Captions(*window.form, 2).last(), Own("  - Bremen Zwei"));
        QCOMPARE(Captions(*window.form, 1).size(), 2);

        // A radio list that marks nothing, as the playlist says: its audio addresses make it one, and
        // the "/stream" beside them goes to Radio too.
        const qsizetype radios = Captions(*window.form, 2).size();
        ListFixture::WriteFile(window.served.filePath(QStringLiteral("unmarked.m3u")),
                               "#EXTM3U\n#EXTINF:-1,One\nhttp://r.example/one.mp3\n#EXTINF:-1,Two\n"
                               "http://r.example/two.aac\n#EXTINF:-1,Three\nhttp://r.example:8000/;\n"
                               "#EXTINF:-1,Four\nhttp://r.example/four.pls\n#EXTINF:-1,Five\n"
                               "http://r.example/stream/mp3\n#EXTINF:-1,Six\nhttp://r.example:8000/stream\n");
        const auto addUnmarked = AnswerAddDialog(window.served.filePath(QStringLiteral("unmarked.m3u")), {}, 0);
        const auto doneUnmarked = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        QCOMPARE(summary, QStringLiteral("Imported 6 channels from \u201Cunmarked\u201D.\nRadio Stations: 6."));
        QCOMPARE(Captions(*window.form, 2).size(), radios + 6);
        QVERIFY(Captions(*window.form, 2).contains(Own("  - Six")));
        QCOMPARE(Captions(*window.form, 1).size(), 2);
    }

    void cancelLeavesNothing()
    {
        Window window;
        window.server.Stall(QStringLiteral("list.m3u"));
        const auto add = AnswerAddDialog(window.server.Url(QStringLiteral("list.m3u")).toString());
        bool sawProgress = false;
        const auto cancel = std::make_unique<Answer>(QStringLiteral("PlaylistProgress"), [&](QWidget* widget) {
            sawProgress = true;
            widget->findChild<QPushButton*>()->click();
        });
        QString message;
        const auto noMessage = AnswerMessage(QStringLiteral("PlaylistSummary"), message);
        const auto noFailure = AnswerMessage(QStringLiteral("PlaylistFailure"), message);
        window.TriggerAdd();
        QVERIFY(sawProgress);
        // A result would have been shown before Add playlist returned.
        QVERIFY(!noMessage->Answered() && !noFailure->Answered());
        QVERIFY(window.Store().Playlists().empty());
        QCOMPARE(Captions(*window.form, 1).size(), 2);
    }

    void manageRefreshAndRemove()
    {
        Window window;
        QString summary;
        // Two playlists from the server; a favourite in each.
        ListFixture::WriteFile(window.served.filePath(QStringLiteral("radio.m3u")),
                               "#EXTM3U\n#EXTINF:-1 radio=\"true\",Only Radio\nhttp://only.example/r.mp3\n");
        auto add = AnswerAddDialog(window.server.Url(QStringLiteral("list.m3u")).toString(), QStringLiteral("TV"));
        auto done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        add = AnswerAddDialog(window.server.Url(QStringLiteral("radio.m3u")).toString(), QStringLiteral("Radio"));
        done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        const QString ersteId = IdOfRow(*window.form, 1, Own(" Germany - Erste"));
        const QString onlyId = IdOfRow(*window.form, 2, Own("  - Only Radio"));
        QVERIFY(!ersteId.isEmpty() && !onlyId.isEmpty());
        for (const QString& id : {ersteId, onlyId}) {
            window.fixture.context.CurrentChannelId = id;
            window.form->EditFavourites(FavouritesCommand::Add);
        }
        QCOMPARE(Captions(*window.form, 4).size(), 2);

        // The list grows on the server; Refresh reads it again.
        ListFixture::WriteFile(window.served.filePath(QStringLiteral("list.m3u")),
                               "#EXTM3U\n#EXTINF:-1,Neu\nhttp://neu.example/x\n" + kList);
        QStringList shown;
        QString refreshSummary;
        auto refreshDone = AnswerMessage(QStringLiteral("PlaylistSummary"), refreshSummary);
        const auto manage = std::make_unique<Answer>(QStringLiteral("PlaylistsDialog"), [&](QWidget* dialog) {
            auto* table = dialog->findChild<QTreeWidget*>(QStringLiteral("PlaylistTable"));
            for (int row = 0; row < table->topLevelItemCount(); ++row) {
                const QTreeWidgetItem* item = table->topLevelItem(row);
                shown << item->text(0) + QLatin1Char('|') + item->text(2);
            }
            QCOMPARE(table->topLevelItem(0)->text(1), window.server.Url(QStringLiteral("list.m3u")).toString());
            QVERIFY(!table->topLevelItem(0)->text(3).isEmpty());
            table->setCurrentItem(table->topLevelItem(0));
            dialog->findChild<QPushButton*>(QStringLiteral("RefreshButton"))->click();
            QCOMPARE(table->topLevelItem(0)->text(2), QStringLiteral("3"));
            table->setCurrentItem(table->topLevelItem(1));
            // Removal asks first: No keeps the playlist, Yes removes it.
            for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
                const Answer question(QStringLiteral("RemovePlaylistQuestion"), [button](QWidget* box) {
                    static_cast<QMessageBox*>(box)->button(button)->click();
                });
                dialog->findChild<QPushButton*>(QStringLiteral("RemoveButton"))->click();
                QVERIFY(question.Answered());
                QCOMPARE(table->topLevelItemCount(), button == QMessageBox::No ? 2 : 1);
            }
            static_cast<QDialog*>(dialog)->reject();
        });
        window.form->findChild<QAction*>(QStringLiteral("ManagePlaylistsAction"))->trigger();
        QVERIFY(manage->Answered());
        QCOMPARE(shown, (QStringList{QStringLiteral("TV|2"), QStringLiteral("Radio|1")}));
        QVERIFY2(refreshSummary.startsWith(QStringLiteral("Imported 3 channels from \u201CTV\u201D.")),
                 qPrintable(refreshSummary));
        // Refresh kept the id, so the favourite stays; Remove hid the radio and its favourite row,
        // but the favourites file still names it.
        QCOMPARE(IdOfRow(*window.form, 1, Own(" Germany - Erste")), ersteId);
        QVERIFY(Captions(*window.form, 1).contains(Own("  - Neu")));
        QVERIFY(!Captions(*window.form, 2).contains(Own("  - Only Radio")));
        QCOMPARE(Captions(*window.form, 4), (QStringList{QStringLiteral("Germany - Erste")}));
        QVERIFY(window.fixture.Favourites().contains(onlyId.toLatin1()));
    }

    void outsideTextShowsAsWritten()
    {
        Window window;
        // A heading that claims success, a local file as a picture, a link for the desktop's opener.
        const QByteArray markup = "<h1 style=\"color:red\">Imported 999 channels</h1><img src=\"file:///etc/hostname\">"
                                  "<a href=\"file:///etc/\">Details</a>";
        window.server.AnswerStatus(QStringLiteral("hostile.m3u"), 500, markup);
        Shown failure;
        auto add = AnswerAddDialog(window.server.Url(QStringLiteral("hostile.m3u")).toString());
        auto done = AnswerShown(QStringLiteral("PlaylistFailure"), failure);
        window.TriggerAdd();
        QVERIFY(done->Answered());
        QCOMPARE(failure.text, QStringLiteral("The server answered 500 %1.").arg(QString::fromLatin1(markup)));
        QVERIFY(failure.plain);

        // A playlist whose name and file name carry markup.
        const QString name = QStringLiteral("<b>Imported 999 channels</b>");
        const QString file = window.served.filePath(QStringLiteral("<i>list.m3u"));
        ListFixture::WriteFile(file, kList);
        Shown summary;
        add = AnswerAddDialog(file, name);
        done = AnswerShown(QStringLiteral("PlaylistSummary"), summary);
        window.TriggerAdd();
        QVERIFY2(summary.text.startsWith(QStringLiteral("Imported 2 channels from \u201C%1\u201D.").arg(name)),
                 qPrintable(summary.text));
        QVERIFY(summary.plain);

        QString nameShown;
        QString sourceTip;
        Shown question;
        const auto manage = std::make_unique<Answer>(QStringLiteral("PlaylistsDialog"), [&](QWidget* dialog) {
            auto* table = dialog->findChild<QTreeWidget*>(QStringLiteral("PlaylistTable"));
            nameShown = table->topLevelItem(0)->text(0);
            sourceTip = table->topLevelItem(0)->toolTip(1);
            table->setCurrentItem(table->topLevelItem(0));
            const auto no = AnswerShown(QStringLiteral("RemovePlaylistQuestion"), question, QMessageBox::No);
            dialog->findChild<QPushButton*>(QStringLiteral("RemoveButton"))->click();
            QVERIFY(no->Answered());
            static_cast<QDialog*>(dialog)->reject();
        });
        window.form->findChild<QAction*>(QStringLiteral("ManagePlaylistsAction"))->trigger();
        QVERIFY(manage->Answered());
        QCOMPARE(nameShown, name);
        QCOMPARE(ToolTipShows(sourceTip), file);
        QVERIFY2(question.text.startsWith(QStringLiteral("Remove the playlist \u201C%1\u201D").arg(name)),
                 qPrintable(question.text));
        QVERIFY(question.plain);
        QCOMPARE(window.Store().Playlists().size(), size_t{1});
    }

    // The network of a hotel answers every address with its sign-in page: the quiet refresh at
    // start-up keeps the playlist's channels. A Refresh whose reading lost most of them asks, and
    // replaces them only when the user says so.
    void doubtfulReadingsKeepTheChannels()
    {
        Window window;
        std::vector<ImportedChannel> twelve;
        for (int i = 0; i < 12; ++i) {
            const std::string number = std::to_string(i);
            twelve.push_back(
                TvChannel(("Channel " + number).c_str(), "Germany", ("http://c.example/" + number).c_str()));
        }
        window.Store().Add("Hotel", window.server.Url(QStringLiteral("list.m3u")).toString().toStdString(), twelve,
                           window.fixture.context.StreamPassphrase, 1);
        ListFixture::WriteFile(
            window.served.filePath(QStringLiteral("list.m3u")),
            "<!DOCTYPE html>\n<html><body>Sign in at\nhttp://login.hotel.example/\n</body></html>\n");
        window.server.SetContentType(QStringLiteral("list.m3u"), "text/html");
        window.form->LoadChannelLists();
        const QStringList rows = Captions(*window.form, 1);
        QCOMPARE(rows.size(), 2 + 12);
        window.form->RefreshOldPlaylists();
        QTRY_VERIFY_WITH_TIMEOUT(!window.form->RefreshingPlaylists(), test::Limit(5000));
        QCOMPARE(window.server.RequestCount(QStringLiteral("list.m3u")), 1);
        QCOMPARE(Captions(*window.form, 1), rows);
        QCOMPARE(window.Store().Playlists().at(0).updated, std::int64_t{1});

        // Signed in, the server sends the list, but with one channel left.
        ListFixture::WriteFile(window.served.filePath(QStringLiteral("list.m3u")),
                               "#EXTM3U\n#EXTINF:-1,Channel 0\nhttp://c.example/0\n");
        window.server.SetContentType(QStringLiteral("list.m3u"), "audio/x-mpegurl");
        QString question;
        QString summary;
        QString failure;
        const auto noFailure = AnswerMessage(QStringLiteral("PlaylistFailure"), failure);
        const auto manage = std::make_unique<Answer>(QStringLiteral("PlaylistsDialog"), [&](QWidget* dialog) {
            auto* table = dialog->findChild<QTreeWidget*>(QStringLiteral("PlaylistTable"));
            table->setCurrentItem(table->topLevelItem(0));
            for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
                const Answer ask(QStringLiteral("ReplacePlaylistQuestion"), [&question, button](QWidget* box) {
                    question = static_cast<QMessageBox*>(box)->text();
                    static_cast<QMessageBox*>(box)->button(button)->click();
                });
                const auto done = AnswerMessage(QStringLiteral("PlaylistSummary"), summary);
                dialog->findChild<QPushButton*>(QStringLiteral("RefreshButton"))->click();
                QVERIFY(ask.Answered());
                QCOMPARE(done->Answered(), button == QMessageBox::Yes);
                QCOMPARE(table->topLevelItem(0)->text(2),
                         button == QMessageBox::Yes ? QStringLiteral("1") : QStringLiteral("12"));
            }
            static_cast<QDialog*>(dialog)->reject();
        });
        window.form->findChild<QAction*>(QStringLiteral("ManagePlaylistsAction"))->trigger();
        QVERIFY(manage->Answered());
        QVERIFY(!noFailure->Answered());
        QCOMPARE(question,
                 QStringLiteral("The new reading of \u201CHotel\u201D has 1 channel where the playlist had 12.\n\n"
                                "The playlist keeps its 12 channels.\n\n"
                                "Replace its channels with the new reading all the same?"));
        QCOMPARE(summary, QStringLiteral("Imported 1 channel from \u201CHotel\u201D.\nTV Stations: 1."));
        QCOMPARE(Captions(*window.form, 1).size(), 2 + 1);
    }

    void quietRefreshOfOldAddressPlaylists()
    {
        Window window;
        const std::string address = window.server.Url(QStringLiteral("list.m3u")).toString().toStdString();
        // Read two days ago with one channel; the server has two now. A second, failing one keeps its channel.
        PlaylistStore store = window.Store();
        store.Add("Old", address, {TvChannel("Erste", "Germany", "http://erste.example/live.m3u8")},
                  window.fixture.context.StreamPassphrase, 1);
        store.Add("Failing", window.server.Url(QStringLiteral("gone.m3u")).toString().toStdString(),
                  {TvChannel("Kept", "Spain", "http://kept.example/live")}, window.fixture.context.StreamPassphrase, 1);
        store.Add("File", "/nowhere/list.m3u", {TvChannel("Local", "Italy", "http://local.example/")},
                  window.fixture.context.StreamPassphrase, 1);
        window.form->LoadChannelLists();
        QVERIFY(!Captions(*window.form, 2).contains(Own(" Austria - Welle")));
        window.form->RefreshOldPlaylists();
        QTRY_VERIFY_WITH_TIMEOUT(!window.form->RefreshingPlaylists(), test::Limit(5000));
        QVERIFY(Captions(*window.form, 2).contains(Own(" Austria - Welle")));
        QVERIFY(Captions(*window.form, 1).contains(Own(" Spain - Kept")));
        QVERIFY(Captions(*window.form, 1).contains(Own(" Italy - Local")));
        const std::vector<PlaylistInfo> listed = window.Store().Playlists();
        QVERIFY(listed[0].updated > 1);
        QCOMPARE(listed[1].updated, std::int64_t{1});
        QCOMPARE(listed[2].updated, std::int64_t{1}); // files are read again only on Refresh
        QCOMPARE(window.server.RequestCount(QStringLiteral("list.m3u")), 1);
        // Closing the window while a refresh waits for its server stops it.
        {
            Window closing;
            closing.server.Stall(QStringLiteral("list.m3u"));
            closing.Store().Add("Stalled", closing.server.Url(QStringLiteral("list.m3u")).toString().toStdString(),
                                {TvChannel("Erste", "Germany", "http://erste.example/live.m3u8")},
                                closing.fixture.context.StreamPassphrase, 1);
            closing.form->RefreshOldPlaylists();
            QTRY_COMPARE_WITH_TIMEOUT(closing.server.RequestCount(QStringLiteral("list.m3u")), 1, test::Limit(5000));
            QVERIFY(closing.form->RefreshingPlaylists());
            closing.form.reset();
        }
        qputenv("XDG_DATA_HOME", window.fixture.dir.filePath(QStringLiteral("xdg-data")).toLocal8Bit());
        // Read a moment ago: nothing to do.
        window.form->RefreshOldPlaylists();
        QTRY_VERIFY_WITH_TIMEOUT(!window.form->RefreshingPlaylists(), test::Limit(5000));
        QCOMPARE(window.server.RequestCount(QStringLiteral("list.m3u")), 1);
    }
};

QTEST_MAIN(TestPlaylistsWindow)
#include "test_playlists_window.moc"
