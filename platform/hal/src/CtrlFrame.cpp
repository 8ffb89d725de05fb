#include "TarvoHal/CtrlFrame.h"

#include <utility>

namespace tarvo {
namespace {

void appendWord(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

} // namespace

CtrlFrame::CtrlFrame(uint32_t property)
{
    appendWord(m_request, property);
    appendWord(m_request, 0);
}

void CtrlFrame::push_back32(uint32_t value)
{
    appendWord(m_request, value);
}

void CtrlFrame::updateSize()
{
    const auto size = static_cast<uint32_t>(m_request.size() - 8);
    for (int i = 0; i < 4; ++i) {
        m_request[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * i));
    }
}

void CtrlFrame::swap_req_and_answer()
{
    std::swap(m_request, m_answer);
    // A frame always keeps its two header words, even after a malformed answer.
    if (m_request.size() < 8) {
        m_request.resize(8, 0);
    }
    m_request.resize(m_request.size() / 4 * 4);
}

uint32_t CtrlFrame::word(size_t index) const
{
    if (m_request.size() < (index + 1) * 4) {
        return 0;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(m_request[index * 4 + i]) << (8 * i);
    }
    return value;
}

uint32_t CtrlFrame::payload32(size_t index) const
{
    return word(index + 2);
}

std::vector<uint8_t> CtrlFrame::build(uint32_t property, const std::vector<uint32_t>& payload)
{
    std::vector<uint8_t> bytes;
    appendWord(bytes, property);
    appendWord(bytes, static_cast<uint32_t>(payload.size() * 4));
    for (uint32_t value : payload) {
        appendWord(bytes, value);
    }
    return bytes;
}

} // namespace tarvo
