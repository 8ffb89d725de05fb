#include "FusionTestSupport.h"

#include "SimFusionCamera.h"

namespace tarvo::test {
namespace {

using sim::SimFusionCamera;

// The end of a frame's exposure lies this long after its rising edge.
constexpr uint64_t kEdgeToFrameEnd = 25720;

// Whether the square the simulated camera draws into frame `index` is bright in `bgr`.
bool squareIsThere(const ApsFrame& frame, uint64_t index)
{
    constexpr uint32_t side = 128;
    const uint32_t left = static_cast<uint32_t>((index * 24) % (SimFusionCamera::kFrameWidth - side));
    const uint32_t top = static_cast<uint32_t>((index * 9) % (SimFusionCamera::kFrameHeight - side));
    const size_t pixel = (size_t{top + side / 2} * frame.getWidth() + left + side / 2) * 3;
    // Luma 235 turns white; the background ramp stays below 235 in every channel.
    return frame.data()[pixel] > 245 && frame.data()[pixel + 1] > 245 && frame.data()[pixel + 2] > 245;
}

} // namespace

uint64_t frameEdgeOrigin(const sim::SimDevice& device)
{
    uint64_t origin = 0;
    dynamic_cast<const SimFusionCamera&>(device).frameSensorOn(origin);
    return origin;
}

void collectEverything(FusionCamera& camera, const sim::SimDevice& device, FusionReceived& received)
{
    camera.addEventsStreamHandleCallback([&received](Event2D* first, Event2D* last) {
        received.update([&] { received.events.insert(received.events.end(), first, last); });
    });
    camera.addSyncSignalCallback([&received](EventTriggerIn signal) {
        received.update([&] { received.syncSignals.push_back(signal); });
    });
    camera.addApsFrameCallback([&received, &device](ApsFrame frame) {
        FusionReceived::Frame seen{frame.getStartTimestamp(), frame.getEndTimestamp(), false};
        const uint64_t origin = frameEdgeOrigin(device);
        const uint64_t sinceOrigin = frame.getEndTimestamp() - kEdgeToFrameEnd - origin;
        if (sinceOrigin % SimFusionCamera::kFramePeriod == 0) {
            seen.squareWhereItsEdgeSaysSo = squareIsThere(frame, sinceOrigin / SimFusionCamera::kFramePeriod);
        }
        received.update([&] { received.frames.push_back(seen); });
    });
}

} // namespace tarvo::test
