#include "TarvoHal/EthConfig.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// EthConfig works on the camera's transport, not on registers: it needs no register table.
TEST(EthConfigTool, ChangesTheCamerasNetworkSetting)
{
    test::AttachedCamera camera(
        test::ethernetCameraConfig("ETH-TOOL", 1e5, "10.0.0.20", "255.255.255.0", "10.0.0.1"));
    ASSERT_TRUE(camera.interface);
    EthConfig tool(std::make_shared<RegisterController>(camera.interface, nullptr, 0, ""));
    EXPECT_EQ(tool.getToolInfo().type, TOOL_ETH_CONFIG);
    std::string value;
    ASSERT_TRUE(tool.getParam("ip_address", value));
    EXPECT_EQ(value, "10.0.0.20");
    EXPECT_TRUE(tool.setParam("ip_address", "10.0.0.33"));
    EXPECT_EQ(camera.device->description().ipAddress, "10.0.0.33");
    EXPECT_FALSE(tool.setParam("ip_address", "10.0.1.33")); // outside the gateway's subnet
    EXPECT_FALSE(tool.setParam("subnet_mask", "255.0.255.0"));
    EXPECT_FALSE(tool.setParam("gateway", "ten.zero"));
    EXPECT_EQ(camera.device->description().ipAddress, "10.0.0.33");
}

} // namespace
} // namespace tarvo
