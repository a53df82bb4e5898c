#pragma once
// Hands the rows of a reading to a GuideWriter on a thread of its own, so that parsing the guide
// and writing the database go on at the same time. Rows travel in batches through a short queue:
// when the writer falls behind, the reading waits, so memory stays bounded whatever the guide's size.
// A batch holds its programmes' texts one after the other in one buffer, so that a programme costs
// no allocation on either thread, and buffers go back to the reading to be filled again.

#include "guide_types.h"
#include "guide_writer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zentavo {

class GuideWritePipeline {
public:
    explicit GuideWritePipeline(GuideWriter& writer);
    // Stops the thread; rows not yet written are dropped (a reading that failed or was cancelled).
    ~GuideWritePipeline();
    GuideWritePipeline(const GuideWritePipeline&) = delete;
    GuideWritePipeline& operator=(const GuideWritePipeline&) = delete;

    // The channel under that row, names and all; given again, it replaces the earlier one.
    void PutChannel(std::int64_t row, GuideChannel channel);
    // The texts are copied into the batch.
    void AddProgramme(std::int64_t channelRow, std::int64_t start, std::int64_t stop, const GuideProgrammeTexts& texts);
    // Waits until every row given is written; then the writer is the caller's again. Throws what
    // the writer threw.
    void Drain();

private:
    static constexpr int kTextCount = 5;
    struct ProgrammeRow {
        std::int64_t channelRow;
        std::int64_t start;
        std::int64_t stop;
        std::uint32_t
            ends[kTextCount]; // where each text ends in the batch's text; each begins where the one before ends
        std::uint32_t begin; // where the first text begins
    };
    struct Batch {
        std::vector<std::pair<std::int64_t, GuideChannel>> channels;
        std::vector<ProgrammeRow> programmes;
        std::string text;
        std::vector<GuideProgrammeRow> rows; // the programmes as the writer takes them, made on its thread
        bool Empty() const { return channels.empty() && programmes.empty(); }
        void Clear();
    };

    void SendIfFull();
    void Send();
    void Write();
    void WriteBatch(Batch& batch);
    void RethrowFailure();

    GuideWriter& writer_;
    Batch filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> queue_;
    std::vector<Batch> spare_; // written batches, their room kept for filling again
    bool busy_ = false; // the thread is writing a batch
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace zentavo
