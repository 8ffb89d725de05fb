#include "EventTimeline.h"

#include "PulseTrain.h"
#include "TarvoHal/Evt3Encoder.h"

#include <algorithm>
#include <cstring>

namespace tarvo::sim {
namespace {

constexpr uint32_t kTimeLow = 0x6, kTimeHigh = 0x8, kExtTrigger = 0xA;

uint16_t readWord(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void writeWord(uint8_t* p, uint16_t word)
{
    p[0] = static_cast<uint8_t>(word & 0xFF);
    p[1] = static_cast<uint8_t>(word >> 8);
}

} // namespace

EventTimeline EventTimeline::loop(std::vector<uint8_t> bytes, uint64_t period)
{
    EventTimeline timeline;
    timeline.m_bytes = std::move(bytes);
    timeline.m_isLoop = true;
    timeline.m_period = std::max<uint64_t>(4096, period / 4096 * 4096);
    timeline.scan();
    return timeline;
}

EventTimeline EventTimeline::recording(std::vector<uint8_t> bytes)
{
    EventTimeline timeline;
    timeline.m_bytes = std::move(bytes);
    timeline.m_bytes.resize(timeline.m_bytes.size() / 2 * 2);
    timeline.scan();
    return timeline;
}

// Finds the time steps: each run of TIME_HIGH / TIME_LOW words starts one, which lasts until
// the next. Words before the first time word belong to the first step.
void EventTimeline::scan()
{
    uint64_t epoch = 0;
    uint32_t high = 0, low = 0;
    bool highKnown = false;
    bool inGroup = false;
    size_t groupStart = 0;
    const size_t words = m_bytes.size() / 2;
    auto closeGroup = [&]() {
        const uint64_t time = epoch | (uint64_t{high} << 12) | low;
        if (m_offsets.empty() && groupStart != 0) {
            m_offsets.push_back(0);
            m_times.push_back(time);
        }
        m_offsets.push_back(static_cast<uint32_t>(groupStart));
        m_times.push_back(std::max(time, m_times.empty() ? 0 : m_times.back()));
        inGroup = false;
    };
    for (size_t i = 0; i < words; ++i) {
        const uint16_t word = readWord(&m_bytes[i * 2]);
        const uint32_t type = word >> 12;
        if (type == kTimeHigh || type == kTimeLow) {
            if (!inGroup) {
                inGroup = true;
                groupStart = i * 2;
            }
            if (type == kTimeHigh) {
                const uint32_t value = word & 0xFFF;
                if (highKnown && value < high) {
                    epoch += uint64_t{1} << 24;
                }
                if (value != high || !highKnown) {
                    low = 0;
                }
                high = value;
                highKnown = true;
                if (m_isLoop) {
                    m_highWords.push_back(static_cast<uint32_t>(i));
                }
            } else {
                low = word & 0xFFF;
            }
        } else if (inGroup) {
            closeGroup();
        }
    }
    if (inGroup) {
        closeGroup();
    }
    if (m_offsets.empty() && !m_bytes.empty()) {
        // No time word at all: nothing in it can be decoded; leave the timeline empty.
        m_bytes.clear();
    }
}

void EventTimeline::begin(uint64_t clockTime)
{
    m_pending.clear();
    m_pendingRead = 0;
    m_resendHigh = false;
    if (m_isLoop) {
        m_streamShift = (clockTime + 4095) / 4096 * 4096;
        m_clockShift = 0;
        m_segment = 0;
        m_offset = 0;
        m_highIndex = 0;
    } else {
        // Resume where the recording stopped, its next step due at clockTime.
        if (m_segment < m_offsets.size() && m_offset != m_offsets[m_segment]) {
            resync();
        }
        if (m_segment < m_times.size()) {
            m_clockShift = static_cast<int64_t>(clockTime) - static_cast<int64_t>(m_times[m_segment]);
        }
        m_resendHigh = m_segment != 0;
    }
    m_position = clockTime;
}

void EventTimeline::addTrigger(uint64_t time, int16_t polarity)
{
    // Always TIME_HIGH and TIME_LOW: the step after it sends its own time again.
    Evt3Encoder::addWord(static_cast<uint16_t>((kTimeHigh << 12) | ((time >> 12) & 0xFFF)), m_pending);
    Evt3Encoder::addWord(static_cast<uint16_t>((kTimeLow << 12) | (time & 0xFFF)), m_pending);
    Evt3Encoder::addWord(static_cast<uint16_t>((kExtTrigger << 12) | (polarity & 1)), m_pending);
}

void EventTimeline::addTimeHigh(uint64_t time)
{
    Evt3Encoder::addWord(static_cast<uint16_t>((kTimeHigh << 12) | ((time >> 12) & 0xFFF)), m_pending);
}

void EventTimeline::emit(uint64_t until, std::vector<uint8_t>& out, size_t maxBytes, PulseTrain* triggers,
                         bool triggersOn)
{
    const bool withTriggers = triggers != nullptr && triggers->active() && m_isLoop;
    while (out.size() < maxBytes) {
        if (m_pendingRead < m_pending.size()) {
            const size_t count = std::min(m_pending.size() - m_pendingRead, maxBytes - out.size());
            out.insert(out.end(), m_pending.begin() + static_cast<long>(m_pendingRead),
                       m_pending.begin() + static_cast<long>(m_pendingRead + count));
            m_pendingRead += count;
            if (m_pendingRead == m_pending.size()) {
                m_pending.clear();
                m_pendingRead = 0;
            }
            continue;
        }
        if (m_segment >= m_offsets.size()) {
            if (!m_isLoop) {
                m_position = std::max(m_position, until);
                return;
            }
            if (m_offsets.empty()) {
                // A loop without events still carries its trigger edges.
                while (withTriggers && triggers->nextTime() <= until) {
                    if (triggersOn) {
                        addTrigger(triggers->nextTime(), triggers->nextPolarity());
                    }
                    triggers->pop();
                }
                if (m_pending.empty()) {
                    m_position = std::max(m_position, until);
                    return;
                }
                continue;
            }
            m_streamShift += m_period;
            m_segment = 0;
            m_offset = 0;
            m_highIndex = 0;
        }
        const uint64_t stepTime = streamTime(m_segment) + static_cast<uint64_t>(m_clockShift);
        const bool atStepStart = m_offset == m_offsets[m_segment];
        if (atStepStart) {
            if (withTriggers && triggers->nextTime() <= std::min(stepTime, until)) {
                if (triggersOn) {
                    addTrigger(triggers->nextTime(), triggers->nextPolarity());
                    m_position = std::max(m_position, triggers->nextTime());
                }
                triggers->pop();
                continue;
            }
            if (stepTime > until) {
                m_position = std::max(m_position, until);
                return;
            }
            if (m_resendHigh) {
                m_resendHigh = false;
                addTimeHigh(streamTime(m_segment));
                continue;
            }
        }
        const size_t stepEnd = m_segment + 1 < m_offsets.size() ? m_offsets[m_segment + 1] : m_bytes.size();
        const size_t count = std::min(stepEnd - m_offset, maxBytes - out.size());
        const size_t outBase = out.size();
        out.insert(out.end(), m_bytes.begin() + static_cast<long>(m_offset),
                   m_bytes.begin() + static_cast<long>(m_offset + count));
        if (m_isLoop) {
            const uint32_t highShift = static_cast<uint32_t>(m_streamShift >> 12);
            while (m_highIndex < m_highWords.size() && size_t{m_highWords[m_highIndex]} * 2 < m_offset) {
                ++m_highIndex;
            }
            for (;
                 m_highIndex < m_highWords.size() && size_t{m_highWords[m_highIndex]} * 2 < m_offset + count;
                 ++m_highIndex) {
                const size_t at = outBase + m_highWords[m_highIndex] * 2 - m_offset;
                const uint16_t word = readWord(&m_bytes[m_highWords[m_highIndex] * 2]);
                writeWord(&out[at], static_cast<uint16_t>((kTimeHigh << 12) | ((word + highShift) & 0xFFF)));
            }
        }
        m_offset += count;
        m_position = std::max(m_position, stepTime);
        if (m_offset == stepEnd) {
            ++m_segment;
        }
    }
}

void EventTimeline::resync()
{
    m_pending.clear();
    m_pendingRead = 0;
    if (m_segment < m_offsets.size() && m_offset != m_offsets[m_segment]) {
        ++m_segment;
        m_offset = m_segment < m_offsets.size() ? m_offsets[m_segment] : m_bytes.size();
    }
    m_resendHigh = true;
}

} // namespace tarvo::sim
