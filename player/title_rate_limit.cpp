#include "title_rate_limit.h"

#include <algorithm>

namespace zentavo {

std::optional<QString> ChangeLimit::Offer(const QString& value, std::chrono::milliseconds now)
{
    if (waiting_ || (lastSent_ && now - *lastSent_ < interval_)) {
        waiting_ = value;
        return std::nullopt;
    }
    if (value == sent_) // nothing shown yet counts as the empty title
        return std::nullopt;
    sent_ = value;
    lastSent_ = now;
    return value;
}

std::optional<std::chrono::milliseconds> ChangeLimit::DueAt() const
{
    if (!waiting_)
        return std::nullopt;
    return lastSent_ ? *lastSent_ + interval_ : std::chrono::milliseconds(0);
}

std::optional<QString> ChangeLimit::TakeDue(std::chrono::milliseconds now)
{
    const auto due = DueAt();
    if (!due || now < *due)
        return std::nullopt;
    QString value = std::move(*waiting_);
    waiting_.reset();
    if (value == sent_)
        return std::nullopt;
    sent_ = value;
    lastSent_ = now;
    return value;
}

TitleRateLimiter::TitleRateLimiter(QObject* parent, std::chrono::milliseconds interval)
    : QObject(parent), limit_(interval)
{
    clock_.start();
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, &TitleRateLimiter::SendDue);
}

std::chrono::milliseconds TitleRateLimiter::Now() const
{
    return std::chrono::milliseconds(clock_.elapsed());
}

void TitleRateLimiter::Offer(const QString& title)
{
    if (const auto now = limit_.Offer(title, Now())) {
        emit Changed(*now);
        return;
    }
    if (const auto due = limit_.DueAt(); due && !due_.isActive())
        due_.start(std::max(*due - Now(), std::chrono::milliseconds(0)));
}

void TitleRateLimiter::SendDue()
{
    if (const auto value = limit_.TakeDue(Now()))
        emit Changed(*value);
    // A timer may fire a little early: what still waits goes at its time.
    if (const auto due = limit_.DueAt())
        due_.start(std::max(*due - Now(), std::chrono::milliseconds(1)));
}

} // namespace zentavo
