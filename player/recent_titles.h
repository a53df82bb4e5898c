#pragma once
// The stream titles heard since the player started, newest last, with the time each was first
// heard. The titles come from radio servers and stream containers: each is kept as plain text of
// bounded length, and only the newest kMostTitles are kept.

#include <QDateTime>
#include <QString>

#include <deque>

namespace zentavo {

struct HeardTitle {
    QDateTime at;
    QString title;
};

class RecentTitles {
public:
    static constexpr std::size_t kMostTitles = 200;

    // Notes a title heard at that time. An empty title (a stream that names nothing, or a stop) is
    // no title; the title heard last, heard again (the same song after a reconnect), is not new.
    void Add(const QString& title, const QDateTime& at);

    const std::deque<HeardTitle>& Titles() const { return titles_; }
    // One line a title, oldest first: "HH:MM:SS  title"; a note in words when there is none.
    QString Text() const;

private:
    std::deque<HeardTitle> titles_;
};

} // namespace zentavo
