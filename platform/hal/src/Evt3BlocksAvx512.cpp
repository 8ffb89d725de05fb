// Built with AVX-512 (F, BW, VBMI2, BITALG) enabled for this file alone, and run only where the
// processor has it. Everything here has internal linkage and no other header's inline function
// is used, so the linker can never pick an AVX-512 copy of a function that baseline code calls.
//
// A block is 32 words, one a 16-bit lane. Its words are read all at once (the row, time and
// vector base in force at each word, how many events each gives and where they go), then its
// events are written 32 at a time: each output slot finds the word it comes from and takes
// that word's fields.
#include "Evt3BlockRun.h"

#include <immintrin.h>

namespace tarvo::evt3 {
namespace {

constexpr int kLanes = 32;
constexpr ptrdiff_t kBlockBytes = kAvx512BlockBytes;
static_assert(kBlockBytes == 2 * kLanes, "one word a lane");

// Vector words with more than one event that a block's slot mapping takes without a search.
constexpr int kMultiWords = 4;

// Words 0, 1, 2 and 4 of every 8-word record: x, y, polarity, the low time word.
constexpr __mmask32 kRecordWords = 0x17171717;

struct Tables
{
    uint16_t iota[kLanes]{};
    uint16_t upOne[kLanes]{}; // lane i takes lane i - 1
    // Where each word of four records comes from: x (0..15) and y (16..31) of sixteen slots
    // in the first source, the time word (32..47) and polarity (48..63) in the second.
    uint16_t record[4][kLanes]{};
    // Position of the j-th set bit of a nibble, at nibble * 4 + j, and the set bits of each.
    uint16_t select[2 * kLanes]{};
    uint16_t nibbleBits[kLanes]{};

    constexpr Tables()
    {
        for (int i = 0; i < kLanes; ++i) {
            iota[i] = static_cast<uint16_t>(i);
            upOne[i] = static_cast<uint16_t>(i == 0 ? 0 : i - 1);
        }
        for (int r = 0; r < 4; ++r) {
            for (int i = 0; i < kLanes; ++i) {
                const int slot = 4 * r + i / 8;
                const int field = i % 8;
                record[r][i] = static_cast<uint16_t>(field == 0   ? slot
                                                     : field == 1 ? 16 + slot
                                                     : field == 2 ? 48 + slot
                                                     : field == 4 ? 32 + slot
                                                                  : 0);
            }
        }
        for (int nibble = 0; nibble < 16; ++nibble) {
            int found = 0;
            for (int bit = 0; bit < 4; ++bit) {
                if ((nibble >> bit) & 1) {
                    select[nibble * 4 + found++] = static_cast<uint16_t>(bit);
                }
            }
            nibbleBits[nibble] = static_cast<uint16_t>(found);
        }
    }
};

alignas(64) constexpr Tables kTables{};

inline __m512i load(const uint16_t* table)
{
    return _mm512_loadu_si512(table);
}

inline __m512i splat(int value)
{
    return _mm512_set1_epi16(static_cast<short>(value));
}

// Moves every lane `lanes` lanes up, filling with zeros.
template <int lanes> inline __m512i shiftUp(__m512i v)
{
    if constexpr (lanes == 1) {
        return _mm512_maskz_permutexvar_epi16(~__mmask32{1}, load(kTables.upOne), v);
    } else {
        // Rotated up by whole pairs of lanes, the wrapped ones cleared.
        return _mm512_maskz_alignr_epi32(static_cast<__mmask16>(0xFFFF << (lanes / 2)), v, v, 16 - lanes / 2);
    }
}

// Running combination of the lanes: lane i becomes lane 0 combined with ... lane i.
template <typename Combine> inline __m512i prefix(__m512i v, Combine combine)
{
    v = combine(v, shiftUp<1>(v));
    v = combine(v, shiftUp<2>(v));
    v = combine(v, shiftUp<4>(v));
    v = combine(v, shiftUp<8>(v));
    return combine(v, shiftUp<16>(v));
}

inline __m512i prefixSum(__m512i v)
{
    return prefix(v, [](__m512i a, __m512i b) { return _mm512_add_epi16(a, b); });
}

// Running maximum of each byte of the 16-bit lanes.
inline __m512i prefixMaxBytes(__m512i v)
{
    return prefix(v, [](__m512i a, __m512i b) { return _mm512_max_epu8(a, b); });
}

inline uint32_t lastLaneValue(__m512i v)
{
    return static_cast<uint32_t>(_mm_extract_epi16(_mm512_maskz_extracti32x4_epi32(0xF, v, 3), 7));
}

// The register and its lane operations, for the shared block state.
struct Lanes
{
    using Vector = __m512i;
    static Vector splat(int value) { return evt3::splat(value); }
    static uint32_t lastLaneValue(Vector v) { return evt3::lastLaneValue(v); }
};

// Position of the rank-th set bit of each lane's 12-bit mask.
[[gnu::always_inline]] inline __m512i selectBit(__m512i bits, __m512i rank)
{
    const __m512i nibbleBits = load(kTables.nibbleBits);
    const __m512i nibble0 = _mm512_and_si512(bits, splat(0xF));
    const __m512i nibble1 = _mm512_and_si512(_mm512_srli_epi16(bits, 4), splat(0xF));
    const __m512i nibble2 = _mm512_srli_epi16(bits, 8);
    const __m512i count0 = _mm512_permutexvar_epi16(nibble0, nibbleBits);
    const __m512i count1 = _mm512_permutexvar_epi16(nibble1, nibbleBits);
    // Past the lowest nibble's bits, then past the next one's too.
    const __mmask32 past0 = _mm512_cmpge_epu16_mask(rank, count0);
    rank = _mm512_mask_sub_epi16(rank, past0, rank, count0);
    __m512i nibble = _mm512_mask_mov_epi16(nibble0, past0, nibble1);
    __m512i offset = _mm512_maskz_mov_epi16(past0, splat(4));
    const __mmask32 past1 = _mm512_mask_cmpge_epu16_mask(past0, rank, count1);
    rank = _mm512_mask_sub_epi16(rank, past1, rank, count1);
    nibble = _mm512_mask_mov_epi16(nibble, past1, nibble2);
    offset = _mm512_mask_mov_epi16(offset, past1, splat(8));
    const __m512i index = _mm512_or_si512(_mm512_slli_epi16(nibble, 2), rank);
    return _mm512_add_epi16(
        offset, _mm512_permutex2var_epi16(load(kTables.select), index, load(kTables.select + kLanes)));
}

// How event records are put together from 16-bit fields. The words that are the same for
// every record of a TIME_HIGH period (the padding after polarity, bits 16..63 of the time)
// stand in the unused places of the index tables, where the permutation keeps them.
class RecordLayout
{
public:
    explicit RecordLayout(uint64_t highBits)
    {
        const auto high = static_cast<long long>(highBits & ~uint64_t{0xFFFF});
        const __m512i constant = _mm512_set_epi64(high, 0, high, 0, high, 0, high, 0);
        for (int r = 0; r < 4; ++r) {
            m_index[r] = _mm512_mask_mov_epi16(constant, kRecordWords, load(kTables.record[r]));
        }
    }

    // Writes 32 records from the fields of 32 event slots.
    [[gnu::always_inline]] void store(uint8_t* out, __m512i x, __m512i y, __m512i polarity,
                                      __m512i timeWord) const
    {
        const __m512i xy[2] = {_mm512_maskz_shuffle_i64x2(0xFF, x, y, 0x44),
                               _mm512_maskz_shuffle_i64x2(0xFF, x, y, 0xEE)};
        const __m512i tp[2] = {_mm512_maskz_shuffle_i64x2(0xFF, timeWord, polarity, 0x44),
                               _mm512_maskz_shuffle_i64x2(0xFF, timeWord, polarity, 0xEE)};
#pragma GCC unroll 2
        for (int half = 0; half < 2; ++half) {
#pragma GCC unroll 4
            for (int r = 0; r < 4; ++r) {
                _mm512_storeu_si512(
                    out + 256 * half + 64 * r,
                    _mm512_mask2_permutex2var_epi16(xy[half], m_index[r], kRecordWords, tp[half]));
            }
        }
    }

private:
    __m512i m_index[4];
};

// One block's words, read: for each the slot of its first event in the block's output, the x of
// that event before its bit offset, its pixel mask, row, polarity and time word.
struct Words
{
    __m512i eventWords; // the lanes of the words that give events, in order
    // First slot (9 bits) and events beyond the first (from bit 9) of each word that gives
    // more than one, in order.
    __m512i multi;
    int multiWords;
    __m512i firstSlot;
    __m512i firstX;
    __m512i bits;
    __m512i row;
    __m512i polarity;
    __m512i timeWord;
    int events;
    bool pixelsOnly; // no vector words: one event per event word, at its own x
};

// The state carried from block to block, with the constants of one TIME_HIGH period.
class Blocks
{
public:
    explicit Blocks(const BlockState& state) : m_state(state), m_records(state.highBits) {}

    void store(BlockState& state) const { m_state.store(state); }

    // Reads a block and moves the carried state past it, unless it holds a trigger, a
    // TIME_HIGH other than the current one or a TIME_LOW that reaches the fusion frame end.
    [[gnu::always_inline]] bool read(const uint8_t* p, Words& words)
    {
        const __m512i w = _mm512_loadu_si512(p);
        const __m512i type = _mm512_srli_epi16(w, 12);
        const __m512i payload = _mm512_and_si512(w, splat(0xFFF));
        const auto lanes = [&](int wordType) { return _mm512_cmpeq_epi16_mask(type, splat(wordType)); };
        const __mmask32 timeLows = lanes(0x6);
        if ((lanes(0xA) | _mm512_mask_cmpneq_epu16_mask(lanes(0x8), payload, m_state.high) |
             _mm512_mask_cmpge_epu16_mask(timeLows, payload, m_state.lowLimit)) != 0) {
            return false;
        }
        const __m512i lanePlusOne = _mm512_add_epi16(load(kTables.iota), splat(1));
        const __mmask32 rows = lanes(0x0);
        const __mmask32 pixels = lanes(0x2);
        const __mmask32 bases = lanes(0x3);
        const __mmask32 vect12 = lanes(0x4);
        const __mmask32 vect8 = lanes(0x5);
        const __m512i x11 = _mm512_and_si512(w, splat(0x7FF));
        const __m512i bit11 = _mm512_and_si512(_mm512_srli_epi16(w, 11), splat(1));

        // The last row and TIME_LOW at or before each lane, as lane + 1 in one byte each; 0
        // where the block has none, and index 0 - 1 then picks the value carried in (lane 31
        // of the second source).
        const __m512i rowLow = prefixMaxBytes(_mm512_mask_mov_epi16(
            _mm512_maskz_mov_epi16(rows, lanePlusOne), timeLows, _mm512_slli_epi16(lanePlusOne, 8)));
        words.row = _mm512_permutex2var_epi16(
            x11, _mm512_sub_epi16(_mm512_and_si512(rowLow, splat(0xFF)), splat(1)), m_state.row);
        const __m512i low = _mm512_permutex2var_epi16(
            payload, _mm512_sub_epi16(_mm512_srli_epi16(rowLow, 8), splat(1)), m_state.low);
        words.timeWord = _mm512_or_si512(low, m_state.timeTop);
        m_state.row = words.row;
        m_state.low = low;
        if ((bases | vect12 | vect8) == 0) {
            words.pixelsOnly = true;
            words.eventWords = _mm512_maskz_compress_epi16(pixels, load(kTables.iota));
            words.events = __builtin_popcount(pixels);
            words.firstX = x11;
            words.polarity = bit11;
            return true;
        }
        words.pixelsOnly = false;

        // The pixels of each word as a mask from its first x: one for a pixel word.
        words.bits = _mm512_maskz_mov_epi16(vect12, payload);
        words.bits = _mm512_mask_mov_epi16(words.bits, vect8, _mm512_and_si512(w, splat(0xFF)));
        words.bits = _mm512_mask_mov_epi16(words.bits, pixels, splat(1));
        const __m512i count = _mm512_popcnt_epi16(words.bits);
        const __mmask32 multi = _mm512_cmpgt_epu16_mask(count, splat(1));
        words.eventWords =
            _mm512_maskz_compress_epi16(_mm512_test_epi16_mask(count, count), load(kTables.iota));
        words.multiWords = __builtin_popcount(multi);
        // Event counts (9 bits) and vector widths / 4 (7 bits) summed in one pass.
        __m512i own = count;
        own = _mm512_mask_add_epi16(own, vect12, own, splat(3 << 9));
        own = _mm512_mask_add_epi16(own, vect8, own, splat(2 << 9));
        const __m512i through = prefixSum(own);
        const __m512i before = _mm512_sub_epi16(through, own);
        words.firstSlot = _mm512_and_si512(before, splat(0x1FF));
        words.events = static_cast<int>(lastLaneValue(through) & 0x1FF);
        words.multi = _mm512_maskz_compress_epi16(
            multi, _mm512_or_si512(words.firstSlot, _mm512_slli_epi16(_mm512_sub_epi16(count, splat(1)), 9)));

        // A vector word's base is the last base word's x plus the widths of the vector words
        // between; taken as (base x - widths before it) + widths before the lane.
        const __m512i widthBefore = _mm512_and_si512(_mm512_srli_epi16(before, 7), splat(0x1FC));
        const __m512i baseLane =
            _mm512_sub_epi16(prefixMaxBytes(_mm512_maskz_mov_epi16(bases, lanePlusOne)), splat(1));
        const __m512i baseStart =
            _mm512_permutex2var_epi16(_mm512_sub_epi16(x11, widthBefore), baseLane, m_state.base);
        const __m512i basePolarity = _mm512_permutex2var_epi16(bit11, baseLane, m_state.polarity);
        words.firstX = _mm512_mask_mov_epi16(_mm512_add_epi16(baseStart, widthBefore), pixels, x11);
        words.polarity = _mm512_mask_mov_epi16(basePolarity, pixels, bit11);
        m_state.polarity = basePolarity;
        m_state.base =
            _mm512_add_epi16(baseStart, _mm512_and_si512(_mm512_srli_epi16(through, 7), splat(0x1FC)));
        return true;
    }

    // Writes the block's events, 32 records at a time.
    [[gnu::always_inline]] void write(const Words& words, uint8_t* out) const
    {
        if (words.pixelsOnly) {
            const __m512i lane = words.eventWords;
            m_records.store(out, _mm512_permutexvar_epi16(lane, words.firstX),
                            _mm512_permutexvar_epi16(lane, words.row),
                            _mm512_permutexvar_epi16(lane, words.polarity),
                            _mm512_permutexvar_epi16(lane, words.timeWord));
            return;
        }
        if (words.multiWords > kMultiWords) {
            writeSearching(words, out);
            return;
        }
        const __m512i iota = load(kTables.iota);
        for (int k = 0; k < words.events; k += kLanes) {
            const __m512i slot = _mm512_add_epi16(iota, splat(k));
            // A slot's word is the one whose events it holds: counting the slots before it
            // that continue a vector word, the rest start one word each.
            __m512i continuing[kMultiWords];
#pragma GCC unroll 4
            for (int j = 0; j < kMultiWords; ++j) {
                const __m512i multi = _mm512_permutexvar_epi16(splat(j), words.multi);
                continuing[j] =
                    _mm512_min_epu16(_mm512_subs_epu16(slot, _mm512_and_si512(multi, splat(0x1FF))),
                                     _mm512_srli_epi16(multi, 9));
            }
            const __m512i index =
                _mm512_sub_epi16(slot, _mm512_add_epi16(_mm512_add_epi16(continuing[0], continuing[1]),
                                                        _mm512_add_epi16(continuing[2], continuing[3])));
            writeSlots(words, _mm512_permutexvar_epi16(index, words.eventWords), slot, out + 16 * k);
        }
    }

    // The same for blocks with more vector words: a binary search among the first slots.
    void writeSearching(const Words& words, uint8_t* out) const
    {
        const __m512i iota = load(kTables.iota);
        for (int k = 0; k < words.events; k += kLanes) {
            const __m512i slot = _mm512_add_epi16(iota, splat(k));
            // Each slot's word: the last lane whose first slot is at or before it.
            __m512i lane = _mm512_setzero_si512();
#pragma GCC unroll 5
            for (int step = kLanes / 2; step > 0; step /= 2) {
                const __m512i candidate = _mm512_add_epi16(lane, splat(step));
                const __mmask32 take =
                    _mm512_cmple_epu16_mask(_mm512_permutexvar_epi16(candidate, words.firstSlot), slot);
                lane = _mm512_mask_mov_epi16(lane, take, candidate);
            }
            writeSlots(words, lane, slot, out + 16 * k);
        }
    }

    // Writes the events of 32 slots given the word of each.
    [[gnu::always_inline]] void writeSlots(const Words& words, __m512i lane, __m512i slot, uint8_t* out) const
    {
        const __m512i rank = _mm512_sub_epi16(slot, _mm512_permutexvar_epi16(lane, words.firstSlot));
        const __m512i x = _mm512_add_epi16(_mm512_permutexvar_epi16(lane, words.firstX),
                                           selectBit(_mm512_permutexvar_epi16(lane, words.bits), rank));
        m_records.store(out, x, _mm512_permutexvar_epi16(lane, words.row),
                        _mm512_permutexvar_epi16(lane, words.polarity),
                        _mm512_permutexvar_epi16(lane, words.timeWord));
    }

private:
    // The values carried on are of use in lane 31 only: lookups take lane 31 of their second
    // source where the block has no word of its own.
    BlockVectors<Lanes> m_state;
    const RecordLayout m_records;
};

// The events of a block and the state after it, for counting and time-only decoding.
class Scanner
{
public:
    explicit Scanner(const BlockState& state)
        : m_high(splat(static_cast<int>(state.high))), m_low(state.low), m_row(state.row),
          m_baseX(state.baseX), m_basePolarity(state.basePolarity)
    {
    }

    void store(BlockState& state, uint64_t& counted) const
    {
        alignas(64) uint64_t sums[8];
        _mm512_store_si512(sums, m_events);
        for (const uint64_t sum : sums) {
            counted += sum;
        }
        state.low = m_low;
        state.row = m_row;
        state.baseX = m_baseX & 0xFFFF;
        state.basePolarity = m_basePolarity;
    }

    // Takes a block unless it holds a trigger or a TIME_HIGH other than the current one.
    [[gnu::always_inline]] bool take(const uint8_t* p)
    {
        const __m512i w = _mm512_loadu_si512(p);
        const __m512i type = _mm512_srli_epi16(w, 12);
        const __m512i payload = _mm512_and_si512(w, splat(0xFFF));
        const auto lanes = [&](int wordType) { return _mm512_cmpeq_epi16_mask(type, splat(wordType)); };
        if ((lanes(0xA) | _mm512_mask_cmpneq_epu16_mask(lanes(0x8), payload, m_high)) != 0) {
            return false;
        }
        const __mmask32 pixels = lanes(0x2);
        const __mmask32 vect12 = lanes(0x4);
        const __mmask32 vect8 = lanes(0x5);
        __m512i bits = _mm512_maskz_mov_epi16(vect12, payload);
        bits = _mm512_mask_mov_epi16(bits, vect8, _mm512_and_si512(w, splat(0xFF)));
        bits = _mm512_mask_mov_epi16(bits, pixels, splat(1));
        m_events =
            _mm512_add_epi64(m_events, _mm512_sad_epu8(_mm512_popcnt_epi16(bits), _mm512_setzero_si512()));

        // The last TIME_LOW, row and vector base of the block, chosen without branches: the
        // blocks come in no predictable order of having them.
        const auto word = [p](uint32_t mask) {
            uint16_t value;
            __builtin_memcpy(&value, p + 2 * (31 - __builtin_clz(mask | 1)), sizeof value);
            return static_cast<uint32_t>(value);
        };
        const __mmask32 timeLows = lanes(0x6);
        const __mmask32 rows = lanes(0x0);
        const __mmask32 bases = lanes(0x3);
        m_low = timeLows != 0 ? word(timeLows) & 0xFFF : m_low;
        m_row = rows != 0 ? word(rows) & 0x7FF : m_row;
        const uint32_t baseWord = word(bases);
        // Vector words after the last base word move the base on.
        const uint32_t after = bases != 0 ? ~((2u << (31 - __builtin_clz(bases))) - 1) : ~0u;
        m_baseX = (bases != 0 ? baseWord & 0x7FF : m_baseX) +
                  12 * static_cast<uint32_t>(__builtin_popcount(vect12 & after)) +
                  8 * static_cast<uint32_t>(__builtin_popcount(vect8 & after));
        m_basePolarity = bases != 0 ? (baseWord >> 11) & 1 : m_basePolarity;
        return true;
    }

private:
    const __m512i m_high;
    __m512i m_events = _mm512_setzero_si512(); // sums of event counts in eight parts
    uint32_t m_low;
    uint32_t m_row;
    uint32_t m_baseX;
    uint32_t m_basePolarity;
};

} // namespace

const uint8_t* scanBlocksAvx512(const uint8_t* p, const uint8_t* end, BlockState& state, uint64_t& counted)
{
    Scanner scanner(state);
    for (; end - p >= kBlockBytes && scanner.take(p); p += kBlockBytes) {
    }
    scanner.store(state, counted);
    return p;
}

const uint8_t* decodeBlocksAvx512(const uint8_t* p, const uint8_t* end, BlockState& state, uint8_t*& out,
                                  const uint8_t* outLimit)
{
    return decodeBlockRun<Blocks, Words>(kBlockBytes, p, end, state, out, outLimit);
}

} // namespace tarvo::evt3
