#include "Imx415RegisterTable.h"

namespace tarvo {

const RegisterInfo IMX415_REGISTER_TABLE[IMX415_REGISTER_TABLE_SIZE] = {
    {RegisterInfo::REGISTER, "aps_ctrl", 0x5000, 0, 0},
    {RegisterInfo::FIELD, "aps_en", 0, 1, 0},
    {RegisterInfo::REGISTER, "aps_exposure", 0x5001, 0, 0},
    {RegisterInfo::FIELD, "aps_auto_exposure_en", 0, 1, 1},
    {RegisterInfo::REGISTER, "aps_shutter", 0x5002, 0, 0},
    {RegisterInfo::FIELD, "aps_shutter_sweep_time", 0, 20, 102},
    {RegisterInfo::REGISTER, "aps_white_balance", 0x5003, 0, 0},
    {RegisterInfo::FIELD, "aps_auto_white_balance_en", 0, 1, 1},
    {RegisterInfo::REGISTER, "aps_blk_level", 0x5004, 0, 0},
    {RegisterInfo::FIELD, "aps_blk_level_offset", 0, 10, 50},
    {RegisterInfo::REGISTER, "aps_auto_gain", 0x5005, 0, 0},
    {RegisterInfo::FIELD, "aps_auto_gain_en", 0, 1, 1},
    {RegisterInfo::REGISTER, "aps_gain_control", 0x5006, 0, 0},
    {RegisterInfo::FIELD, "aps_gain_pgc", 0, 8, 0},
    {RegisterInfo::REGISTER, "firmware_version", 0x6000, 0, 0},
    {RegisterInfo::REGISTER, "usb_serialnumber", 0x6001, 0, 0},
    {RegisterInfo::REGISTER, "camera_reset", 0x6002, 0, 0},
};

} // namespace tarvo
