#pragma once

#include "BookmarkIndex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarvo {

class Decoder;
class PosixFile;

// Decodes a RAW payload for its index: builds the bookmarks, checks a stored index against
// the words it points at, and tells whether the payload is an EVT 3.0 stream at all.
//
// The payload is decoded as one stream from a fresh decoder, set to the header's start time
// when it has one; BookmarkPass says where bookmarks go. Times may step back (a TIME_LOW a few
// µs below the previous one, or the old TIME_LOW still in force after a new TIME_HIGH), but
// never below (running maximum | 0xFFF): anything decoded before a position is at most that
// position's time | 0xFFF. The final bookmark, at the end of the payload, carries the highest
// time reached and the number of events.
//
// A large payload is indexed on several threads (ParallelIndexer): its chunks are read and
// mapped at once (PayloadMap), and one pass places the bookmarks from the maps. The index is
// byte for byte the one a single thread builds.
class BookmarkScanner
{
public:
    // How indexing spreads over threads. Tests and benchmarks change it (one thread, small
    // chunks so that chunk boundaries fall everywhere); the defaults suit everything else.
    struct Threading
    {
        unsigned threads = 0;                           // 0: one a core, at most kMaxThreads
        uint64_t chunkBytes = 0;                        // what each thread maps at a time; 0: kChunkBytes
        uint64_t minParallelBytes = uint64_t{32} << 20; // smaller payloads stay on one thread
        // Tests only: walk every round with its map, however long the mapping takes, instead
        // of decoding the rounds that are not mapped in time.
        bool waitForMaps = false;
        // Tests only: called on the mapping thread before each chunk is mapped.
        std::function<void(uint64_t chunkBegin)> beforeChunk;
    };
    static constexpr unsigned kMaxThreads = 8;
    static constexpr uint64_t kChunkBytes = uint64_t{1} << 20;

    BookmarkScanner(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd, uint64_t anchorTime);

    // The setting of every scanner made after the call, in the whole process.
    static void setThreading(const Threading& threading);
    static Threading threading();
    // The number of threads that indexing a payload of `bytes` takes with the current setting.
    static unsigned threadsFor(uint64_t bytes);

    // A decoder in the state of the start of the payload.
    static std::unique_ptr<Decoder> freshDecoder(uint64_t anchorTime);
    // Where decoding starts to reach bookmark i in the stream's state there: the bookmark
    // before it (its interval sets the row and vector state), or the start of the payload (0)
    // while no event had been decoded yet, as the stream's time or row may still be unknown.
    static size_t warmUpStart(const BookmarkIndex& index, size_t i);
    // Sets a decoder that resumes at bookmark i > 0 of warmUpStart: its time, and a known row,
    // since events were decoded before it.
    static void resumeAfterEvents(Decoder& decoder, uint64_t time);

    // False, with `why`, when the first MiB of the payload is no EVT 3.0 stream: no time at
    // all, or times that leap by more than half the 24-bit range again and again.
    bool looksLikeEvt3(std::string& why) const;
    // The index of the whole payload; empty when no time was ever decoded. False (with an
    // error logged) when indexing failed.
    bool build(BookmarkIndex& index) const;
    // Decodes the interval after the first bookmark, before the last one and after a few in
    // between, and compares the times and counts found with what the index says.
    bool verify(const BookmarkIndex& index) const;

private:
    BookmarkIndex buildOnOneThread() const;
    // False when it failed (logged); `done` false when the plain build is to take over.
    bool buildInParallel(unsigned threads, BookmarkIndex& index, bool& done) const;
    // Counts the events of [from, to) with `decoder`, reading the file in pieces.
    bool countRange(Decoder& decoder, uint64_t from, uint64_t to, uint64_t& events) const;
    bool verifyInterval(const BookmarkIndex& index, size_t i) const;

    const PosixFile& m_file;
    uint64_t m_payloadStart;
    uint64_t m_payloadEnd;
    uint64_t m_anchorTime;
    Threading m_threading;
};

} // namespace tarvo
