#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoSim/tarvosim_export.h"

#include <cstdint>
#include <random>
#include <vector>

namespace tarvo::sim {

struct SceneOptions
{
    uint16_t width = 1280;
    uint16_t height = 720;
    double eventsPerSecond = 10e6;
    double triggerHz = 0; // rising and falling edge per period on channel 0; 0: none
    uint64_t seed = 1;
    uint32_t tickUs = 1;       // events are produced on ticks of this many microseconds
    double rowRunShare = 0.45; // share of events that come in runs along a row
    double noiseShare = 0.1;   // share of isolated events at random pixels
    // A stretch of busier scene, [burstStartUs, burstEndUs) from the start time, whose event
    // rate is burstFactor times the rate above; none while the stretch is empty.
    uint64_t burstStartUs = 0;
    uint64_t burstEndUs = 0;
    double burstFactor = 1;
};

// A deterministic moving scene: bars sweeping across the sensor whose vertical edges give
// single events and whose horizontal edges give runs of neighbouring pixels on one row,
// plus background noise and optional trigger pulses. The same options give the same stream.
class TARVOSIM_EXPORT SyntheticScene
{
public:
    explicit SyntheticScene(const SceneOptions& options, uint64_t startTime = 0);

    // Appends the events and trigger edges of [from, to) in time order; successive calls must
    // ask for adjoining windows.
    void generate(uint64_t from, uint64_t to, std::vector<Event2D>& events,
                  std::vector<EventTriggerIn>& triggers);

    const SceneOptions& options() const { return m_options; }

private:
    struct Bar
    {
        double x0, y0; // position at the start time, pixels
        double vx, vy; // pixels per second
        uint16_t halfWidth, halfHeight;
    };

    // Adds about `budget` events at `time`; returns what is left of the budget, negative
    // when a run took more.
    int64_t addTick(uint64_t time, int64_t budget, std::vector<Event2D>& events);
    void addTriggers(uint64_t from, uint64_t to, std::vector<EventTriggerIn>& triggers) const;

    SceneOptions m_options;
    uint64_t m_startTime;
    std::mt19937_64 m_random;
    std::vector<Bar> m_bars;
    double m_runStart = 0; // chance that an event slot starts a run
    double m_carry = 0;    // events owed to (or borrowed from) the next ticks
    uint64_t m_nextTick;
};

} // namespace tarvo::sim
