#pragma once
// Plays test channels on a page as the main window does: through the player's ChannelPlayback,
// over a catalogue of the test's own, into a scratch folder of the test's own.

#include "channels/app_context.h"
#include "player/channel_playback.h"
#include "player/scratch_folder.h"

#include <QString>
#include <QTemporaryDir>

class QWebEnginePage;

namespace zentavo {
class PlayerProfile;
}

namespace zentavo::test {

class PagePlays {
public:
    // Plays the channels of that catalogue (a file that WriteTestCatalogue wrote, for example).
    explicit PagePlays(const QString& cataloguePath);
    PagePlays(const PagePlays&) = delete;
    PagePlays& operator=(const PagePlays&) = delete;

    // Writes the page of that channel, as the channel list's "Original size" or "Fit to window"
    // asks, and sends the page there. Throws what ChannelPlayback throws.
    void Play(QWebEnginePage& page, PlayerProfile& profile, const char* id, bool originalSize = true);
    // Writes the page of that channel only.
    ChannelPlay Prepare(const char* id, bool originalSize = true);
    ScratchFolder& Scratch() { return scratch_; }

private:
    QTemporaryDir programFolder_;
    AppContext context_;
    ScratchFolder scratch_;
    ChannelPlayback playback_;
};

} // namespace zentavo::test
