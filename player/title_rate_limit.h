#pragma once
// One rate limit for the stream titles that reach the window and the desktop's media controls,
// whichever path they come by (the media gateway's own reading, or the titles the page asks the
// host to read): a radio that changes its title fifty times a second must not make fifty window
// titles and MPRIS signals a second.
//
// A change after a quiet interval goes at once; changes within the interval wait for its end, and
// only the latest goes then, so the last title is never lost. A change back to what was shown
// last goes nowhere.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

namespace zentavo {

// The rule alone, with the time given by the caller (milliseconds of a steady clock).
class ChangeLimit {
public:
    explicit ChangeLimit(std::chrono::milliseconds interval) : interval_(interval) {}

    // A new value at `now`: returns it when it goes at once; else it waits, in place of any value
    // that waited, until DueAt().
    std::optional<QString> Offer(const QString& value, std::chrono::milliseconds now);
    // When the waiting value is due; none when nothing waits.
    std::optional<std::chrono::milliseconds> DueAt() const;
    // The waiting value when it is due at `now` and differs from the last one that went.
    std::optional<QString> TakeDue(std::chrono::milliseconds now);

private:
    std::chrono::milliseconds interval_;
    std::optional<std::chrono::milliseconds> lastSent_;
    QString sent_;
    std::optional<QString> waiting_;
};

// The rule on the event loop: Offer() takes every title, Changed() gives the limited ones.
class TitleRateLimiter : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kInterval{1000};

    explicit TitleRateLimiter(QObject* parent = nullptr, std::chrono::milliseconds interval = kInterval);

    void Offer(const QString& title);

signals:
    void Changed(const QString& title);

private:
    std::chrono::milliseconds Now() const;
    void SendDue();

    ChangeLimit limit_;
    QElapsedTimer clock_;
    QTimer due_;
};

} // namespace zentavo
