#include "channel_steps.h"

#include <algorithm>

namespace zentavo {

void ChannelSteps::Played(const PlayedChannel& channel)
{
    if (current_ && current_->id != channel.id)
        previous_ = current_;
    current_ = channel;
    playing_ = true;
}

void ChannelSteps::Stopped()
{
    playing_ = false;
}

std::optional<PlayedChannel> ChannelSteps::Last() const
{
    return playing_ ? previous_ : current_;
}

std::optional<StepRow> ChannelSteps::Neighbour(const std::vector<StepRow>& rows, const QString& id, int step)
{
    if (rows.empty())
        return std::nullopt;
    const auto count = static_cast<long long>(rows.size());
    const auto found = std::find_if(rows.begin(), rows.end(), [&id](const StepRow& row) { return row.id == id; });
    long long index = 0;
    if (found != rows.end())
        index = (static_cast<long long>(found - rows.begin()) + step) % count;
    else
        index = step > 0 ? (step - 1) % count : step % count;
    if (index < 0)
        index += count;
    return rows[static_cast<std::size_t>(index)];
}

} // namespace zentavo
