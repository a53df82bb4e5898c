#pragma once
// A player page on a real view, playing test channels as the main window does: the player's
// profile (with MediaWatchScript), a page shown in a view, and ChannelPlayback over a catalogue of
// the test's own, writing into a scratch folder of the test's own.

#include "channels/app_context.h"
#include "player/channel_playback.h"
#include "player/scratch_folder.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class QWebEngineView;

namespace zentavo {
class PlayerPage;
class PlayerProfile;
} // namespace zentavo

namespace zentavo::test {

class PlayerPageFixture {
public:
    // Plays the channels of that catalogue (a file that WriteTestCatalogue wrote, for example).
    explicit PlayerPageFixture(const QString& cataloguePath);
    ~PlayerPageFixture();
    PlayerPageFixture(const PlayerPageFixture&) = delete;
    PlayerPageFixture& operator=(const PlayerPageFixture&) = delete;

    PlayerProfile& Profile() { return *profile_; }
    // A new page in a shown view (the one before goes); its alerts are only signalled.
    PlayerPage& Open();
    // The page and its view go, as when the window moves on or closes.
    void Close();

    // Writes the page of that channel, as the channel list's "Original size" or "Fit to window"
    // asks, and sends the open page there. Throws what ChannelPlayback throws.
    void Play(const char* id, bool originalSize = true);
    // Writes the page of that channel only.
    ChannelPlay Prepare(const char* id, bool originalSize = true);

private:
    QTemporaryDir programFolder_;
    AppContext context_;
    ScratchFolder scratch_;
    ChannelPlayback playback_;
    std::unique_ptr<PlayerProfile> profile_;
    std::unique_ptr<PlayerPage> page_;
    std::unique_ptr<QWebEngineView> view_;
};

} // namespace zentavo::test
