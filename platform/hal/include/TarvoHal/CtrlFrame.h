#pragma once

#include "TarvoHal/tarvohal_export.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo {

// One control frame: a 32-bit command word (the property), a size word and 32-bit payload
// words. After a transfer the frame holds the device's answer: the same property, the size
// and the answer's payload, whose first word is the status (0 accepted).
class TARVOHAL_EXPORT CtrlFrame
{
public:
    explicit CtrlFrame(uint32_t property);

    void push_back32(uint32_t word);
    uint32_t get_property() const { return word(0); }
    // Bytes of the frame, header included.
    size_t frame_size() const { return m_request.size(); }
    // Writes the payload size into the header; a transfer does this before sending.
    void updateSize();
    // Makes the received answer the frame's content (and the request its answer slot).
    void swap_req_and_answer();

    // Payload word `index` (after the two header words), or 0 beyond the end.
    uint32_t payload32(size_t index) const;
    size_t payloadWords() const { return m_request.size() / 4 - 2; }
    const std::vector<uint8_t>& bytes() const { return m_request; }
    // The answer slot the transport fills before swap_req_and_answer().
    std::vector<uint8_t>& answer() { return m_answer; }

    // Builds raw frame bytes from a property and payload words (used by devices to answer).
    static std::vector<uint8_t> build(uint32_t property, const std::vector<uint32_t>& payload);

private:
    uint32_t word(size_t index) const;

    std::vector<uint8_t> m_request;
    std::vector<uint8_t> m_answer;
};

} // namespace tarvo
