#pragma once
// Which channel the player goes to from the one that plays, without a window: the neighbours of a
// channel in the rows of the list it was played from (channel up and down, wrapping around at
// either end), and the channel played before it (back to the last channel).

#include "channels/ui/channel_tab.h"

#include <QString>
#include <optional>
#include <vector>

namespace zentavo {

// A channel as a list shows it.
struct StepRow {
    QString id;
    QString name;
};

// A channel that played, and the list it was played from (none when it came from elsewhere).
struct PlayedChannel {
    QString id;
    QString name;
    std::optional<ChannelTab> tab;
};

class ChannelSteps {
public:
    // A channel began to play. The one that played before becomes the last channel, unless it is
    // the same channel again.
    void Played(const PlayedChannel& channel);
    // Nothing plays any more; the channel that played stays the last channel.
    void Stopped();

    // Whether a channel of a list plays: only then do channel up and down have a list to go by.
    bool CanStep() const { return playing_ && current_ && current_->tab; }
    // The channel that plays, or played last before a stop.
    const std::optional<PlayedChannel>& Current() const { return current_; }
    // Where "back to the last channel" goes: the channel before the one that plays, or, after a
    // stop, the channel that stopped.
    std::optional<PlayedChannel> Last() const;

    // The row `step` places after the one with that id (negative: before it), wrapping around. A
    // channel that the rows no longer show steps from outside them: forward to the first row,
    // back to the last. None when there are no rows.
    static std::optional<StepRow> Neighbour(const std::vector<StepRow>& rows, const QString& id, int step);

private:
    std::optional<PlayedChannel> current_;
    std::optional<PlayedChannel> previous_;
    bool playing_ = false;
};

} // namespace zentavo
