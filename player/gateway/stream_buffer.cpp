#include "stream_buffer.h"

#include <algorithm>

namespace zentavo {

StreamBuffer::StreamBuffer(size_t capacity) : capacity_(capacity) {}

void StreamBuffer::SetListener(std::function<void()> listener)
{
    const std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

bool StreamBuffer::Write(const uint8_t* data, size_t size)
{
    while (size > 0) {
        {
            std::unique_lock lock(mutex_);
            space_.wait(lock, [this] { return closed_ || bytes_.size() < capacity_; });
            if (closed_ || finished_)
                return false;
            const size_t room = std::min(size, capacity_ - bytes_.size());
            bytes_.insert(bytes_.end(), data, data + room);
            data += room;
            size -= room;
        }
        Notify();
    }
    return true;
}

void StreamBuffer::Finish(std::string error)
{
    {
        const std::lock_guard lock(mutex_);
        if (finished_)
            return;
        finished_ = true;
        error_ = std::move(error);
    }
    space_.notify_all();
    Notify();
}

size_t StreamBuffer::Read(char* out, size_t max)
{
    size_t count = 0;
    {
        const std::lock_guard lock(mutex_);
        count = std::min(max, bytes_.size());
        std::copy_n(bytes_.begin(), count, out);
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (count > 0)
        space_.notify_all();
    return count;
}

size_t StreamBuffer::Available() const
{
    const std::lock_guard lock(mutex_);
    return bytes_.size();
}

bool StreamBuffer::AtEnd() const
{
    const std::lock_guard lock(mutex_);
    return (finished_ || closed_) && bytes_.empty();
}

bool StreamBuffer::Finished() const
{
    const std::lock_guard lock(mutex_);
    return finished_;
}

std::string StreamBuffer::Error() const
{
    const std::lock_guard lock(mutex_);
    return error_;
}

void StreamBuffer::Close()
{
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        bytes_.clear();
    }
    space_.notify_all();
}

bool StreamBuffer::Closed() const
{
    const std::lock_guard lock(mutex_);
    return closed_;
}

bool StreamBuffer::WaitUntilClosed(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(mutex_);
    return space_.wait_until(lock, until, [this] { return closed_; });
}

void StreamBuffer::Notify()
{
    std::function<void()> listener;
    {
        const std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener)
        listener();
}

} // namespace zentavo
