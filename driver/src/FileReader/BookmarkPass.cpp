#include "BookmarkPass.h"

#include "BookmarkScanner.h"
#include "DriverLog.h"
#include "PayloadMap.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// The first opening reads the payload in large pieces; the decoder keeps its state across them.
constexpr size_t kIndexReadSize = 4 << 20;
// The time pass decodes blocks of this size at once and looks at single words only inside the
// block where the time reaches a bookmark.
constexpr size_t kScanBlockSize = 2048;

using namespace log;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

} // namespace

BookmarkPass::BookmarkPass(uint64_t payloadStart, uint64_t anchorTime)
    : m_decoder(BookmarkScanner::freshDecoder(anchorTime)), m_anchorPos(payloadStart),
      m_anchorTime(anchorTime)
{
    if (m_decoder) {
        m_wordSize = std::max<size_t>(1, m_decoder->getRawEventSize());
    }
}

BookmarkPass::~BookmarkPass() = default;

uint64_t BookmarkPass::time() const
{
    return m_decoder->getLastTimestamp();
}

size_t BookmarkPass::readSize(size_t wordSize)
{
    return kIndexReadSize / wordSize * wordSize;
}

void BookmarkPass::walk(const uint8_t* bytes, uint64_t pos, size_t size, PayloadMap* map)
{
    const size_t w = m_wordSize;
    m_mapOffsetOf = nullptr; // a map covers one buffer
    size_t p = 0;
    while (p < size) {
        const uint64_t threshold =
            m_anchorTime == 0 ? 1 : saturatingAdd(m_anchorTime, RawFileReader::bookmark_period_us);
        uint64_t before = 0;
        uint32_t wordEvents = 0;
        // Until a first event shows that the stream's time and row are known.
        const bool careful = m_anchorTime == 0 || m_count == 0;
        const size_t q = advanceToTime(bytes, pos, p, size, threshold, careful, map, before, wordEvents);
        m_count += before;
        if (q == size) {
            break;
        }
        const uint64_t t = m_decoder->getLastTimestamp();
        if (m_anchorTime != 0) {
            m_index.append({m_anchorPos, 0, m_anchorTime, m_anchorCount});
            m_anchorPos = pos + q;
            m_anchorCount = m_count;
        }
        m_anchorTime = t;
        m_count += wordEvents;
        p = q + w;
    }
}

BookmarkIndex BookmarkPass::finish(const PosixFile& file, uint64_t endPos)
{
    if (m_anchorTime == 0) {
        return BookmarkIndex(); // no time was ever decoded
    }
    // A payload shorter than one period still needs its start.
    if (m_index.empty()) {
        m_index.append({m_anchorPos, 0, m_anchorTime, m_anchorCount});
    }
    const uint64_t end = m_tail.endTime(*m_decoder, file, m_decoder->getLastTimestamp());
    // The final bookmark needs a time above the others': bookmarks at times the end does not
    // reach (a TIME_HIGH whose old TIME_LOW was still in force) give way to it.
    while (m_index.size() > 1 && m_index.back().timestamp >= end) {
        m_index.dropLast();
    }
    if (m_index.back().timestamp == UINT64_MAX) {
        TARVO_LOG(kError, "The recording's times reach the end of the 64-bit clock.");
        return BookmarkIndex();
    }
    m_index.append({endPos, 0, std::max(end, m_index.back().timestamp + 1), m_count});
    return std::move(m_index);
}

// Advances the decoder over the whole words [p, e) of `buffer` (which starts at file position
// `base`) until its time reaches `threshold`. Returns the offset of the word at which it did (the
// decoder then stands right after that word) or e when it did not. `events` grows by the events
// of the words before the returned word and `wordEvents` receives that word's own.
//
// Blocks are walked over whole; only a block that ends at or past the threshold is searched
// further, by bisection, restoring the decoder's time to the start of the half being retried.
// The time before the returned word is below the threshold and after it at or above it.
size_t BookmarkPass::advanceToTime(const uint8_t* buffer, uint64_t base, size_t p, size_t e,
                                   uint64_t threshold, bool careful, PayloadMap* map, uint64_t& events,
                                   uint32_t& wordEvents)
{
    Decoder& decoder = *m_decoder;
    const size_t w = m_wordSize;
    if (careful) {
        // Word by word: retrying a half sets the decoder's time and keeps the row the half
        // brought, which before the stream's time and row are known changes what it skips.
        const size_t from = p;
        const uint64_t before = decoder.getLastTimestamp();
        for (; p < e; p += w) {
            wordEvents = decoder.countEvents(buffer + p, buffer + p + w);
            if (decoder.getLastTimestamp() >= threshold) {
                m_tail.add({base + from, base + p + w, before, decoder.getLastTimestamp()});
                return p;
            }
            events += wordEvents;
        }
        m_tail.add({base + from, base + e, before, decoder.getLastTimestamp()});
        return e;
    }
    p = map ? skipMapped(*map, base, p, e, threshold, events)
            : skipDecoding(buffer, base, p, e, threshold, events);
    if (p == e) {
        return e;
    }
    uint64_t start = decoder.getLastTimestamp();
    size_t lo = p;
    size_t hi = std::min(e, p + kScanBlockSize);
    while (hi - lo > w) {
        const size_t mid = lo + ((hi - lo) / w / 2) * w;
        const uint32_t half = decoder.countEvents(buffer + lo, buffer + mid);
        if (decoder.getLastTimestamp() >= threshold) {
            decoder.setLastTimestamp(&start);
            hi = mid;
        } else {
            m_tail.add({base + lo, base + mid, start, decoder.getLastTimestamp()});
            events += half;
            start = decoder.getLastTimestamp();
            lo = mid;
        }
    }
    wordEvents = decoder.countEvents(buffer + lo, buffer + hi);
    m_tail.add({base + lo, base + hi, start, decoder.getLastTimestamp()});
    return lo;
}

size_t BookmarkPass::skipDecoding(const uint8_t* buffer, uint64_t base, size_t p, size_t e,
                                  uint64_t threshold, uint64_t& events)
{
    Decoder& decoder = *m_decoder;
    while (p < e) {
        const size_t blockEnd = std::min(e, p + kScanBlockSize);
        const uint64_t start = decoder.getLastTimestamp();
        const uint32_t blockEvents = decoder.countEvents(buffer + p, buffer + blockEnd);
        if (decoder.getLastTimestamp() >= threshold) {
            decoder.setLastTimestamp(&start);
            return p;
        }
        m_tail.add({base + p, base + blockEnd, start, decoder.getLastTimestamp()});
        events += blockEvents;
        p = blockEnd;
    }
    return e;
}

// The same walk as skipDecoding, with the times after the blocks and the events of those walked
// over taken from the map; the decoder is set to the time where the walk stops.
size_t BookmarkPass::skipMapped(PayloadMap& map, uint64_t base, size_t p, size_t e, uint64_t threshold,
                                uint64_t& events)
{
    const size_t from = p;
    uint64_t before = m_decoder->getLastTimestamp();
    while (p < e) {
        const size_t blockEnd = std::min(e, p + kScanBlockSize);
        const uint64_t after = map.timeAt(base + blockEnd, base + p, before);
        if (after >= threshold) {
            break;
        }
        m_tail.add({base + p, base + blockEnd, before, after});
        before = after;
        p = blockEnd;
    }
    m_decoder->setLastTimestamp(&before);
    // The map counts from the start of its stretch; the pass's count differs from the map's by
    // the same amount at every word of it, found once per stretch.
    const uint64_t countAtFrom = m_count + events;
    if (m_mapOffsetOf != &map) {
        m_mapOffset = countAtFrom - map.eventsBefore(base + from);
        m_mapOffsetOf = &map;
    }
    events += m_mapOffset + map.eventsBefore(base + p) - countAtFrom;
    return p;
}

} // namespace tarvo
