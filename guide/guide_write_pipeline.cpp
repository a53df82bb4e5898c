#include "guide_write_pipeline.h"

#include "guide_writer.h"

namespace zentavo {
namespace {

constexpr std::size_t kRowsPerBatch = 4096;
// Text bytes a batch holds at most before it is sent (a programme's texts, at most some 20 kB,
// may take it a little past), so that guides with long descriptions keep batches small too.
constexpr std::size_t kTextPerBatch = 1 << 20;
// Batches waiting at most: a few MB of rows.
constexpr std::size_t kBatchesQueued = 4;

} // namespace

void GuideWritePipeline::Batch::Clear()
{
    channels.clear();
    programmes.clear();
    text.clear();
    rows.clear();
}

GuideWritePipeline::GuideWritePipeline(GuideWriter& writer) : writer_(writer)
{
    filling_.programmes.reserve(kRowsPerBatch);
    filling_.text.reserve(kTextPerBatch + kTextPerBatch / 8);
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
    filling_.channels.emplace_back(row, std::move(channel));
    SendIfFull();
}

void GuideWritePipeline::AddProgramme(std::int64_t channelRow, std::int64_t start, std::int64_t stop,
                                      const GuideProgrammeTexts& texts)
{
    std::string& text = filling_.text;
    ProgrammeRow row{channelRow, start, stop, {}, static_cast<std::uint32_t>(text.size())};
    int i = 0;
    for (const std::string_view part :
         {texts.title, texts.subTitle, texts.episode, texts.description, texts.category}) {
        text += part;
        row.ends[i++] = static_cast<std::uint32_t>(text.size());
    }
    filling_.programmes.push_back(row);
    SendIfFull();
}

void GuideWritePipeline::SendIfFull()
{
    if (filling_.programmes.size() + filling_.channels.size() >= kRowsPerBatch || filling_.text.size() >= kTextPerBatch)
        Send();
}

void GuideWritePipeline::Send()
{
    if (filling_.Empty())
        return;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kBatchesQueued || failure_; });
        RethrowFailure();
        queue_.push_back(std::move(filling_));
        filling_ = Batch();
        if (!spare_.empty()) {
            filling_ = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    changed_.notify_all();
    if (filling_.programmes.capacity() == 0) {
        filling_.programmes.reserve(kRowsPerBatch);
        filling_.text.reserve(kTextPerBatch + kTextPerBatch / 8);
    }
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

void GuideWritePipeline::WriteBatch(Batch& batch)
{
    for (const auto& [row, channel] : batch.channels)
        writer_.PutChannel(row, channel);
    const std::string_view text = batch.text;
    std::vector<GuideProgrammeRow>& rows = batch.rows;
    rows.clear();
    for (const ProgrammeRow& row : batch.programmes) {
        std::string_view parts[kTextCount];
        std::uint32_t begin = row.begin;
        for (int i = 0; i < kTextCount; ++i) {
            parts[i] = text.substr(begin, row.ends[i] - begin);
            begin = row.ends[i];
        }
        rows.push_back(GuideProgrammeRow{row.channelRow, row.start, row.stop,
                                         GuideProgrammeTexts{parts[0], parts[1], parts[2], parts[3], parts[4]}});
    }
    writer_.AddProgrammes(rows);
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
            WriteBatch(batch);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
        }
        batch.Clear();
        {
            const std::lock_guard lock(mutex_);
            busy_ = false;
            if (spare_.size() < kBatchesQueued)
                spare_.push_back(std::move(batch));
        }
        changed_.notify_all();
        if (failure_)
            return;
    }
}

} // namespace zentavo
