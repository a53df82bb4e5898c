#pragma once
// Where the stored option (open the channel list window at start-up) lives between runs, and
// beside it what the player remembers: volume, mute, the window's place and the last channel.
// The main window reads and writes them through this interface; the application supplies the store.

#include <QRect>
#include <QString>
#include <optional>

namespace zentavo {

// What the player remembers from one run to the next; a value that is missing or unreadable is none.
struct RememberedState {
    std::optional<int> volume; // the volume slider, 0 to 100
    std::optional<bool> muted;
    std::optional<QRect> geometry; // the window's normal geometry (without its frame)
    bool maximized = false;
    QString lastChannelId; // empty when no channel played yet
    QString lastChannelName;
    std::optional<int> lastChannelTab; // the list it was played from (ChannelTab)
};

class OptionStore {
public:
    virtual ~OptionStore() = default;

    // Creates the settings key when it is missing. Throws "Failed to create key %s".
    virtual void CreateKey() = 0;
    // The text stored under "channel-start"; empty when missing.
    // Throws "Invalid data type for 'channel-start'" when the value is not a string.
    virtual QString ReadChannelStart() = 0;
    // Creates the key when missing, then stores "1" or "0". Throws "Failed to create key %s"
    // or "Failed to set data for 'channel-start'".
    virtual void WriteChannelStart(bool on) = 0;

    // The remembered state; never throws (what cannot be read is none). A store without a place
    // for it remembers nothing.
    virtual RememberedState ReadRemembered() { return {}; }
    // Stores the remembered state; false when it could not be stored. Never throws.
    virtual bool WriteRemembered(const RememberedState&) { return false; }
    // "Play the last channel at start-up" (off when missing); never throws.
    virtual bool ReadPlayLastChannel() { return false; }
    // Throws "Failed to set data for 'play-last-channel'" when it cannot be stored.
    virtual void WritePlayLastChannel(bool) {}
};

} // namespace zentavo
