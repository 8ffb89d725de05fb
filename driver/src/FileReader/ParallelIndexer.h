#pragma once

#include "BookmarkScanner.h"
#include "PayloadMap.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {

class BookmarkPass;
class Decoder;
class PosixFile;

// Indexes a payload on several threads: the payload goes by in rounds of one read buffer, each
// cut into chunks that the other threads read and map (PayloadMap) ahead of the walk, as far as
// there are slots for rounds. The calling thread walks the rounds in payload order
// (BookmarkPass): a mapped round with its map, joined to the rounds before; a round that nobody
// has begun it reads and decodes itself, as a single thread would. Of a round the others have
// begun it maps what is left, and decodes the round itself when their last chunks are late, so
// that threads that other load on the machine holds back cost the walk a moment at most.
//
// The threads start with run() and are joined before it returns; an exception on any of them
// ends the run as a failure with its message.
class ParallelIndexer
{
public:
    enum class Outcome
    {
        Built,
        Failed,    // the reason is in `why`
        ReadShort, // the file ended before the payload did
    };

    ParallelIndexer(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd,
                    const BookmarkScanner::Threading& threading);
    ~ParallelIndexer();
    ParallelIndexer(const ParallelIndexer&) = delete;
    ParallelIndexer& operator=(const ParallelIndexer&) = delete;

    // Walks the whole payload with `pass` on `threads` threads, this one included, from the
    // stream's state `entry` at the start of the payload.
    Outcome run(unsigned threads, BookmarkPass& pass, const PayloadMap::Entry& entry, std::string& why);

private:
    struct Slot
    {
        std::vector<uint8_t> bytes;
        std::unique_ptr<PayloadMap> map;
        uint64_t round = UINT64_MAX; // the round it holds
        size_t pending = 0;          // chunks of that round not yet mapped
    };
    struct Task
    {
        size_t slot;
        size_t chunk;
        uint64_t roundStart;
    };

    // With m_mutex held: whether a chunk may be taken now, and taking it (starting its round in
    // its slot when it is the round's first).
    bool canTake() const;
    Task take();
    // Reads and maps a chunk; false when the file ended early. May throw.
    bool map(const Task& task, Decoder& decoder);
    // Takes and maps one chunk, with m_mutex held by `lock` before and after; false when none
    // could be taken.
    bool mapOne(std::unique_lock<std::mutex>& lock, Decoder& decoder);
    // With m_mutex held by `lock`: maps chunks of `round` here while there are any left and
    // waits for the rest, a little unless the setting says to wait for maps; true when the
    // round's map is complete.
    bool waitForMap(std::unique_lock<std::mutex>& lock, uint64_t round, const Slot& slot);
    // With m_mutex held: ends the run for everyone.
    void stop(Outcome outcome, const std::string& why);
    void workerLoop(Decoder* decoder);
    void joinWorkers();

    const PosixFile& m_file;
    uint64_t m_payloadStart;
    uint64_t m_payloadEnd;
    const BookmarkScanner::Threading& m_threading;
    uint64_t m_chunkBytes = 0;
    uint64_t m_roundBytes = 0;
    uint64_t m_rounds = 0;

    // Guards the members from here to m_failure: every slot's round, pending count and map
    // set-up among them. A slot's bytes and map chunks belong to whoever took them, m_own and
    // the maps of complete rounds to the walk.
    std::mutex m_mutex;
    std::condition_variable m_work;      // a chunk may have become free to take, or the run ends
    std::condition_variable m_roundDone; // a round is mapped, or the run ends
    std::vector<Slot> m_slots;
    uint64_t m_nextRound = 0; // of the next chunk to take
    size_t m_nextChunk = 0;
    uint64_t m_walked = 0; // rounds walked; their slots take new rounds once their chunks are mapped
    bool m_stopping = false;
    Outcome m_outcome = Outcome::Built;
    std::string m_failure;

    std::vector<uint8_t> m_own;                       // a round the walk decodes itself
    std::vector<std::unique_ptr<Decoder>> m_decoders; // one for each thread, the caller's first
    std::vector<std::thread> m_threads;
};

} // namespace tarvo
