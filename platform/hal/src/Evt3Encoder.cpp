#include "TarvoHal/Evt3Encoder.h"

#include <stdexcept>

namespace tarvo {
namespace {

constexpr uint16_t word(uint32_t type, uint32_t payload)
{
    return static_cast<uint16_t>((type << 12) | (payload & 0xFFF));
}

constexpr uint32_t kAddrY = 0x0, kAddrX = 0x2, kVectBaseX = 0x3, kVect12 = 0x4, kVect8 = 0x5, kTimeLow = 0x6,
                   kTimeHigh = 0x8, kExtTrigger = 0xA;

// Shortest run of events worth a vector group (base word plus at least one vector word).
constexpr ptrdiff_t kMinVectorRun = 3;

bool continuesVector(const Event2D& previous, const Event2D& next)
{
    return next.timestamp == previous.timestamp && next.y == previous.y &&
           (next.polarity != 0) == (previous.polarity != 0) && next.x > previous.x;
}

} // namespace

Evt3Encoder::Evt3Encoder(uint64_t originTime)
    : m_time(originTime), m_epoch(originTime & ~uint64_t{0xFFFFFF}),
      m_high(static_cast<uint32_t>((originTime >> 12) & 0xFFF)),
      m_low(static_cast<uint32_t>(originTime & 0xFFF)), m_lastHighWordTime(originTime)
{
}

void Evt3Encoder::addWord(uint16_t value, std::vector<uint8_t>& out)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Evt3Encoder::addTime(uint64_t time, std::vector<uint8_t>& out)
{
    moveTo(time, out);
}

void Evt3Encoder::moveTo(uint64_t time, std::vector<uint8_t>& out)
{
    if (time < m_time) {
        throw std::invalid_argument("Evt3Encoder: time goes back");
    }
    const uint64_t epoch = time & ~uint64_t{0xFFFFFF};
    const uint32_t high = static_cast<uint32_t>((time >> 12) & 0xFFF);
    const uint32_t low = static_cast<uint32_t>(time & 0xFFF);
    bool highChanged = !m_highSent;
    while (m_epoch < epoch) {
        // Each rollover is a backward step of TIME_HIGH; from 0 step forward first.
        if (m_high == 0) {
            addWord(word(kTimeHigh, 0xFFF), out);
        }
        addWord(word(kTimeHigh, 0), out);
        m_high = 0;
        m_epoch += uint64_t{1} << 24;
        highChanged = true;
    }
    if (highChanged || high != m_high) {
        addWord(word(kTimeHigh, high), out);
        m_high = high;
        m_highSent = true;
        m_lastHighWordTime = time;
        addWord(word(kTimeLow, low), out);
        m_low = low;
        m_row = -1;
    } else {
        if (m_repeatPeriod != 0 && time - m_lastHighWordTime >= m_repeatPeriod) {
            addWord(word(kTimeHigh, high), out);
            m_lastHighWordTime = time;
        }
        if (low != m_low) {
            addWord(word(kTimeLow, low), out);
            m_low = low;
            m_row = -1;
        }
    }
    m_time = time;
}

void Evt3Encoder::selectRow(uint16_t y, std::vector<uint8_t>& out)
{
    if (m_row != y) {
        addWord(word(kAddrY, y), out);
        m_row = y;
    }
}

void Evt3Encoder::addVector(const Event2D* first, const Event2D* last, std::vector<uint8_t>& out)
{
    const uint32_t polarityBit = first->polarity ? 0x800 : 0;
    uint32_t base = first->x;
    addWord(word(kVectBaseX, base | polarityBit), out);
    const Event2D* e = first;
    while (e != last) {
        uint32_t mask = 0;
        while (e != last && e->x < base + 12) {
            mask |= 1u << (e->x - base);
            ++e;
        }
        if (e == last && mask < 0x100) {
            addWord(word(kVect8, mask), out);
            break;
        }
        addWord(word(kVect12, mask), out);
        base += 12;
        if (e != last && e->x >= base + 12) {
            base = e->x;
            addWord(word(kVectBaseX, base | polarityBit), out);
        }
    }
}

void Evt3Encoder::addEvents(const Event2D* first, const Event2D* last, std::vector<uint8_t>& out)
{
    for (const Event2D* e = first; e != last; ++e) {
        if (e->x > 0x7FF || e->y > 0x7FF) {
            throw std::invalid_argument("Evt3Encoder: coordinate beyond 11 bits");
        }
    }
    const Event2D* e = first;
    while (e != last) {
        moveTo(e->timestamp, out);
        selectRow(e->y, out);
        const Event2D* runEnd = e + 1;
        while (runEnd != last && continuesVector(*(runEnd - 1), *runEnd)) {
            ++runEnd;
        }
        if (runEnd - e >= kMinVectorRun) {
            addVector(e, runEnd, out);
            e = runEnd;
        } else {
            addWord(word(kAddrX, e->x | (e->polarity ? 0x800u : 0u)), out);
            ++e;
        }
    }
}

void Evt3Encoder::addTrigger(const EventTriggerIn& trigger, std::vector<uint8_t>& out)
{
    moveTo(trigger.timestamp, out);
    addWord(word(kExtTrigger, (static_cast<uint32_t>(trigger.id & 0xF) << 8) | (trigger.polarity & 1)), out);
}

void Evt3Encoder::addMerged(const std::vector<Event2D>& events, const std::vector<EventTriggerIn>& triggers,
                            std::vector<uint8_t>& out)
{
    size_t next = 0;
    for (const EventTriggerIn& trigger : triggers) {
        size_t until = next;
        while (until < events.size() && events[until].timestamp < trigger.timestamp) {
            ++until;
        }
        addEvents(events.data() + next, events.data() + until, out);
        addTrigger(trigger, out);
        next = until;
    }
    addEvents(events.data() + next, events.data() + events.size(), out);
}

std::vector<uint8_t> Evt3Encoder::encode(const std::vector<Event2D>& events,
                                         const std::vector<EventTriggerIn>& triggers, uint64_t originTime)
{
    Evt3Encoder encoder(originTime);
    std::vector<uint8_t> out;
    out.reserve(events.size() * 2 + triggers.size() * 6 + 16);
    encoder.addMerged(events, triggers, out);
    return out;
}

} // namespace tarvo
