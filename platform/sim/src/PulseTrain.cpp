#include "PulseTrain.h"

#include <cmath>
#include <limits>

namespace tarvo::sim {

PulseTrain::PulseTrain(uint64_t origin, double periodUs)
    : m_origin(origin), m_period(periodUs > 0 ? periodUs : 0)
{
}

uint64_t PulseTrain::nextTime() const
{
    if (!active()) {
        return std::numeric_limits<uint64_t>::max();
    }
    const double offset = m_pulse * m_period + (m_rising ? 0 : m_period / 2);
    return m_origin + static_cast<uint64_t>(std::llround(offset));
}

void PulseTrain::pop()
{
    if (m_rising) {
        m_rising = false;
    } else {
        m_rising = true;
        ++m_pulse;
    }
}

void PulseTrain::skipTo(uint64_t time)
{
    if (!active()) {
        return;
    }
    if (time > m_origin) {
        m_pulse = static_cast<uint64_t>(std::floor((time - m_origin) / m_period));
        m_rising = true;
    }
    while (nextTime() < time) {
        pop();
    }
}

} // namespace tarvo::sim
