#include "SensorTestSupport.h"
#include "TarvoHal/Imx415ApsCtrl.h"
#include "TarvoHal/Imx636AntiFlicker.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Imx636EventTrailFilter.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636Sync.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "sensor/Imx415RegisterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarvo {
namespace {

class CameraToolTest : public ::testing::Test
{
protected:
    uint32_t reg(uint32_t address) const { return camera.device->registerValue(address); }

    test::SensorCamera camera{test::eventCameraConfig("TOOL-TEST", 1e5)};
};

TEST_F(CameraToolTest, ToolInfosNameTheirParametersInOrder)
{
    const auto& regs = camera.registers;
    EXPECT_EQ(Imx636Biases(regs).getToolInfo().parameters,
              (std::vector<std::string>{"bias_fo", "bias_hpf", "bias_diff_on", "bias_diff", "bias_diff_off",
                                        "bias_refr"}));
    EXPECT_EQ(Imx636TriggerIn(regs).getToolInfo().name, "TriggerIn");
    EXPECT_EQ(Imx636Sync(regs).getToolInfo().type, TOOL_SYNC);
    EXPECT_EQ(Imx636EventRateControl(regs).getToolInfo().description,
              "ERC of DVS cameras with IMX636 sensor");
    EXPECT_EQ(Imx636ROI(regs).getToolInfo().parameters,
              (std::vector<std::string>{"enable", "mode", "x", "y", "x_width", "y_height"}));
    EXPECT_EQ(Imx636EventTrailFilter(regs).getToolInfo().parameters,
              (std::vector<std::string>{"enable", "threshold", "type"}));
    const ToolInfo flicker = Imx636AntiFlicker(regs).getToolInfo();
    EXPECT_EQ(flicker.description, "Anti flicker of DVS cameras with IMX636 sensor.");
    EXPECT_TRUE(std::is_sorted(flicker.parameters.begin(), flicker.parameters.end()));
    EXPECT_EQ(flicker.parameters.size(), Imx636AntiFlicker(regs).getAllParamInfo().size());
}

TEST_F(CameraToolTest, EveryParameterRoundTripsItsDefaultAndItsLimits)
{
    const auto& regs = camera.registers;
    std::vector<std::shared_ptr<CameraTool>> tools = {std::make_shared<Imx636Biases>(regs),
                                                      std::make_shared<Imx636TriggerIn>(regs),
                                                      std::make_shared<Imx636Sync>(regs),
                                                      std::make_shared<Imx636AntiFlicker>(regs),
                                                      std::make_shared<Imx636EventTrailFilter>(regs),
                                                      std::make_shared<Imx636EventRateControl>(regs),
                                                      std::make_shared<Imx636ROI>(regs)};
    for (const auto& tool : tools) {
        for (const auto& [name, basic] : tool->getAllParamInfo()) {
            const std::string qualified = tool->getToolInfo().name + "." + name;
            SCOPED_TRACE(qualified);
            EXPECT_EQ(basic.name, name);
            // Frequencies and thresholds are bounded by each other as well (tested below).
            const bool paired = tool->getToolInfo().name == "AntiFlicker" && basic.type == PARAMETER_INT;
            if (paired) {
                continue;
            }
            if (basic.type == PARAMETER_INT) {
                IntParameterInfo info;
                ASSERT_TRUE(tool->getParamInfo(name, info));
                int value = -1;
                ASSERT_TRUE(tool->getParam(name, value));
                EXPECT_EQ(value, info.defaultValue);
                for (int candidate : {info.max, info.min}) {
                    EXPECT_TRUE(tool->setParam(name, candidate));
                    ASSERT_TRUE(tool->getParam(name, value));
                    EXPECT_EQ(value, candidate);
                }
                EXPECT_TRUE(tool->setParam(name, info.defaultValue));
            } else if (basic.type == PARAMETER_BOOL) {
                BoolParameterInfo info;
                ASSERT_TRUE(tool->getParamInfo(name, info));
                bool value = !info.defaultValue;
                ASSERT_TRUE(tool->getParam(name, value));
                EXPECT_EQ(value, info.defaultValue);
                EXPECT_TRUE(tool->setParam(name, !info.defaultValue));
                ASSERT_TRUE(tool->getParam(name, value));
                EXPECT_EQ(value, !info.defaultValue);
                EXPECT_TRUE(tool->setParam(name, info.defaultValue));
            } else if (basic.type == PARAMETER_ENUM) {
                EnumParameterInfo info;
                ASSERT_TRUE(tool->getParamInfo(name, info));
                ASSERT_FALSE(info.options.empty());
                for (const std::string& option : info.options) {
                    EXPECT_TRUE(tool->setParam(name, option));
                    std::string value;
                    ASSERT_TRUE(tool->getParam(name, value));
                    EXPECT_EQ(value, option);
                }
                EXPECT_TRUE(tool->setParam(name, info.defaultValue.c_str()));
            } else if (basic.type == PARAMETER_FLOAT) {
                FloatParameterInfo info;
                ASSERT_TRUE(tool->getParamInfo(name, info));
                EXPECT_TRUE(tool->setParam(name, info.max));
                float value = 0;
                ASSERT_TRUE(tool->getParam(name, value));
                EXPECT_FLOAT_EQ(value, info.max);
                EXPECT_TRUE(tool->setParam(name, static_cast<double>(info.defaultValue)));
            }
        }
    }
}

TEST_F(CameraToolTest, BadValuesAreRefusedLoggedAndNotWritten)
{
    Imx636Biases biases(camera.registers);
    Imx636ROI roi(camera.registers);
    Imx636AntiFlicker flicker(camera.registers);
    Imx636Sync sync(camera.registers);
    test::LogCapture log;
    const uint32_t before = reg(0x1010);
    EXPECT_FALSE(biases.setParam("bias_diff_on", 256));
    EXPECT_FALSE(biases.setParam("bias_diff_on", -1));
    EXPECT_FALSE(biases.setParam("bias_diff_on", true));  // wrong type
    EXPECT_FALSE(biases.setParam("bias_diff_on", 3.0));   // wrong type
    EXPECT_FALSE(biases.setParam("bias_diff_on", "100")); // wrong type
    EXPECT_FALSE(biases.setParam("no_such_bias", 100));
    EXPECT_EQ(reg(0x1010), before);
    EXPECT_TRUE(log.contains(4, "outside 0..255"));
    EXPECT_TRUE(log.contains(4, "no parameter \"no_such_bias\""));

    EXPECT_FALSE(roi.setParam("mode", "roi")); // options are exact
    EXPECT_FALSE(roi.setParam("x", 1280));
    EXPECT_FALSE(sync.setParam("mode", static_cast<const char*>(nullptr)));
    EXPECT_FALSE(flicker.setParam("duty_cycle", std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(flicker.setParam("duty_cycle", 1e40));   // would be infinite as a float
    EXPECT_FALSE(flicker.setParam("low_frequency", 130)); // not below high_frequency
    EXPECT_TRUE(flicker.setParam("low_frequency", 100));
    int value = 0;
    EXPECT_FALSE(flicker.getParam("filter_mode", value));
    IntParameterInfo info;
    EXPECT_FALSE(flicker.getParamInfo("enable", info));
}

TEST_F(CameraToolTest, AntiFlickerKeepsItsBandAndThresholdsOrdered)
{
    Imx636AntiFlicker flicker(camera.registers);
    EXPECT_TRUE(flicker.setParam("high_frequency", 520));
    EXPECT_TRUE(flicker.setParam("low_frequency", 519));
    EXPECT_FALSE(flicker.setParam("high_frequency", 519));
    EXPECT_EQ((reg(0xC008) >> 8) & 0xFF, 15u); // 1/519 s in steps of 128 µs
    EXPECT_EQ(reg(0xC008) & 0xFF, 15u);
    EXPECT_TRUE(flicker.setParam("low_frequency", 50));
    EXPECT_EQ((reg(0xC008) >> 8) & 0xFF, 156u);
    EXPECT_TRUE(flicker.setParam("start_threshold", 7));
    EXPECT_TRUE(flicker.setParam("stop_threshold", 7));
    EXPECT_FALSE(flicker.setParam("start_threshold", 6));
    EXPECT_TRUE(flicker.setParam("stop_threshold", 0));
    EXPECT_EQ(reg(0xC004) & 0x3F, 7u << 3);
    EXPECT_TRUE(flicker.setParam("filter_mode", "BAND_PASS"));
    EXPECT_EQ(reg(0xC004) & 0x40, 0x40u);
    EXPECT_TRUE(flicker.setParam("enable", true));
    EXPECT_EQ(reg(0xC000) & 3, 1u);
}

TEST_F(CameraToolTest, BiasesLiveInTheirRegisters)
{
    Imx636Biases biases(camera.registers);
    EXPECT_TRUE(biases.setParam("bias_diff_off", 40));
    EXPECT_EQ(reg(0x1018) & 0xFF, 40u);
    EXPECT_EQ(reg(0x1018) >> 8, 0x11A150u); // the other bias fields keep their reset values
    ASSERT_TRUE(camera.interface->writeRegister(0x1004, (reg(0x1004) & ~0xFFu) | 99));
    int value = 0;
    ASSERT_TRUE(biases.getParam("bias_fo", value));
    EXPECT_EQ(value, 99);
}

TEST_F(CameraToolTest, TriggerSyncAndTrailFilterWriteTheirFields)
{
    Imx636TriggerIn trigger(camera.registers);
    std::vector<std::string> changed;
    trigger.setParamChangedCallback([&](const std::string& name) { changed.push_back(name); });
    EXPECT_TRUE(trigger.setParam("enable", true));
    EXPECT_EQ(reg(0x7004) & 1, 1u);
    EXPECT_EQ(changed, std::vector<std::string>{"enable"});

    Imx636Sync sync(camera.registers);
    EXPECT_TRUE(sync.setParam("mode", "master"));
    EXPECT_EQ(reg(0x9008) & 0xE, 0xEu);
    EXPECT_EQ((reg(0x44) >> 16) & 0xF, 0xCu);
    EXPECT_TRUE(sync.setParam("mode", "slave"));
    EXPECT_EQ(reg(0x9008) & 0xE, 0xAu);
    EXPECT_EQ((reg(0x44) >> 16) & 0xF, 0xFu);

    Imx636EventTrailFilter trail(camera.registers);
    EXPECT_TRUE(trail.setParam("threshold", 25000));
    EXPECT_TRUE(trail.setParam("type", "STC_KEEP_TRAIL"));
    EXPECT_TRUE(trail.setParam("enable", true));
    EXPECT_EQ(reg(0xD004), (25000u << 1) | 1);
    EXPECT_EQ(reg(0xD008), 25000u << 1);
    EXPECT_EQ(reg(0xD000) & 3, 1u);
}

TEST_F(CameraToolTest, EventRateControlHonoursItsLimit)
{
    Imx636EventRateControl erc(camera.registers);
    EXPECT_TRUE(erc.setParam("max_event_rate", 100));
    EXPECT_TRUE(erc.setParam("enable", true));
    EXPECT_EQ(reg(0x600C) & 0x3FFFFF, 100u * 200);
    EXPECT_EQ(reg(0x6008) & 0x3FF, 200u);
    EXPECT_EQ(reg(0x6028) & 1, 1u);
    erc.setMaxLimitEventRate(40);
    int value = 0;
    ASSERT_TRUE(erc.getParam("max_event_rate", value));
    EXPECT_EQ(value, 40);
    EXPECT_EQ(reg(0x600C) & 0x3FFFFF, 40u * 200);
    EXPECT_FALSE(erc.setParam("max_event_rate", 41));
    EXPECT_TRUE(erc.setParam("max_event_rate", 40));
    IntParameterInfo info;
    ASSERT_TRUE(erc.getParamInfo("max_event_rate", info));
    EXPECT_EQ(info.max, 40);
}

TEST_F(CameraToolTest, RoiWritesColumnAndRowMasks)
{
    Imx636ROI roi(camera.registers);
    EXPECT_TRUE(roi.setParam("x", 40));
    EXPECT_TRUE(roi.setParam("x_width", 30));
    EXPECT_TRUE(roi.setParam("y", 700));
    EXPECT_TRUE(roi.setParam("y_height", 100)); // cut at the bottom edge
    EXPECT_EQ(reg(0x2000), 0xFFFFFFFFu);        // disabled: everything passes
    EXPECT_TRUE(roi.setParam("enable", true));
    EXPECT_EQ(reg(0x2000), 0u);
    EXPECT_EQ(reg(0x2004), 0xFFFFFF00u); // columns 40..63
    EXPECT_EQ(reg(0x2008), 0x3Fu);       // columns 64..69
    EXPECT_EQ(reg(0x400C), 0u);
    EXPECT_EQ(reg(0x4000 + 21 * 4), 0xF0000000u); // rows 672..703: 700..703
    EXPECT_EQ(reg(0x4000 + 22 * 4), 0xFFFFu);     // rows 704..719
    EXPECT_EQ(reg(0x4) & 0x42, 0x42u);
    EXPECT_TRUE(roi.setParam("mode", "RONI"));
    EXPECT_EQ(reg(0x4) & 0x42, 0x2u);
}

TEST_F(CameraToolTest, ApsControlsTheFrameSensorRegisters)
{
    auto aps = std::make_shared<RegisterController>(camera.interface, IMX415_REGISTER_TABLE,
                                                    IMX415_REGISTER_TABLE_SIZE, " ");
    Imx415ApsCtrl tool(aps);
    const ToolInfo info = tool.getToolInfo();
    EXPECT_EQ(info.name, "ApsCtrl");
    EXPECT_TRUE(std::is_sorted(info.parameters.begin(), info.parameters.end()));
    EXPECT_TRUE(tool.setParam("exposure_time", 10000));
    EXPECT_EQ(reg(0x5002), 1000u);
    int exposure = 0;
    ASSERT_TRUE(tool.getParam("exposure_time", exposure));
    EXPECT_EQ(exposure, 10000);
    EXPECT_FALSE(tool.setParam("exposure_time", 10005)); // between steps
    EXPECT_FALSE(tool.setParam("exposure_time", 40000)); // longer than a frame
    EXPECT_TRUE(tool.setParam("auto_exposure", false));
    EXPECT_EQ(reg(0x5001), 0u);
    EXPECT_TRUE(tool.setParam("gain", 120));
    EXPECT_EQ(reg(0x5006), 120u);
}

TEST_F(CameraToolTest, ToolsOnAnUnpluggedCameraFail)
{
    Imx636Biases biases(camera.registers);
    Imx636TriggerIn trigger(camera.registers);
    camera.device->unplug();
    int value = 0;
    EXPECT_FALSE(biases.getParam("bias_fo", value));
    EXPECT_FALSE(biases.setParam("bias_fo", 50));
    EXPECT_FALSE(trigger.setParam("enable", true));
    bool enabled = true;
    ASSERT_TRUE(trigger.getParam("enable", enabled));
    EXPECT_FALSE(enabled); // the refused value was not kept
}

} // namespace
} // namespace tarvo
