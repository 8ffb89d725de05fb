#include "Evt3GroupScan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo {
namespace {

inline uint32_t wordAt(const uint8_t* words, int lane)
{
    uint16_t word;
    std::memcpy(&word, words + 2 * lane, sizeof word);
    return word;
}

// Highest lane set in an 8-lane mask.
inline int lastLane(uint32_t mask)
{
    return 31 - __builtin_clz(mask);
}

} // namespace

#if defined(__SSE2__)

bool scanEightWords(const uint8_t* words, Evt3ScanState& s)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words));
    const __m128i type = _mm_srli_epi16(v, 12);
    const __m128i payload12 = _mm_and_si128(v, _mm_set1_epi16(0xFFF));
    const auto laneMask = [&](int wordType) {
        const __m128i is = _mm_cmpeq_epi16(type, _mm_set1_epi16(static_cast<short>(wordType)));
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(is, _mm_setzero_si128())));
    };
    if (laneMask(0xA) != 0) {
        return false;
    }
    const uint32_t timeHigh = laneMask(0x8);
    if (timeHigh != 0) {
        const __m128i same = _mm_cmpeq_epi16(payload12, _mm_set1_epi16(static_cast<short>(s.high)));
        const __m128i repeat = _mm_and_si128(same, _mm_cmpeq_epi16(type, _mm_set1_epi16(0x8)));
        if (static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(repeat, _mm_setzero_si128()))) !=
            timeHigh) {
            return false;
        }
    }

    // Events: single pixels plus the set bits of the vector masks.
    const uint32_t pixels = laneMask(0x2);
    const uint32_t vect12 = laneMask(0x4);
    const uint32_t vect8 = laneMask(0x5);
    if ((vect12 | vect8) != 0) {
        const __m128i is12 = _mm_cmpeq_epi16(type, _mm_set1_epi16(0x4));
        const __m128i is8 = _mm_cmpeq_epi16(type, _mm_set1_epi16(0x5));
        __m128i bits = _mm_or_si128(_mm_and_si128(is12, payload12),
                                    _mm_and_si128(is8, _mm_and_si128(v, _mm_set1_epi16(0xFF))));
        // Bits set per 16-bit lane.
        bits = _mm_sub_epi16(bits, _mm_and_si128(_mm_srli_epi16(bits, 1), _mm_set1_epi16(0x5555)));
        bits = _mm_add_epi16(_mm_and_si128(bits, _mm_set1_epi16(0x3333)),
                             _mm_and_si128(_mm_srli_epi16(bits, 2), _mm_set1_epi16(0x3333)));
        bits = _mm_and_si128(_mm_add_epi16(bits, _mm_srli_epi16(bits, 4)), _mm_set1_epi16(0x0F0F));
        bits = _mm_and_si128(_mm_add_epi16(bits, _mm_srli_epi16(bits, 8)), _mm_set1_epi16(0x1F));
        const __m128i sums = _mm_sad_epu8(bits, _mm_setzero_si128());
        s.counted += static_cast<uint64_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
    s.counted += static_cast<uint64_t>(__builtin_popcount(pixels));

    // Time: every TIME_LOW here shares the current TIME_HIGH, so the latest time is the
    // largest of them, unless the time already stands later.
    if (laneMask(0x6) != 0) {
        const __m128i isLow = _mm_cmpeq_epi16(type, _mm_set1_epi16(0x6));
        __m128i lows = _mm_and_si128(isLow, payload12);
        lows = _mm_max_epi16(lows, _mm_shuffle_epi32(lows, _MM_SHUFFLE(1, 0, 3, 2)));
        lows = _mm_max_epi16(lows, _mm_shuffle_epi32(lows, _MM_SHUFFLE(2, 3, 0, 1)));
        lows = _mm_max_epi16(lows, _mm_shufflelo_epi16(lows, _MM_SHUFFLE(2, 3, 0, 1)));
        const uint64_t lowTime = s.highBits | static_cast<uint64_t>(_mm_extract_epi16(lows, 0));
        s.time = lowTime > s.time ? lowTime : s.time;
    }

    // Row and vector base as the last words that set them leave them.
    const uint32_t rows = laneMask(0x0);
    if (rows != 0) {
        s.rowBits = static_cast<uint64_t>(wordAt(words, lastLane(rows)) & 0x7FF) << 16;
    }
    uint32_t vectorsAfterBase = vect12 | vect8;
    const uint32_t bases = laneMask(0x3);
    if (bases != 0) {
        const int lane = lastLane(bases);
        const uint32_t word = wordAt(words, lane);
        s.baseX = word & 0x7FF;
        s.basePolBits = static_cast<uint64_t>(word & 0x800) << 21;
        vectorsAfterBase &= ~((2u << lane) - 1);
    }
    s.baseX += 12 * static_cast<uint64_t>(__builtin_popcount(vect12 & vectorsAfterBase)) +
               8 * static_cast<uint64_t>(__builtin_popcount(vect8 & vectorsAfterBase));
    return true;
}

#else

bool scanEightWords(const uint8_t*, Evt3ScanState&)
{
    return false;
}

#endif

} // namespace tarvo
