#pragma once
// A programme of the guide in words, as the lists, the guide window and the main window show it:
// times in the user's local time.

#include "guide/guide_types.h"

#include <QString>
#include <cstdint>

namespace zentavo {

// "20:15" for a time (seconds since 1970).
QString ClockTime(std::int64_t at);
// "20:15-21:00".
QString ProgrammeTimes(const GuideProgramme& programme);
// How far the programme has run at `at`, from 0 to 1.
double ProgrammeProgress(const GuideProgramme& programme, std::int64_t at);
// The tooltip of a channel's "now on" cell: the programme now and the next one, a line each; empty
// when the guide has neither.
QString NowNextTooltip(const GuideNowNext& nowNext);
// What the main window adds to its title while the channel plays: "News (until 21:00)"; empty
// when nothing is on.
QString PlayingProgrammeNote(const GuideNowNext& nowNext);
// A programme's details, a line each: the day and times, the title, sub-title, episode, category
// and description; lines without a value are left out.
QString ProgrammeDetails(const GuideProgramme& programme);

} // namespace zentavo
