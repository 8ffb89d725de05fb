#include "camera/FusionCameraPrivate.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/FusionCamera";

} // namespace

FusionCameraPrivate::FusionCameraPrivate(const CameraDescription& description)
    : FusionCamera(description), m_batcher(kLogSource), m_eventCallbacks(kLogSource, "Event callback"),
      m_frameCallbacks(kLogSource, "APS frame callback"), m_syncCallbacks(kLogSource, "Sync signal callback")
{
}

uint32_t FusionCameraPrivate::addEventsStreamHandleCallback(EventsCallback callback)
{
    return m_eventCallbacks.add(std::move(callback));
}

bool FusionCameraPrivate::removeEventsStreamHandleCallback(uint32_t id)
{
    return m_eventCallbacks.remove(id);
}

uint32_t FusionCameraPrivate::addApsFrameCallback(ApsFrameCallback callback)
{
    return m_frameCallbacks.add(std::move(callback));
}

bool FusionCameraPrivate::removeApsFrameCallback(uint32_t id)
{
    return m_frameCallbacks.remove(id);
}

uint32_t FusionCameraPrivate::addSyncSignalCallback(SyncSignalCallback callback)
{
    return m_syncCallbacks.add(std::move(callback));
}

bool FusionCameraPrivate::removeSyncSignalCallback(uint32_t id)
{
    return m_syncCallbacks.remove(id);
}

bool FusionCameraPrivate::getNextBatch(std::vector<Event2D>& events)
{
    return m_batcher.getNextBatch(events);
}

void FusionCameraPrivate::setBatchEventsNum(uint64_t count)
{
    m_batcher.setBatchEventsNum(count);
}

void FusionCameraPrivate::setBatchEventsTime(uint64_t us)
{
    m_batcher.setBatchEventsTime(us);
}

uint16_t FusionCameraPrivate::getWidth(STREAM_TYPE type)
{
    switch (type) {
    case DVS_STREAM:
        return kEventWidth;
    case APS_STREAM:
        return kFrameWidth;
    default:
        return 0;
    }
}

uint16_t FusionCameraPrivate::getHeight(STREAM_TYPE type)
{
    switch (type) {
    case DVS_STREAM:
        return kEventHeight;
    case APS_STREAM:
        return kFrameHeight;
    default:
        return 0;
    }
}

void FusionCameraPrivate::clearCallbacks()
{
    m_eventCallbacks.clear();
    m_frameCallbacks.clear();
    m_syncCallbacks.clear();
}

void FusionCameraPrivate::eventsArrived(const Event2D* first, const Event2D* last)
{
    m_batcher.add(first, last);
    // The decoder's own output, handed on without a copy; callbacks take it as non-const.
    m_eventCallbacks.dispatch(const_cast<Event2D*>(first), const_cast<Event2D*>(last));
}

void FusionCameraPrivate::dispatchSyncSignal(const EventTriggerIn& signal)
{
    m_syncCallbacks.dispatch(signal);
}

bool FusionCameraPrivate::hasFrameCallbacks()
{
    return !m_frameCallbacks.empty();
}

void FusionCameraPrivate::dispatchFrame(const ApsFrame& frame)
{
    m_frameCallbacks.dispatch(frame);
}

} // namespace tarvo
