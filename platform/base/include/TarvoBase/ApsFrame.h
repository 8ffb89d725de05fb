#pragma once

#include "TarvoBase/tarvobase_export.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarvo {

// One conventional image with its exposure start and end on the event clock.
// Copies share the pixel bytes; clone() makes an independent deep copy.
class TARVOBASE_EXPORT ApsFrame
{
public:
    // An owned buffer of width × height × 3 bytes (RGB/BGR), zeroed.
    ApsFrame(uint32_t width = 3840, uint32_t height = 2160, uint64_t startTimestamp = 0,
             uint64_t endTimestamp = 0);
    // Over given bytes: copied into an owned buffer when copy is true, otherwise
    // referenced, in which case the caller keeps them alive while the frame is used.
    ApsFrame(uint32_t width, uint32_t height, uint64_t startTimestamp, uint64_t endTimestamp, uint8_t* data,
             size_t size, bool copy);

    uint8_t* data() const { return m_data; }
    size_t getDataSize() const { return m_size; }
    uint32_t getWidth() const { return m_width; }
    uint32_t getHeight() const { return m_height; }
    uint64_t getStartTimestamp() const { return m_startTimestamp; }
    uint64_t getEndTimestamp() const { return m_endTimestamp; }

    ApsFrame clone() const;

private:
    uint32_t m_width;
    uint32_t m_height;
    uint64_t m_startTimestamp;
    uint64_t m_endTimestamp;
    std::shared_ptr<uint8_t[]> m_owned; // empty when the frame refers to outside bytes
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

} // namespace tarvo
