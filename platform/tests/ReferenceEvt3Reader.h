#pragma once

#include "TarvoBase/EventTypes.h"

#include <cstdint>
#include <vector>

namespace tarvo::test {

// A plain word-by-word reading of EVT 3.0, written from the format's description without any
// of the decoder's speed-ups, to check the decoder against: an event's time is the latest
// TIME_HIGH and TIME_LOW plus the rollovers counted on backward TIME_HIGH steps.
struct ReferenceEvt3Reader
{
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;

    void read(const std::vector<uint8_t>& bytes);
    uint64_t time() const { return m_wraps * (uint64_t{1} << 24) + (m_high << 12) + m_low; }

private:
    bool m_highKnown = false;
    bool m_rowKnown = false;
    uint64_t m_wraps = 0;
    uint64_t m_high = 0;
    uint64_t m_low = 0;
    uint16_t m_y = 0;
    uint16_t m_baseX = 0;
    uint8_t m_basePolarity = 0;
};

} // namespace tarvo::test
