#pragma once
// Hands the rows of a reading to a GuideWriter on a thread of its own, so that parsing the guide
// and writing the database go on at the same time. Rows travel in batches through a short queue:
// when the writer falls behind, the reading waits, so memory stays bounded whatever the guide's size.

#include "guide_types.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

namespace zentavo {

class GuideWriter;

class GuideWritePipeline {
public:
    explicit GuideWritePipeline(GuideWriter& writer);
    // Stops the thread; rows not yet written are dropped (a reading that failed or was cancelled).
    ~GuideWritePipeline();
    GuideWritePipeline(const GuideWritePipeline&) = delete;
    GuideWritePipeline& operator=(const GuideWritePipeline&) = delete;

    // The channel under that row, names and all; given again, it replaces the earlier one.
    void PutChannel(std::int64_t row, GuideChannel channel);
    void AddProgramme(std::int64_t channelRow, GuideProgramme programme);
    // Waits until every row given is written; then the writer is the caller's again. Throws what
    // the writer threw.
    void Drain();

private:
    struct Row {
        std::int64_t channelRow;
        std::variant<GuideChannel, GuideProgramme> content;
    };
    using Batch = std::vector<Row>;

    void Push(Row row);
    void Send();
    void Write();
    void RethrowFailure();

    GuideWriter& writer_;
    Batch filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> queue_;
    bool busy_ = false; // the thread is writing a batch
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace zentavo
