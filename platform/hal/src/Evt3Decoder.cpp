#include "Evt3Decoder.h"

#include "Evt3GroupScan.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

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

evt3::BlockPath blockPath(Evt3DecodePath path)
{
    switch (path) {
    case Evt3DecodePath::Avx2:
        return {evt3::decodeBlocksAvx2, nullptr, evt3::kAvx2BlockBytes};
    case Evt3DecodePath::Avx512:
        return {evt3::decodeBlocksAvx512, evt3::scanBlocksAvx512, evt3::kAvx512BlockBytes};
    case Evt3DecodePath::Scalar:
        break;
    }
    return {};
}

} // namespace

Decoder::~Decoder() = default;

Evt3Decoder::Evt3Decoder(Evt3DecodePath path) : m_path(path), m_blocks(blockPath(path)), m_run(kRunCapacity)
{
    if (!cpuSupports(path)) {
        throw std::invalid_argument(std::string("Evt3Decoder: this processor has no ") +
                                    decodePathName(path));
    }
}

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

uint64_t Evt3Decoder::syncThreshold() const
{
    return fusionFlag && m_state.frameEnd != 0 ? m_state.frameEnd : UINT64_MAX;
}

Evt3Decoder::Cursor Evt3Decoder::loadCursor()
{
    Cursor c;
    c.time = m_state.time;
    c.epoch = m_state.epoch;
    c.high = m_state.high;
    c.rowBits = static_cast<uint64_t>(m_state.y) << 16;
    c.baseX = m_state.baseX;
    c.basePolBits = static_cast<uint64_t>(m_state.basePolarity) << 32;
    c.triggerId = m_state.triggerId;
    c.out = m_run.data();
    c.counted = 0;
    c.syncAt = syncThreshold();
    return c;
}

void Evt3Decoder::storeCursor(const Cursor& c)
{
    m_state.time = c.time;
    m_state.epoch = c.epoch;
    m_state.high = c.high;
    m_state.y = static_cast<uint16_t>(c.rowBits >> 16);
    m_state.baseX = static_cast<uint16_t>(c.baseX);
    m_state.basePolarity = static_cast<uint8_t>(c.basePolBits >> 32);
    m_state.triggerId = c.triggerId;
}

void Evt3Decoder::flushRun(Cursor& c)
{
    Event2D* begin = m_run.data();
    Event2D* end = c.out;
    if (end == begin) {
        return;
    }
    c.counted += static_cast<uint64_t>(end - begin);
    c.out = begin;
    if (m_eventsCallback) {
        storeCursor(c); // the callback may ask for the stream time
        m_eventsCallback(begin, end);
    }
}

template <Evt3Decoder::Mode mode> void Evt3Decoder::timeMoved(Cursor& c)
{
    if constexpr (mode == Mode::Emit) {
        if (c.time >= c.syncAt) {
            const EventTriggerIn sync(c.triggerId, 2, c.syncAt);
            m_state.frameEnd = 0;
            flushRun(c);
            storeCursor(c);
            if (m_triggerCallback) {
                m_triggerCallback(sync);
            }
            c.syncAt = syncThreshold();
        }
    }
}

template <Evt3Decoder::Mode mode> void Evt3Decoder::timeHighWord(uint32_t word, Cursor& c)
{
    const uint32_t high = word & 0xFFF;
    if (high == c.high) {
        return; // a repeat, sent for resynchronisation; not a tick
    }
    if (high < c.high) {
        c.epoch += uint64_t{1} << 24;
    }
    c.high = high;
    // The latest TIME_LOW stays in force until the next one arrives.
    c.time = c.epoch | (static_cast<uint64_t>(high) << 12) | (c.time & 0xFFF);
    timeMoved<mode>(c);
}

template <Evt3Decoder::Mode mode> void Evt3Decoder::triggerWord(uint32_t word, Cursor& c)
{
    c.triggerId = static_cast<int16_t>((word >> 8) & 0xF);
    if constexpr (mode == Mode::Emit) {
        // Events already decoded come first, so receivers see one time-ordered stream.
        flushRun(c);
        storeCursor(c);
        if (m_triggerCallback) {
            m_triggerCallback(EventTriggerIn(c.triggerId, static_cast<int16_t>(word & 1), c.time));
        }
        c.syncAt = syncThreshold();
    }
}

template <Evt3Decoder::Mode mode> uint64_t Evt3Decoder::run(const uint8_t* first, const uint8_t* last)
{
    if (!first || first >= last) {
        return 0;
    }
    uint64_t count = 0;
    if (m_state.hasPendingByte) {
        const uint8_t joined[2] = {m_state.pendingByte, *first};
        m_state.hasPendingByte = false;
        count += run<mode>(joined, joined + 2);
        if (++first == last) {
            return count;
        }
    }
    const auto size = static_cast<size_t>(last - first);
    const uint8_t* end = first + (size & ~size_t{1});
    if (end != last) {
        m_state.pendingByte = *end;
        m_state.hasPendingByte = true;
    }

    Cursor c = loadCursor();
    const uint8_t* p = first;
    if (!(m_state.timeKnown && m_state.rowKnown)) {
        p = startLoop<mode>(p, end, c);
    }
    if constexpr (mode == Mode::Emit) {
        if (m_blocks.decode) {
            blockLoop(p, end, c);
        } else {
            mainLoop<mode>(p, end, c);
        }
        flushRun(c);
    } else {
        scanLoop<mode>(p, end, c);
    }
    storeCursor(c);
    return count + c.counted;
}

// The start of a stream, until time and row are known: words before the first TIME_HIGH
// are skipped and pixel words before the first ADDR_Y dropped.
template <Evt3Decoder::Mode mode>
const uint8_t* Evt3Decoder::startLoop(const uint8_t* p, const uint8_t* end, Cursor& c)
{
    for (; p < end && !(m_state.timeKnown && m_state.rowKnown); p += 2) {
        const uint32_t word = readWord(p);
        const uint32_t type = word >> 12;
        if (!m_state.timeKnown) {
            if (type == kTimeHigh) {
                m_state.timeKnown = true;
                c.high = word & 0xFFF;
                c.time = c.epoch | (static_cast<uint64_t>(c.high) << 12);
            }
            continue;
        }
        switch (type) {
        case kAddrY:
            c.rowBits = static_cast<uint64_t>(word & 0x7FF) << 16;
            m_state.rowKnown = true;
            break;
        case kVectBaseX:
            c.baseX = word & 0x7FF;
            c.basePolBits = static_cast<uint64_t>((word >> 11) & 1) << 32;
            break;
        case kVect12:
        case kVect8:
            c.baseX += type == kVect12 ? 12 : 8;
            break;
        case kTimeLow:
            c.time = c.epoch | (static_cast<uint64_t>(c.high) << 12) | (word & 0xFFF);
            timeMoved<mode>(c);
            break;
        case kTimeHigh:
            timeHighWord<mode>(word, c);
            break;
        case kExtTrigger:
            triggerWord<mode>(word, c);
            break;
        default:
            break;
        }
    }
    return p;
}

// The bulk of a stream, with the state in registers. Triggers, TIME_HIGH changes, full runs
// and fusion frame ends leave the registers for a call.
template <Evt3Decoder::Mode mode> void Evt3Decoder::mainLoop(const uint8_t* p, const uint8_t* end, Cursor& c)
{
    constexpr bool emit = mode == Mode::Emit;
    Event2D* const runLimit = m_run.data() + kRunCapacity - 12;

    uint64_t time = c.time;
    uint64_t highBits = c.epoch | (static_cast<uint64_t>(c.high) << 12);
    uint64_t rowBits = c.rowBits;
    uint64_t baseX = c.baseX;
    uint64_t basePolBits = c.basePolBits;
    Event2D* out = c.out;
    uint64_t counted = 0;
    const auto save = [&] {
        c.time = time;
        c.rowBits = rowBits;
        c.baseX = static_cast<uint32_t>(baseX);
        c.basePolBits = basePolBits;
        c.out = out;
    };
    const auto reload = [&] {
        time = c.time;
        highBits = c.epoch | (static_cast<uint64_t>(c.high) << 12);
        out = c.out;
    };

    const auto pixel = [&](uint64_t word) {
        if constexpr (emit) {
            storeEvent(out++, (word & 0x7FF) | rowBits | ((word & 0x800) << 21), time);
        } else if constexpr (mode == Mode::Count) {
            ++counted;
        }
    };

    for (; p < end; p += 2) {
        // A row followed by one pixel is the commonest pair of words: take two such pairs, or
        // one, in one step.
        uint64_t quad = 0;
        if (p + 8 <= end) {
            std::memcpy(&quad, p, sizeof quad);
        }
        if ((quad & 0xF000F000F000F000u) == ((uint64_t{kAddrX} << 60) | (uint64_t{kAddrX} << 28))) {
            rowBits = (quad & 0x7FF) << 16;
            pixel((quad >> 16) & 0xFFFF);
            rowBits = ((quad >> 32) & 0x7FF) << 16;
            pixel(quad >> 48);
            p += 6; // the loop's own step adds the last two bytes
        } else if (p + 4 <= end && (readWord(p) >> 12) == kAddrY && (readWord(p + 2) >> 12) == kAddrX) {
            rowBits = static_cast<uint64_t>(readWord(p) & 0x7FF) << 16;
            pixel(readWord(p + 2));
            p += 2;
        } else {
            const uint32_t word = readWord(p);
            const uint32_t type = word >> 12;
            constexpr uint32_t kBranchTypes =
                (1u << kVect12) | (1u << kVect8) | (1u << kTimeHigh) | (1u << kExtTrigger);
            if (__builtin_expect(((kBranchTypes >> type) & 1) == 0, 1)) {
                // Rows, pixels, vector bases, TIME_LOW and the words that carry nothing come
                // in no predictable order: apply them with arithmetic selection, no branches.
                const uint64_t payload = word & 0x7FF;
                const uint64_t isRow = -static_cast<uint64_t>(((type ^ kAddrY) - 1) >> 31);
                const uint64_t isBase = -static_cast<uint64_t>(((type ^ kVectBaseX) - 1) >> 31);
                const uint64_t isLow = -static_cast<uint64_t>(((type ^ kTimeLow) - 1) >> 31);
                const uint32_t isPixel = ((type ^ kAddrX) - 1) >> 31;
                if constexpr (emit) {
                    storeEvent(out, payload | rowBits | ((static_cast<uint64_t>(word) & 0x800) << 21), time);
                    out += isPixel;
                } else if constexpr (mode == Mode::Count) {
                    counted += isPixel;
                }
                rowBits ^= (rowBits ^ (payload << 16)) & isRow;
                baseX ^= (baseX ^ payload) & isBase;
                basePolBits ^= (basePolBits ^ ((static_cast<uint64_t>(word) & 0x800) << 21)) & isBase;
                // Cameras may send a TIME_LOW a few µs below the previous one; it is taken as sent.
                time ^= (time ^ (highBits | (word & 0xFFF))) & isLow;
                if (emit && __builtin_expect(time >= c.syncAt, 0)) {
                    save();
                    timeMoved<mode>(c);
                    reload();
                }
            } else if (type == kVect12 || type == kVect8) {
                const uint32_t mask = type == kVect12 ? (word & 0xFFF) : (word & 0xFF);
                if constexpr (emit) {
                    const uint64_t common = rowBits | basePolBits;
                    for (uint32_t bits = mask; bits != 0; bits &= bits - 1) {
                        storeEvent(out++,
                                   ((baseX + static_cast<uint32_t>(__builtin_ctz(bits))) & 0xFFFF) | common,
                                   time);
                    }
                } else if constexpr (mode == Mode::Count) {
                    counted += groupscan::bitCount(mask);
                }
                baseX += type == kVect12 ? 12 : 8;
            } else if (type == kTimeHigh) {
                if ((word & 0xFFF) != c.high) { // repeats, sent for resynchronisation, change nothing
                    save();
                    timeHighWord<mode>(word, c);
                    reload();
                }
            } else {
                save();
                triggerWord<mode>(word, c);
                reload();
            }
        }
        if constexpr (emit) {
            if (__builtin_expect(out > runLimit, 0)) {
                save();
                flushRun(c);
                reload();
            }
        }
    }
    save();
    c.counted += counted;
}

evt3::BlockState Evt3Decoder::blockState(const Cursor& c)
{
    evt3::BlockState s;
    s.highBits = c.epoch | (static_cast<uint64_t>(c.high) << 12);
    s.high = c.high;
    s.low = static_cast<uint32_t>(c.time & 0xFFF);
    s.row = static_cast<uint32_t>(c.rowBits >> 16);
    s.baseX = c.baseX & 0xFFFF;
    s.basePolarity = static_cast<uint32_t>(c.basePolBits >> 32);
    // Blocks are decoded only while the stream time is below the frame end, which keeps the
    // difference positive there; counting and time-only decoding do not read the limit.
    s.lowLimit = static_cast<uint32_t>(std::min<uint64_t>(c.syncAt - s.highBits, 0x1000));
    return s;
}

void Evt3Decoder::applyBlockState(const evt3::BlockState& s, Cursor& c)
{
    c.time = s.highBits | s.low;
    c.rowBits = static_cast<uint64_t>(s.row) << 16;
    c.baseX = s.baseX;
    c.basePolBits = static_cast<uint64_t>(s.basePolarity) << 32;
}

void Evt3Decoder::blockLoop(const uint8_t* p, const uint8_t* end, Cursor& c)
{
    const ptrdiff_t blockBytes = m_blocks.blockBytes;
    const auto* outLimit =
        reinterpret_cast<const uint8_t*>(m_run.data() + kRunCapacity - evt3::kMaxBlockRecords);
    while (end - p >= blockBytes) {
        // A fusion frame end set at or before the stream time is reported by the next word
        // decoded one at a time.
        if (c.time < c.syncAt) {
            evt3::BlockState s = blockState(c);
            auto* out = reinterpret_cast<uint8_t*>(c.out);
            p = m_blocks.decode(p, end, s, out, outLimit);
            applyBlockState(s, c);
            c.out = reinterpret_cast<Event2D*>(out);
            if (end - p < blockBytes) {
                break;
            }
            if (out > outLimit) {
                flushRun(c);
                continue;
            }
        }
        // A trigger, a change of TIME_HIGH or the fusion frame end: word by word.
        mainLoop<Mode::Emit>(p, p + blockBytes, c);
        p += blockBytes;
    }
    mainLoop<Mode::Emit>(p, end, c);
}

template <Evt3Decoder::Mode mode> void Evt3Decoder::scanLoop(const uint8_t* p, const uint8_t* end, Cursor& c)
{
    if (m_blocks.scan) {
        const ptrdiff_t blockBytes = m_blocks.blockBytes;
        while (end - p >= blockBytes) {
            evt3::BlockState s = blockState(c);
            p = m_blocks.scan(p, end, s, c.counted);
            applyBlockState(s, c);
            if (end - p < blockBytes) {
                break;
            }
            // A trigger or a change of TIME_HIGH: word by word.
            mainLoop<mode>(p, p + blockBytes, c);
            p += blockBytes;
        }
    }
    Evt3ScanState s{};
    const auto load = [&] {
        s.time = c.time;
        s.high = c.high;
        s.highBits = c.epoch | (static_cast<uint64_t>(c.high) << 12);
        s.rowBits = c.rowBits;
        s.baseX = c.baseX;
        s.basePolBits = c.basePolBits;
        s.counted = 0;
    };
    const auto store = [&] {
        c.time = s.time;
        c.rowBits = s.rowBits;
        c.baseX = static_cast<uint32_t>(s.baseX);
        c.basePolBits = s.basePolBits;
        c.counted += s.counted;
    };
    constexpr ptrdiff_t kGroupBytes = 32;
    load();
    for (; end - p >= kGroupBytes; p += kGroupBytes) {
        if (!scanSixteenWords(p, s)) {
            store();
            mainLoop<mode>(p, p + kGroupBytes, c);
            load();
        }
    }
    store();
    mainLoop<mode>(p, end, c);
}

} // namespace tarvo
