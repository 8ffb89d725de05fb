#include "VxCountPainter.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

void paintRow(const uint16_t* counts, uint32_t* out, int width, const VxCountPainter::Colours& colours)
{
    int x = 0;
#ifdef __SSE2__
    // Four pixels a step: their two counts side by side in each 32-bit lane, OFF in the low half.
    const __m128i on = _mm_set1_epi32(static_cast<int>(colours.on));
    const __m128i off = _mm_set1_epi32(static_cast<int>(colours.off));
    const __m128i background = _mm_set1_epi32(static_cast<int>(colours.background));
    const __m128i lowHalf = _mm_set1_epi32(0xFFFF);
    for (; x + 4 <= width; x += 4) {
        const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + 2 * x));
        const __m128i offCount = _mm_and_si128(pair, lowHalf);
        const __m128i onCount = _mm_srli_epi32(pair, 16);
        const __m128i onWins = _mm_cmpgt_epi32(onCount, offCount);
        const __m128i offWins = _mm_cmpgt_epi32(offCount, onCount);
        const __m128i coloured = _mm_or_si128(_mm_and_si128(onWins, on), _mm_and_si128(offWins, off));
        const __m128i pixels =
            _mm_or_si128(coloured, _mm_andnot_si128(_mm_or_si128(onWins, offWins), background));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixels);
    }
#endif
    for (; x < width; ++x) {
        const uint16_t offCount = counts[2 * x];
        const uint16_t onCount = counts[2 * x + 1];
        out[x] = onCount > offCount ? colours.on : (offCount > onCount ? colours.off : colours.background);
    }
}

} // namespace

void VxCountPainter::paint(const uint16_t* counts, int countsWidth, const Colours& colours, QImage& image)
{
    const int width = image.width();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < image.height(); ++y) {
        paintRow(counts + size_t(y) * size_t(countsWidth) * 2, reinterpret_cast<uint32_t*>(bits + y * stride),
                 width, colours);
    }
}
