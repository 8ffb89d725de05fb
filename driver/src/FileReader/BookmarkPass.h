#pragma once

#include "BookmarkIndex.h"
#include "TailPieces.h"

#include <cstdint>
#include <memory>

namespace tarvo {

class Decoder;
class PayloadMap;
class PosixFile;

// Places the bookmarks of a payload while its words go by, one read buffer after another, in
// payload order. A bookmark sits at a word where the decoder's time climbs from below to at least
// bookmark_period_us past the previous bookmark; its time is the decoder's time after that word,
// so decoding resumes there exactly.
//
// The pass decodes blocks of words at once and looks at single words only by bisection inside
// the first block after which the time has reached the bookmark's threshold. Where times step
// back inside a block, that is not always the stream's first such word, so the blocks (each
// read buffer starts a new series, as does each bookmark) are part of where bookmarks land.
// Given a map of the buffer (PayloadMap) the pass takes the time after each block and the
// counts from the map instead of decoding every block, with exactly the same result: the
// blocks, bisections and tail pieces are the same ones.
class BookmarkPass
{
public:
    BookmarkPass(uint64_t payloadStart, uint64_t anchorTime);
    ~BookmarkPass();

    // Size of the read buffers the payload is handed over in.
    static size_t readSize(size_t wordSize);

    // False when no decoder is available.
    bool ready() const { return m_decoder != nullptr; }
    size_t wordSize() const { return m_wordSize; }
    // The decoder's time after the words walked.
    uint64_t time() const;
    // Takes the next `size` bytes of the payload, at file position `pos`, held at `bytes`.
    // `map`, when given, covers them.
    void walk(const uint8_t* bytes, uint64_t pos, size_t size, PayloadMap* map);
    // The index of everything walked, ending at `endPos`; empty when no time was ever decoded.
    // Decodes the last pieces again from `file` for the exact end time.
    BookmarkIndex finish(const PosixFile& file, uint64_t endPos);

private:
    // Advances over the whole words [p, e) of `buffer` (which starts at file position `base`)
    // until the time reaches `threshold`; see the .cpp.
    size_t advanceToTime(const uint8_t* buffer, uint64_t base, size_t p, size_t e, uint64_t threshold,
                         bool careful, PayloadMap* map, uint64_t& events, uint32_t& wordEvents);
    // From p, over whole blocks whose time after them stays below `threshold`: returns the
    // start of the first block that reaches it, or e; the decoder then has the time there.
    size_t skipDecoding(const uint8_t* buffer, uint64_t base, size_t p, size_t e, uint64_t threshold,
                        uint64_t& events);
    size_t skipMapped(PayloadMap& map, uint64_t base, size_t p, size_t e, uint64_t threshold,
                      uint64_t& events);

    std::unique_ptr<Decoder> m_decoder;
    size_t m_wordSize = 2;
    BookmarkIndex m_index;
    uint64_t m_anchorPos;
    uint64_t m_anchorTime;
    uint64_t m_anchorCount = 0;
    uint64_t m_count = 0;
    TailPieces m_tail;
    // m_count minus the events the map counts before the same word, for the map of the buffer
    // being walked; valid once m_mapOffsetOf points at that map.
    const PayloadMap* m_mapOffsetOf = nullptr;
    uint64_t m_mapOffset = 0;
};

} // namespace tarvo
