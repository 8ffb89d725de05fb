#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo::evt3 {

// The decoder state that a block of words reads and changes, in the form the block decoders
// take it. The stream's time and row are known.
struct BlockState
{
    uint64_t highBits; // rollovers << 24 | TIME_HIGH << 12
    uint32_t high;     // TIME_HIGH payload; words that repeat it change nothing
    uint32_t low;      // TIME_LOW in force
    uint32_t row;
    uint32_t baseX; // vector base, modulo 2^16 as the event's x is
    uint32_t basePolarity;
    // A TIME_LOW at or above this reaches the fusion frame end, which the word-by-word step
    // reports; 0x1000 when no frame end is pending in this TIME_HIGH period.
    uint32_t lowLimit;
};

// Decodes whole blocks from `p` into 16-byte event records at `out` (advanced past them), as
// long as `out` is at most `outLimit` and a block holds nothing left to the word-by-word step:
// a trigger, a TIME_HIGH other than the current one, a TIME_LOW at or above the limit, or more
// vector words than the decoder takes in a block. A block writes at most kMaxBlockRecords
// records past `out`, the last of them scratch. Returns where it stopped; it never reads at or
// beyond `end`.
using BlockDecoder = const uint8_t* (*)(const uint8_t* p, const uint8_t* end, BlockState& state,
                                        uint8_t*& out, const uint8_t* outLimit);

// Counting and time-only decoding of whole blocks from `p`: moves the state past each block and
// adds its events to `counted`, as long as a block holds no trigger and no TIME_HIGH other than
// the current one. Returns where it stopped; it never reads at or beyond `end`.
using BlockScanner = const uint8_t* (*)(const uint8_t* p, const uint8_t* end, BlockState& state,
                                        uint64_t& counted);

// 32 words of which every one a full VECT_12, rounded up to whole stores of 32 records.
constexpr size_t kMaxBlockRecords = 32 * 12 + 32;

constexpr ptrdiff_t kAvx2BlockBytes = 32;
constexpr ptrdiff_t kAvx512BlockBytes = 64;

const uint8_t* decodeBlocksAvx2(const uint8_t* p, const uint8_t* end, BlockState& state, uint8_t*& out,
                                const uint8_t* outLimit);
const uint8_t* decodeBlocksAvx512(const uint8_t* p, const uint8_t* end, BlockState& state, uint8_t*& out,
                                  const uint8_t* outLimit);
const uint8_t* scanBlocksAvx512(const uint8_t* p, const uint8_t* end, BlockState& state, uint64_t& counted);

// A block decoder and block scanner with the size of their blocks; none on the scalar path, and
// no scanner where counting takes the baseline one.
struct BlockPath
{
    BlockDecoder decode = nullptr;
    BlockScanner scan = nullptr;
    ptrdiff_t blockBytes = 0;
};

} // namespace tarvo::evt3
