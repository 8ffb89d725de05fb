// Built with AVX2 enabled for this file alone, and run only where the processor has it.
// Everything here has internal linkage and no other header's inline function is used, so the
// linker can never pick an AVX2 copy of a function that baseline code calls.
//
// A block of 16 words is taken as two halves of 8, one in each 128-bit lane of a register, so
// that lookups by lane stay within a lane (one byte shuffle); the lower half's results carry
// into the upper half.
#include "Evt3BlockRun.h"

#include <immintrin.h>

namespace tarvo::evt3 {
namespace {

constexpr int kLanes = 16;
constexpr int kHalf = 8;
constexpr ptrdiff_t kBlockBytes = kAvx2BlockBytes;
static_assert(kBlockBytes == 2 * kLanes, "one word a lane");

// Vector words with more than one event that a half takes; a block with more is left to the
// word-by-word step.
constexpr int kMultiWords = 2;

struct Tables
{
    // Lanes of the set bits of an 8-bit mask, in order, as byte offsets (2 * lane); 0x80 after
    // the last.
    uint64_t setLanes[256]{};
    // Position of the j-th set bit of a nibble, at nibble * 4 + j, in four parts of 16, and
    // the set bits of each nibble; each repeated for both 128-bit lanes.
    uint8_t select[4][32]{};
    uint8_t nibbleBits[32]{};

    constexpr Tables()
    {
        for (int mask = 0; mask < 256; ++mask) {
            int found = 0;
            for (int lane = 0; lane < kHalf; ++lane) {
                if ((mask >> lane) & 1) {
                    setLanes[mask] |= static_cast<uint64_t>(2 * lane) << (8 * found++);
                }
            }
            for (; found < kHalf; ++found) {
                setLanes[mask] |= uint64_t{0x80} << (8 * found);
            }
        }
        for (int nibble = 0; nibble < 16; ++nibble) {
            int found = 0;
            for (int bit = 0; bit < 4; ++bit) {
                if ((nibble >> bit) & 1) {
                    const int entry = nibble * 4 + found++;
                    select[entry / 16][entry % 16] = select[entry / 16][16 + entry % 16] =
                        static_cast<uint8_t>(bit);
                }
            }
            nibbleBits[nibble] = nibbleBits[16 + nibble] = static_cast<uint8_t>(found);
        }
    }
};

alignas(64) constexpr Tables kTables{};

inline __m256i load(const uint8_t* table)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table));
}

inline __m256i splat(int value)
{
    return _mm256_set1_epi16(static_cast<short>(value));
}

// 0..7 in each half.
inline __m256i halfLanes()
{
    return _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7);
}

// The byte offset of each lane within its half, plus 2.
inline __m256i halfOffsetsPlusTwo()
{
    return _mm256_setr_epi16(2, 4, 6, 8, 10, 12, 14, 16, 2, 4, 6, 8, 10, 12, 14, 16);
}

// One bit per lane, lane 0 in bit 0, of lanes that are all ones.
inline uint32_t laneBits(__m256i lanes)
{
    return static_cast<uint32_t>(_mm_movemask_epi8(
        _mm_packs_epi16(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1))));
}

// Byte indices that read the 16-bit lane at byte offset `offset` (0..14 in the low byte; 0x80
// and above read 0) of the same half.
inline __m256i laneBytes(__m256i offset)
{
    const __m256i lowByteTwice = _mm256_setr_epi8(0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 0, 0,
                                                  2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14);
    return _mm256_add_epi16(_mm256_shuffle_epi8(offset, lowByteTwice), splat(0x0100));
}

// Running combination of the lanes within each half: lane i becomes lane 0 combined with ...
// lane i of its half.
template <typename Combine> inline __m256i prefix(__m256i v, Combine combine)
{
    v = combine(v, _mm256_slli_si256(v, 2));
    v = combine(v, _mm256_slli_si256(v, 4));
    return combine(v, _mm256_slli_si256(v, 8));
}

inline __m256i prefixSum(__m256i v)
{
    return prefix(v, [](__m256i a, __m256i b) { return _mm256_add_epi16(a, b); });
}

// Running maximum of each byte of the 16-bit lanes.
inline __m256i prefixMaxBytes(__m256i v)
{
    return prefix(v, [](__m256i a, __m256i b) { return _mm256_max_epu8(a, b); });
}

// Lane 7 of each half, in every lane of that half.
inline __m256i lastOfHalf(__m256i v)
{
    return _mm256_shuffle_epi8(v, splat(0x0F0E));
}

// The lower half's lane 7 in every lane of both halves.
inline __m256i lastOfLowerHalf(__m256i v)
{
    return _mm256_permute2x128_si256(lastOfHalf(v), v, 0x00);
}

inline __m256i lastOfUpperHalf(__m256i v)
{
    return _mm256_permute2x128_si256(lastOfHalf(v), v, 0x11);
}

inline uint32_t lastLaneValue(__m256i v)
{
    return static_cast<uint32_t>(_mm256_extract_epi16(v, 15));
}

// The register and its lane operations, for the shared block state.
struct Lanes
{
    using Vector = __m256i;
    static Vector splat(int value) { return evt3::splat(value); }
    static uint32_t lastLaneValue(Vector v) { return evt3::lastLaneValue(v); }
};

// For each lane, `table` at the lane of byte offset `offsetPlusTwo - 2` of its half; where
// that is 0 (none in the half), the value `after(lower half)` for the upper half, `before`
// for the lower.
template <typename After>
inline __m256i inForce(__m256i table, __m256i offsetPlusTwo, __m256i before, After after)
{
    const __m256i found = _mm256_shuffle_epi8(table, laneBytes(_mm256_sub_epi16(offsetPlusTwo, splat(2))));
    const __m256i none = _mm256_cmpeq_epi16(offsetPlusTwo, _mm256_setzero_si256());
    const __m256i lower = _mm256_blendv_epi8(found, before, none);
    return _mm256_blendv_epi8(found, _mm256_blend_epi32(before, after(lower), 0xF0), none);
}

// Set bits of each lane (at most 12 of them).
inline __m256i bitCount(__m256i v)
{
    const __m256i nibbleBits = load(kTables.nibbleBits);
    const __m256i low = _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(v, splat(0x0F0F)));
    const __m256i high =
        _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(_mm256_srli_epi16(v, 4), splat(0x0F0F)));
    return _mm256_maddubs_epi16(_mm256_add_epi8(low, high), _mm256_set1_epi8(1));
}

// Position of the rank-th set bit of each lane's 12-bit mask.
[[gnu::always_inline]] inline __m256i selectBit(__m256i bits, __m256i rank)
{
    // The high byte of each lookup index has bit 7 set, which reads 0.
    const __m256i highZero = splat(0x8000);
    const __m256i nibbleBits = load(kTables.nibbleBits);
    const __m256i nibble0 = _mm256_or_si256(_mm256_and_si256(bits, splat(0xF)), highZero);
    const __m256i nibble1 =
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(bits, 4), splat(0xF)), highZero);
    const __m256i nibble2 = _mm256_or_si256(_mm256_srli_epi16(bits, 8), highZero);
    const __m256i count0 = _mm256_shuffle_epi8(nibbleBits, nibble0);
    const __m256i count1 = _mm256_shuffle_epi8(nibbleBits, nibble1);
    // Past the lowest nibble's bits (rank >= count0), then past the next one's too.
    const __m256i past0 = _mm256_cmpgt_epi16(rank, _mm256_sub_epi16(count0, splat(1)));
    rank = _mm256_sub_epi16(rank, _mm256_and_si256(past0, count0));
    const __m256i past1 =
        _mm256_and_si256(past0, _mm256_cmpgt_epi16(rank, _mm256_sub_epi16(count1, splat(1))));
    rank = _mm256_sub_epi16(rank, _mm256_and_si256(past1, count1));
    const __m256i nibble = _mm256_blendv_epi8(_mm256_blendv_epi8(nibble0, nibble1, past0), nibble2, past1);
    const __m256i offset =
        _mm256_add_epi16(_mm256_and_si256(past0, splat(4)), _mm256_and_si256(past1, splat(4)));
    // Entry nibble * 4 + rank of the 64-entry table: bits 4 and 5 choose the part.
    const __m256i entry = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(nibble, splat(0xF)), 2), rank);
    const __m256i index = _mm256_or_si256(entry, highZero);
    const __m256i part1 = _mm256_slli_epi16(entry, 3);
    const __m256i part2 = _mm256_slli_epi16(entry, 2);
    const __m256i low = _mm256_blendv_epi8(_mm256_shuffle_epi8(load(kTables.select[0]), index),
                                           _mm256_shuffle_epi8(load(kTables.select[1]), index), part1);
    const __m256i high = _mm256_blendv_epi8(_mm256_shuffle_epi8(load(kTables.select[2]), index),
                                            _mm256_shuffle_epi8(load(kTables.select[3]), index), part1);
    return _mm256_add_epi16(offset, _mm256_blendv_epi8(low, high, part2));
}

// Writes the records of 8 event slots of each half: the lower half's at `lower`, the upper
// half's at `upper`, in that order.
[[gnu::always_inline]] inline void storeRecords(uint8_t* lower, uint8_t* upper, __m256i x, __m256i y,
                                                __m256i polarity, __m256i timeWord, __m256i timeWord1,
                                                __m256i timeWords23)
{
    const __m256i xy[2] = {_mm256_unpacklo_epi16(x, y), _mm256_unpackhi_epi16(x, y)};
    const __m256i p[2] = {_mm256_unpacklo_epi16(polarity, _mm256_setzero_si256()),
                          _mm256_unpackhi_epi16(polarity, _mm256_setzero_si256())};
    const __m256i t[2] = {_mm256_unpacklo_epi16(timeWord, timeWord1),
                          _mm256_unpackhi_epi16(timeWord, timeWord1)};
    __m256i records[8];
#pragma GCC unroll 2
    for (int quad = 0; quad < 2; ++quad) {
        const __m256i xyp[2] = {_mm256_unpacklo_epi32(xy[quad], p[quad]),
                                _mm256_unpackhi_epi32(xy[quad], p[quad])};
        const __m256i tt[2] = {_mm256_unpacklo_epi32(t[quad], timeWords23),
                               _mm256_unpackhi_epi32(t[quad], timeWords23)};
#pragma GCC unroll 2
        for (int pair = 0; pair < 2; ++pair) {
            records[4 * quad + 2 * pair] = _mm256_unpacklo_epi64(xyp[pair], tt[pair]);
            records[4 * quad + 2 * pair + 1] = _mm256_unpackhi_epi64(xyp[pair], tt[pair]);
        }
    }
#pragma GCC unroll 8
    for (int slot = 0; slot < kHalf; ++slot) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lower + 16 * slot),
                         _mm256_castsi256_si128(records[slot]));
    }
#pragma GCC unroll 8
    for (int slot = 0; slot < kHalf; ++slot) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(upper + 16 * slot),
                         _mm256_extracti128_si256(records[slot], 1));
    }
}

// The lanes of the set bits of each half's 8 bits of `mask`, in order, one a 16-bit lane.
inline __m256i setLanes(uint32_t mask)
{
    return _mm256_cvtepu8_epi16(_mm_set_epi64x(static_cast<long long>(kTables.setLanes[mask >> 8]),
                                               static_cast<long long>(kTables.setLanes[mask & 0xFF])));
}

// One block's words, read: for each word the slot of its first event in its half's output,
// the x of that event before its bit offset, its pixel mask, row, polarity and time word.
struct Words
{
    __m256i eventWords; // the words that give events, in order, in each half
    __m256i firstSlot;
    __m256i firstX;
    __m256i bits;
    __m256i row;
    __m256i polarity;
    __m256i timeWord;
    // For vector words with more than one event: first slot and events beyond the first.
    __m256i multiSlot[kMultiWords];
    __m256i multiExtra[kMultiWords];
    int lowerEvents; // of the lower half
    int upperEvents;
    int events;
    bool pixelsOnly; // no vector words: one event per event word, at its own x
};

// The state carried from block to block, with the constants of one TIME_HIGH period.
class Blocks
{
public:
    explicit Blocks(const BlockState& state)
        : m_state(state),
          // Above the low time word, the time words are the same for every event of the period.
          m_timeWord1(splat(static_cast<int>((state.highBits >> 16) & 0xFFFF))),
          m_timeWords23(_mm256_set1_epi32(static_cast<int>(state.highBits >> 32)))
    {
    }

    void store(BlockState& state) const { m_state.store(state); }

    // Reads a block and moves the carried state past it, unless it holds a trigger, a
    // TIME_HIGH other than the current one, a TIME_LOW that reaches the fusion frame end or
    // more vector words with several events than a half takes.
    [[gnu::always_inline]] bool read(const uint8_t* p, Words& words)
    {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i type = _mm256_srli_epi16(w, 12);
        const __m256i payload = _mm256_and_si256(w, splat(0xFFF));
        const auto lanes = [&](int wordType) { return _mm256_cmpeq_epi16(type, splat(wordType)); };
        const __m256i timeLows = lanes(0x6);
        const __m256i rare = _mm256_or_si256(
            _mm256_or_si256(lanes(0xA),
                            _mm256_andnot_si256(_mm256_cmpeq_epi16(payload, m_state.high), lanes(0x8))),
            _mm256_and_si256(timeLows,
                             _mm256_cmpeq_epi16(_mm256_max_epu16(payload, m_state.lowLimit), payload)));
        if (!_mm256_testz_si256(rare, rare)) {
            return false;
        }
        const __m256i rows = lanes(0x0);
        const __m256i pixels = lanes(0x2);
        const __m256i bases = lanes(0x3);
        const __m256i vect12 = lanes(0x4);
        const __m256i vect8 = lanes(0x5);
        const __m256i x11 = _mm256_and_si256(w, splat(0x7FF));
        const __m256i bit11 = _mm256_and_si256(_mm256_srli_epi16(w, 11), splat(1));
        const __m256i offsetPlusTwo = halfOffsetsPlusTwo();
        const __m256i vectors = _mm256_or_si256(bases, _mm256_or_si256(vect12, vect8));

        // The last row and TIME_LOW at or before each lane of its half, as byte offset + 2 in
        // one byte each (0: none in the half).
        const __m256i rowLow =
            prefixMaxBytes(_mm256_or_si256(_mm256_and_si256(rows, offsetPlusTwo),
                                           _mm256_and_si256(timeLows, _mm256_slli_epi16(offsetPlusTwo, 8))));
        const auto readRowAndTime = [&] {
            words.row = inForce(x11, _mm256_and_si256(rowLow, splat(0xFF)), m_state.row, lastOfLowerHalf);
            const __m256i low = inForce(payload, _mm256_srli_epi16(rowLow, 8), m_state.low, lastOfLowerHalf);
            words.timeWord = _mm256_or_si256(low, m_state.timeTop);
            m_state.row = lastOfUpperHalf(words.row);
            m_state.low = lastOfUpperHalf(low);
        };
        if (_mm256_testz_si256(vectors, vectors)) {
            readRowAndTime();
            const uint32_t pixelLanes = laneBits(pixels);
            words.pixelsOnly = true;
            words.eventWords = setLanes(pixelLanes);
            words.lowerEvents = __builtin_popcount(pixelLanes & 0xFF);
            words.upperEvents = __builtin_popcount(pixelLanes >> 8);
            words.events = words.lowerEvents + words.upperEvents;
            words.firstX = x11;
            words.polarity = bit11;
            return true;
        }

        // The pixels of each word as a mask from its first x: one for a pixel word.
        words.bits =
            _mm256_or_si256(_mm256_and_si256(vect12, payload),
                            _mm256_or_si256(_mm256_and_si256(vect8, _mm256_and_si256(w, splat(0xFF))),
                                            _mm256_and_si256(pixels, splat(1))));
        const __m256i count = bitCount(words.bits);
        const uint32_t multi = laneBits(_mm256_cmpgt_epi16(count, splat(1)));
        const int multiLower = __builtin_popcount(multi & 0xFF);
        const int multiUpper = __builtin_popcount(multi >> 8);
        if (multiLower > kMultiWords || multiUpper > kMultiWords) {
            return false;
        }
        readRowAndTime();
        words.pixelsOnly = false;

        // Event counts (9 bits) and vector widths / 4 (7 bits) summed in one pass, per half.
        const __m256i own = _mm256_add_epi16(count, _mm256_or_si256(_mm256_and_si256(vect12, splat(3 << 9)),
                                                                    _mm256_and_si256(vect8, splat(2 << 9))));
        const __m256i through = prefixSum(own);
        const __m256i before = _mm256_sub_epi16(through, own);
        words.firstSlot = _mm256_and_si256(before, splat(0x1FF));
        const uint32_t eventLanes = laneBits(_mm256_cmpgt_epi16(count, _mm256_setzero_si256()));
        words.eventWords = setLanes(eventLanes);
        words.lowerEvents = static_cast<int>(_mm256_extract_epi16(through, 7) & 0x1FF);
        words.upperEvents = static_cast<int>(_mm256_extract_epi16(through, 15) & 0x1FF);
        words.events = words.lowerEvents + words.upperEvents;
        // The multi-event words of each half, first and second.
        const __m256i multiWords = setLanes(multi);
        const __m256i extra = _mm256_sub_epi16(count, splat(1));
#pragma GCC unroll 2
        for (int j = 0; j < kMultiWords; ++j) {
            // Past the last such word the offset reads 0: no first slot, no events beyond.
            const __m256i bytes = laneBytes(_mm256_shuffle_epi8(multiWords, splat(0x0100 + 0x0202 * j)));
            words.multiSlot[j] = _mm256_shuffle_epi8(words.firstSlot, bytes);
            words.multiExtra[j] = _mm256_shuffle_epi8(extra, bytes);
        }

        // A vector word's base is the last base word's x plus the widths of the vector words
        // between; taken as (base x - widths before it) + widths before the lane.
        const __m256i widthBefore = _mm256_and_si256(_mm256_srli_epi16(before, 7), splat(0x1FC));
        const __m256i widthThrough = _mm256_and_si256(_mm256_srli_epi16(through, 7), splat(0x1FC));
        const __m256i baseLane = prefixMaxBytes(_mm256_and_si256(bases, offsetPlusTwo));
        const __m256i baseStart =
            inForce(_mm256_sub_epi16(x11, widthBefore), baseLane, m_state.base,
                    [&](__m256i lower) { return lastOfLowerHalf(_mm256_add_epi16(lower, widthThrough)); });
        const __m256i basePolarity = inForce(bit11, baseLane, m_state.polarity, lastOfLowerHalf);
        words.firstX = _mm256_blendv_epi8(_mm256_add_epi16(baseStart, widthBefore), x11, pixels);
        words.polarity = _mm256_blendv_epi8(basePolarity, bit11, pixels);
        m_state.polarity = lastOfUpperHalf(basePolarity);
        m_state.base = lastOfUpperHalf(_mm256_add_epi16(baseStart, widthThrough));
        return true;
    }

    // Writes the block's events, 8 records of each half at a time. Each half writes whole
    // stores of 8, the lower half's last ones over the start of the upper half's events:
    // going from the last 8 back to the first, the upper half's come after and are kept.
    [[gnu::always_inline]] void write(const Words& words, uint8_t* out) const
    {
        uint8_t* upperOut = out + 16 * words.lowerEvents;
        if (words.pixelsOnly) {
            const __m256i lane = laneBytes(words.eventWords);
            storeRecords(out, upperOut, _mm256_shuffle_epi8(words.firstX, lane),
                         _mm256_shuffle_epi8(words.row, lane), _mm256_shuffle_epi8(words.polarity, lane),
                         _mm256_shuffle_epi8(words.timeWord, lane), m_timeWord1, m_timeWords23);
            return;
        }
        const int last = (words.lowerEvents > words.upperEvents ? words.lowerEvents : words.upperEvents) - 1;
        for (int k = last & ~(kHalf - 1); k >= 0; k -= kHalf) {
            const __m256i slot = _mm256_add_epi16(halfLanes(), splat(k));
            // A slot's word is the one whose events it holds: counting the slots before it
            // that continue a vector word, the rest start one word each.
            __m256i continuing = _mm256_setzero_si256();
#pragma GCC unroll 2
            for (int j = 0; j < kMultiWords; ++j) {
                continuing =
                    _mm256_add_epi16(continuing, _mm256_min_epu16(_mm256_subs_epu16(slot, words.multiSlot[j]),
                                                                  words.multiExtra[j]));
            }
            const __m256i index = _mm256_slli_epi16(_mm256_sub_epi16(slot, continuing), 1);
            const __m256i lane = laneBytes(_mm256_shuffle_epi8(words.eventWords, laneBytes(index)));
            const __m256i rank = _mm256_sub_epi16(slot, _mm256_shuffle_epi8(words.firstSlot, lane));
            const __m256i x = _mm256_add_epi16(_mm256_shuffle_epi8(words.firstX, lane),
                                               selectBit(_mm256_shuffle_epi8(words.bits, lane), rank));
            storeRecords(out + 16 * k, upperOut + 16 * k, x, _mm256_shuffle_epi8(words.row, lane),
                         _mm256_shuffle_epi8(words.polarity, lane), _mm256_shuffle_epi8(words.timeWord, lane),
                         m_timeWord1, m_timeWords23);
        }
    }

private:
    BlockVectors<Lanes> m_state; // the values carried on, in every lane
    const __m256i m_timeWord1;
    const __m256i m_timeWords23;
};

} // namespace

const uint8_t* decodeBlocksAvx2(const uint8_t* p, const uint8_t* end, BlockState& state, uint8_t*& out,
                                const uint8_t* outLimit)
{
    return decodeBlockRun<Blocks, Words>(kBlockBytes, p, end, state, out, outLimit);
}

} // namespace tarvo::evt3
