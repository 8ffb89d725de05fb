#pragma once

#include "SimEventCamera.h"

#include <vector>

namespace tarvo::sim {

// A simulated fusion camera: the event camera plus an IMX415 frame sensor. Its event output
// also needs the two output switches of the control frames 0x40010010 and 0x40010200 and leaves
// the device with every 32-bit word byte-reversed. While "aps_ctrl" is 1 the frame endpoint
// 0x53 delivers NV12 3840 × 2160 frames at 30 per second; each frame is announced by a rising
// edge on trigger input 0 at the end of its exposure and follows once read out, 25 720 µs
// later. The first frame after switching on is discarded by the sensor, so its edge comes
// alone. The first eight bytes of each frame's luma hold its edge time (little-endian µs).
class SimFusionCamera : public SimEventCamera
{
public:
    static constexpr uint8_t kFrameEndpoint = 0x53;
    static constexpr uint32_t kFrameWidth = 3840;
    static constexpr uint32_t kFrameHeight = 2160;
    static constexpr size_t kFrameBytes = size_t{kFrameWidth} * kFrameHeight * 3 / 2;
    static constexpr uint64_t kFramePeriod = 33333; // µs
    static constexpr uint64_t kReadoutTime = 25720; // µs from the edge to the frame's arrival
    static constexpr uint32_t kOutputCommandA = 0x40010010;
    static constexpr uint32_t kOutputCommandB = 0x40010200;

    explicit SimFusionCamera(const DeviceConfig& config);

    PulseTrain triggerSchedule(uint64_t from) const override;
    bool swapsWords() const override { return true; }

    // Whether the frame sensor runs, and the device time of its first edge.
    bool frameSensorOn(uint64_t& origin) const;
    // Writes frame `index`, whose edge is at `edgeTime`, into `out` (resized to one frame).
    static void renderFrame(uint64_t index, uint64_t edgeTime, std::vector<uint8_t>& out);

protected:
    std::shared_ptr<SimEndpoint> makeEndpoint(uint8_t address, size_t bufferBytes, size_t depth) override;
    void onRegisterWritten(uint32_t address, uint32_t value) override;
    bool answerFrame(uint32_t property, const std::vector<uint32_t>& payload) override;
    bool outputEnabled() const override;

private:
    bool m_outputA = false;       // guarded by m_mutex
    bool m_outputB = false;       // guarded by m_mutex
    bool m_frameSensorOn = false; // guarded by m_mutex
    uint64_t m_frameOrigin = 0;   // guarded by m_mutex
};

} // namespace tarvo::sim
