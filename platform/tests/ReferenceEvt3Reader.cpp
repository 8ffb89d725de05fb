#include "ReferenceEvt3Reader.h"

namespace tarvo::test {

void ReferenceEvt3Reader::read(const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned word = bytes[i] | (bytes[i + 1] << 8);
        const unsigned type = word >> 12;
        const unsigned payload = word & 0xFFF;
        if (type == 0x8) {
            if (m_highKnown && payload < m_high) {
                ++m_wraps;
            }
            m_high = payload;
            m_highKnown = true;
            continue;
        }
        if (!m_highKnown) {
            continue;
        }
        switch (type) {
        case 0x0:
            m_y = static_cast<uint16_t>(payload & 0x7FF);
            m_rowKnown = true;
            break;
        case 0x2:
            if (m_rowKnown) {
                events.emplace_back(payload & 0x7FF, m_y, payload >> 11, time());
            }
            break;
        case 0x3:
            m_baseX = static_cast<uint16_t>(payload & 0x7FF);
            m_basePolarity = static_cast<uint8_t>(payload >> 11);
            break;
        case 0x4:
        case 0x5: {
            const unsigned width = type == 0x4 ? 12 : 8;
            for (unsigned bit = 0; bit < width; ++bit) {
                if (m_rowKnown && (payload >> bit & 1)) {
                    events.emplace_back(static_cast<uint16_t>(m_baseX + bit), m_y, m_basePolarity, time());
                }
            }
            m_baseX = static_cast<uint16_t>(m_baseX + width);
            break;
        }
        case 0x6:
            m_low = payload;
            break;
        case 0xA:
            triggers.emplace_back(static_cast<int16_t>(payload >> 8), static_cast<int16_t>(payload & 1),
                                  time());
            break;
        default:
            break;
        }
    }
}

} // namespace tarvo::test
