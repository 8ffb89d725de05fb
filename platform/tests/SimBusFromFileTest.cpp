#include "SimDevice.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tarvo {
namespace {

// The only test of this program: the bus must not have been used before it runs.
TEST(SimBusFromFile, BusStartsWithTheUsersDeviceListInsteadOfTheDefaults)
{
    const std::filesystem::path home =
        std::filesystem::path(::testing::TempDir()) / ("tarvo-xdg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "tarvo");
    std::ofstream(home / "tarvo" / "hal-devices.json")
        << R"({"devices": [{"kind": "usb-event", "serial": "ONLY-ONE", "event_rate": 1000}]})";
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const auto devices = sim::SimBus::instance().list();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]->config().serial, "ONLY-ONE");
    EXPECT_EQ(UsbInterface::findUsbDvsCamera(0x04B5, 0x0001).size(), 1u);
    EXPECT_TRUE(UsbInterface::findUsbFusionCamera(0x2207, 0x0006).empty());
    std::filesystem::remove_all(home);
}

} // namespace
} // namespace tarvo
