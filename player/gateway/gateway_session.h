#pragma once
// One play through the gateway: a worker thread opens the address with FFmpeg, copies or transcodes
// its sound and picture into MPEG-TS (H.264 and AAC or MP3, what the page's media engine plays) and
// writes it into a bounded buffer. Every network step has a time limit; destroying the session stops
// the worker and closes every connection and file it opened before the destructor returns.

#include "player/gateway/source_facts.h"
#include "player/gateway/source_reach.h"
#include "player/gateway/stream_buffer.h"
#include "text/request_headers.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zentavo {

class GatewaySession {
public:
    static constexpr std::chrono::seconds kNetworkTimeout{15};
    static constexpr size_t kBufferBytes = 1024 * 1024; // about 2 s at 4 Mbit/s
    // How far the output of a file or an on-demand stream may run ahead of playing: the page starts
    // at once with this much and never waits on the gateway, which transcodes no more than plays.
    static constexpr std::chrono::milliseconds kPlayingLead{4000};
    // The name of the worker thread, and so of the threads FFmpeg starts from it (threads inherit it).
    static constexpr const char* kThreadName = "zentavo-gateway";

    // The stream goes into output; when it ends, output is finished, with the words of the failure
    // if it failed (see GatewayError). Every request for the address sends the headers;
    // playingLead: see kPlayingLead; audioTrack: which of the source's sound streams plays (see
    // ChooseAudioStream; -1: FFmpeg's pick); reach: where the source and what it names may be.
    GatewaySession(std::string address, std::shared_ptr<StreamBuffer> output,
                   std::chrono::milliseconds networkTimeout = kNetworkTimeout, RequestHeaders headers = {},
                   std::chrono::milliseconds playingLead = kPlayingLead, int audioTrack = -1,
                   SourceReach reach = SourceReach::Anywhere);
    ~GatewaySession();

    GatewaySession(const GatewaySession&) = delete;
    GatewaySession& operator=(const GatewaySession&) = delete;

    // The kind of the failure that ended the stream ("timeout", "refused", ...); empty while it plays
    // or when it ended without one.
    std::string FailureKind() const;
    // The title of what plays now (an ICY StreamTitle or the container's title); empty when none.
    QString Title() const;
    // What the source is and what the gateway does with it; none until the source is open.
    std::optional<SourceFacts> Facts() const;
    // Called on the worker's thread whenever the title changes.
    void SetTitleListener(std::function<void()> listener);

    // Ends a session without holding up the caller (the window's thread) for more than a moment:
    // the worker is told to stop, and when it has not ended within kEndWait (a host name lookup
    // cannot be interrupted), the rest of the ending waits on a thread of its own.
    static void EndSoon(std::unique_ptr<GatewaySession> session);
    static constexpr std::chrono::milliseconds kEndWait{250};

private:
    void Run();
    void RequestStop();
    bool WaitUntilEnded(std::chrono::milliseconds wait);

    const std::string address_;
    const RequestHeaders headers_;
    const SourceReach reach_;
    const std::shared_ptr<StreamBuffer> output_;
    const std::chrono::milliseconds timeout_;
    const std::chrono::milliseconds lead_;
    const int audioTrack_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string failureKind_;
    QString title_;
    std::optional<SourceFacts> facts_;
    std::function<void()> titleListener_;
    bool ended_ = false;
    std::condition_variable endedChanged_;
    std::thread worker_;
};

} // namespace zentavo
