#include "TarvoSim/SimBus.h"
#include "SimTestSupport.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/Install.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tarvo {
namespace {

bool hasSerial(const std::vector<CameraDescription>& list, const std::string& serial)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const CameraDescription& d) { return d.serial == serial; });
}

TEST(SimBus, StartsWithOneCameraOfEachKindFoundByTheFinders)
{
    // Each test runs in its own process, so the bus here is as it started. Nothing has used the
    // bus yet: the finders see the cameras because the program installed the simulator.
    sim::install();
    const auto usb = UsbInterface::findUsbDvsCamera(0x04B5, 0x0001);
    const auto fusion = UsbInterface::findUsbFusionCamera(0x2207, 0x0006);
    const auto eth = EthInterface::findEthDvsCamera();
    if (!sim::SimBus::loadDeviceList(sim::SimBus::deviceListPath())) {
        ASSERT_EQ(sim::SimBus::instance().list().size(), 3u);
        ASSERT_TRUE(hasSerial(usb, "KST-USB-0001"));
        ASSERT_TRUE(hasSerial(fusion, "DUET-0001"));
        ASSERT_TRUE(hasSerial(eth, "KST-ETH-0001"));
        EXPECT_EQ(fusion[0].productName, "Duet");
        EXPECT_EQ(eth[0].interfaceType, ETHERNET);
        EXPECT_EQ(eth[0].ipAddress, "192.168.1.100");
    }
    EXPECT_TRUE(UsbInterface::findUsbDvsCamera(0x04B4, 0x00F5).empty() ||
                !hasSerial(UsbInterface::findUsbDvsCamera(0x04B4, 0x00F5), "KST-USB-0001"));
}

TEST(SimBus, AttachDetachAndReplaceChangeWhatIsFound)
{
    sim::DeviceConfig config;
    config.serial = "BUS-1";
    config.vendorId = 0x04B4;
    config.productId = 0x00C4;
    auto device = sim::SimBus::instance().attach(config);
    EXPECT_TRUE(hasSerial(UsbInterface::findUsbDvsCamera(0x04B4, 0x00C4), "BUS-1"));
    auto interface = UsbInterface::createUsbInterface(device->description());
    ASSERT_TRUE(interface);
    uint64_t session = 0;
    EXPECT_TRUE(interface->setup(&session));
    EXPECT_NE(session, 0u);
    EXPECT_FALSE(interface->setup(nullptr));
    EXPECT_FALSE(UsbInterface::createUsbFusionInterface(device->description())); // not a fusion camera

    EXPECT_TRUE(sim::SimBus::instance().detach("BUS-1"));
    EXPECT_FALSE(sim::SimBus::instance().detach("BUS-1"));
    EXPECT_FALSE(interface->isConnected());
    EXPECT_FALSE(hasSerial(UsbInterface::findUsbDvsCamera(0x04B4, 0x00C4), "BUS-1"));
    EXPECT_FALSE(UsbInterface::createUsbInterface(device->description()));

    sim::SimBus::instance().replace({});
    EXPECT_TRUE(sim::SimBus::instance().list().empty());
    EXPECT_TRUE(EthInterface::findEthDvsCamera().empty());
    sim::SimBus::instance().replace(sim::SimBus::defaultDevices());
    EXPECT_EQ(sim::SimBus::instance().list().size(), 3u);
}

TEST(SimBus, DeviceListFileIsReadAndMalformedListsAreReported)
{
    const std::string path = test::tempPath("hal-devices.json");
    std::ofstream(path) << R"({"devices": [
        {"kind": "usb-event", "serial": "A1", "vendor_id": "0x04B4", "product_id": 245, "event_rate": 5e5},
        {"kind": "eth-event", "serial": "E1", "ip": "10.0.0.5", "mask": "255.0.0.0", "gateway": "10.0.0.1"},
        {"kind": "fusion", "serial": "F1", "calibration": {"dvsWidth": 1280}}]})";
    const auto configs = sim::SimBus::loadDeviceList(path);
    ASSERT_TRUE(configs.has_value());
    ASSERT_EQ(configs->size(), 3u);
    EXPECT_EQ((*configs)[0].vendorId, 0x04B4);
    EXPECT_EQ((*configs)[0].productId, 0x00F5);
    EXPECT_EQ((*configs)[0].eventRate, 5e5);
    EXPECT_EQ((*configs)[1].kind, sim::DeviceKind::EthEventCamera);
    EXPECT_EQ((*configs)[2].calibrationJson, R"({"dvsWidth":1280})");

    const char* malformed[] = {
        "{\"devices\": [",                                       // truncated
        R"({"devices": [{"kind": "toaster"}]})",                 // unknown kind
        R"({"devices": [{"kind": "usb-event", "serial": 12}]})", // wrong type
        R"({"devices": [{"kind": "usb-event", "vendor_id": "0x1FFFF"}]})",
        R"({"devices": [{"kind": "eth-event", "ip": "nowhere"}]})",
        R"({"devices": [{"kind": "usb-event", "source": "replay"}]})",
        R"({"cameras": []})",
    };
    for (const char* text : malformed) {
        std::ofstream(path) << text;
        test::LogCapture log;
        EXPECT_FALSE(sim::SimBus::loadDeviceList(path).has_value()) << text;
        EXPECT_TRUE(log.contains(3, "Ignoring malformed device list")) << text;
    }
    EXPECT_FALSE(sim::SimBus::loadDeviceList(path + ".absent").has_value());
    std::remove(path.c_str());
}

} // namespace
} // namespace tarvo
