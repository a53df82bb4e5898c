#pragma once
// The title of what a source plays now, as FFmpeg reads it: the latest ICY metadata block of an
// Icecast or Shoutcast server, else a title in the container's metadata (see stream_title.h for
// how each is read and what is left out).

#include <QString>

#include <chrono>
#include <functional>
#include <vector>

struct AVFormatContext;

namespace zentavo {

// The title now; `played` tells which of the source's streams play (their own titles count).
QString SourceTitle(AVFormatContext* source, const std::vector<bool>& played);

// Looks for a new title at most once a second, as packets come in, and tells the listener when it
// changed.
class SourceTitlePoll {
public:
    using Listener = std::function<void(const QString&)>;

    explicit SourceTitlePoll(Listener changed) : changed_(std::move(changed)) {}
    void Poll(AVFormatContext* source, const std::vector<bool>& played);

private:
    const Listener changed_;
    QString title_;
    std::chrono::steady_clock::time_point next_{};
};

} // namespace zentavo
