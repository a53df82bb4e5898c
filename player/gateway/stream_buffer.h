#pragma once
// The bounded hand-over between the gateway's worker (the writer) and the page's reader: the writer
// waits while the buffer is full, so a page that reads slowly never makes the gateway hold more than
// the capacity; the reader never waits.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace zentavo {

class StreamBuffer {
public:
    explicit StreamBuffer(size_t capacity);

    // Called on the writer's thread whenever data or the end comes in (to wake the reader).
    void SetListener(std::function<void()> listener);

    // Blocks while the buffer is full; false once the reader has closed it (nothing more is wanted).
    bool Write(const uint8_t* data, size_t size);
    // The writer's end: error holds the words when the stream failed.
    void Finish(std::string error = {});

    // Up to max bytes, without waiting; 0 when nothing is there yet.
    size_t Read(char* out, size_t max);
    size_t Available() const;
    // Nothing more will come and all was read.
    bool AtEnd() const;
    bool Finished() const;
    std::string Error() const;
    // The reader is gone: the writer stops waiting, and every later write fails.
    void Close();
    bool Closed() const;
    // The writer's pause: waits until `until` or until the buffer is closed, whichever is first;
    // true when it was closed.
    bool WaitUntilClosed(std::chrono::steady_clock::time_point until);

    size_t Capacity() const { return capacity_; }

private:
    void Notify();

    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable space_;
    std::deque<char> bytes_;
    bool finished_ = false;
    bool closed_ = false;
    std::string error_;
    std::function<void()> listener_;
};

} // namespace zentavo
