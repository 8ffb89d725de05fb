#pragma once

#include "Evt3Blocks.h"

namespace tarvo::evt3 {
// Internal linkage on purpose: each instruction-set file builds its own copy.
namespace {

// The block state as vectors of `Lanes::Vector` (whose splat(value) fills every lane and whose
// lastLaneValue(vector) reads the last): the constants of a TIME_HIGH period in every lane, and
// what one block leaves in force for the next, read in the last lane.
template <typename Lanes> struct BlockVectors
{
    using Vector = typename Lanes::Vector;

    explicit BlockVectors(const BlockState& state)
        : high(Lanes::splat(static_cast<int>(state.high))),
          lowLimit(Lanes::splat(static_cast<int>(state.lowLimit))),
          timeTop(Lanes::splat(static_cast<int>(state.highBits & 0xF000))),
          row(Lanes::splat(static_cast<int>(state.row))), low(Lanes::splat(static_cast<int>(state.low))),
          base(Lanes::splat(static_cast<int>(state.baseX))),
          polarity(Lanes::splat(static_cast<int>(state.basePolarity)))
    {
    }

    void store(BlockState& state) const
    {
        state.row = Lanes::lastLaneValue(row);
        state.low = Lanes::lastLaneValue(low);
        state.baseX = Lanes::lastLaneValue(base);
        state.basePolarity = Lanes::lastLaneValue(polarity);
    }

    const Vector high;     // TIME_HIGH payload; words that repeat it change nothing
    const Vector lowLimit; // a TIME_LOW at or above reaches the fusion frame end
    const Vector timeTop;  // bits 15..12 of the time, where they sit in a record's low time word
    Vector row;
    Vector low;
    Vector base;
    Vector polarity;
};

// Decodes blocks as a block decoder does (see BlockDecoder), with `Blocks` built from the state
// and holding it: its read(p, words) takes a block unless the block holds something rare, and
// then changes nothing; its write(words, out) writes the block's events; its store(state) hands
// the state back.
template <typename Blocks, typename Words>
const uint8_t* decodeBlockRun(ptrdiff_t blockBytes, const uint8_t* p, const uint8_t* end, BlockState& state,
                              uint8_t*& out, const uint8_t* outLimit)
{
    Blocks blocks(state);
    uint8_t* o = out;
    // Two blocks a step, so that the work of one overlaps the other's.
    constexpr ptrdiff_t kRecordBytes = 16 * kMaxBlockRecords;
    for (; end - p >= 2 * blockBytes && outLimit - o >= kRecordBytes; p += 2 * blockBytes) {
        Words first;
        Words second;
        if (!blocks.read(p, first)) {
            break;
        }
        const bool both = blocks.read(p + blockBytes, second);
        blocks.write(first, o);
        o += 16 * first.events;
        if (!both) {
            p += blockBytes;
            break;
        }
        blocks.write(second, o);
        o += 16 * second.events;
    }
    for (; end - p >= blockBytes && o <= outLimit; p += blockBytes) {
        Words words;
        if (!blocks.read(p, words)) {
            break;
        }
        blocks.write(words, o);
        o += 16 * words.events;
    }
    blocks.store(state);
    out = o;
    return p;
}

} // namespace
} // namespace tarvo::evt3
