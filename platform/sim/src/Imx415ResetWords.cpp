#include "ResetWords.h"

namespace tarvo::sim {

// Automatic exposure, white balance and gain on; a 1020 µs shutter; black level 50.
const ResetWord IMX415_RESET_WORDS[] = {
    {0x5001, 1},   // aps_exposure: aps_auto_exposure_en
    {0x5002, 102}, // aps_shutter: aps_shutter_sweep_time, in steps of 10 µs
    {0x5003, 1},   // aps_white_balance: aps_auto_white_balance_en
    {0x5004, 50},  // aps_blk_level: aps_blk_level_offset
    {0x5005, 1},   // aps_auto_gain: aps_auto_gain_en
};
const size_t IMX415_RESET_WORD_COUNT = sizeof IMX415_RESET_WORDS / sizeof IMX415_RESET_WORDS[0];

} // namespace tarvo::sim
