#include "Evt3Decoder.h"

#include <cstddef>
#include <cstring>

namespace tarvo {
namespace {

enum WordType : uint32_t
{
    kAddrY = 0x0,
    kAddrX = 0x2,
    kVectBaseX = 0x3,
    kVect12 = 0x4,
    kVect8 = 0x5,
    kTimeLow = 0x6,
    kTimeHigh = 0x8,
    kExtTrigger = 0xA,
};

inline uint32_t readWord(const uint8_t* p)
{
    uint16_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Writes an event as two 64-bit stores; the first also zeroes the padding after polarity.
inline void storeEvent(Event2D* out, uint64_t xyp, uint64_t time)
{
    static_assert(sizeof(Event2D) == 16 && offsetof(Event2D, timestamp) == 8, "Event2D layout");
    std::memcpy(reinterpret_cast<char*>(out), &xyp, 8);
    std::memcpy(reinterpret_cast<char*>(out) + 8, &time, 8);
}

inline uint64_t packXyp(uint32_t x, uint64_t rowBits, uint32_t polarity)
{
    return x | rowBits | (static_cast<uint64_t>(polarity) << 32);
}

} // namespace

Decoder::~Decoder() = default;

Evt3Decoder::Evt3Decoder() : m_run(kRunCapacity) {}

uint64_t Evt3Decoder::RateMeter::query()
{
    const auto now = std::chrono::steady_clock::now();
    const uint64_t current = total.load(std::memory_order_relaxed);
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastQuery).count();
    const uint64_t delta = current - lastTotal;
    lastTotal = current;
    lastQuery = now;
    if (elapsed <= 0) {
        return 0;
    }
    return static_cast<uint64_t>(static_cast<double>(delta) * 1e9 / static_cast<double>(elapsed));
}

uint64_t Evt3Decoder::getDataRate()
{
    return m_bytes.query();
}

uint64_t Evt3Decoder::getEventRate()
{
    return m_events.query();
}

void Evt3Decoder::setLastTimestamp(const uint64_t* timestamp)
{
    if (!timestamp) {
        return;
    }
    const uint64_t t = *timestamp;
    m_state.time = t;
    m_state.epoch = t & ~uint64_t{0xFFFFFF};
    m_state.high = static_cast<uint32_t>((t >> 12) & 0xFFF);
    m_state.low = static_cast<uint32_t>(t & 0xFFF);
    m_state.timeKnown = true;
}

uint32_t Evt3Decoder::countEvents(const uint8_t* first, const uint8_t* last)
{
    return static_cast<uint32_t>(run<Mode::Count>(first, last));
}

uint32_t Evt3Decoder::decode(const std::vector<uint8_t>& buffer)
{
    const uint64_t count = run<Mode::Emit>(buffer.data(), buffer.data() + buffer.size());
    m_bytes.total.fetch_add(buffer.size(), std::memory_order_relaxed);
    m_events.total.fetch_add(count, std::memory_order_relaxed);
    return static_cast<uint32_t>(count);
}

void Evt3Decoder::advanceTime(const uint8_t* first, const uint8_t* last)
{
    run<Mode::Time>(first, last);
}

void Evt3Decoder::flushRun(Event2D* end)
{
    Event2D* begin = m_run.data();
    if (end != begin && m_eventsCallback) {
        m_eventsCallback(begin, end);
    }
}

void Evt3Decoder::emitTrigger(const EventTriggerIn& trigger, Event2D* runEnd)
{
    // Events already decoded come first, so receivers see one time-ordered stream.
    flushRun(runEnd);
    if (m_triggerCallback) {
        m_triggerCallback(trigger);
    }
}

template <Evt3Decoder::Mode mode> uint64_t Evt3Decoder::run(const uint8_t* first, const uint8_t* last)
{
    uint64_t count = 0;
    if (!first || first >= last) {
        return 0;
    }
    if (m_hasPendingByte) {
        const uint8_t joined[2] = {m_pendingByte, *first};
        m_hasPendingByte = false;
        count += run<mode>(joined, joined + 2);
        if (++first == last) {
            return count;
        }
    }
    const auto size = static_cast<size_t>(last - first);
    const uint8_t* end = first + (size & ~size_t{1});
    const uint8_t* p = first;
    if (!(m_state.timeKnown && m_state.rowKnown)) {
        p = loop<mode, true>(p, end, count);
    }
    loop<mode, false>(p, end, count);
    if (end != last) {
        m_pendingByte = *end;
        m_hasPendingByte = true;
    }
    return count;
}

// The checked variant stops as soon as time and row are known, so the unchecked variant that
// carries the bulk of the stream needs no per-word test for them.
template <Evt3Decoder::Mode mode, bool checked>
const uint8_t* Evt3Decoder::loop(const uint8_t* p, const uint8_t* end, uint64_t& count)
{
    constexpr bool emit = mode == Mode::Emit;
    State s = m_state;
    uint64_t rowBits = static_cast<uint64_t>(s.y) << 16;
    Event2D* const runBegin = m_run.data();
    Event2D* const runLimit = runBegin + kRunCapacity - 12;
    Event2D* out = runBegin;
    uint64_t counted = 0;

    auto flushIfFull = [&]() {
        if (out > runLimit) {
            m_state = s;
            flushRun(out);
            counted += static_cast<uint64_t>(out - runBegin);
            out = runBegin;
        }
    };
    auto emitMask = [&](uint32_t mask) {
        if constexpr (emit) {
            const uint64_t time = s.time;
            while (mask) {
                const uint32_t i = static_cast<uint32_t>(__builtin_ctz(mask));
                storeEvent(out++, packXyp(static_cast<uint16_t>(s.baseX + i), rowBits, s.basePolarity), time);
                mask &= mask - 1;
            }
            flushIfFull();
        } else if constexpr (mode == Mode::Count) {
            counted += static_cast<uint64_t>(__builtin_popcount(mask));
        }
    };
    auto timeMoved = [&]() {
        if constexpr (emit) {
            if (fusionFlag && m_frameEnd != 0 && s.time >= m_frameEnd) {
                const EventTriggerIn sync(s.triggerId, 2, m_frameEnd);
                m_frameEnd = 0;
                m_state = s;
                emitTrigger(sync, out);
                counted += static_cast<uint64_t>(out - runBegin);
                out = runBegin;
            }
        }
    };

    for (; p < end; p += 2) {
        if constexpr (checked) {
            if (s.timeKnown && s.rowKnown) {
                break;
            }
        }
        const uint32_t word = readWord(p);
        const uint32_t type = word >> 12;
        if constexpr (checked) {
            if (!s.timeKnown && type != kTimeHigh) {
                continue;
            }
        }
        switch (type) {
        case kAddrY:
            s.y = static_cast<uint16_t>(word & 0x7FF);
            rowBits = static_cast<uint64_t>(s.y) << 16;
            if constexpr (checked) {
                s.rowKnown = true;
            }
            break;
        case kAddrX:
            if constexpr (checked) {
                if (!s.rowKnown) {
                    break;
                }
            }
            if constexpr (emit) {
                storeEvent(out++, packXyp(word & 0x7FF, rowBits, (word >> 11) & 1), s.time);
                flushIfFull();
            } else if constexpr (mode == Mode::Count) {
                ++counted;
            }
            break;
        case kVectBaseX:
            s.baseX = static_cast<uint16_t>(word & 0x7FF);
            s.basePolarity = static_cast<uint8_t>((word >> 11) & 1);
            break;
        case kVect12:
            if (checked && !s.rowKnown) {
                s.baseX = static_cast<uint16_t>(s.baseX + 12);
                break;
            }
            emitMask(word & 0xFFF);
            s.baseX = static_cast<uint16_t>(s.baseX + 12);
            break;
        case kVect8:
            if (checked && !s.rowKnown) {
                s.baseX = static_cast<uint16_t>(s.baseX + 8);
                break;
            }
            emitMask(word & 0xFF);
            s.baseX = static_cast<uint16_t>(s.baseX + 8);
            break;
        case kTimeLow: {
            s.low = word & 0xFFF;
            const uint64_t t = s.epoch | (static_cast<uint64_t>(s.high) << 12) | s.low;
            if (t > s.time) {
                s.time = t;
                timeMoved();
            }
            break;
        }
        case kTimeHigh: {
            const uint32_t high = word & 0xFFF;
            if (checked && !s.timeKnown) {
                s.timeKnown = true;
                s.high = high;
                s.low = 0;
                s.time = s.epoch | (static_cast<uint64_t>(high) << 12);
                break;
            }
            if (high != s.high) {
                if (high < s.high) {
                    s.epoch += uint64_t{1} << 24;
                }
                s.high = high;
                // A new TIME_HIGH starts its 4096 µs period; the TIME_LOW that follows places
                // the time inside it, so the stale low bits must not push the time ahead.
                s.low = 0;
                const uint64_t t = s.epoch | (static_cast<uint64_t>(high) << 12);
                if (t > s.time) {
                    s.time = t;
                    timeMoved();
                }
            }
            break;
        }
        case kExtTrigger:
            s.triggerId = static_cast<int16_t>((word >> 8) & 0xF);
            if constexpr (emit) {
                m_state = s;
                emitTrigger(EventTriggerIn(s.triggerId, static_cast<int16_t>(word & 1), s.time), out);
                counted += static_cast<uint64_t>(out - runBegin);
                out = runBegin;
            }
            break;
        default:
            // OTHERS, CONTINUED and reserved words carry no pixel events and no time.
            break;
        }
    }

    m_state = s;
    if constexpr (emit) {
        flushRun(out);
        counted += static_cast<uint64_t>(out - runBegin);
    }
    count += counted;
    return p;
}

} // namespace tarvo
