#include "SimFusionCamera.h"
#include "SensorTestSupport.h"
#include "TarvoHal/DataTransfer.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"
#include "sensor/Imx415RegisterTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using sim::SimFusionCamera;

sim::DeviceConfig fusionConfig(const std::string& serial)
{
    sim::DeviceConfig config = sim::SimBus::defaultDevices()[2];
    config.serial = serial;
    config.eventRate = 2e5;
    return config;
}

void switchEventOutput(Interface& interface, uint32_t enable)
{
    auto& usb = dynamic_cast<UsbInterface&>(interface);
    for (uint32_t command : {SimFusionCamera::kOutputCommandA, SimFusionCamera::kOutputCommandB}) {
        CtrlFrame frame(command);
        frame.push_back32(0);
        frame.push_back32(enable);
        usb.transferFrame(frame);
        EXPECT_EQ(frame.get_property(), command);
        EXPECT_EQ(frame.payload32(0), 0u);
    }
}

class SimFusionCameraTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(camera.interface);
        aps = std::make_shared<RegisterController>(camera.interface, IMX415_REGISTER_TABLE,
                                                   IMX415_REGISTER_TABLE_SIZE, " ");
    }

    test::SensorCamera camera{fusionConfig("DUET-TEST")};
    std::shared_ptr<RegisterController> aps;
};

TEST_F(SimFusionCameraTest, EventOutputNeedsBothControlFramesAndComesWordSwapped)
{
    camera.bringUp();
    test::StreamReader reader(camera.interface, true);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    reader.readFor(150ms);
    EXPECT_EQ(reader.buffers, 0u);
    switchEventOutput(*camera.interface, 1);
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 5000; }, 5s));
    for (const Event2D& e : reader.events) {
        ASSERT_LT(e.x, 1280);
        ASSERT_LT(e.y, 720);
    }
    for (size_t size : reader.bufferSizes) {
        EXPECT_EQ(size % 4, 0u);
    }
}

TEST_F(SimFusionCameraTest, UnknownControlFrameIsRefused)
{
    auto& usb = dynamic_cast<UsbInterface&>(*camera.interface);
    CtrlFrame frame(0x40019999);
    frame.push_back32(0);
    EXPECT_THROW(usb.transferFrame(frame), std::runtime_error);
    CtrlFrame bad(SimFusionCamera::kOutputCommandA);
    bad.push_back32(0);
    bad.push_back32(7);
    EXPECT_THROW(usb.transferFrame(bad), std::runtime_error);
}

TEST_F(SimFusionCameraTest, FramesArriveEachAfterItsRisingEdgeOnTheEventClock)
{
    camera.bringUp();
    Imx636TriggerIn trigger(camera.registers);
    ASSERT_TRUE(trigger.setParam("enable", true));
    test::StreamReader events(camera.interface, true);
    EventStream frames(
        createDataTransferUniquePtr(camera.interface, 2, SimFusionCamera::kFrameBytes, 1, 0x53));
    ASSERT_TRUE(events.stream().start());
    ASSERT_TRUE(frames.start());
    switchEventOutput(*camera.interface, 1);
    camera.start();
    ASSERT_EQ(aps->writeRegisterWithControlTransfer("aps_ctrl", 1), 0);

    // The event stream is read alongside, as a camera's own threads would, so that none of its
    // buffers is dropped while frames are awaited.
    std::atomic<uint64_t> lastStamp{0};
    std::thread eventReader([&] {
        events.readUntil(
            [&] {
                const uint64_t last = lastStamp.load();
                return last != 0 && !events.triggers.empty() && events.triggers.back().timestamp >= last;
            },
            20s);
    });
    std::vector<uint64_t> stamps;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (stamps.size() < 4 && std::chrono::steady_clock::now() < deadline) {
        if (frames.waitNextBuffer() > 0) {
            auto frame = frames.getLatestBuffer();
            if (!frame || !*frame || (*frame)->size() != SimFusionCamera::kFrameBytes) {
                ADD_FAILURE() << "a frame buffer is missing or has the wrong size";
                break;
            }
            uint64_t stamp = 0;
            std::memcpy(&stamp, (*frame)->data(), sizeof stamp);
            stamps.push_back(stamp);
        }
    }
    lastStamp = stamps.empty() ? 1 : stamps.back();
    eventReader.join();
    ASSERT_EQ(stamps.size(), 4u);

    std::vector<uint64_t> rising;
    for (const EventTriggerIn& t : events.triggers) {
        if (t.polarity == 1) {
            rising.push_back(t.timestamp);
        }
    }
    // Edge 0 announces the frame the sensor discards; frame k follows edge k. (A machine too
    // busy to keep up may lose frames, never edges: every frame still carries an edge's time.)
    ASSERT_GE(rising.size(), stamps.size() + 1);
    EXPECT_GE(stamps[0], rising[1]);
    for (size_t k = 0; k < stamps.size(); ++k) {
        EXPECT_NE(std::find(rising.begin() + 1, rising.end(), stamps[k]), rising.end()) << stamps[k];
        EXPECT_EQ((stamps[k] - rising[0]) % SimFusionCamera::kFramePeriod, 0u);
        if (k > 0) {
            EXPECT_GT(stamps[k], stamps[k - 1]);
        }
    }
    ASSERT_EQ(aps->writeRegisterWithControlTransfer("aps_ctrl", 0), 0);
}

TEST_F(SimFusionCameraTest, SerialFirmwareAndCalibrationAreStoredInTheCamera)
{
    uint8_t block[64] = {};
    ASSERT_EQ(aps->readRegisterWithControlTransfer("usb_serialnumber", block, sizeof block), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(block), "DUET-TEST");
    ASSERT_EQ(aps->readRegisterWithControlTransfer("firmware_version", block, sizeof block), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(block), "Duet_V1.7.10");

    std::memset(block, 0, sizeof block);
    std::strcpy(reinterpret_cast<char*>(block), "NEW-SERIAL");
    ASSERT_EQ(aps->writeRegisterDataWithControlTransfer("usb_serialnumber", block, sizeof block), 0);
    uint8_t back[64] = {};
    ASSERT_EQ(aps->readRegisterWithControlTransfer("usb_serialnumber", back, sizeof back), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(back), "NEW-SERIAL");
    uint8_t tooLong[65] = {};
    EXPECT_NE(aps->writeRegisterDataWithControlTransfer("usb_serialnumber", tooLong, sizeof tooLong), 0);

    std::vector<uint8_t> json;
    ASSERT_TRUE(camera.interface->readCalibration(json));
    const auto calibration = nlohmann::json::parse(json.begin(), json.end());
    EXPECT_EQ(calibration["apsWidth"], 3840);
    EXPECT_EQ(calibration["transforms"]["1"].size(), 6u);

    const std::string path = test::tempPath("duet-calibration.json");
    std::ofstream(path) << R"({"dvsWidth":1280,"transforms":{"0":[1,0,0,0,1,0]}})";
    ASSERT_TRUE(camera.interface->writeCalibration(path));
    ASSERT_TRUE(camera.interface->readCalibration(json));
    EXPECT_EQ(nlohmann::json::parse(json.begin(), json.end())["transforms"]["0"][0], 1);
    std::ofstream(path) << "not json {";
    EXPECT_FALSE(camera.interface->writeCalibration(path));
    EXPECT_FALSE(camera.interface->writeCalibration(path + ".missing"));
    std::remove(path.c_str());
}

TEST_F(SimFusionCameraTest, CameraResetRestoresTheRegisters)
{
    ASSERT_EQ(aps->writeRegisterWithControlTransfer("aps_blk_level", 7), 0);
    EXPECT_EQ(camera.device->registerValue(0x5004), 7u);
    ASSERT_EQ(aps->writeRegisterWithControlTransfer("camera_reset", 1), 0);
    EXPECT_EQ(camera.device->registerValue(0x5004), 50u);
}

} // namespace
} // namespace tarvo
