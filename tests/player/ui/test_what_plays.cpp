// The two dialogs that tell what plays, opened from their menu items and read where the user reads
// them: Stream information for a film the web engine plays itself, an MPEG-TS stream that mpegts.js
// plays, and streams that play through the media gateway (copied, transcoded), all served on
// 127.0.0.1; Recent titles for a radio whose title changes (an Icecast server started here).
#include "shell_fixture.h"

#include "tests/support/icecast_server.h"
#include "tests/support/media_server.h"
#include "tests/support/test_media.h"
#include "tests/support/waits.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <memory>

using namespace zentavo;

namespace {

constexpr const char* kAvi = "video.avi"; // H.264 + MP3 in AVI: a container only the gateway opens

// Triggers the menu item and returns the text of the modal dialog it opens, closing it.
QString ReadDialog(ShellFixture& f, const char* item, const char* dialogName, const char* fieldName)
{
    QString text;
    bool seen = false;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, f.form.get(), [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(dialogName))
            return;
        text = dialog->findChild<QPlainTextEdit*>(QLatin1String(fieldName))->toPlainText();
        seen = true;
        dialog->reject();
    });
    reader.start(20);
    f.form->findChild<QAction*>(QLatin1String(item))->trigger();
    // Stream information asks the page first: its dialog comes a moment after the trigger.
    if (!QTest::qWaitFor([&] { return seen; }, test::Limit(10000)))
        return QStringLiteral("(no %1 opened)").arg(QLatin1String(dialogName));
    return text;
}

// The value of one "Name: value" line of the stream information.
QString Field(const QString& text, const QString& name)
{
    const QRegularExpression line(QStringLiteral("^") + QRegularExpression::escape(name) + QStringLiteral(":\\s+(.*)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1);
}

// What the player says on the browser area (its accessible description): "Playing" once it plays.
QString PlayerWords(ShellFixture& f)
{
    return f.form->findChild<QWebEngineView*>(QStringLiteral("WebBrowser1"))->accessibleDescription();
}

} // namespace

class WhatPlaysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(media_.isValid());
        try {
            test::TestMedia::Generate(media_.path());
            test::RunFfmpeg(media_.path(),
                            {QStringLiteral("-i"), QLatin1String(test::TestMedia::kMp4), QStringLiteral("-c:v"),
                             QStringLiteral("copy"), QStringLiteral("-bsf:v"), QStringLiteral("h264_mp4toannexb"),
                             QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QLatin1String(kAvi)});
            server_ = std::make_unique<test::MediaServer>(media_.path());
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

    void init()
    {
        f_ = std::make_unique<ShellFixture>();
        f_->ShowAndActivate();
    }
    void cleanup() { f_.reset(); }

    void nothingPlaysOnTheStartPage()
    {
        const QString text = ReadDialog(*f_, "StreamInformation1", "StreamInformationDialog", "StreamInformationText");
        QCOMPARE(text, QStringLiteral("Nothing plays now.\n"));
    }

    void aWebcamIsAPicture()
    {
        f_->AddChannel(5, "webcam", 2, server_->Url(QLatin1String(test::TestMedia::kJpeg)).toString());
        f_->Play(QStringLiteral("5"), QStringLiteral("Cam"));
        QCOMPARE(ReadDialog(*f_, "StreamInformation1", "StreamInformationDialog", "StreamInformationText"),
                 QStringLiteral("A webcam picture, refreshed every 30 seconds.\n"));
    }

    void streamInformationTellsWhatPlays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("videoCodec"); // a pattern; empty: must say unknown
        QTest::addColumn<QString>("audioCodec");
        QTest::addColumn<bool>("knowsSound"); // channels and sample rate known
        QTest::addColumn<QString>("gateway");
        QTest::newRow("MP4, the engine's own player")
            << QString::fromLatin1(test::TestMedia::kMp4)
            << QStringLiteral("HTTP address, played by the web engine's own player") << QStringLiteral("MP4")
            << QString() << QString() << false << QStringLiteral("not used");
        QTest::newRow("MPEG-TS, mpegts.js")
            << QString::fromLatin1(test::TestMedia::kMpegTs)
            << QStringLiteral("HTTP address, live stream, played by mpegts.js") << QStringLiteral("MPEG-TS")
            << QStringLiteral("^avc1") << QStringLiteral("^mp4a") << true << QStringLiteral("not used");
        QTest::newRow("AVI through the gateway, copied")
            << QString::fromLatin1(kAvi) << QStringLiteral("HTTP address, played through the media gateway (FFmpeg)")
            << QStringLiteral("AVI (Audio Video Interleaved)") << QStringLiteral("^h264$") << QStringLiteral("^mp3")
            << true << QStringLiteral("copies the video, copies the sound");
        QTest::newRow("Windows Media through the gateway, transcoded")
            << QString::fromLatin1(test::TestMedia::kWmv)
            << QStringLiteral("HTTP address, played through the media gateway (FFmpeg)")
            << QStringLiteral("ASF (Advanced / Active Streaming Format)") << QStringLiteral("^wmv2$")
            << QStringLiteral("^wmav2$") << true
            << QStringLiteral("transcodes the video to H.264, transcodes the sound to AAC");
    }

    void streamInformationTellsWhatPlays()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QString, container);
        QFETCH(QString, videoCodec);
        QFETCH(QString, audioCodec);
        QFETCH(bool, knowsSound);
        QFETCH(QString, gateway);
        f_->AddChannel(5, "tv", 0, server_->Url(file).toString());
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QTRY_COMPARE_WITH_TIMEOUT(PlayerWords(*f_), QStringLiteral("Playing"), test::Limit(30000));
        // The libraries tell the codecs once their first segments are through: asked again until they do.
        QString text;
        const auto complete = [&] {
            text = ReadDialog(*f_, "StreamInformation1", "StreamInformationDialog", "StreamInformationText");
            return videoCodec.isEmpty() || Field(text, QStringLiteral("Frame rate")) != QLatin1String("unknown");
        };
        QVERIFY2(QTest::qWaitFor(complete, test::Limit(20000)), qPrintable(text));
        QCOMPARE(Field(text, QStringLiteral("Address kind")), kind);
        QCOMPARE(Field(text, QStringLiteral("Container")), container);
        QCOMPARE(Field(text, QStringLiteral("Video size")), QStringLiteral("320 x 240"));
        QCOMPARE(Field(text, QStringLiteral("Gateway")), gateway);
        if (videoCodec.isEmpty()) {
            // What the engine's own player does not tell is said to be unknown, not guessed.
            QCOMPARE(Field(text, QStringLiteral("Video codec")), QStringLiteral("unknown"));
            QCOMPARE(Field(text, QStringLiteral("Audio codec")), QStringLiteral("unknown"));
        } else {
            QVERIFY2(Field(text, QStringLiteral("Video codec")).contains(QRegularExpression(videoCodec)),
                     qPrintable(text));
            QVERIFY2(Field(text, QStringLiteral("Audio codec")).contains(QRegularExpression(audioCodec)),
                     qPrintable(text));
            QCOMPARE(Field(text, QStringLiteral("Frame rate")), QStringLiteral("25 frames a second"));
        }
        if (knowsSound) {
            QVERIFY2(Field(text, QStringLiteral("Audio channels")).toInt() >= 1, qPrintable(text));
            QVERIFY2(Field(text, QStringLiteral("Sample rate")).endsWith(QLatin1String(" Hz")), qPrintable(text));
        }
    }

    void recentTitlesListTheTitlesHeardWithTheirTimes()
    {
        QCOMPARE(ReadDialog(*f_, "RecentTitles1", "RecentTitlesDialog", "RecentTitlesText"),
                 QStringLiteral("No stream has named what it plays since the player started.\n"));
        std::unique_ptr<test::SharedFolder> folder;
        std::unique_ptr<test::IcecastServer> icecast;
        std::unique_ptr<test::ServerProcess> source;
        try {
            folder = std::make_unique<test::SharedFolder>();
            icecast = std::make_unique<test::IcecastServer>(*folder);
            source = icecast->StartToneSource(QStringLiteral("/radio"), QStringLiteral("mp3"));
            icecast->WaitForMount(QStringLiteral("/radio"));
            icecast->SetTitle(QStringLiteral("/radio"), QStringLiteral("Nina Simone - Feeling Good"));
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        f_->AddChannel(5, "radio", 0, icecast->Url(QStringLiteral("/radio")));
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QTRY_VERIFY_WITH_TIMEOUT(f_->form->HeardTitles().Titles().size() == 1, test::Limit(20000));
        try {
            icecast->SetTitle(QStringLiteral("/radio"), QStringLiteral("Miles Davis - So What"));
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        QTRY_VERIFY_WITH_TIMEOUT(f_->form->HeardTitles().Titles().size() == 2, test::Limit(20000));
        // Stopped and played again: the same song is not heard twice.
        f_->form->btn_stopClick();
        f_->Play(QStringLiteral("5"), QStringLiteral("Channel 5"));
        QTRY_COMPARE_WITH_TIMEOUT(PlayerWords(*f_), QStringLiteral("Playing: Miles Davis - So What"),
                                  test::Limit(20000));

        const QStringList lines = ReadDialog(*f_, "RecentTitles1", "RecentTitlesDialog", "RecentTitlesText")
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QRegularExpression timed(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  (.*)$"));
        QCOMPARE(timed.match(lines[0]).captured(1), QStringLiteral("Nina Simone - Feeling Good"));
        QCOMPARE(timed.match(lines[1]).captured(1), QStringLiteral("Miles Davis - So What"));
    }

private:
    QTemporaryDir media_;
    std::unique_ptr<test::MediaServer> server_;
    std::unique_ptr<ShellFixture> f_;
};

int main(int argc, char** argv)
{
    WhatPlaysTest test;
    return RunShellTest(test, argc, argv);
}

#include "test_what_plays.moc"
