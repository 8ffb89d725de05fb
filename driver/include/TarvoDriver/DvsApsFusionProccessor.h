#pragma once

#include "TarvoBase/ApsFrame.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoBase/Logger.h"
#include "TarvoBase/VxObjectPool.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvo {

// Pairs each colour frame of a fusion camera with the events that belong to it. The event stream
// is cut into segments at rising sync edges; the n-th frame handed in is paired with the n-th
// segment (the events between the (n-1)-th and the n-th rising edge), strictly by arrival order,
// and each pair goes to the fusion callback.
//
// Threads: addDvsData and addSyncSignal run on one thread (a live camera's stream thread);
// addApsData may run on another; clear() and the callback setters on any.
//
// Frames without sync edges, or sync edges without frames, wait in queues of at most
// kMaxQueuedFrames frames and kMaxQueuedSegments segments; beyond that the oldest is dropped
// and counted (getDroppedFrameCount, getDroppedSegmentCount), with one warning per burst.
class DvsApsFusionProccessor
{
public:
    // Called with a frame and its segment [first, last) (first == last for an empty segment), on
    // the thread whose addApsData or addSyncSignal completed the pair, while the processor's lock
    // is held. Both are valid only during the call. It must not call back into the processor
    // (any member would wait on the lock it runs under), and its time adds to the wait of the
    // stream thread's next sync edge.
    using FusionCallback = std::function<void(ApsFrame&, Event2D*, Event2D*)>;

    static constexpr size_t kMaxQueuedFrames = 8;
    static constexpr size_t kMaxQueuedSegments = 8;

    DvsApsFusionProccessor()
        : m_eventPool(VxObjectPoolFactory::createUniqueVxObjectPoolWithArgs<std::vector<Event2D>>(
              kPoolCount, size_t{kSegmentRoom})),
          m_currentEvents(takeEmptySegment())
    {
    }

    DvsApsFusionProccessor(const DvsApsFusionProccessor&) = delete;
    DvsApsFusionProccessor& operator=(const DvsApsFusionProccessor&) = delete;

    // Queues a deep copy of the frame (the camera may reuse its buffer) and pairs what it can.
    void addApsData(ApsFrame frame)
    {
        ApsFrame copy = frame.clone(); // a 4K frame: copied before taking the lock
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_frameQueue.size() >= kMaxQueuedFrames) {
            m_frameQueue.pop_front();
            ++m_droppedFrames;
            logDropOnce(m_frameDropLogged, "frames wait without sync signals; the oldest frame is dropped");
        }
        m_frameQueue.push_back(std::move(copy));
        pairQueued();
    }

    // Appends events to the open segment. Takes no lock: the stream thread is its only writer.
    void addDvsData(const Event2D* first, const Event2D* last)
    {
        if (m_clearRequested.exchange(false)) {
            m_currentEvents->clear();
        }
        m_currentEvents->insert(m_currentEvents->end(), first, last);
    }

    // A rising edge (polarity 1) closes the open segment and pairs what it can; falling edges
    // are ignored.
    void addSyncSignal(const EventTriggerIn& signal)
    {
        if (signal.polarity != 1) {
            return;
        }
        std::shared_ptr<std::vector<Event2D>> next = takeEmptySegment();
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_clearRequested.exchange(false)) {
            m_currentEvents->clear();
        }
        if (m_segmentQueue.size() >= kMaxQueuedSegments) {
            m_segmentQueue.pop_front();
            ++m_droppedSegments;
            logDropOnce(m_segmentDropLogged,
                        "sync signals wait without frames; the oldest segment is dropped");
        }
        m_segmentQueue.push_back(std::move(m_currentEvents));
        m_currentEvents = std::move(next);
        pairQueued();
    }

    void addFusionDataCallback(FusionCallback fn)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fusionCallback = std::move(fn);
    }

    void removeFusionDataCallback()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fusionCallback = nullptr;
    }

    // Pairs whatever frames and segments are waiting (adding data does so already).
    void fusionData()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        pairQueued();
    }

    // Drops the waiting frames and segments and the open segment; the next segment starts with
    // the events added after this call. The drop counters keep counting.
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frameQueue.clear();
        m_segmentQueue.clear();
        // The open segment belongs to the stream thread, which empties it at its next call.
        m_clearRequested = true;
    }

    // Frames and segments dropped from full queues since construction.
    uint64_t getDroppedFrameCount() const { return m_droppedFrames; }
    uint64_t getDroppedSegmentCount() const { return m_droppedSegments; }

private:
    static constexpr const char* kSource = "include/TarvoDriver/DvsApsFusionProccessor";
    // Room for 3 145 728 events, so that a segment rarely grows; the pool holds the full segment
    // queue, the open segment and the one being handed to the callback.
    static constexpr size_t kSegmentRoom = 0x300000;
    static constexpr size_t kPoolCount = kMaxQueuedSegments + 2;

    std::shared_ptr<std::vector<Event2D>> takeEmptySegment()
    {
        std::shared_ptr<std::vector<Event2D>> segment = m_eventPool->acquire();
        segment->clear(); // keeps the room the pool made
        return segment;
    }

    // Called with m_mutex held.
    void pairQueued()
    {
        while (!m_frameQueue.empty() && !m_segmentQueue.empty()) {
            ApsFrame frame = std::move(m_frameQueue.front());
            m_frameQueue.pop_front();
            const std::shared_ptr<std::vector<Event2D>> segment = std::move(m_segmentQueue.front());
            m_segmentQueue.pop_front();
            m_frameDropLogged = false;
            m_segmentDropLogged = false;
            if (m_fusionCallback) {
                Event2D* first = segment->data();
                m_fusionCallback(frame, first, first + segment->size());
            }
        } // the segment goes back to the pool here
    }

    // Called with m_mutex held; a burst ends when a pair is formed.
    void logDropOnce(bool& logged, const char* what)
    {
        if (!logged) {
            logged = true;
            Logger::Instance().log_(3, kSource, __LINE__, "Fusion: %s.", what);
        }
    }

    std::unique_ptr<VxObjectPool<std::vector<Event2D>>> m_eventPool;
    std::shared_ptr<std::vector<Event2D>> m_currentEvents; // the open segment; the stream thread's own
    std::atomic<bool> m_clearRequested{false};             // clear() asks the stream thread to empty it

    std::mutex m_mutex; // guards the queues, the callback, the burst flags and the segment hand-over
    std::deque<std::shared_ptr<std::vector<Event2D>>> m_segmentQueue;
    std::deque<ApsFrame> m_frameQueue;
    FusionCallback m_fusionCallback;
    bool m_frameDropLogged = false;
    bool m_segmentDropLogged = false;

    std::atomic<uint64_t> m_droppedFrames{0};
    std::atomic<uint64_t> m_droppedSegments{0};
};

} // namespace tarvo
