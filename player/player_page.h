#pragma once
// The page shown in WebBrowser1: no windows of its own, no navigation to local files or foreign
// schemes, no permissions, no history of the pages it has left; reports the page's alerts and its
// full-screen wishes, the room its picture needs, the player's words, the sound tracks of what plays
// and the start page's requests for a channel list as signals.

#include "player/audio_tracks.h"
#include "player/contract/host_names.h"

#include <QSize>
#include <QWebEnginePage>

namespace zentavo {

class PlayerPage : public QWebEnginePage {
    Q_OBJECT
public:
    enum class AlertDisplay {
        Dialog, // alerts reach the user through the normal dialog (and the signal)
        SignalOnly, // alerts only raise AlertShown; for tests and unattended runs
    };

    // What the injected player objects log (console.info) to ask the window for full screen.
    static constexpr const char* kFullScreenOnMarker = host_names::kFullScreenOnMarker;
    static constexpr const char* kFullScreenOffMarker = host_names::kFullScreenOffMarker;
    // The largest room a page may ask for, in either direction (larger asks are ignored).
    static constexpr int kLargestPictureRoom = 16384;

    static constexpr qsizetype kLongestStatus = 400;

    explicit PlayerPage(QWebEngineProfile* profile, QObject* parent = nullptr,
                        AlertDisplay alertDisplay = AlertDisplay::Dialog);

public slots:
    // Loads the page again and everything on it, bypassing every cache (the webcam refresh).
    void RefreshPage();

signals:
    void AlertShown(const QString& message);
    void FullScreenRequested(bool on);
    // The page draws a picture at its own size when it gets this much room (CSS pixels).
    void PictureRoomWanted(QSize room);
    // The player's words changed ("Playing", "Buffering", an error, "Playing: " and the title): plain
    // text, at most kLongestStatus characters.
    void StatusSaid(const QString& words);
    // A key chip of the start page asks for the channel list on that tab (0 TV, 1 Radio, 2 Webcams,
    // 3 My Favorites, as kChannelTabNames).
    void ChannelListRequested(int tab);
    // The sound tracks of what the page plays changed (see ReadAudioTracks).
    void AudioTracksSaid(const zentavo::AudioTracks& tracks);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;

private:
    AlertDisplay alertDisplay_;
};

} // namespace zentavo
