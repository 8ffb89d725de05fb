#pragma once

#include "EventTimeline.h"
#include "PulseTrain.h"
#include "SimDevice.h"
#include "TarvoBase/EventTypes.h"

#include <mutex>
#include <optional>
#include <vector>

namespace tarvo::sim {

// What the event sensor's registers say at one moment.
struct EventStreamState
{
    bool streaming = false;  // sensor started and its output switched on
    bool triggersOn = false; // trigger input 0 enabled
    uint64_t effectsGeneration = 0;
    uint64_t triggerGeneration = 0;
    uint64_t startedAt = 0; // device clock when the stream last started
};

// How the sensor's settings shape the scene it sees.
struct SensorEffects
{
    double onFactor = 1;  // ON events relative to the default biases
    double offFactor = 1; // OFF events relative to the default biases
    bool roiEnabled = false;
    bool roiKeepsInside = true;
    std::vector<bool> columns; // enabled columns (1280)
    std::vector<bool> rows;    // enabled rows (720)
    bool ercEnabled = false;
    double ercLimit = 0; // events per second
};

// A simulated IMX636 event camera (USB or Ethernet). Its event endpoint 0x52 streams EVT 3.0
// while the sensor is started: a synthetic moving scene at the configured rate, shaped by the
// biases, the region of interest and the event-rate control, or a RAW recording. Trigger pulses
// of the configured frequency appear on input 0 while trigger-in is enabled.
class SimEventCamera : public SimDevice
{
public:
    static constexpr uint8_t kEventEndpoint = 0x52;
    static constexpr uint16_t kWidth = 1280;
    static constexpr uint16_t kHeight = 720;

    explicit SimEventCamera(const DeviceConfig& config);

    EventStreamState eventStreamState() const;
    SensorEffects sensorEffects() const;
    // What the sensor streams with its current settings (called on the endpoint thread).
    EventTimeline buildTimeline();
    // Trigger edges from `from` on, on the device clock.
    virtual PulseTrain triggerSchedule(uint64_t from) const;
    // Whether event buffers leave the device with each 32-bit word byte-reversed.
    virtual bool swapsWords() const { return false; }
    bool replays() const { return m_config.source == "replay"; }

    // Filters scene events as the sensor settings would (shared with tests).
    static void applyEffects(const SensorEffects& effects, uint64_t period, std::vector<Event2D>& events);

protected:
    std::shared_ptr<SimEndpoint> makeEndpoint(uint8_t address, size_t bufferBytes, size_t depth) override;
    void onRegisterWritten(uint32_t address, uint32_t value) override;
    // Whether the output path after the sensor is open (lock held).
    virtual bool outputEnabled() const;
    void onStateChanged() override;

    std::atomic<uint64_t> m_triggerGeneration{0};

private:
    bool streamingNow() const; // lock held

    bool m_streaming = false; // guarded by m_mutex
    uint64_t m_startedAt = 0; // guarded by m_mutex
    EventTimeline buildScene();
    EventTimeline loadRecording();

    std::mutex m_sceneMutex; // guards the cached scene below (built on endpoint threads)
    std::vector<Event2D> m_sceneEvents;
    double m_sceneRate = 0;
    uint64_t m_scenePeriod = 0;
    // The timeline last built from the scene and the settings it was built for: a sensor started
    // again with the same settings streams at once, as a real one does.
    std::optional<EventTimeline> m_builtTimeline;
    SensorEffects m_builtEffects;
};

} // namespace tarvo::sim
