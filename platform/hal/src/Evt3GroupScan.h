#pragma once

#include <cstdint>

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

// Applies eight words at once when they hold no trigger and no change of TIME_HIGH (both are
// rare), as the word-by-word decoder would; returns false, changing nothing, otherwise. The
// stream's time and row must already be known.
bool scanEightWords(const uint8_t* words, Evt3ScanState& s);

} // namespace tarvo
