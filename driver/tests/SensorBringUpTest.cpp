// The driver's register sequences bring simulated cameras up: they stream between the start and
// stop sequences, on every transport.
#include "SensorTestSupport.h"
#include "TarvoBase/Converters.h"
#include "TarvoBase/FileHeader.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/Evt3Encoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

TEST(Imx636Sequences, BringUpLeavesTheSensorStoppedAndStartSetsItsBits)
{
    test::SensorCamera camera(test::eventCameraConfig("REG-TEST", 1e5));
    camera.bringUp();
    EXPECT_EQ(camera.device->registerValue(0x9000), 0x200u);
    EXPECT_EQ(camera.device->registerValue(0x1014), 0x11A1504Du);
    EXPECT_EQ(camera.device->registerValue(0x9008) & 1, 0u);
    camera.start();
    EXPECT_EQ(camera.device->registerValue(0xB000), 0x2F9u);
    EXPECT_EQ(camera.device->registerValue(0x9028), 0u);
    EXPECT_EQ(camera.device->registerValue(0x9008), 0x645u);
    EXPECT_EQ(camera.device->registerValue(0x4), 0xF0005442u);
    camera.stop();
    EXPECT_EQ(camera.device->registerValue(0x4), 0xF0005042u);
    EXPECT_EQ(camera.device->registerValue(0x9028), 0x2u);
    EXPECT_EQ(camera.device->registerValue(0x9008) & 1, 0u);
}

TEST(SimBus, EthernetCameraTakesAForcedAddressAndStreamsOnlyWhenSwitchedOn)
{
    test::SensorCamera camera(
        test::ethernetCameraConfig("ETH-1", 3e5, "192.168.2.10", "255.255.255.0", "192.168.2.1"));
    ASSERT_TRUE(camera.interface);
    const CameraDescription description = camera.device->description();
    EXPECT_FALSE(EthInterface::ethCameraForceIP(description, stringToIP("192.168.3.10"),
                                                stringToIP("255.255.255.0"),
                                                stringToIP("192.168.2.1"))); // gateway outside
    EXPECT_FALSE(EthInterface::ethCameraForceIP(description, stringToIP("192.168.2.255"),
                                                stringToIP("255.255.255.0"), 0)); // broadcast address
    EXPECT_TRUE(EthInterface::ethCameraForceIP(description, stringToIP("10.1.2.3"), stringToIP("255.255.0.0"),
                                               stringToIP("10.1.0.1")));
    const auto found = EthInterface::findEthDvsCamera();
    auto it = std::find_if(found.begin(), found.end(), [](const auto& d) { return d.serial == "ETH-1"; });
    ASSERT_NE(it, found.end());
    EXPECT_EQ(it->ipAddress, "10.1.2.3");
    EXPECT_EQ(it->subnetMask, "255.255.0.0");
    EXPECT_EQ(it->gateway, "10.1.0.1");

    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    reader.readFor(150ms);
    EXPECT_EQ(reader.buffers, 0u);
    ASSERT_TRUE(dynamic_cast<EthInterface&>(*camera.interface).setEventStream(true));
    EXPECT_TRUE(reader.readUntil([&] { return reader.events.size() > 5000; }, 5s));
}

TEST(SimBus, ReplayingCameraPlaysItsRecordingAtItsOwnPace)
{
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    for (uint64_t t = 0; t < 300000; t += 50) {
        events.emplace_back(static_cast<uint16_t>(t % 1280), static_cast<uint16_t>(t % 720), t % 3 == 0,
                            5000000 + t);
    }
    triggers.emplace_back(0, 1, 5100000);
    DvsFileInfo info;
    info.serial_number = "REPLAY";
    const std::string path = test::tempPath("replay.raw");
    {
        std::ofstream file(path, std::ios::binary);
        file << generateDvsFileHeader(info);
        const auto bytes = Evt3Encoder::encode(events, triggers);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    sim::DeviceConfig config = test::eventCameraConfig("REPLAY-1", 0);
    config.source = "replay";
    config.rawPath = path;
    test::SensorCamera camera(config);
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    const auto begin = std::chrono::steady_clock::now();
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() >= events.size(); }, 10s));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 200ms); // 300 ms of recording
    EXPECT_EQ(reader.events, events);
    ASSERT_EQ(reader.triggers.size(), 1u);
    EXPECT_EQ(reader.triggers[0], triggers[0]);
    std::remove(path.c_str());
}

} // namespace
} // namespace tarvo
