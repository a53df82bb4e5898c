#include "guide_reading.h"

#include "guide_error.h"
#include "guide_input.h"
#include "guide_matcher.h"
#include "guide_schema.h"
#include "guide_write_pipeline.h"
#include "guide_writer.h"
#include "sqlite_database.h"
#include "xmltv_reader.h"
#include "xmltv_time.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace zentavo {
namespace {

constexpr std::int64_t kDaysAhead = 14;
constexpr std::int64_t kSecondsPerDay = 86400;
// A programme without an end runs until the next one on its channel starts (the store cuts it
// there), and at most this long.
constexpr std::int64_t kLengthWithoutEnd = 4 * 3600;
// Progress is told after at least this many more bytes.
constexpr std::int64_t kProgressStep = 1 << 20;
// Channels of a guide held at most: far more than any real guide has (the largest name some tens of
// thousands), few enough that a hostile one cannot fill the memory.
constexpr std::size_t kMaxGuideChannels = 500'000;

struct Window {
    std::int64_t from; // yesterday 0:00, local time
    std::int64_t to; // 14 days after now
};

Window DaysKept(std::int64_t now)
{
    const QDate today = QDateTime::fromSecsSinceEpoch(now).date();
    const std::int64_t from = QDateTime(today.addDays(-1), QTime(0, 0)).toSecsSinceEpoch();
    return {from, now + kDaysAhead * kSecondsPerDay};
}

// The hand-chosen guide channels, whose programmes are kept whatever matching finds.
std::unordered_map<std::string, std::string> HandChoices(const std::filesystem::path& path)
{
    std::unordered_map<std::string, std::string> choices;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return choices;
    SqliteDatabase db(path, SqliteDatabase::Mode::ReadOnly);
    SqliteStatement query(db, "SELECT key, guide_id FROM choices");
    while (query.Step())
        choices.emplace(query.Text(0), query.Text(1));
    return choices;
}

std::string Count(long n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

class Reading {
public:
    Reading(const std::vector<GuideListChannel>& channels, const GuidePaths& paths, std::int64_t now)
        : channels_(channels), paths_(paths), now_(now), window_(DaysKept(now)), matcher_(channels),
          writer_(GuideWorkPath(paths.guide)), pipeline_(std::make_unique<GuideWritePipeline>(writer_))
    {
        for (const auto& [key, guideId] : HandChoices(paths.choices)) {
            chosenIds_.insert(guideId);
            choices_.emplace(key, guideId);
        }
        summary_.listChannels = static_cast<long>(channels.size());
    }

    void Read(const std::vector<GuideSource>& sources, const GuideProgress& progress)
    {
        std::vector<std::unique_ptr<GuideInput>> inputs;
        std::int64_t total = 0;
        std::vector<std::string> refusals;
        for (const GuideSource& source : sources) {
            try {
                inputs.push_back(source.file.empty() ? GuideInput::FromBytes(source.bytes)
                                                     : GuideInput::OpenFile(source.file));
                total += inputs.back()->RawBytesTotal();
            } catch (const GuideError& error) {
                inputs.push_back(nullptr);
                refusals.push_back(error.what());
            }
        }
        std::int64_t done = 0;
        std::int64_t told = -kProgressStep;
        for (size_t i = 0; i < sources.size(); ++i) {
            GuideInput* input = inputs[i].get();
            if (!input)
                continue;
            XmltvHandlers handlers;
            handlers.channel = [this](GuideChannel&& channel) { AddChannel(std::move(channel)); };
            handlers.wantsProgramme = [this](std::string_view channel) { return WantsProgramme(channel); };
            handlers.programme = [this](const XmltvProgramme& programme) { AddProgramme(programme); };
            handlers.keepGoing = [&] {
                const std::int64_t at = done + input->RawBytesRead();
                if (!progress || at - told < kProgressStep)
                    return true;
                told = at;
                return progress(at, total);
            };
            const XmltvReadResult result = ReadXmltv(*input, handlers);
            done += input->RawBytesTotal();
            const std::string& name = sources[i].name;
            switch (result.end) {
            case XmltvReadResult::End::Complete:
                break;
            case XmltvReadResult::End::Cancelled:
                throw GuideCancelled();
            case XmltvReadResult::End::Broken:
                summary_.warnings.push_back(
                    "The guide " + name + " is broken"
                    + (result.line > 0 ? " at line " + std::to_string(result.line) : std::string()) + " ("
                    + result.problem + "); what came before was read.");
                break;
            case XmltvReadResult::End::Refused:
                refusals.push_back("The guide " + name + " was not read: " + result.problem + ".");
                break;
            }
        }
        if (progress && !progress(total, total))
            throw GuideCancelled();
        for (const std::string& refusal : refusals)
            summary_.warnings.push_back(refusal);
        if (refusals.size() == sources.size()) {
            std::string message;
            for (const std::string& refusal : refusals)
                message += (message.empty() ? "" : "\n") + refusal;
            throw GuideError(message.empty() ? "No guide was given." : message);
        }
    }

    GuideReadSummary Finish()
    {
        pipeline_->Drain();
        pipeline_.reset();
        for (size_t i = 0; i < channels_.size(); ++i) {
            const GuideListChannel& channel = channels_[i];
            const std::optional<GuideMatcher::Match> best = matcher_.Best(i);
            writer_.SetListChannel(channel.key, best ? std::optional(best->row) : std::nullopt,
                                   best ? best->kind : GuideMatchKind::Id, channel.shiftHours);
            const auto choice = choices_.find(channel.key);
            if (choice != choices_.end() ? !choice->second.empty() && guideChannels_.contains(choice->second)
                                         : best.has_value())
                ++summary_.listChannelsMatched;
        }
        AddWarnings();
        if (summary_.listChannelsMatched == 0)
            throw GuideError(DescribeGuideSummary(summary_) + "\nThe guide you had is kept.");
        writer_.Finish(summary_, now_);
        InstallGuide(writer_.Path(), paths_.guide);
        return summary_;
    }

private:
    // Guide channel ids are looked up by the reader's views without a copy.
    struct IdHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>()(id); }
    };

    struct ChannelState {
        std::int64_t row = 0;
        std::vector<std::string> names;
        bool wanted = false;
        std::int64_t lastStart = 0;
        std::int64_t lastStop = 0;
    };

    ChannelState& ChannelOf(const std::string& id, const std::vector<std::string>& names)
    {
        auto found = guideChannels_.find(id);
        if (found == guideChannels_.end()) {
            ChannelState state;
            state.row = static_cast<std::int64_t>(guideChannels_.size()) + 1;
            state.names = names;
            pipeline_->PutChannel(state.row, GuideChannel{id, names});
            found = guideChannels_.emplace(id, std::move(state)).first;
        } else if (!names.empty()) {
            // A channel named again keeps every display name it was given.
            ChannelState& known = found->second;
            const size_t before = known.names.size();
            for (const std::string& name : names) {
                if (std::find(known.names.begin(), known.names.end(), name) == known.names.end())
                    known.names.push_back(name);
            }
            if (known.names.size() != before)
                pipeline_->PutChannel(known.row, GuideChannel{id, known.names});
        }
        ChannelState& state = found->second;
        // Offered again with names it did not have, it may match by name now.
        if (!state.wanted || !names.empty())
            state.wanted = matcher_.Offer(state.row, id, names) || chosenIds_.contains(id) || state.wanted;
        return state;
    }

    void AddChannel(GuideChannel&& channel)
    {
        ++summary_.guideChannels;
        if (channel.id.empty()) {
            ++channelsWithoutId_;
            return;
        }
        if (guideChannels_.size() >= kMaxGuideChannels && !guideChannels_.contains(channel.id)) {
            ++channelsOverLimit_;
            return;
        }
        ChannelOf(channel.id, channel.names);
    }

    // Counts the programme and finds its channel; false when the programme is not kept (no channel,
    // or one that no list channel wants), so that nothing more of it is read.
    bool WantsProgramme(std::string_view id)
    {
        ++summary_.programmes;
        current_ = nullptr;
        if (id.empty()) {
            ++badProgrammes_;
            return false;
        }
        const auto known = guideChannels_.find(id);
        if (known != guideChannels_.end()) {
            current_ = &known->second;
        } else {
            // A channel the guide does not declare is only worth a row when a list channel wants
            // it by id: a guide of some other list costs no memory, however many ids it names.
            if (!matcher_.MatchesId(id) && !chosenIds_.contains(id))
                return false;
            if (guideChannels_.size() >= kMaxGuideChannels)
                return false; // said of the channels left out already
            current_ = &ChannelOf(std::string(id), {});
        }
        return current_->wanted;
    }

    // A programme that WantsProgramme let through, of the channel it found.
    void AddProgramme(const XmltvProgramme& programme)
    {
        ChannelState& channel = *current_;
        const std::optional<XmltvTime> start = ParseXmltvTime(programme.start);
        std::optional<XmltvTime> stop = ParseXmltvTime(programme.stop);
        if (!start || (!programme.stop.empty() && !stop)) {
            ++badTimes_;
            return;
        }
        if (!start->hadOffset || (stop && !stop->hadOffset))
            ++withoutOffset_;
        const std::int64_t from = start->utc;
        const std::int64_t to = stop ? stop->utc : start->utc + kLengthWithoutEnd;
        if (to <= from) {
            ++endsBeforeStart_;
            return;
        }
        if (to <= window_.from || from >= window_.to)
            return;
        if (from < channel.lastStart)
            ++unordered_;
        else if (from < channel.lastStop)
            ++overlapping_;
        channel.lastStart = from;
        channel.lastStop = to;
        pipeline_->AddProgramme(channel.row, from, to, programme.texts);
        ++summary_.programmesKept;
    }

    void AddWarnings()
    {
        auto& warnings = summary_.warnings;
        if (channelsOverLimit_)
            warnings.push_back(Count(channelsOverLimit_, "channel was", "channels were")
                               + " left out: a guide may have " + std::to_string(kMaxGuideChannels) + " channels.");
        if (channelsWithoutId_)
            warnings.push_back(Count(channelsWithoutId_, "channel has", "channels have") + " no id and were left out.");
        if (badProgrammes_)
            warnings.push_back(Count(badProgrammes_, "programme names", "programmes name")
                               + " no channel and were left out.");
        if (badTimes_)
            warnings.push_back(Count(badTimes_, "programme has", "programmes have")
                               + " a start or end that is no time and were left out.");
        if (endsBeforeStart_)
            warnings.push_back(Count(endsBeforeStart_, "programme ends", "programmes end")
                               + " before it starts and were left out.");
        if (withoutOffset_)
            warnings.push_back(Count(withoutOffset_, "programme has", "programmes have")
                               + " times without an offset from UTC; they were taken as UTC.");
        if (overlapping_)
            warnings.push_back(Count(overlapping_, "programme starts", "programmes start")
                               + " before the one before it on its channel ends; each ends where the next begins.");
        if (unordered_)
            warnings.push_back(Count(unordered_, "programme comes", "programmes come")
                               + " after a later one of its channel; they were put in order.");
    }

    const std::vector<GuideListChannel>& channels_;
    const GuidePaths& paths_;
    std::int64_t now_;
    Window window_;
    GuideMatcher matcher_;
    GuideWriter writer_;
    std::unique_ptr<GuideWritePipeline> pipeline_; // stopped before the writer goes
    GuideReadSummary summary_;
    std::unordered_map<std::string, ChannelState, IdHash, std::equal_to<>> guideChannels_;
    ChannelState* current_ = nullptr; // of the programme being read
    std::unordered_set<std::string, IdHash, std::equal_to<>> chosenIds_;
    std::unordered_map<std::string, std::string> choices_;
    long channelsOverLimit_ = 0, channelsWithoutId_ = 0, badProgrammes_ = 0, badTimes_ = 0, endsBeforeStart_ = 0,
         withoutOffset_ = 0, overlapping_ = 0, unordered_ = 0;
};

} // namespace

GuideReadSummary ReadGuide(const std::vector<GuideSource>& sources, const std::vector<GuideListChannel>& channels,
                           const GuidePaths& paths, std::int64_t now, const GuideProgress& progress)
{
    Reading reading(channels, paths, now);
    reading.Read(sources, progress);
    return reading.Finish();
}

GuideReadSummary FillGuideFromXmltv(std::string_view xmltv, const std::vector<GuideListChannel>& channels,
                                    const GuidePaths& paths, std::int64_t now)
{
    return ReadGuide({GuideSource{"in memory", {}, xmltv}}, channels, paths, now);
}

std::string DescribeGuideSummary(const GuideReadSummary& summary)
{
    std::string text = "Read " + Count(summary.guideChannels, "guide channel", "guide channels") + " and "
        + Count(summary.programmes, "programme", "programmes") + "; kept "
        + Count(summary.programmesKept, "programme", "programmes") + " from yesterday to 14 days ahead.\n";
    if (summary.listChannelsMatched == 0) {
        text += "None of the " + Count(summary.listChannels, "channel", "channels")
            + " of your lists is in this guide: it seems to be the guide of some other list.";
    } else {
        text += std::to_string(summary.listChannelsMatched) + " of the "
            + Count(summary.listChannels, "channel", "channels") + " of your lists got a guide.";
    }
    for (const std::string& warning : summary.warnings)
        text += "\n" + warning;
    return text;
}

} // namespace zentavo
