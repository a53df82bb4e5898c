#include "guide_write_pipeline.h"

#include "guide_writer.h"

namespace zentavo {
namespace {

constexpr std::size_t kRowsPerBatch = 4096;
// Batches waiting at most: a few MB of rows.
constexpr std::size_t kBatchesQueued = 4;

} // namespace

GuideWritePipeline::GuideWritePipeline(GuideWriter& writer) : writer_(writer)
{
    filling_.reserve(kRowsPerBatch);
    thread_ = std::thread([this] { Write(); });
}

GuideWritePipeline::~GuideWritePipeline()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void GuideWritePipeline::PutChannel(std::int64_t row, GuideChannel channel)
{
    Push(Row{row, std::move(channel)});
}

void GuideWritePipeline::AddProgramme(std::int64_t channelRow, GuideProgramme programme)
{
    Push(Row{channelRow, std::move(programme)});
}

void GuideWritePipeline::Push(Row row)
{
    filling_.push_back(std::move(row));
    if (filling_.size() >= kRowsPerBatch)
        Send();
}

void GuideWritePipeline::Send()
{
    if (filling_.empty())
        return;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kBatchesQueued || failure_; });
        RethrowFailure();
        queue_.push_back(std::move(filling_));
    }
    changed_.notify_all();
    filling_ = Batch();
    filling_.reserve(kRowsPerBatch);
}

void GuideWritePipeline::Drain()
{
    Send();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || failure_; });
    RethrowFailure();
}

void GuideWritePipeline::RethrowFailure()
{
    if (failure_)
        std::rethrow_exception(failure_);
}

void GuideWritePipeline::Write()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            if (stopping_)
                return;
            batch = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
        }
        changed_.notify_all();
        try {
            for (Row& row : batch) {
                if (auto* channel = std::get_if<GuideChannel>(&row.content))
                    writer_.PutChannel(row.channelRow, *channel);
                else
                    writer_.AddProgramme(row.channelRow, std::get<GuideProgramme>(row.content));
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            busy_ = false;
        }
        changed_.notify_all();
        if (failure_)
            return;
    }
}

} // namespace zentavo
