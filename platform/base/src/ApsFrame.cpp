#include "TarvoBase/ApsFrame.h"

#include <cstring>

namespace tarvo {

ApsFrame::ApsFrame(uint32_t width, uint32_t height, uint64_t startTimestamp, uint64_t endTimestamp)
    : m_width(width), m_height(height), m_startTimestamp(startTimestamp), m_endTimestamp(endTimestamp),
      m_size(static_cast<size_t>(width) * height * 3)
{
    m_owned.reset(new uint8_t[m_size]());
    m_data = m_owned.get();
}

ApsFrame::ApsFrame(uint32_t width, uint32_t height, uint64_t startTimestamp, uint64_t endTimestamp,
                   uint8_t* data, size_t size, bool copy)
    : m_width(width), m_height(height), m_startTimestamp(startTimestamp), m_endTimestamp(endTimestamp),
      m_data(data), m_size(size)
{
    if (copy) {
        m_owned.reset(new uint8_t[size]);
        if (size > 0 && data) {
            std::memcpy(m_owned.get(), data, size);
        }
        m_data = m_owned.get();
    }
}

ApsFrame ApsFrame::clone() const
{
    return ApsFrame(m_width, m_height, m_startTimestamp, m_endTimestamp, m_data, m_size, true);
}

} // namespace tarvo
