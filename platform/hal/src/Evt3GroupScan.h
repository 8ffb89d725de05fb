#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo {

// The decoder state that counting and time-only decoding change, in registers form.
struct Evt3ScanState
{
    uint64_t time;
    uint64_t highBits; // rollovers << 24 | TIME_HIGH << 12
    uint32_t high;     // TIME_HIGH payload
    uint64_t rowBits;  // y << 16
    uint64_t baseX;
    uint64_t basePolBits; // vector polarity << 32
    uint64_t counted;
};

namespace groupscan {

inline uint32_t wordAt(const uint8_t* words, int lane)
{
    uint16_t word;
    std::memcpy(&word, words + 2 * lane, sizeof word);
    return word;
}

// Bits set in a mask of up to 16 bits. The portable instruction set has no population count
// instruction, and the compiler's fallback is a library call.
inline uint32_t bitCount(uint32_t mask)
{
    mask = mask - ((mask >> 1) & 0x5555);
    mask = (mask & 0x3333) + ((mask >> 2) & 0x3333);
    mask = (mask + (mask >> 4)) & 0x0F0F;
    return (mask + (mask >> 8)) & 0x1F;
}

// Highest lane set in a mask of lanes.
inline int lastLane(uint32_t mask)
{
    return 31 - __builtin_clz(mask);
}

} // namespace groupscan

#if defined(__SSE2__)

// Applies sixteen words at once when they hold no trigger and no change of TIME_HIGH (both
// are rare), as the word-by-word decoder would; returns false, changing nothing, otherwise.
// The stream's time and row must already be known.
__attribute__((always_inline)) inline bool scanSixteenWords(const uint8_t* words, Evt3ScanState& s)
{
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 16));
    const __m128i type0 = _mm_srli_epi16(v0, 12);
    const __m128i type1 = _mm_srli_epi16(v1, 12);
    const __m128i low12 = _mm_set1_epi16(0xFFF);
    const __m128i payload0 = _mm_and_si128(v0, low12);
    const __m128i payload1 = _mm_and_si128(v1, low12);
    const auto is = [](__m128i type, int wordType) {
        return _mm_cmpeq_epi16(type, _mm_set1_epi16(static_cast<short>(wordType)));
    };
    // One bit per word, word 0 in bit 0.
    const auto bits = [](__m128i lanes0, __m128i lanes1) {
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(lanes0, lanes1)));
    };
    const auto laneMask = [&](int wordType) { return bits(is(type0, wordType), is(type1, wordType)); };
    if (laneMask(0xA) != 0) {
        return false;
    }
    const uint32_t timeHigh = laneMask(0x8);
    if (timeHigh != 0) {
        const __m128i high = _mm_set1_epi16(static_cast<short>(s.high));
        const uint32_t repeats = bits(_mm_and_si128(_mm_cmpeq_epi16(payload0, high), is(type0, 0x8)),
                                      _mm_and_si128(_mm_cmpeq_epi16(payload1, high), is(type1, 0x8)));
        if (repeats != timeHigh) {
            return false;
        }
    }

    // Events: single pixels plus the set bits of the vector masks. Computed whether or not
    // the group holds such words: a branch on it would be mispredicted all the time.
    const auto vectorBits = [&](__m128i v, __m128i type, __m128i payload) {
        __m128i b = _mm_or_si128(_mm_and_si128(is(type, 0x4), payload),
                                 _mm_and_si128(is(type, 0x5), _mm_and_si128(v, _mm_set1_epi16(0xFF))));
        b = _mm_sub_epi16(b, _mm_and_si128(_mm_srli_epi16(b, 1), _mm_set1_epi16(0x5555)));
        b = _mm_add_epi16(_mm_and_si128(b, _mm_set1_epi16(0x3333)),
                          _mm_and_si128(_mm_srli_epi16(b, 2), _mm_set1_epi16(0x3333)));
        b = _mm_and_si128(_mm_add_epi16(b, _mm_srli_epi16(b, 4)), _mm_set1_epi16(0x0F0F));
        return _mm_and_si128(_mm_add_epi16(b, _mm_srli_epi16(b, 8)), _mm_set1_epi16(0x1F));
    };
    const uint32_t pixels = laneMask(0x2);
    const uint32_t vect12 = laneMask(0x4);
    const uint32_t vect8 = laneMask(0x5);
    const __m128i sums = _mm_sad_epu8(
        _mm_add_epi16(vectorBits(v0, type0, payload0), vectorBits(v1, type1, payload1)), _mm_setzero_si128());
    s.counted += static_cast<uint64_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4)) +
                 groupscan::bitCount(pixels);

    // Time: every TIME_LOW here shares the current TIME_HIGH, so the last of them sets the
    // time; a group without TIME_LOW changes nothing.
    const uint32_t timeLows = laneMask(0x6);
    const uint64_t lastLow = groupscan::wordAt(words, groupscan::lastLane(timeLows | 1)) & 0xFFF;
    s.time = timeLows != 0 ? (s.highBits | lastLow) : s.time;

    // Row and vector base as the last words that set them leave them, selected without
    // branches for the same reason.
    const uint32_t rows = laneMask(0x0);
    const uint64_t lastRow =
        static_cast<uint64_t>(groupscan::wordAt(words, groupscan::lastLane(rows | 1)) & 0x7FF) << 16;
    s.rowBits = rows != 0 ? lastRow : s.rowBits;
    const uint32_t bases = laneMask(0x3);
    const int baseLane = groupscan::lastLane(bases | 1);
    const uint32_t baseWord = groupscan::wordAt(words, baseLane);
    const uint32_t vectorsAfterBase = (vect12 | vect8) & (bases != 0 ? ~((2u << baseLane) - 1) : ~0u);
    s.baseX = bases != 0 ? baseWord & 0x7FF : s.baseX;
    s.basePolBits = bases != 0 ? static_cast<uint64_t>(baseWord & 0x800) << 21 : s.basePolBits;
    s.baseX += 12 * static_cast<uint64_t>(groupscan::bitCount(vect12 & vectorsAfterBase)) +
               8 * static_cast<uint64_t>(groupscan::bitCount(vect8 & vectorsAfterBase));
    return true;
}

#else

inline bool scanSixteenWords(const uint8_t*, Evt3ScanState&)
{
    return false;
}

#endif

} // namespace tarvo
