#include "camera/EventBatcher.h"

#include "TarvoBase/Logger.h"

#include <algorithm>
#include <limits>

namespace tarvo {
namespace {

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

} // namespace

EventBatcher::EventBatcher(const char* logSource) : m_logSource(logSource) {}

EventBatcher::~EventBatcher()
{
    close();
    for (Lane* lane : {&m_countLane, &m_timeLane}) {
        std::unique_lock<std::mutex> lock(lane->mutex);
        lane->changed.wait(lock, [lane] { return lane->waiters == 0; });
    }
}

bool EventBatcher::setBatchEventsNum(uint64_t count)
{
    return request(BY_COUNT, count);
}

bool EventBatcher::setBatchEventsTime(uint64_t us)
{
    return request(BY_TIME, us);
}

bool EventBatcher::request(Mode mode, uint64_t size)
{
    if (size == 0) {
        Logger::Instance().log_(3, m_logSource, __LINE__, "A batch of 0 %s is refused; batching is unchanged",
                                mode == BY_COUNT ? "events" : "µs");
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_modeMutex);
        (mode == BY_COUNT ? m_count : m_spanUs) = size;
        if (m_requested == mode) {
            return true;
        }
        m_requested = mode;
        ++m_modeChanges;
    }
    // Whoever waits for a batch of the old mode would wait for nothing. Taking each lane's lock
    // once orders the change before a waiter's next look at it.
    for (Lane* lane : {&m_countLane, &m_timeLane}) {
        {
            std::lock_guard<std::mutex> lock(lane->mutex);
        }
        lane->changed.notify_all();
    }
    return true;
}

EventBatcher::Settings EventBatcher::settingsInEffect()
{
    std::lock_guard<std::mutex> lock(m_modeMutex);
    m_inEffect = m_requested;
    return {m_inEffect, m_count, m_spanUs};
}

EventBatcher::Lane* EventBatcher::laneOf(Mode mode)
{
    switch (mode) {
    case BY_COUNT:
        return &m_countLane;
    case BY_TIME:
        return &m_timeLane;
    case NO_BATCHING:
        break;
    }
    return nullptr;
}

void EventBatcher::add(const Event2D* first, const Event2D* last)
{
    const Settings settings = settingsInEffect();
    if (settings.mode == BY_COUNT) {
        addByCount(first, last, settings.count);
    } else if (settings.mode == BY_TIME) {
        addByTime(first, last, settings.spanUs);
    }
}

void EventBatcher::addByCount(const Event2D* first, const Event2D* last, uint64_t count)
{
    std::vector<Event2D>& collecting = m_countLane.collecting;
    while (first != last) {
        const uint64_t room = count > collecting.size() ? count - collecting.size() : 0;
        const auto size = static_cast<uint64_t>(last - first);
        if (size <= room) {
            collecting.insert(collecting.end(), first, last);
            return;
        }
        // A full batch is handed over only once an event beyond it arrives.
        collecting.insert(collecting.end(), first, first + room);
        first += room;
        handOver(m_countLane);
    }
}

void EventBatcher::addByTime(const Event2D* first, const Event2D* last, uint64_t spanUs)
{
    if (first == last) {
        return;
    }
    std::vector<Event2D>& collecting = m_timeLane.collecting;
    uint64_t windowEnd =
        saturatingAdd(collecting.empty() ? first->timestamp : collecting.front().timestamp, spanUs);
    for (;;) {
        // A camera's time may step back a little, so the run is not sorted: the window ends at the
        // first event, in stream order, at or after its end, and everything before it is its own.
        const Event2D* cut =
            std::find_if(first, last, [windowEnd](const Event2D& e) { return e.timestamp >= windowEnd; });
        collecting.insert(collecting.end(), first, cut);
        if (cut == last) {
            return;
        }
        handOver(m_timeLane);
        first = cut;
        windowEnd = saturatingAdd(windowEnd, spanUs);
        // Windows that end at or before the next event are empty and handed over one by one.
        const uint64_t emptyWindows =
            first->timestamp >= windowEnd ? (first->timestamp - windowEnd) / spanUs + 1 : 0;
        if (emptyWindows > kMaxEmptyWindows) {
            windowEnd = saturatingAdd(windowEnd, (emptyWindows - kMaxEmptyWindows) * spanUs);
        }
    }
}

void EventBatcher::handOver(Lane& lane)
{
    {
        std::lock_guard<std::mutex> lock(lane.mutex);
        // The batch nobody took is dropped; its storage collects the next one.
        lane.ready.clear();
        lane.ready.swap(lane.collecting);
        ++lane.handOvers;
    }
    lane.changed.notify_all();
}

bool EventBatcher::getNextBatch(std::vector<Event2D>& events)
{
    events.clear();
    // Read before the mode, so that a change after this point ends the wait.
    const uint64_t modeChanges = m_modeChanges.load();
    Lane* lane = laneOf(settingsInEffect().mode);
    if (lane == nullptr) {
        return false;
    }
    std::unique_lock<std::mutex> lock(lane->mutex);
    if (!lane->open) {
        return false;
    }
    const uint64_t since = lane->handOvers;
    auto fresh = [&] { return lane->handOvers != since && lane->taken != lane->handOvers; };
    ++lane->waiters;
    lane->changed.wait(lock, [&] { return fresh() || !lane->open || m_modeChanges.load() != modeChanges; });
    --lane->waiters;
    const bool delivered = fresh();
    if (delivered) {
        events.swap(lane->ready);
        lane->taken = lane->handOvers;
    }
    if (lane->waiters == 0 && !lane->open) {
        lane->changed.notify_all(); // the destructor may wait for the last caller to leave
    }
    return delivered;
}

void EventBatcher::open()
{
    // What a previous stream left is stale, and a camera's time base may start again below it.
    for (Lane* lane : {&m_countLane, &m_timeLane}) {
        std::lock_guard<std::mutex> lock(lane->mutex);
        lane->ready.clear();
        lane->collecting.clear();
    }
    setOpen(true);
}

void EventBatcher::close()
{
    setOpen(false);
}

void EventBatcher::setOpen(bool open)
{
    for (Lane* lane : {&m_countLane, &m_timeLane}) {
        {
            std::lock_guard<std::mutex> lock(lane->mutex);
            lane->open = open;
        }
        lane->changed.notify_all();
    }
}

EventBatcher::Progress EventBatcher::progress(Mode mode)
{
    Lane* lane = laneOf(mode);
    if (lane == nullptr) {
        return {};
    }
    std::lock_guard<std::mutex> lock(lane->mutex);
    return {lane->handOvers, lane->waiters};
}

} // namespace tarvo
