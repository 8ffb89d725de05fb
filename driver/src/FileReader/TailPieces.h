#pragma once

#include <cstdint>
#include <deque>

namespace tarvo {

class Decoder;
class PosixFile;

// Keeps the recently decoded pieces of a payload that may hold an event or edge later than the
// time at the end of the payload. Anything decoded before a position is at most that position's
// time with the low twelve bits set, and the final time is at least the highest time seen with
// them cleared, so older pieces drop out as the time moves on.
class TailPieces
{
public:
    // A stretch of the payload decoded in one call: where it starts and ends, the time before
    // and after it.
    struct Piece
    {
        uint64_t pos;
        uint64_t end;
        uint64_t before;
        uint64_t after;
    };

    // A time can exceed a later one by at most the low twelve bits of that later time.
    static constexpr uint64_t kLowBits = 0xFFF;

    void add(const Piece& piece);
    // The end time of the payload: the time at its end, or the latest event or edge when one
    // is later (times may step back at the end). Decodes the kept pieces again with `decoder`,
    // which must be in the state of the end of the payload.
    uint64_t endTime(Decoder& decoder, const PosixFile& file, uint64_t finalTime) const;

private:
    uint64_t m_highest = 0;
    bool m_exact = true;
    std::deque<Piece> m_tail;
};

} // namespace tarvo
