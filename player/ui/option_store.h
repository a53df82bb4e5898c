#pragma once
// Where the one stored option (open the channel list window at start-up) lives between runs.
// The main window reads and writes it through this interface; the application supplies the store.

#include <QString>

namespace zentavo {

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
};

} // namespace zentavo
