#pragma once

#include "TarvoBase/EventTypes.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tarvo {

// Cuts a camera's stream of event runs into batches of a fixed count or a fixed span of event
// time and hands the newest completed batch to whoever waits in getNextBatch(). One thread (the
// stream thread) adds runs; any number of threads may wait for batches; each batch goes to one
// waiter at most, and a waiter only ever gets a batch completed after it began to wait.
class EventBatcher
{
public:
    enum Mode : int32_t
    {
        NO_BATCHING = 0,
        BY_COUNT = 1,
        BY_TIME = 2,
    };

    static constexpr uint64_t kDefaultCount = 0x20000;
    static constexpr uint64_t kDefaultSpanUs = 10000;
    // Beyond this many empty time windows in one gap the rest are skipped: a waiter sees only
    // the newest batch, so further empty hand-overs would show nobody anything.
    static constexpr uint64_t kMaxEmptyWindows = 1000;

    // `logSource` names the owner in log lines.
    explicit EventBatcher(const char* logSource);
    // Closes the batcher and waits until no caller is left inside getNextBatch().
    ~EventBatcher();

    EventBatcher(const EventBatcher&) = delete;
    EventBatcher& operator=(const EventBatcher&) = delete;

    // Batches of `count` events from the next run on; false (logged) for 0, which has no batch.
    bool setBatchEventsNum(uint64_t count);
    // Batches of `us` µs of event time; false (logged) for 0, which has no window.
    bool setBatchEventsTime(uint64_t us);

    // A run of events in stream order (called on the stream thread). Timestamps may step back a
    // little, as real cameras send them; each event lands in exactly one batch.
    void add(const Event2D* first, const Event2D* last);

    // Empties `events`, waits for the next batch and swaps it in: true with a batch; false at once
    // without a batch mode or while closed, and false when close() or a change of mode ends the
    // wait.
    bool getNextBatch(std::vector<Event2D>& events);

    // Lets callers wait (the stream starts; called before the first add(), it drops what an
    // earlier stream left) or wakes them all and turns them away (the stream ends).
    void open();
    void close();

    // Batches handed over so far and callers waiting, in one mode (tests follow the batching
    // with it).
    struct Progress
    {
        uint64_t handOvers = 0;
        uint32_t waiters = 0;
    };
    Progress progress(Mode mode);

private:
    // The batches of one mode.
    struct Lane
    {
        std::mutex mutex; // guards everything below but `collecting`, which only add() touches
        std::condition_variable changed;
        std::vector<Event2D> ready;
        std::vector<Event2D> collecting;
        uint64_t handOvers = 0; // batches completed so far
        uint64_t taken = 0;     // the hand-over a waiter last took
        uint32_t waiters = 0;
        bool open = false;
    };

    struct Settings
    {
        Mode mode;
        uint64_t count;
        uint64_t spanUs;
    };

    Settings settingsInEffect();
    // Sets the batch size of `mode` (events or µs) and requests that mode.
    bool request(Mode mode, uint64_t size);
    void addByCount(const Event2D* first, const Event2D* last, uint64_t count);
    void addByTime(const Event2D* first, const Event2D* last, uint64_t spanUs);
    void handOver(Lane& lane);
    Lane* laneOf(Mode mode);
    void setOpen(bool open);

    const char* m_logSource;
    std::mutex m_modeMutex; // guards the four members below
    Mode m_requested = NO_BATCHING;
    Mode m_inEffect = NO_BATCHING;
    uint64_t m_count = kDefaultCount;
    uint64_t m_spanUs = kDefaultSpanUs;
    // Changes of the requested mode; written under m_modeMutex, read by waiters under a lane's.
    std::atomic<uint64_t> m_modeChanges{0};
    Lane m_countLane;
    Lane m_timeLane;
};

} // namespace tarvo
