#pragma once

#include <cstdint>

namespace tarvo::sim {

// Edges of a periodic pulse on a trigger input: rising at origin + k·period, falling half a
// period later.
class PulseTrain
{
public:
    PulseTrain() = default;
    // periodUs 0: no pulses.
    PulseTrain(uint64_t origin, double periodUs);

    bool active() const { return m_period > 0; }
    // The next edge, at or after the position set by skipTo().
    uint64_t nextTime() const;
    int16_t nextPolarity() const { return m_rising ? 1 : 0; }
    void pop();
    // Moves to the first edge at or after `time`.
    void skipTo(uint64_t time);

private:
    uint64_t m_origin = 0;
    double m_period = 0;
    uint64_t m_pulse = 0;
    bool m_rising = true;
};

} // namespace tarvo::sim
