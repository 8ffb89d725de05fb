#pragma once

#include "TarvoDriver/FusionCamera.h"
#include "camera/CallbackRegistry.h"
#include "camera/EventBatcher.h"
#include "camera/FrameTimeQueue.h"

namespace tarvo {

// Everything of a fusion camera that does not depend on its device: the registries of event,
// frame and sync-signal callbacks, event batching, the sizes of both sensors and the queue of
// frame times that waits for the frames. The device class above it runs the streams and calls
// the hand-over steps below on its threads.
class FusionCameraPrivate : public FusionCamera
{
public:
    static constexpr uint32_t kFrameWidth = 3840;
    static constexpr uint32_t kFrameHeight = 2160;
    static constexpr uint32_t kEventWidth = 1280;
    static constexpr uint32_t kEventHeight = 720;

    explicit FusionCameraPrivate(const CameraDescription& description);

    FusionCameraPrivate(const FusionCameraPrivate&) = delete;
    FusionCameraPrivate& operator=(const FusionCameraPrivate&) = delete;

    uint32_t addEventsStreamHandleCallback(EventsCallback callback) override;
    bool removeEventsStreamHandleCallback(uint32_t id) override;
    uint32_t addApsFrameCallback(ApsFrameCallback callback) override;
    bool removeApsFrameCallback(uint32_t id) override;
    uint32_t addSyncSignalCallback(SyncSignalCallback callback) override;
    bool removeSyncSignalCallback(uint32_t id) override;
    bool getNextBatch(std::vector<Event2D>& events) override;
    void setBatchEventsNum(uint64_t count) override;
    void setBatchEventsTime(uint64_t us) override;
    uint16_t getWidth(STREAM_TYPE type) override;
    uint16_t getHeight(STREAM_TYPE type) override;

    // The batcher, for tests that follow hand-overs.
    EventBatcher& batcher() { return m_batcher; }

protected:
    // Empties the three callback registries (every opening does).
    void clearCallbacks();
    // A run of decoded events: batching, then every event callback (event stream thread).
    void eventsArrived(const Event2D* first, const Event2D* last);
    void dispatchSyncSignal(const EventTriggerIn& signal);
    bool hasFrameCallbacks();
    void dispatchFrame(const ApsFrame& frame);

    EventBatcher m_batcher;
    FrameTimeQueue m_frameTimes;

private:
    CallbackRegistry<EventsCallback> m_eventCallbacks;
    CallbackRegistry<ApsFrameCallback> m_frameCallbacks;
    CallbackRegistry<SyncSignalCallback> m_syncCallbacks;
};

} // namespace tarvo
