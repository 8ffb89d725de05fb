#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace tarvo {

// The exposure times of a fusion camera's frames, one entry per rising trigger edge, waiting for
// their frames. The n-th entry pushed since reset() belongs to the n-th frame that arrived, so
// frames and edges pair in arrival order even where a frame was dropped on the way (its entry is
// passed over). At most kMaxWaiting entries wait; beyond that the oldest is dropped and counted
// (a stream of edges without frames, as when only the event stream runs).
class FrameTimeQueue
{
public:
    static constexpr size_t kMaxWaiting = 32;

    struct Times
    {
        uint64_t start = 0;
        uint64_t end = 0;
    };

    // Empties the queue and numbers entries from 0 again; opens it for take().
    void reset();
    // Appends the times of the next frame (called on the event stream thread).
    void push(Times times);
    // Waits for the entry of frame `arrival` and takes it, passing over older ones. Nothing when
    // that entry was dropped, or when close() ends the wait before it came.
    std::optional<Times> take(uint64_t arrival);
    // No more entries will come: take() answers from what is there without waiting.
    void close();

    // Entries dropped since reset() because too many waited.
    uint64_t droppedCount() const;

private:
    mutable std::mutex m_mutex; // guards every member below
    std::condition_variable m_pushed;
    struct Entry
    {
        uint64_t number;
        Times times;
    };
    std::deque<Entry> m_entries;
    uint64_t m_pushes = 0;
    uint64_t m_dropped = 0;
    bool m_closed = false;
};

} // namespace tarvo
