#include "TarvoHal/RegisterController.h"
#include "RegisterTableIndex.h"
#include "SimTestSupport.h"
#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace tarvo {
namespace {

// A small table of our own: the controller knows only the names of the table it is handed.
const RegisterInfo kTable[] = {
    {RegisterInfo::FIELD, "orphan", 0, 1, 0}, // before any register: skipped
    {RegisterInfo::REGISTER, "block/mode", 0x9008, 0, 0},
    {RegisterInfo::FIELD, "enable", 0, 1, 0},
    {RegisterInfo::FIELD, "select", 2, 1, 0},
    {RegisterInfo::FIELD, "level", 4, 7, 0x64},
    {RegisterInfo::REGISTER, "pads", 0x44, 0, 0},
    {RegisterInfo::FIELD, "sync", 16, 4, 0xF},
    {RegisterInfo::REGISTER, "whole", 0x1234, 0, 0},
    {RegisterInfo::FIELD, "word", 0, 32, 0},
    {RegisterInfo::REGISTER, "serial_block", 0x6001, 0, 0}, // the device's serial number block
};

TEST(RegisterTableIndex, FieldBitsChangeOnlyTheirBits)
{
    const RegisterTableIndex index(kTable, std::size(kTable));
    const RegisterTableIndex::FieldBits select = index.field("block/mode", "select");
    EXPECT_EQ(select.mask(), 0x4u);
    EXPECT_EQ(select.insert(0xFFFFFFFF, 0), 0xFFFFFFFBu);
    EXPECT_EQ(select.insert(0, 1), 0x4u);
    EXPECT_EQ(select.insert(0, 3), 0x4u); // cut to the width
    EXPECT_EQ(select.extract(0xC), 1u);
    EXPECT_TRUE(select.fits(1));
    EXPECT_FALSE(select.fits(2));
    EXPECT_EQ(index.field("pads", "sync").mask(), 0x000F0000u);
    EXPECT_EQ(index.field("whole", "word").mask(), 0xFFFFFFFFu);
    EXPECT_TRUE(index.field("whole", "word").fits(0xFFFFFFFF));
    EXPECT_EQ(index.address("serial_block"), 0x6001u);
    EXPECT_THROW(index.field("block/mode", "orphan"), std::runtime_error);
}

class RegisterControllerTest : public ::testing::Test
{
protected:
    test::AttachedCamera camera{test::eventCameraConfig("REG-TEST", 1e5)};
    RegisterController registers{camera.interface, kTable, std::size(kTable), "TEST/"};
};

TEST_F(RegisterControllerTest, FieldWriteChangesOnlyItsBitsAtItsAddress)
{
    ASSERT_TRUE(camera.interface->writeRegister(0x9008, 0xFFFFFFF0));
    EXPECT_TRUE(registers.writeRegisterField("block/mode", "select", 1));
    EXPECT_EQ(camera.device->registerValue(0x9008), 0xFFFFFFF4u);
    EXPECT_TRUE(registers.writeRegisterField("TEST/block/mode", "level", 100));
    EXPECT_EQ(camera.device->registerValue(0x9008), (0xFFFFFFF4u & ~0x7F0u) | (100u << 4));
    uint32_t value = 0;
    EXPECT_TRUE(registers.readRegisterField("block/mode", "level", value));
    EXPECT_EQ(value, 100u);
    EXPECT_TRUE(registers.writeRegister("TEST/whole", 0xCAFE));
    EXPECT_TRUE(registers.readRegister("whole", value));
    EXPECT_EQ(value, 0xCAFEu);
}

TEST_F(RegisterControllerTest, ValueWiderThanTheFieldIsRefusedAndNotWritten)
{
    test::LogCapture log;
    const uint32_t before = camera.device->registerValue(0x44);
    EXPECT_FALSE(registers.writeRegisterField("pads", "sync", 0x10));
    EXPECT_EQ(camera.device->registerValue(0x44), before);
    EXPECT_TRUE(log.contains(4, "does not fit"));
}

TEST_F(RegisterControllerTest, NamesOutsideTheHandedTableThrowTheirMessages)
{
    const auto message = [&](const char* reg, const char* field) -> std::string {
        try {
            registers.writeRegisterField(reg, field, 1);
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "no exception";
    };
    EXPECT_EQ(message("lifo_ctrl", "lifo_en"), "RegisterController: Register not found"); // not in this table
    EXPECT_EQ(message("OTHER/pads", "sync"), "RegisterController: Register not found");
    EXPECT_EQ(message("pads", "nope"), "Register: Field not found");
    EXPECT_EQ(message("block/mode", "orphan"), "Register: Field not found");
    uint32_t value = 0;
    EXPECT_THROW(registers.readRegister("nope", value), std::runtime_error);
    EXPECT_EQ(registers.writeRegisterWithControlTransfer("nope", 1), -1);

    RegisterController empty(camera.interface, nullptr, 5, "");
    EXPECT_THROW(empty.writeRegister("pads", 1), std::runtime_error);
}

TEST_F(RegisterControllerTest, ControlTransfersUseTheTablesAddress)
{
    uint8_t block[64] = {};
    ASSERT_EQ(registers.readRegisterWithControlTransfer("TEST/serial_block", block, sizeof block), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(block), "REG-TEST");
    ASSERT_EQ(registers.writeRegisterWithControlTransfer("whole", 0x12345678), 0);
    EXPECT_EQ(camera.device->registerValue(0x1234), 0x12345678u);
}

TEST_F(RegisterControllerTest, SequencesWriteAndMaskAtTheirAddresses)
{
    ASSERT_TRUE(camera.interface->writeRegister(0x4, 0x0F0F0F0F));
    const RegisterOperationList ops = {
        {2, 0x1234, 0xCAFE, 0, 0}, {3, 0x4, 0xFFFFFFFF, 0x400, 0}, {4, 0, 0, 0, 10}};
    EXPECT_TRUE(registers.ApplyRegisterOperationSequence(ops));
    EXPECT_EQ(camera.device->registerValue(0x1234), 0xCAFEu);
    EXPECT_EQ(camera.device->registerValue(0x4), 0x0F0F0F0Fu | 0x400u);
    EXPECT_FALSE(registers.ApplyRegisterOperationSequence({{7, 0x1234, 0, 0, 0}}));
}

TEST_F(RegisterControllerTest, WaitsAreScaledByTheBusFactor)
{
    sim::SimBus::instance().setWaitScale(0.01);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(registers.ApplyRegisterOperationSequence({{4, 0, 0, 0, 2000000}}));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(elapsed, std::chrono::milliseconds(19));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000));
}

TEST_F(RegisterControllerTest, UnpluggedDeviceFailsAccessesAndCutsWaitsShort)
{
    sim::SimBus::instance().setWaitScale(1.0);
    std::thread unplugger([&] { camera.device->unplug(); });
    const auto begin = std::chrono::steady_clock::now();
    // A 100 s wait: the unplug ends it.
    EXPECT_FALSE(registers.ApplyRegisterOperationSequence({{4, 0, 0, 0, 100000000}}));
    unplugger.join();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_FALSE(camera.interface->isConnected());
    EXPECT_FALSE(registers.writeRegisterField("block/mode", "enable", 1));
    uint8_t block[64];
    EXPECT_NE(registers.readRegisterWithControlTransfer("serial_block", block, 4), 0);
}

} // namespace
} // namespace tarvo
