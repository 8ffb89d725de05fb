#include "PayloadMap.h"

#include "BookmarkScanner.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>
#include <cstring>

namespace tarvo {
namespace {

constexpr uint32_t kTimeLow = 0x6;
constexpr uint32_t kTimeHigh = 0x8;
constexpr uint64_t kLowBits = 0xFFF;
constexpr uint64_t kEpochBits = ~uint64_t{0xFFFFFF};
constexpr uint64_t kRollover = uint64_t{1} << 24;

} // namespace

PayloadMap::PayloadMap(std::unique_ptr<Decoder> scratch) : m_scratch(std::move(scratch))
{
    m_wordSize = std::max<size_t>(1, m_scratch->getRawEventSize());
}

PayloadMap::~PayloadMap() = default;

void PayloadMap::reset(const uint8_t* bytes, uint64_t start, uint64_t size, uint64_t chunkBytes)
{
    m_bytes = bytes;
    m_start = start;
    m_chunkBytes = chunkBytes;
    m_chunks.assign(static_cast<size_t>((size + chunkBytes - 1) / chunkBytes), Chunk());
    size_t marks = 0;
    for (size_t k = 0; k < m_chunks.size(); ++k) {
        Chunk& chunk = m_chunks[k];
        chunk.begin = start + k * chunkBytes;
        chunk.end = std::min(chunk.begin + chunkBytes, start + size);
        chunk.firstMark = marks;
        marks += static_cast<size_t>((chunk.end - chunk.begin + kGrid - 1) / kGrid);
    }
    m_marks.assign(marks, Mark());
}

uint16_t PayloadMap::wordAt(uint64_t pos) const
{
    uint16_t word;
    std::memcpy(&word, m_bytes + (pos - m_start), sizeof word);
    return word;
}

void PayloadMap::findFirstTimes(Chunk& chunk) const
{
    for (uint64_t pos = chunk.begin; pos < chunk.end; pos += m_wordSize) {
        const uint32_t word = wordAt(pos);
        const uint32_t type = word >> 12;
        if (type == kTimeLow) {
            chunk.firstLow = std::min(chunk.firstLow, pos);
            if (chunk.firstHigh != kNone) {
                chunk.lowAfterHigh = pos;
                return;
            }
        } else if (type == kTimeHigh && chunk.firstHigh == kNone) {
            chunk.firstHigh = pos;
            chunk.firstHighValue = word & 0xFFF;
        }
    }
}

void PayloadMap::scanChunk(size_t i, Decoder& decoder)
{
    Chunk& chunk = m_chunks[i];
    findFirstTimes(chunk);
    // Time 0 with a known row: the first TIME_HIGH is then never taken as a rollover, and every
    // pixel and vector word counts.
    BookmarkScanner::resumeAfterEvents(decoder, 0);
    uint64_t events = 0;
    size_t m = chunk.firstMark;
    for (uint64_t pos = chunk.begin; pos < chunk.end; pos += kGrid, ++m) {
        const uint64_t to = std::min(pos + kGrid, chunk.end);
        events += decoder.countEvents(m_bytes + (pos - m_start), m_bytes + (to - m_start));
        m_marks[m].localTime = decoder.getLastTimestamp();
        m_marks[m].events = events;
    }
    chunk.events = events;
}

PayloadMap::Entry PayloadMap::join(const Entry& entry)
{
    Entry state = entry;
    uint64_t before = 0;
    for (Chunk& chunk : m_chunks) {
        chunk.entry = state;
        chunk.eventsBefore = before;
        before += chunk.events;
        // Before the stream's first TIME_HIGH its time is 0, so that the first one sets it
        // without a rollover, and TIME_LOW words go unheard.
        const uint64_t highBitsIn = state.time & ~kLowBits;
        const uint64_t highIn = (state.time >> 12) & 0xFFF;
        const uint64_t shift =
            (state.time & kEpochBits) + (state.timeKnown && chunk.firstHighValue < highIn ? kRollover : 0);
        const uint64_t lowFrom = state.timeKnown ? chunk.firstLow : chunk.lowAfterHigh;
        const size_t marks = static_cast<size_t>((chunk.end - chunk.begin + kGrid - 1) / kGrid);
        for (size_t j = 0; j < marks; ++j) {
            Mark& mark = m_marks[chunk.firstMark + j];
            const uint64_t pos = std::min(chunk.begin + (j + 1) * kGrid, chunk.end);
            const bool hasHigh = chunk.firstHigh < pos;
            const bool hasLow = lowFrom < pos;
            mark.stream.timeKnown = state.timeKnown || hasHigh;
            const uint64_t highBits = hasHigh ? shift + (mark.localTime & ~kLowBits) : highBitsIn;
            const uint64_t low = (hasLow ? mark.localTime : state.time) & kLowBits;
            mark.stream.time = mark.stream.timeKnown ? highBits | low : 0;
        }
        state = m_marks[chunk.firstMark + marks - 1].stream;
    }
    return state;
}

size_t PayloadMap::chunkOf(uint64_t x) const
{
    return std::min(static_cast<size_t>((x - m_start) / m_chunkBytes), m_chunks.size() - 1);
}

const PayloadMap::Entry& PayloadMap::entryAt(size_t k, uint64_t j) const
{
    const Chunk& chunk = m_chunks[k];
    return j == 0 ? chunk.entry : m_marks[chunk.firstMark + static_cast<size_t>(j) - 1].stream;
}

uint64_t PayloadMap::timeAt(uint64_t x, uint64_t p, uint64_t tp)
{
    // The walk asks for the times after blocks in turn: have the words a few blocks on ready.
    const uint64_t ahead = x + 8 * kGrid - m_wordSize;
    if (ahead < m_chunks.back().end) {
        __builtin_prefetch(m_bytes + (ahead - m_start));
    }
    const size_t k = chunkOf(x);
    const Chunk& chunk = m_chunks[k];
    const uint64_t j = (x - chunk.begin) / kGrid;
    const uint64_t c = chunk.begin + j * kGrid;
    uint64_t base = p;
    uint64_t baseTime = tp;
    if (x == c) {
        const Entry& at = entryAt(k, j);
        if (at.timeKnown) {
            return at.time;
        }
    } else {
        const Entry& next = m_marks[chunk.firstMark + static_cast<size_t>(j)].stream;
        if (x == std::min(c + kGrid, chunk.end) && next.timeKnown) {
            return next.time;
        }
        const Entry& at = entryAt(k, j);
        if (c > p && at.timeKnown) {
            base = c;
            baseTime = at.time;
        }
        // With no change of TIME_HIGH between here and the next mark, the time is the last
        // TIME_LOW's under the same high bits, found a few words back.
        if (next.timeKnown && (baseTime & ~kLowBits) == (next.time & ~kLowBits)) {
            for (uint64_t pos = x; pos > base;) {
                pos -= m_wordSize;
                const uint32_t word = wordAt(pos);
                if ((word >> 12) == kTimeLow) {
                    return (baseTime & ~kLowBits) | (word & kLowBits);
                }
            }
            return baseTime;
        }
    }
    BookmarkScanner::resumeAfterEvents(*m_scratch, baseTime);
    m_scratch->advanceTime(m_bytes + (base - m_start), m_bytes + (x - m_start));
    return m_scratch->getLastTimestamp();
}

bool PayloadMap::holdsTimeHigh(const uint8_t* bytes, size_t size)
{
    for (size_t pos = 1; pos < size; pos += 2) {
        if ((bytes[pos] >> 4) == kTimeHigh) {
            return true;
        }
    }
    return false;
}

uint64_t PayloadMap::eventsBefore(uint64_t x)
{
    const size_t k = chunkOf(x);
    const Chunk& chunk = m_chunks[k];
    if (x == chunk.end) {
        return chunk.eventsBefore + chunk.events;
    }
    const uint64_t j = (x - chunk.begin) / kGrid;
    const uint64_t c = chunk.begin + j * kGrid;
    uint64_t events =
        chunk.eventsBefore + (j == 0 ? 0 : m_marks[chunk.firstMark + static_cast<size_t>(j) - 1].events);
    if (x > c) {
        BookmarkScanner::resumeAfterEvents(*m_scratch, 0);
        events += m_scratch->countEvents(m_bytes + (c - m_start), m_bytes + (x - m_start));
    }
    return events;
}

} // namespace tarvo
