// The camera manager against the simulated bus: searches, their order and retries, the maps,
// unplugged cameras and opening.
#include "CameraTestSupport.h"
#include "TarvoBase/Converters.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoHalBackend/DeviceBackendRegistry.h"
#include "TarvoSim/SimBus.h"
#include "camera/DuetCamera.h"
#include "camera/PropheseeEVK4.h"
#include "camera/PropheseeEVK5.h"
#include "camera/TarvoKestrel.h"

#include <gtest/gtest.h>

#include <map>

namespace tarvo {
namespace {

// A back end beside the simulator that finds nothing and notes which family is asked, in order.
class CountingBackend : public DeviceBackend
{
public:
    std::vector<CameraDescription> enumerate(DeviceFamily family) override
    {
        ++asked[family];
        order.push_back(family);
        return {};
    }
    std::shared_ptr<DeviceLink> open(DeviceFamily, const CameraDescription&) override { return nullptr; }
    bool forceNetworkConfig(const CameraDescription&, uint32_t, uint32_t, uint32_t) override { return false; }

    std::map<DeviceFamily, int> asked;
    std::vector<DeviceFamily> order;
};

sim::DeviceConfig usbCamera(const std::string& serial, uint16_t vendorId, uint16_t productId)
{
    sim::DeviceConfig config = test::eventCameraConfig(serial, 1e5);
    config.vendorId = vendorId;
    config.productId = productId;
    return config;
}

sim::DeviceConfig kestrel(const std::string& serial)
{
    return usbCamera(serial, TarvoKestrel::vendorId, TarvoKestrel::productId);
}

sim::DeviceConfig ethernetCamera(const std::string& serial)
{
    return test::ethernetCameraConfig(serial, 1e5, "192.168.1.100", "255.255.255.0", "192.168.1.1");
}

sim::DeviceConfig fusionCamera(const std::string& serial)
{
    sim::DeviceConfig config;
    config.kind = sim::DeviceKind::FusionCamera;
    config.serial = serial;
    config.productName = "Duet";
    config.vendorId = 0x2207;
    config.productId = 0x0006;
    return config;
}

std::vector<std::string> serials(const std::vector<CameraDescription>& descriptions)
{
    std::vector<std::string> list;
    for (const auto& description : descriptions) {
        list.push_back(description.serial);
    }
    return list;
}

class CameraManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { DeviceBackendRegistry::instance().add(counter); }
    void TearDown() override { DeviceBackendRegistry::instance().remove(counter); }

    std::shared_ptr<CountingBackend> counter = std::make_shared<CountingBackend>();
    DvsCameraManager manager;
};

TEST_F(CameraManagerTest, WithNoCameraEachUsbEventSearchAsksTwiceTheOthersOnce)
{
    test::attachOnly({});
    EXPECT_EQ(manager.updateCameras(), 0);
    EXPECT_EQ(counter->asked[DeviceFamily::UsbEventCamera], 6);
    EXPECT_EQ(counter->asked[DeviceFamily::UsbFusionCamera], 1);
    EXPECT_EQ(counter->asked[DeviceFamily::EthEventCamera], 1);
    // EVK4, EVK5 and Kestrel on USB, twice each, then the fusion camera, then Ethernet.
    const auto usb = DeviceFamily::UsbEventCamera;
    EXPECT_EQ(counter->order,
              (std::vector<DeviceFamily>{usb, usb, usb, usb, usb, usb, DeviceFamily::UsbFusionCamera,
                                         DeviceFamily::EthEventCamera}));
    EXPECT_TRUE(manager.getCameraDescs().empty());
}

TEST_F(CameraManagerTest, EachKindBecomesItsProductClassAndASearchThatFindsAsksOnce)
{
    test::attachOnly({usbCamera("EVK4-1", PropheseeEVK4::vendorId, PropheseeEVK4::productId),
                      usbCamera("EVK5-1", PropheseeEVK5::vendorId, PropheseeEVK5::productId),
                      kestrel("KST-1"), ethernetCamera("ETH-1"), fusionCamera("DUET-1")});
    EXPECT_EQ(manager.updateCameras(), 5);
    EXPECT_EQ(counter->asked[DeviceFamily::UsbEventCamera], 3);
    auto evk4 = manager.openCamera("EVK4-1");
    auto evk5 = manager.openCamera("EVK5-1");
    auto usb = manager.openCamera("KST-1");
    auto eth = manager.openCamera("ETH-1");
    EXPECT_TRUE(std::dynamic_pointer_cast<PropheseeEVK4>(evk4));
    EXPECT_TRUE(std::dynamic_pointer_cast<PropheseeEVK5>(evk5));
    EXPECT_TRUE(std::dynamic_pointer_cast<TarvoKestrel>(usb));
    // Every camera on Ethernet is served by the Kestrel class.
    EXPECT_TRUE(std::dynamic_pointer_cast<TarvoKestrel>(eth));
    EXPECT_EQ(eth->getDescription().interfaceType, ETHERNET);
    EXPECT_EQ(PropheseeEVK4::getManufacturer(), "Prophesee");
    EXPECT_EQ(TarvoKestrel::getProductName(), "Kestrel");
}

TEST_F(CameraManagerTest, DescriptionsListEventCamerasThenFusionCamerasEachInSerialOrder)
{
    test::attachOnly({fusionCamera("0-DUET"), kestrel("B-USB"), ethernetCamera("A-ETH"),
                      usbCamera("C-EVK4", PropheseeEVK4::vendorId, PropheseeEVK4::productId)});
    EXPECT_EQ(serials(manager.getCameraDescs()),
              (std::vector<std::string>{"A-ETH", "B-USB", "C-EVK4", "0-DUET"}));
    // A fusion camera opens only as one.
    EXPECT_TRUE(std::dynamic_pointer_cast<DuetCamera>(manager.openFusionCamera("0-DUET")));
    EXPECT_FALSE(manager.openCamera("0-DUET"));
    EXPECT_FALSE(manager.openFusionCamera("B-USB"));
}

TEST_F(CameraManagerTest, ACameraFoundByTwoSearchesIsTheFirstSearchsObjectAndCountsTwice)
{
    test::attachOnly({ethernetCamera("TWIN"), kestrel("TWIN"), kestrel("PAIR"),
                      usbCamera("PAIR", PropheseeEVK5::vendorId, PropheseeEVK5::productId)});
    EXPECT_EQ(manager.updateCameras(), 4);
    const auto descriptions = manager.getCameraDescs();
    ASSERT_EQ(serials(descriptions), (std::vector<std::string>{"PAIR", "TWIN"}));
    EXPECT_EQ(descriptions[1].interfaceType, USB); // the USB searches run before the Ethernet one
    EXPECT_TRUE(std::dynamic_pointer_cast<PropheseeEVK5>(manager.openCamera("PAIR"))); // EVK5 before Kestrel
}

TEST_F(CameraManagerTest, AnOpenedCameraKeepsItsObjectAndTheDescriptionOfItsCreation)
{
    test::attachOnly({ethernetCamera("ETH-KEEP"), kestrel("USB-IDLE")});
    manager.getCameraDescs();
    auto opened = manager.openCamera("ETH-KEEP");
    ASSERT_TRUE(opened);
    ASSERT_TRUE(DvsCameraManager::ethCameraForceIP(opened->getDescription(), stringToIP("10.0.0.7"),
                                                   stringToIP("255.0.0.0"), stringToIP("10.0.0.1")));

    test::LogCapture log;
    const auto descriptions = manager.getCameraDescs();
    // A camera never opened has no transport, so it answers as disconnected and is made anew.
    EXPECT_TRUE(log.contains(1, "Camera USB-IDLE disconnected"));
    EXPECT_FALSE(log.contains(1, "Camera ETH-KEEP disconnected"));
    EXPECT_EQ(manager.openCamera("ETH-KEEP"), opened);
    ASSERT_EQ(serials(descriptions), (std::vector<std::string>{"ETH-KEEP", "USB-IDLE"}));
    EXPECT_EQ(descriptions[0].ipAddress, "192.168.1.100");
    EXPECT_FALSE(DvsCameraManager::ethCameraForceIP(opened->getDescription(), stringToIP("10.0.0.7"),
                                                    stringToIP("255.255.255.0"), stringToIP("10.9.9.1")));
}

TEST_F(CameraManagerTest, AnUnpluggedCameraLeavesTheMapButStaysValidForItsHolder)
{
    test::attachOnly({kestrel("KST-GONE")});
    manager.getCameraDescs();
    auto camera = manager.openCamera("KST-GONE");
    ASSERT_TRUE(camera);
    ASSERT_TRUE(camera->isConnected());
    sim::SimBus::instance().detach("KST-GONE");

    test::LogCapture log;
    EXPECT_EQ(manager.updateCameras(), 0);
    EXPECT_TRUE(log.contains(1, "Camera KST-GONE disconnected"));
    EXPECT_FALSE(manager.openCamera("KST-GONE"));
    EXPECT_FALSE(camera->isConnected());
    EXPECT_EQ(camera->getDescription().serial, "KST-GONE");
}

TEST_F(CameraManagerTest, OpeningNeedsAnExactSerialAndACameraThatAnswers)
{
    test::attachOnly({kestrel("KST-Exact")});
    manager.updateCameras();
    EXPECT_FALSE(manager.openCamera(""));
    EXPECT_FALSE(manager.openCamera("kst-exact"));
    // Found, then gone before it is opened: no camera, and it stays in the map until a search.
    sim::SimBus::instance().detach("KST-Exact");
    EXPECT_FALSE(manager.openCamera("KST-Exact"));
    EXPECT_EQ(serials(manager.getCameraDescs()), std::vector<std::string>{});
}

TEST_F(CameraManagerTest, AStoppedCameraIsOpenedAgainThroughTheManager)
{
    test::attachOnly({kestrel("KST-AGAIN")});
    manager.updateCameras();
    auto camera = manager.openCamera("KST-AGAIN");
    ASSERT_TRUE(camera);
    ASSERT_EQ(camera->start(), 0);
    ASSERT_EQ(camera->stop(), 0);
    EXPECT_THROW(camera->start(), std::runtime_error);
    // Reopening finds the same object and brings it up again.
    EXPECT_EQ(manager.openCamera("KST-AGAIN"), camera);
    EXPECT_EQ(camera->start(), 0);
    EXPECT_EQ(camera->stop(), 0);
}

TEST_F(CameraManagerTest, ACopySharesTheCameraObjects)
{
    test::attachOnly({kestrel("KST-SHARED")});
    manager.updateCameras();
    DvsCameraManager copy = manager;
    EXPECT_EQ(copy.openCamera("KST-SHARED"), manager.openCamera("KST-SHARED"));
}

} // namespace
} // namespace tarvo
