#pragma once
// The stored option in an INI file of the user's config folder ($XDG_CONFIG_HOME/zentavo/player.ini),
// key "channel-start" in the group Software/Zentavo; beside it, in the same group, what the player
// remembers between runs (volume, muted, window-geometry, window-maximized, last-channel-id,
// last-channel-name, last-channel-tab) and the option play-last-channel. All values are strings.

#include "player/ui/option_store.h"

#include <QString>
#include <stdexcept>

namespace zentavo {

// The settings store's errors ("Failed to create key %s", "Invalid data type for '%s'",
// "Failed to set data for '%s'").
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SettingsStore : public OptionStore {
public:
    static constexpr const char* kGroup = "Software/Zentavo";
    static constexpr const char* kChannelStart = "channel-start";
    static constexpr const char* kPlayLastChannel = "play-last-channel";

    // The file in the user's config folder.
    static QString DefaultFilePath();

    explicit SettingsStore(QString filePath = DefaultFilePath());

    const QString& FilePath() const { return filePath_; }

    void CreateKey() override;
    QString ReadChannelStart() override;
    void WriteChannelStart(bool on) override;
    RememberedState ReadRemembered() override;
    bool WriteRemembered(const RememberedState& state) override;
    bool ReadPlayLastChannel() override;
    void WritePlayLastChannel(bool on) override;

private:
    QString filePath_;
};

} // namespace zentavo
