#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

class Decoder;

// What the first opening learns of one stretch of a payload on several threads at once, so that
// a single pass can then find the stream's time after any word and the events between any two
// words without decoding the stretch again.
//
// The stretch is cut into chunks that are scanned independently (scanChunk, on any thread): a
// decoder started inside a chunk with time 0 and a known row counts the events of every kGrid
// bytes and notes its time there. The count of a word does not depend on the time, and its time
// only on the latest TIME_HIGH and TIME_LOW and on the rollovers before it, so once the state at
// the start of the stretch is known, join() turns the chunks' own times into the stream's: it
// adds the rollovers of the chunks before, the one a chunk's first TIME_HIGH may make, and the
// TIME_LOW or TIME_HIGH a chunk carries over until it sends its own.
class PayloadMap
{
public:
    // The stream's time where a chunk starts; unknown before the stream's first TIME_HIGH (of a
    // recording without a start time in its header).
    struct Entry
    {
        bool timeKnown = false;
        uint64_t time = 0;
    };

    // Marks lie every kGrid bytes of a chunk.
    static constexpr uint64_t kGrid = 2048;

    explicit PayloadMap(std::unique_ptr<Decoder> scratch);
    ~PayloadMap();

    // A new stretch [start, start + size) whose bytes are (or will be) at `bytes`, in chunks of
    // `chunkBytes` (a multiple of the word size).
    void reset(const uint8_t* bytes, uint64_t start, uint64_t size, uint64_t chunkBytes);
    size_t chunkCount() const { return m_chunks.size(); }
    uint64_t chunkBegin(size_t i) const { return m_chunks[i].begin; }
    uint64_t chunkEnd(size_t i) const { return m_chunks[i].end; }
    // Scans chunk i once its bytes are in place, with a decoder of the caller's (one per thread).
    // Chunks may be scanned on different threads at the same time.
    void scanChunk(size_t i, Decoder& decoder);
    // After every chunk was scanned: the stream's times, given its state at the start of the
    // stretch. Returns the state at its end.
    Entry join(const Entry& entry);

    // The stream's time after the words before position x, given its exact time tp at an
    // earlier position p of the stretch; the stream's time must be known at p.
    uint64_t timeAt(uint64_t x, uint64_t p, uint64_t tp);
    // Whether the words [bytes, bytes + size) hold a TIME_HIGH.
    static bool holdsTimeHigh(const uint8_t* bytes, size_t size);

    // The events of the words before position x of the stretch, counted from its start as with
    // a known row; differences give the events between two words once the row is known.
    uint64_t eventsBefore(uint64_t x);

private:
    static constexpr uint64_t kNone = UINT64_MAX;

    struct Chunk
    {
        uint64_t begin = 0;
        uint64_t end = 0;
        size_t firstMark = 0;          // marks[firstMark + j] follows the j-th kGrid bytes
        uint64_t firstHigh = kNone;    // position of the first TIME_HIGH
        uint32_t firstHighValue = 0;   // and its value
        uint64_t firstLow = kNone;     // position of the first TIME_LOW
        uint64_t lowAfterHigh = kNone; // position of the first TIME_LOW after the first TIME_HIGH
        uint64_t events = 0;           // all of the chunk
        uint64_t eventsBefore = 0;     // in the chunks before it (join)
        Entry entry;                   // the stream's time at its start (join)
    };
    struct Mark
    {
        uint64_t localTime = 0; // as the chunk's own decoder had it
        uint64_t events = 0;    // of the chunk up to here
        Entry stream;           // the stream's (join)
    };

    size_t chunkOf(uint64_t x) const;
    // The stream's time at the j-th mark boundary of chunk k: its start for j = 0.
    const Entry& entryAt(size_t k, uint64_t j) const;
    uint16_t wordAt(uint64_t pos) const;
    void findFirstTimes(Chunk& chunk) const;

    std::unique_ptr<Decoder> m_scratch; // for the few words between a mark and a position
    size_t m_wordSize = 2;
    const uint8_t* m_bytes = nullptr;
    uint64_t m_start = 0;
    uint64_t m_chunkBytes = 0;
    std::vector<Chunk> m_chunks;
    std::vector<Mark> m_marks;
};

} // namespace tarvo
