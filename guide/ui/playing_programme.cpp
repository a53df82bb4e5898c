#include "playing_programme.h"

#include "programme_text.h"

#include "guide/guide_store.h"

#include <algorithm>
#include <chrono>

namespace zentavo {

PlayingProgramme::PlayingProgramme(const GuideStore& store, GuideClock clock, QObject* parent)
    : QObject(parent), store_(store), clock_(std::move(clock))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PlayingProgramme::Update);
}

void PlayingProgramme::Track(const QString& channelId)
{
    channelId_ = channelId.toStdString();
    Update();
}

void PlayingProgramme::Stop()
{
    channelId_.clear();
    Update();
}

void PlayingProgramme::Reload()
{
    Update();
}

void PlayingProgramme::Update()
{
    timer_.stop();
    GuideNowNext nowNext;
    const std::int64_t now = clock_();
    if (!channelId_.empty())
        nowNext = store_.NowNext(channelId_, now);
    const QString title = nowNext.now ? QString::fromStdString(nowNext.now->title) : QString();
    const QString note = PlayingProgrammeNote(nowNext);
    // Asked again when the programme ends, or the next one starts after a gap.
    std::int64_t changeAt = 0;
    if (nowNext.now)
        changeAt = nowNext.now->stop;
    else if (nowNext.next)
        changeAt = nowNext.next->start;
    if (changeAt > now)
        timer_.start(std::chrono::milliseconds(std::min<std::int64_t>(changeAt - now, 6 * 3600) * 1000 + 50));
    if (title == title_ && note == note_)
        return;
    title_ = title;
    note_ = note;
    emit Changed(title_, note_);
}

} // namespace zentavo
