#include "gateway_session.h"

#include "player/contract/host_names.h"
#include "player/gateway/gateway_error.h"
#include "player/gateway/media_pipeline.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <pthread.h>

#include <cstdlib>
#include <mutex>

namespace zentavo {
namespace {

void PrepareFfmpeg()
{
    static std::once_flag once;
    std::call_once(once, [] {
        avformat_network_init();
        av_log_set_level(std::getenv("ZENTAVO_GATEWAY_LOG") ? AV_LOG_INFO : AV_LOG_FATAL);
    });
}

} // namespace

GatewaySession::GatewaySession(std::string address, std::shared_ptr<StreamBuffer> output,
                               std::chrono::milliseconds networkTimeout, RequestHeaders headers,
                               std::chrono::milliseconds playingLead, int audioTrack, SourceReach reach)
    : address_(std::move(address)), headers_(std::move(headers)), reach_(reach), output_(std::move(output)),
      timeout_(networkTimeout), lead_(playingLead), audioTrack_(audioTrack)
{
    PrepareFfmpeg();
    worker_ = std::thread([this] { Run(); });
}

GatewaySession::~GatewaySession()
{
    RequestStop();
    if (worker_.joinable())
        worker_.join();
}

void GatewaySession::RequestStop()
{
    stop_ = true;
    output_->Close();
}

bool GatewaySession::WaitUntilEnded(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    return endedChanged_.wait_for(lock, wait, [this] { return ended_; });
}

void GatewaySession::EndSoon(std::unique_ptr<GatewaySession> session)
{
    if (!session)
        return;
    session->RequestStop();
    if (session->WaitUntilEnded(kEndWait))
        return; // the destructor joins a worker that has ended
    std::thread([ending = std::move(session)]() mutable { ending.reset(); }).detach();
}

std::string GatewaySession::FailureKind() const
{
    const std::lock_guard lock(mutex_);
    return failureKind_;
}

QString GatewaySession::Title() const
{
    const std::lock_guard lock(mutex_);
    return title_;
}

std::optional<SourceFacts> GatewaySession::Facts() const
{
    const std::lock_guard lock(mutex_);
    return facts_;
}

void GatewaySession::SetTitleListener(std::function<void()> listener)
{
    const std::lock_guard lock(mutex_);
    titleListener_ = std::move(listener);
}

void GatewaySession::Run()
{
    pthread_setname_np(pthread_self(), kThreadName);
    std::string kind;
    std::string words;
    try {
        MediaPipeline pipeline(
            address_, *output_, stop_, timeout_, lead_,
            [this](const QString& title) {
                std::function<void()> listener;
                {
                    const std::lock_guard lock(mutex_);
                    title_ = title;
                    listener = titleListener_;
                }
                if (listener)
                    listener();
            },
            [this](const SourceFacts& facts) {
                const std::lock_guard lock(mutex_);
                facts_ = facts;
            },
            headers_, audioTrack_, reach_);
        pipeline.Run();
    } catch (const GatewayError& error) {
        kind = error.Kind();
        words = error.what();
    } catch (const std::exception& error) {
        kind = failure_kinds::kError;
        words = std::string("Cannot play this stream: ") + error.what();
    }
    {
        const std::lock_guard lock(mutex_);
        failureKind_ = kind;
    }
    // The pipeline is gone (every connection closed) before the reader hears of the end.
    output_->Finish(words);
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    endedChanged_.notify_all();
}

} // namespace zentavo
