// A camera's tools, found by type and by name, and its configuration files.
#include "CameraTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>

namespace tarvo {
namespace {

std::vector<ToolType> typesOf(const std::vector<ToolInfo>& infos)
{
    std::vector<ToolType> types;
    for (const ToolInfo& info : infos) {
        types.push_back(info.type);
    }
    return types;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The messages of the lines logged at `level` that begin with `prefix`, in order.
std::vector<std::string> linesStartingWith(const test::LogCapture& log, int level, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& [lineLevel, message] : log.lines()) {
        if (lineLevel == level && message.rfind(prefix, 0) == 0) {
            found.push_back(message);
        }
    }
    return found;
}

class CameraToolsTest : public ::testing::Test
{
protected:
    void TearDown() override { std::remove(path.c_str()); }

    test::OpenedCamera opened{test::eventCameraConfig("KST-TOOLS", 1e5)};
    DvsCamera& camera = *opened.camera;
    std::string path = test::tempPath("camera-config.json");
};

TEST_F(CameraToolsTest, AUsbCameraHasTheSevenSensorToolsInTypeOrder)
{
    EXPECT_EQ(typesOf(camera.getAllToolsInfo()),
              (std::vector<ToolType>{TOOL_BIASES, TOOL_TRIGGER_IN, TOOL_SYNC, TOOL_ANTI_FLICKER,
                                     TOOL_EVENT_TRAIL_FILTER, TOOL_EVENT_RATE_CONTROL, TOOL_ROI}));
    test::LogCapture log;
    EXPECT_FALSE(camera.getTool(TOOL_ETH_CONFIG));
    EXPECT_TRUE(log.contains(4, "Tool not found"));
    try {
        camera.getToolInfo(TOOL_APS_CTRL);
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Tool not found");
    }
    EXPECT_EQ(camera.getToolInfo(TOOL_ROI).name, "ROI");
}

TEST_F(CameraToolsTest, ToolsAreFoundByTheirExactName)
{
    EXPECT_EQ(camera.getTool("Biases"), camera.getTool(TOOL_BIASES));
    EXPECT_EQ(camera.getTool("EventRateControl"), camera.getTool(TOOL_EVENT_RATE_CONTROL));
    test::LogCapture log;
    EXPECT_FALSE(camera.getTool("biases"));
    EXPECT_FALSE(camera.getTool(""));
    EXPECT_TRUE(log.lines().empty()); // a missing name is the caller's to report
}

TEST_F(CameraToolsTest, OpeningAgainKeepsTheToolsOfTheFirstOpening)
{
    const auto biases = camera.getTool(TOOL_BIASES);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_EQ(camera.stop(), 0);
    ASSERT_EQ(opened.manager.openCamera("KST-TOOLS"), opened.camera);
    EXPECT_EQ(camera.getTool(TOOL_BIASES), biases);
}

TEST(CameraTools, AnEthernetCameraAddsItsNetworkToolLast)
{
    test::OpenedCamera opened(
        test::ethernetCameraConfig("ETH-TOOLS", 1e5, "10.0.0.2", "255.0.0.0", "10.0.0.1"));
    const auto types = typesOf(opened.camera->getAllToolsInfo());
    ASSERT_EQ(types.size(), 8u);
    EXPECT_EQ(types.back(), TOOL_ETH_CONFIG);
    std::string address;
    ASSERT_TRUE(opened.camera->getTool(TOOL_ETH_CONFIG)->getParam("ip_address", address));
    EXPECT_EQ(address, "10.0.0.2");
}

TEST_F(CameraToolsTest, AnExportedConfigurationLoadsBackParameterByParameterInNameOrder)
{
    auto biases = camera.getTool(TOOL_BIASES);
    ASSERT_TRUE(biases->setParam("bias_fo", 40));
    ASSERT_TRUE(camera.getTool(TOOL_ROI)->setParam("mode", std::string("RONI")));
    ASSERT_TRUE(camera.getTool(TOOL_ANTI_FLICKER)->setParam("duty_cycle", 12.5f));
    ASSERT_TRUE(camera.exportCameraConfigParams(path));

    const auto file = nlohmann::json::parse(readFile(path));
    EXPECT_EQ(file.at("Biases").at("bias_fo"), 40);
    EXPECT_EQ(file.at("ROI").at("mode"), "RONI");
    EXPECT_EQ(file.at("AntiFlicker").at("duty_cycle"), 12.5);
    EXPECT_EQ(file.at("TriggerIn").at("enable"), false);
    EXPECT_EQ(file.size(), 7u);
    EXPECT_NE(readFile(path).find("\n    \"AntiFlicker\": {\n        \"duty_cycle\""), std::string::npos);

    ASSERT_TRUE(biases->setParam("bias_fo", 60));
    ASSERT_TRUE(camera.getTool(TOOL_ROI)->setParam("mode", std::string("ROI")));
    test::LogCapture log;
    EXPECT_TRUE(camera.loadCameraConfigParams(path));
    int fo = 0;
    ASSERT_TRUE(biases->getParam("bias_fo", fo));
    EXPECT_EQ(fo, 40);
    std::string mode;
    ASSERT_TRUE(camera.getTool(TOOL_ROI)->getParam("mode", mode));
    EXPECT_EQ(mode, "RONI");

    // Every parameter once, tools and their parameters in ascending name order, then the summary.
    const auto set = linesStartingWith(log, 2, "Set ");
    size_t parameters = 0;
    for (const ToolInfo& info : camera.getAllToolsInfo()) {
        parameters += camera.getTool(info.type)->getAllParamInfo().size();
    }
    EXPECT_EQ(set.size(), parameters);
    EXPECT_TRUE(std::is_sorted(set.begin(), set.end()));
    EXPECT_EQ(set.front(), "Set AntiFlicker.duty_cycle = 12.5");
    EXPECT_TRUE(log.contains(2, "Set ROI.mode = \"RONI\""));
    EXPECT_EQ(log.lines().back().second, "Configuration applied from " + path);
}

TEST_F(CameraToolsTest, ToolsTheCameraLacksAreSkippedWithAWarning)
{
    writeFile(path, R"({"ApsCtrl": {"exposure_time": 100}, "EthConfig": {}, "Biases": {"bias_hpf": 10}})");
    test::LogCapture log;
    EXPECT_TRUE(camera.loadCameraConfigParams(path));
    EXPECT_TRUE(log.contains(3, "Tool not found: ApsCtrl, skipping..."));
    EXPECT_TRUE(log.contains(3, "Tool not found: EthConfig, skipping..."));
    EXPECT_TRUE(log.contains(2, "Set Biases.bias_hpf = 10"));
}

TEST_F(CameraToolsTest, ValuesOfTheWrongKindAreReportedAndTheRestIsApplied)
{
    writeFile(path,
              R"({"Biases": {"bias_diff": null, "bias_fo": 30, "bias_hpf": 9999999999, "bias_refr": [1]},
                        "ROI": {"enable": 1, "mode": "NOWHERE", "x": 10},
                        "Sync": 5})");
    test::LogCapture log;
    EXPECT_FALSE(camera.loadCameraConfigParams(path));
    EXPECT_TRUE(log.contains(3, "Unsupported parameter type for Biases.bias_diff, skipped."));
    EXPECT_TRUE(log.contains(3, "Unsupported parameter type for Biases.bias_refr, skipped."));
    EXPECT_TRUE(log.contains(4, "Failed to set Biases.bias_hpf: the number 9999999999 is too large"));
    // A switch given as a number goes to the integer setter, which the switch refuses.
    EXPECT_TRUE(log.contains(4, "Failed to set ROI.enable: the tool refused 1"));
    EXPECT_TRUE(log.contains(4, "Failed to set ROI.mode: the tool refused \"NOWHERE\""));
    EXPECT_TRUE(log.contains(4, "Failed to set Sync: 5 is not a JSON object"));
    EXPECT_TRUE(log.contains(4, "applied in part: 6 parameter(s) not set"));
    EXPECT_FALSE(log.contains(2, "Configuration applied from"));
    int fo = 0, x = 0;
    camera.getTool(TOOL_BIASES)->getParam("bias_fo", fo);
    camera.getTool(TOOL_ROI)->getParam("x", x);
    EXPECT_EQ(fo, 30);
    EXPECT_EQ(x, 10);
}

TEST_F(CameraToolsTest, UnreadableFilesFailWithAnErrorAndSetNothing)
{
    test::LogCapture log;
    EXPECT_FALSE(camera.loadCameraConfigParams(path + ".missing"));
    EXPECT_TRUE(log.contains(4, "Failed to open config file: " + path + ".missing"));
    for (const std::string text : {"{\"Biases\": {\"bias_fo\": 20}", "", "[1, 2]", "\"Biases\""}) {
        writeFile(path, text);
        EXPECT_FALSE(camera.loadCameraConfigParams(path)) << text;
    }
    EXPECT_TRUE(log.contains(4, "Failed to parse config file " + path));
    EXPECT_TRUE(log.contains(4, "does not hold a JSON object"));
    EXPECT_FALSE(log.contains(2, "Set Biases.bias_fo"));

    writeFile(path, "{}");
    EXPECT_TRUE(camera.loadCameraConfigParams(path));
    EXPECT_TRUE(log.contains(2, "Configuration applied from " + path));
}

TEST_F(CameraToolsTest, ExportingToAFolderThatIsNotThereFails)
{
    test::LogCapture log;
    const std::string nowhere = "/nonexistent-folder/config.json";
    EXPECT_FALSE(camera.exportCameraConfigParams(nowhere));
    EXPECT_TRUE(log.contains(4, "Failed to open " + nowhere + " file for writing."));
}

} // namespace
} // namespace tarvo
