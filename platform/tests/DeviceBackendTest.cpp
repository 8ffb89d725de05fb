#include "SimEventCamera.h"
#include "SimTestSupport.h"
#include "TarvoBase/Converters.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoHalBackend/DeviceBackendRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarvo {
namespace {

bool hasSerial(const std::vector<CameraDescription>& list, const std::string& serial)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const CameraDescription& d) { return d.serial == serial; });
}

// A second way of reaching devices beside the simulator, as a real transport would be: its two
// cameras are simulated devices that no bus knows.
class FakeBackend : public DeviceBackend
{
public:
    FakeBackend()
    {
        sim::DeviceConfig config = test::eventCameraConfig("FAKE-USB", 1e5);
        config.vendorId = 0x1234;
        config.productId = 0x0042;
        usb = std::make_shared<sim::SimEventCamera>(config);
        eth = std::make_shared<sim::SimEventCamera>(
            test::ethernetCameraConfig("FAKE-ETH", 1e5, "172.16.0.9", "255.255.0.0", "0.0.0.0"));
    }

    std::vector<CameraDescription> enumerate(DeviceFamily family) override
    {
        if (family == DeviceFamily::UsbEventCamera) {
            return {usb->description()};
        }
        return family == DeviceFamily::EthEventCamera ? std::vector<CameraDescription>{eth->description()}
                                                      : std::vector<CameraDescription>{};
    }
    std::shared_ptr<DeviceLink> open(DeviceFamily family, const CameraDescription& description) override
    {
        for (const CameraDescription& found : enumerate(family)) {
            if (found.serial == description.serial) {
                return found.serial == usb->config().serial ? usb : eth;
            }
        }
        return nullptr;
    }
    bool forceNetworkConfig(const CameraDescription& description, uint32_t ip, uint32_t mask,
                            uint32_t gateway) override
    {
        ++forced;
        return description.serial == "FAKE-ETH" && eth->setNetworkConfig(ip, mask, gateway);
    }

    std::shared_ptr<sim::SimEventCamera> usb, eth;
    int forced = 0;
};

class DeviceBackendTest : public ::testing::Test
{
protected:
    void SetUp() override { DeviceBackendRegistry::instance().add(backend); }
    void TearDown() override { DeviceBackendRegistry::instance().remove(backend); }

    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
};

TEST_F(DeviceBackendTest, FindersAndFactoriesReachEveryRegisteredBackEnd)
{
    DeviceBackendRegistry::instance().add(backend); // a second add changes nothing
    const auto usb = UsbInterface::findUsbDvsCamera(0x1234, 0x0042);
    ASSERT_EQ(std::count_if(usb.begin(), usb.end(), [](const auto& d) { return d.serial == "FAKE-USB"; }), 1);
    EXPECT_FALSE(hasSerial(UsbInterface::findUsbDvsCamera(0x1234, 0x0043), "FAKE-USB"));
    EXPECT_FALSE(hasSerial(UsbInterface::findUsbFusionCamera(0x1234, 0x0042), "FAKE-USB"));
    const auto eth = EthInterface::findEthDvsCamera();
    ASSERT_TRUE(hasSerial(eth, "FAKE-ETH"));

    auto opened = UsbInterface::createUsbInterface(usb[0]);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->isConnected());
    EXPECT_TRUE(opened->writeRegister(0x1234, 7));
    EXPECT_EQ(backend->usb->registerValue(0x1234), 7u);
    EXPECT_FALSE(UsbInterface::createUsbFusionInterface(usb[0]));
    EXPECT_TRUE(std::dynamic_pointer_cast<EthInterface>(EthInterface::createEthInterface(eth.back())));

    EXPECT_TRUE(
        EthInterface::ethCameraForceIP(eth.back(), stringToIP("172.16.5.5"), stringToIP("255.255.0.0"), 0));
    EXPECT_EQ(backend->eth->description().ipAddress, "172.16.5.5");
    const int asked = backend->forced;
    EXPECT_FALSE(EthInterface::ethCameraForceIP(eth.back(), 0, 0, 0)); // refused before any back end
    EXPECT_EQ(backend->forced, asked);
}

TEST_F(DeviceBackendTest, RemovedBackEndIsNoLongerAsked)
{
    const auto usb = UsbInterface::findUsbDvsCamera(0x1234, 0x0042);
    ASSERT_TRUE(hasSerial(usb, "FAKE-USB"));
    EXPECT_TRUE(DeviceBackendRegistry::instance().remove(backend));
    EXPECT_FALSE(DeviceBackendRegistry::instance().remove(backend));
    EXPECT_FALSE(hasSerial(UsbInterface::findUsbDvsCamera(0x1234, 0x0042), "FAKE-USB"));
    EXPECT_FALSE(UsbInterface::createUsbInterface(usb[0]));
    EXPECT_FALSE(hasSerial(EthInterface::findEthDvsCamera(), "FAKE-ETH"));
}

} // namespace
} // namespace tarvo
