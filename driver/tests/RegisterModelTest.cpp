#include "TarvoDriver/RegisterMap.h"
#include "sensor/Imx415RegisterTable.h"
#include "sensor/Imx636RegisterTable.h"
#include "sensor/Imx636Sequences.h"

#include <gtest/gtest.h>

#include <set>

namespace tarvo {
namespace {

TEST(RegisterField, MaskFollowsStartAndLength)
{
    Register::Field field("pad_sync", 16, 4, 0xF, {{"master", 0xC}});
    EXPECT_EQ(field.get_mask(), 0x000F0000u);
    field.set_start(4);
    EXPECT_EQ(field.get_mask(), 0xF0u);
    field.set_len(32);
    field.set_start(0);
    EXPECT_EQ(field.get_mask(), 0xFFFFFFFFu);
    field.add_alias("master", 0xD);
    field.add_alias("slave", 0xF);
    EXPECT_EQ(field.get_aliases().at("master"), 0xDu);
    EXPECT_EQ(field.get_aliases().size(), 2u);
}

TEST(RegisterMap, UnknownNamesThrowTheirMessages)
{
    const RegisterMap map(IMX636_REGISTER_TABLE, IMX636_REGISTER_TABLE_SIZE);
    try {
        (void)map["no_such_register"];
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "RegisterController: Register not found");
    }
    try {
        (void)map["lifo_ctrl"]["no_such_field"];
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Register: Field not found");
    }
    EXPECT_EQ(map["lifo_ctrl"].get_value(), 0u);
}

TEST(RegisterMap, MissingTableGivesAnEmptyMap)
{
    EXPECT_EQ(RegisterMap(nullptr, 5).size(), 0u);
    const RegisterInfo orphan[] = {{RegisterInfo::FIELD, "enable", 0, 1, 0}};
    EXPECT_EQ(RegisterMap(orphan, 1).size(), 0u); // a field row before any register row is skipped
}

TEST(Imx636Table, HasItsRegistersFieldsAndBlocks)
{
    size_t registers = 0, fields = 0;
    for (const RegisterInfo& row : IMX636_REGISTER_TABLE) {
        (row.kind == RegisterInfo::REGISTER ? registers : fields)++;
    }
    EXPECT_EQ(registers, 742u);
    EXPECT_EQ(fields, 2137u);
    ASSERT_EQ(IMX636_REGISTER_TABLE[0].kind, RegisterInfo::REGISTER);

    const RegisterMap map(IMX636_REGISTER_TABLE, IMX636_REGISTER_TABLE_SIZE);
    EXPECT_EQ(map.size(), 742u); // names are unique
    struct Block
    {
        const char* prefix;
        uint32_t first, last;
    };
    const Block blocks[] = {{"bias/", 0x1004, 0x1100},     {"roi/", 0x2000, 0x4058}, {"erc/", 0x6000, 0x6B94},
                            {"edf/", 0x7000, 0x7004},      {"eoi/", 0x8000, 0x8000}, {"ro/", 0x9000, 0x9244},
                            {"mipi_csi/", 0xB000, 0xB030}, {"afk/", 0xC000, 0xC0E8}, {"stc/", 0xD000, 0xD0EC},
                            {"slvs/", 0xE000, 0xE150}};
    std::set<uint32_t> addresses;
    for (const auto& [name, reg] : map.registers()) {
        EXPECT_TRUE(addresses.insert(reg.get_address()).second) << name;
        const Block* block = nullptr;
        for (const Block& candidate : blocks) {
            if (name.rfind(candidate.prefix, 0) == 0) {
                block = &candidate;
            }
        }
        if (block == nullptr) {
            EXPECT_GE(reg.get_address(), 0x4u) << name;
            EXPECT_LE(reg.get_address(), 0xC8u) << name;
        } else {
            EXPECT_GE(reg.get_address(), block->first) << name;
            EXPECT_LE(reg.get_address(), block->last) << name;
        }
        for (const auto& [fieldName, field] : reg.get_fields()) {
            EXPECT_LE(field.get_start() + field.get_len(), 32) << name << "." << fieldName;
        }
    }
    EXPECT_EQ(map["roi/td_roi_x39"].get_address(), 0x2000u + 39 * 4);
    EXPECT_EQ(map["roi/td_roi_y22"].get_address(), 0x4000u + 22 * 4);
    EXPECT_EQ(map["erc/t_drop_lut_255"].get_address(), 0x6400u + 255 * 4);
    EXPECT_EQ(map["erc/Reserved_6B94"].get_address(), 0x6B94u);
    EXPECT_EQ(map["ro/digital_mask_pixel_63"].get_address(), 0x9100u + 63 * 4);
    EXPECT_EQ(map["ro/evt_vector_cnt_val"].get_address(), 0x9244u);
}

TEST(Imx636Table, BringUpFieldsHaveTheirLayout)
{
    const RegisterMap map(IMX636_REGISTER_TABLE, IMX636_REGISTER_TABLE_SIZE);
    struct Expected
    {
        const char* reg;
        uint32_t address;
        const char* field;
        uint8_t start, length;
        uint32_t defaultValue;
    };
    const Expected rows[] = {
        {"lifo_ctrl", 0xC, "lifo_en", 0, 1, 0},
        {"lifo_ctrl", 0xC, "lifo_cnt_en", 2, 1, 0},
        {"dig_pad2_ctrl", 0x44, "pad_sync", 16, 4, 0xF},
        {"adc_control", 0x4C, "adc_start", 2, 1, 0},
        {"adc_misc_ctrl", 0x54, "adc_buf_cal_en", 1, 1, 0},
        {"temp_ctrl", 0x5C, "temp_buf_en", 1, 1, 0},
        {"iph_mirr_ctrl", 0x74, "iph_mirr_amp_en", 1, 1, 1},
        {"ro/time_base_ctrl", 0x9008, "external_mode_enable", 3, 1, 0},
        {"ro/time_base_ctrl", 0x9008, "Reserved_10_4", 4, 7, 0x64},
        {"Reserved_0014", 0x14, "Reserved_31_0", 0, 32, 0xA0401806},
    };
    for (const Expected& row : rows) {
        const Register& reg = map[row.reg];
        EXPECT_EQ(reg.get_address(), row.address) << row.reg;
        const Register::Field& field = reg[row.field];
        EXPECT_EQ(field.get_start(), row.start) << row.field;
        EXPECT_EQ(field.get_len(), row.length) << row.field;
        EXPECT_EQ(field.get_default_value(), row.defaultValue) << row.field;
    }
}

TEST(Imx415Table, HasSeventeenRowsWithTheFrameSensorRegisters)
{
    const RegisterMap map(IMX415_REGISTER_TABLE, IMX415_REGISTER_TABLE_SIZE);
    EXPECT_EQ(map.size(), 10u);
    EXPECT_EQ(map["aps_ctrl"].get_address(), 0x5000u);
    EXPECT_EQ(map["aps_shutter"]["aps_shutter_sweep_time"].get_len(), 20);
    EXPECT_EQ(map["aps_shutter"]["aps_shutter_sweep_time"].get_default_value(), 102u);
    EXPECT_EQ(map["aps_blk_level"]["aps_blk_level_offset"].get_default_value(), 50u);
    EXPECT_EQ(map["camera_reset"].get_address(), 0x6002u);
}

TEST(Imx636Sequences, HaveTheirLengthsAndKeySteps)
{
    const auto& stop = imx636StopSequence();
    const auto& start = imx636StartSequence();
    const auto& power = imx636PowerUpSequence();
    const auto& config = imx636ConfigurationSequence();
    ASSERT_EQ(stop.size(), 7u);
    ASSERT_EQ(start.size(), 5u);
    ASSERT_EQ(power.size(), 27u);
    ASSERT_EQ(config.size(), 81u);

    EXPECT_EQ(stop[0].kind, 3u);
    EXPECT_EQ(stop[0].address, 0x4u);
    EXPECT_EQ(stop[0].value, 0xF0005042u);
    EXPECT_EQ(stop[0].mask, 0x400u);
    EXPECT_EQ(stop[3].kind, 4u);
    EXPECT_EQ(stop[3].wait, 1000u);
    EXPECT_EQ(stop[6].wait, 300u);
    EXPECT_EQ(start[2].kind, 3u);
    EXPECT_EQ(start[2].value, 0x645u);
    EXPECT_EQ(start[4].value, 0xF0005442u);
    EXPECT_EQ(power[1].value, 0x0EE47114u);
    EXPECT_EQ(power[26].address, 0xB07Cu);
    EXPECT_EQ(config[1].kind, 4u);
    EXPECT_EQ(config[1].wait, 1000000u);
    EXPECT_EQ(config[3].wait, 500000u);
    EXPECT_EQ(config[5].wait, 1000000u);
    EXPECT_EQ(config[80].address, 0x9000u);
    EXPECT_EQ(config[80].value, 0x200u);
    uint64_t waits = 0;
    for (const RegisterOperation& op : config) {
        EXPECT_TRUE(op.kind == 2 || op.kind == 4);
        if (op.kind == 4) {
            EXPECT_EQ(op.address | op.value | op.mask, 0u);
            waits += op.wait;
        }
    }
    EXPECT_EQ(waits, 2500000u + 10 + 1000 + 300 + 200 * 6 + 100 + 1000);
}

} // namespace
} // namespace tarvo
