#include "SimFrameEndpoint.h"

#include "SimFusionCamera.h"

namespace tarvo::sim {
namespace {

// Frames late by up to this many periods are still delivered, so that each keeps its edge.
constexpr uint64_t kMaxBacklog = 30;

} // namespace

SimFrameEndpoint::SimFrameEndpoint(std::shared_ptr<SimFusionCamera> camera, size_t bufferBytes, size_t depth)
    : SimEndpoint(camera, bufferBytes, depth), m_camera(*camera)
{
}

SimFrameEndpoint::~SimFrameEndpoint()
{
    stop();
}

void SimFrameEndpoint::produce()
{
    constexpr uint64_t period = SimFusionCamera::kFramePeriod;
    constexpr uint64_t readout = SimFusionCamera::kReadoutTime;
    uint64_t seenOrigin = ~uint64_t{0};
    uint64_t index = 1;
    while (!stopRequested()) {
        uint64_t origin = 0;
        if (!m_camera.connected() || !m_camera.frameSensorOn(origin)) {
            waitUntil(Clock::now() + std::chrono::milliseconds(100));
            continue;
        }
        if (origin != seenOrigin) {
            seenOrigin = origin;
            index = 1; // frame 0 is discarded by the sensor
        }
        const uint64_t edge = origin + index * period;
        const uint64_t due = edge + readout;
        const uint64_t now = m_camera.clockUs();
        if (now < due) {
            waitUntil(m_camera.wallTimeOf(due));
            continue;
        }
        if (now >= due + kMaxBacklog * period) {
            // Far behind (the process was stalled): the sensor has moved on to its newest frame.
            index = (now - origin - readout) / period;
            continue;
        }
        Buffer buffer = freshBuffer(SimFusionCamera::kFrameBytes);
        SimFusionCamera::renderFrame(index, edge, *buffer);
        push(std::move(buffer), false);
        ++index;
    }
}

} // namespace tarvo::sim
