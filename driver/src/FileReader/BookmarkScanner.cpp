#include "BookmarkScanner.h"

#include "DriverLog.h"
#include "PosixFile.h"
#include "TarvoHal/DecoderFactory.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// The first opening reads the payload in large pieces; the decoder keeps its state across them.
constexpr size_t kIndexReadSize = 4 << 20;
// The time pass decodes blocks of this size at once and looks at single words only inside the
// block where the time reaches a bookmark.
constexpr size_t kScanBlockSize = 2048;
// Whether a payload is EVT 3.0 is decided on its start, in blocks of this size.
constexpr uint64_t kProbeSize = 1 << 20;
constexpr size_t kProbeBlockSize = 64;
// No camera's time moves by half the 24-bit range within one probe block; random bytes do so
// at every other TIME_HIGH word. A few such leaps are tolerated as damage.
constexpr uint64_t kLeap = uint64_t{1} << 23;
constexpr int kMaxLeaps = 8;
// A time can exceed a later one by at most the low twelve bits of that later time.
constexpr uint64_t kLowBits = 0xFFF;
// The tail whose times are scanned word by word for the exact end time is at most this long.
constexpr size_t kMaxTailPieces = 1 << 16;
constexpr int kVerifiedBetween = 8;

using namespace log;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// A stretch of the payload decoded in one call: where it starts, the time before and after it.
struct Piece
{
    uint64_t pos;
    uint64_t end;
    uint64_t before;
    uint64_t after;
};

// Keeps the recently decoded pieces that may hold an event or edge later than the time at the
// end of the payload. Anything decoded before a position is at most that position's time with
// the low twelve bits set, and the final time is at least the highest time seen with them
// cleared, so older pieces drop out as the time moves on.
class TailPieces
{
public:
    void add(const Piece& piece)
    {
        m_highest = std::max(m_highest, piece.after);
        if (!m_exact) {
            return;
        }
        while (!m_tail.empty() && (m_tail.front().after | kLowBits) < (m_highest & ~kLowBits)) {
            m_tail.pop_front();
        }
        if (m_tail.size() >= kMaxTailPieces) {
            m_exact = false;
            m_tail.clear();
            return;
        }
        m_tail.push_back(piece);
    }

    // The end time of the payload: the time at its end, or the latest event or edge when one
    // is later (times may step back at the end).
    uint64_t endTime(Decoder& decoder, const PosixFile& file, uint64_t finalTime) const
    {
        if (!m_exact) {
            return finalTime | kLowBits; // a bound, for hostile streams only
        }
        uint64_t latest = finalTime;
        decoder.setEventsStreamHandleCallback([&latest](const Event2D* first, const Event2D* last) {
            for (; first != last; ++first) {
                latest = std::max(latest, first->timestamp);
            }
        });
        decoder.setTriggerInCallback(
            [&latest](const EventTriggerIn& edge) { latest = std::max(latest, edge.timestamp); });
        const size_t w = std::max<size_t>(1, decoder.getRawEventSize());
        std::vector<uint8_t> bytes;
        for (const Piece& piece : m_tail) {
            if ((piece.after | kLowBits) <= latest) {
                continue;
            }
            bytes.resize(static_cast<size_t>(piece.end - piece.pos));
            bytes.resize(file.readAt(piece.pos, bytes.data(), bytes.size()) / w * w);
            decoder.setLastTimestamp(&piece.before);
            decoder.decode(bytes);
        }
        return latest;
    }

private:
    uint64_t m_highest = 0;
    bool m_exact = true;
    std::deque<Piece> m_tail;
};

// Advances `decoder` over the whole words [p, e) of `buffer` (which starts at file position
// `base`) until its time reaches `threshold`. Returns the offset of the word at which it did
// (the decoder then stands right after that word) or e when it did not. `events` grows by
// the events of the words before the returned word and `wordEvents` receives that word's own.
//
// Blocks are decoded in one call; only a block that ends at or past the threshold is searched
// further, by bisection, restoring the decoder's time to the start of the half being retried.
// The time before the returned word is below the threshold and after it at or above it.
size_t advanceToTime(Decoder& decoder, const uint8_t* buffer, uint64_t base, size_t p, size_t e, size_t w,
                     uint64_t threshold, bool careful, uint64_t& events, uint32_t& wordEvents,
                     TailPieces& tail)
{
    if (careful) {
        // Word by word: retrying a half sets the decoder's time and keeps the row the half
        // brought, which before the stream's time and row are known changes what it skips.
        const size_t from = p;
        const uint64_t before = decoder.getLastTimestamp();
        for (; p < e; p += w) {
            wordEvents = decoder.countEvents(buffer + p, buffer + p + w);
            if (decoder.getLastTimestamp() >= threshold) {
                tail.add({base + from, base + p + w, before, decoder.getLastTimestamp()});
                return p;
            }
            events += wordEvents;
        }
        tail.add({base + from, base + e, before, decoder.getLastTimestamp()});
        return e;
    }
    while (p < e) {
        const size_t blockEnd = std::min(e, p + kScanBlockSize);
        uint64_t start = decoder.getLastTimestamp();
        const uint32_t blockEvents = decoder.countEvents(buffer + p, buffer + blockEnd);
        if (decoder.getLastTimestamp() < threshold) {
            tail.add({base + p, base + blockEnd, start, decoder.getLastTimestamp()});
            events += blockEvents;
            p = blockEnd;
            continue;
        }
        decoder.setLastTimestamp(&start);
        size_t lo = p;
        size_t hi = blockEnd;
        while (hi - lo > w) {
            const size_t mid = lo + ((hi - lo) / w / 2) * w;
            const uint32_t half = decoder.countEvents(buffer + lo, buffer + mid);
            if (decoder.getLastTimestamp() >= threshold) {
                decoder.setLastTimestamp(&start);
                hi = mid;
            } else {
                tail.add({base + lo, base + mid, start, decoder.getLastTimestamp()});
                events += half;
                start = decoder.getLastTimestamp();
                lo = mid;
            }
        }
        wordEvents = decoder.countEvents(buffer + lo, buffer + hi);
        tail.add({base + lo, base + hi, start, decoder.getLastTimestamp()});
        return lo;
    }
    return e;
}

} // namespace

BookmarkScanner::BookmarkScanner(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd,
                                 uint64_t anchorTime)
    : m_file(file), m_payloadStart(payloadStart), m_payloadEnd(payloadEnd), m_anchorTime(anchorTime)
{
}

std::unique_ptr<Decoder> BookmarkScanner::freshDecoder(uint64_t anchorTime)
{
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    if (decoder && anchorTime != 0) {
        decoder->setLastTimestamp(&anchorTime);
    }
    return decoder;
}

size_t BookmarkScanner::warmUpStart(const BookmarkIndex& index, size_t i)
{
    return i == 0 || index[i - 1].eventCount == 0 ? 0 : i - 1;
}

void BookmarkScanner::resumeAfterEvents(Decoder& decoder, uint64_t time)
{
    // A row word (EVT 3.0 ADDR_Y, row 0); the interval decoded next sends the real row.
    const uint8_t rowWord[2] = {0x00, 0x00};
    decoder.setLastTimestamp(&time);
    decoder.advanceTime(rowWord, rowWord + 2);
    decoder.setLastTimestamp(&time);
}

bool BookmarkScanner::looksLikeEvt3(std::string& why) const
{
    auto decoder = freshDecoder(m_anchorTime);
    const size_t w = std::max<size_t>(1, decoder->getRawEventSize());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(kProbeSize, m_payloadEnd - m_payloadStart)));
    bytes.resize(m_file.readAt(m_payloadStart, bytes.data(), bytes.size()) / w * w);
    uint64_t events = 0;
    int leaps = 0;
    const size_t block = kProbeBlockSize / w * w;
    for (size_t p = 0; p < bytes.size(); p += block) {
        const uint64_t before = decoder->getLastTimestamp();
        events += decoder->countEvents(bytes.data() + p, bytes.data() + std::min(bytes.size(), p + block));
        if (decoder->getLastTimestamp() > before + kLeap && before != 0) {
            ++leaps;
        }
    }
    if (m_anchorTime == 0 && events == 0 && decoder->getLastTimestamp() == 0) {
        why = "no TIME_HIGH word in its first MiB";
        return false;
    }
    if (leaps >= kMaxLeaps) {
        why = "its times leap ahead by hours again and again, as no camera's do";
        return false;
    }
    return true;
}

BookmarkIndex BookmarkScanner::build() const
{
    BookmarkIndex index;
    auto decoder = freshDecoder(m_anchorTime);
    const size_t w = std::max<size_t>(1, decoder->getRawEventSize());
    uint64_t anchorPos = m_payloadStart;
    uint64_t anchorTime = m_anchorTime;
    uint64_t anchorCount = 0;
    uint64_t count = 0;
    TailPieces tail;

    std::vector<uint8_t> buffer(kIndexReadSize / w * w);
    uint64_t pos = m_payloadStart;
    while (pos < m_payloadEnd) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), m_payloadEnd - pos));
        const size_t got = m_file.readAt(pos, buffer.data(), wanted) / w * w;
        if (got == 0) {
            TARVO_LOG(kError, "Reading the recording failed at byte %llu.",
                      static_cast<unsigned long long>(pos));
            break;
        }
        size_t p = 0;
        while (p < got) {
            const uint64_t threshold =
                anchorTime == 0 ? 1 : saturatingAdd(anchorTime, RawFileReader::bookmark_period_us);
            uint64_t before = 0;
            uint32_t wordEvents = 0;
            // Until a first event shows that the stream's time and row are known.
            const bool careful = anchorTime == 0 || count == 0;
            const size_t q = advanceToTime(*decoder, buffer.data(), pos, p, got, w, threshold, careful,
                                           before, wordEvents, tail);
            count += before;
            if (q == got) {
                break;
            }
            const uint64_t t = decoder->getLastTimestamp();
            if (anchorTime != 0) {
                index.append({anchorPos, 0, anchorTime, anchorCount});
                anchorPos = pos + q;
                anchorCount = count;
            }
            anchorTime = t;
            count += wordEvents;
            p = q + w;
        }
        pos += got;
    }
    if (anchorTime == 0) {
        return index; // no time was ever decoded
    }
    // A payload shorter than one period still needs its start.
    if (index.empty()) {
        index.append({anchorPos, 0, anchorTime, anchorCount});
    }
    const uint64_t end = tail.endTime(*decoder, m_file, decoder->getLastTimestamp());
    // The final bookmark needs a time above the others': bookmarks at times the end does not
    // reach (a TIME_HIGH whose old TIME_LOW was still in force) give way to it.
    while (index.size() > 1 && index.back().timestamp >= end) {
        index.dropLast();
    }
    if (index.back().timestamp == UINT64_MAX) {
        TARVO_LOG(kError, "The recording's times reach the end of the 64-bit clock.");
        index.clear();
        return index;
    }
    index.append({pos, 0, std::max(end, index.back().timestamp + 1), count});
    return index;
}

bool BookmarkScanner::countRange(Decoder& decoder, uint64_t from, uint64_t to, uint64_t& events) const
{
    const size_t w = std::max<size_t>(1, decoder.getRawEventSize());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(kIndexReadSize, to - from)) / w * w);
    events = 0;
    while (from < to) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(bytes.size(), to - from));
        const size_t got = m_file.readAt(from, bytes.data(), wanted) / w * w;
        if (got == 0) {
            return false;
        }
        events += decoder.countEvents(bytes.data(), bytes.data() + got);
        from += got;
    }
    return true;
}

// Decodes from bookmark i to bookmark i + 1, starting one interval earlier so that the decoder
// knows the row and vector state there, and compares the count and the time found.
bool BookmarkScanner::verifyInterval(const BookmarkIndex& index, size_t i) const
{
    auto decoder = freshDecoder(m_anchorTime);
    const size_t w = std::max<size_t>(1, decoder->getRawEventSize());
    uint64_t events = 0;
    const size_t from = warmUpStart(index, i);
    if (from > 0) {
        resumeAfterEvents(*decoder, index[from].timestamp);
    }
    if (i > 0) {
        if (!countRange(*decoder, index[from].bytePos, index[i].bytePos, events) ||
            events != index[i].eventCount - index[from].eventCount) {
            return false;
        }
        // The time after the bookmark's own word, which starts the next interval.
        uint8_t word[8] = {};
        if (m_file.readAt(index[i].bytePos, word, w) != w) {
            return false;
        }
        decoder->advanceTime(word, word + w);
        if (decoder->getLastTimestamp() != index[i].timestamp) {
            return false;
        }
    }
    if (i == 0 && m_anchorTime != 0 && index[0].timestamp != m_anchorTime) {
        return false;
    }
    if (!countRange(*decoder, index[i].bytePos, index[i + 1].bytePos, events) ||
        events != index[i + 1].eventCount - index[i].eventCount) {
        return false;
    }
    if (i + 2 == index.size()) {
        const uint64_t end = decoder->getLastTimestamp();
        const uint64_t key = index.back().timestamp;
        return key >= end && key <= std::max(end | kLowBits, saturatingAdd(index[i].timestamp, 1));
    }
    uint8_t word[8] = {};
    if (m_file.readAt(index[i + 1].bytePos, word, w) != w) {
        return false;
    }
    decoder->advanceTime(word, word + w);
    return decoder->getLastTimestamp() == index[i + 1].timestamp;
}

bool BookmarkScanner::verify(const BookmarkIndex& index) const
{
    if (index.size() < 2 || !freshDecoder(m_anchorTime)) {
        return false;
    }
    const size_t intervals = index.size() - 1;
    std::vector<size_t> chosen = {0, intervals - 1};
    for (int k = 1; k <= kVerifiedBetween; ++k) {
        chosen.push_back(intervals * static_cast<size_t>(k) / (kVerifiedBetween + 1));
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    for (const size_t i : chosen) {
        if (!verifyInterval(index, i)) {
            TARVO_LOG(kWarning, "Bookmark %zu of the bookmark file does not match the recording.", i);
            return false;
        }
    }
    return true;
}

} // namespace tarvo
