#include "SimFusionCamera.h"

#include "SimFrameEndpoint.h"

#include <algorithm>
#include <cstring>

namespace tarvo::sim {
namespace {

constexpr uint32_t kApsCtrl = 0x5000;
// The first edge comes a little after the switch-on so that it is never in the event stream's
// past.
constexpr uint64_t kFirstEdgeDelay = 1000;

// A still background: a diagonal luma ramp with neutral chroma.
const std::vector<uint8_t>& background()
{
    static const std::vector<uint8_t> frame = [] {
        constexpr uint32_t width = SimFusionCamera::kFrameWidth, height = SimFusionCamera::kFrameHeight;
        std::vector<uint8_t> ramp(width + height);
        for (uint32_t i = 0; i < ramp.size(); ++i) {
            ramp[i] = static_cast<uint8_t>(16 + (i / 32) % 200);
        }
        std::vector<uint8_t> bytes(SimFusionCamera::kFrameBytes, 128);
        for (uint32_t y = 0; y < height; ++y) {
            std::memcpy(bytes.data() + size_t{y} * width, ramp.data() + y, width);
        }
        return bytes;
    }();
    return frame;
}

} // namespace

SimFusionCamera::SimFusionCamera(const DeviceConfig& config) : SimEventCamera(config) {}

bool SimFusionCamera::outputEnabled() const
{
    return m_outputA && m_outputB;
}

bool SimFusionCamera::answerFrame(uint32_t property, const std::vector<uint32_t>& payload)
{
    if ((property != kOutputCommandA && property != kOutputCommandB) || payload.size() != 2 ||
        payload[0] != 0 || payload[1] > 1) {
        return false;
    }
    (property == kOutputCommandA ? m_outputA : m_outputB) = payload[1] == 1;
    return true;
}

void SimFusionCamera::onRegisterWritten(uint32_t address, uint32_t value)
{
    SimEventCamera::onRegisterWritten(address, value);
    if (address == kApsCtrl) {
        const bool on = (value & 1) != 0;
        if (on && !m_frameSensorOn) {
            m_frameOrigin = clockUs() + kFirstEdgeDelay;
        }
        m_frameSensorOn = on;
        ++m_triggerGeneration;
    }
}

bool SimFusionCamera::frameSensorOn(uint64_t& origin) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    origin = m_frameOrigin;
    return m_frameSensorOn;
}

PulseTrain SimFusionCamera::triggerSchedule(uint64_t from) const
{
    uint64_t origin = 0;
    if (!frameSensorOn(origin)) {
        return SimEventCamera::triggerSchedule(from);
    }
    PulseTrain train(origin, static_cast<double>(kFramePeriod));
    train.skipTo(from);
    return train;
}

void SimFusionCamera::renderFrame(uint64_t index, uint64_t edgeTime, std::vector<uint8_t>& out)
{
    const auto& still = background();
    out.resize(kFrameBytes);
    std::memcpy(out.data(), still.data(), kFrameBytes);
    // A bright square crossing the picture, one step per frame.
    constexpr uint32_t side = 128;
    const uint32_t left = static_cast<uint32_t>((index * 24) % (kFrameWidth - side));
    const uint32_t top = static_cast<uint32_t>((index * 9) % (kFrameHeight - side));
    for (uint32_t y = top; y < top + side; ++y) {
        std::memset(out.data() + size_t{y} * kFrameWidth + left, 235, side);
    }
    for (int i = 0; i < 8; ++i) {
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(edgeTime >> (8 * i));
    }
}

std::shared_ptr<SimEndpoint> SimFusionCamera::makeEndpoint(uint8_t address, size_t bufferBytes, size_t depth)
{
    if (address == kFrameEndpoint) {
        auto self = std::static_pointer_cast<SimFusionCamera>(shared_from_this());
        return std::make_shared<SimFrameEndpoint>(self, bufferBytes, depth);
    }
    return SimEventCamera::makeEndpoint(address, bufferBytes, depth);
}

} // namespace tarvo::sim
