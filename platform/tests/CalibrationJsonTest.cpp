#include "TarvoBase/CalibrationJson.h"
#include "TarvoBase/Logger.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <random>
#include <sstream>

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// A record as the fusion camera leaves the factory with, plus a third matrix and keys of its own.
CalibratorParameters sampleRecord()
{
    CalibratorParameters params;
    params.dvsWidth = 1280;
    params.dvsHeight = 720;
    params.apsWidth = 3840;
    params.apsHeight = 2160;
    params.transforms["0"] = {0.29835390946502055, 0, 67.16049382716051, 0, 0.29835390946502055,
                              37.77777777777783};
    params.transforms["1"] = {3.351724137931035,  0, -225.10344827586232, 0, 3.351724137931035,
                              -126.62068965517255};
    params.transforms["2"] = {1, 2, 3};
    params.extras = R"({"serial":"DUET-7","residual":{"rms":0.31}})";
    return params;
}

void expectSameRecord(const CalibratorParameters& a, const CalibratorParameters& b)
{
    EXPECT_EQ(a.dvsWidth, b.dvsWidth);
    EXPECT_EQ(a.dvsHeight, b.dvsHeight);
    EXPECT_EQ(a.apsWidth, b.apsWidth);
    EXPECT_EQ(a.apsHeight, b.apsHeight);
    EXPECT_EQ(a.transforms, b.transforms);
    EXPECT_EQ(a.extras, b.extras);
}

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

const char* const kStoredBlock = R"({"dvsWidth":1280,"dvsHeight":720,"apsWidth":3840,"apsHeight":2160,)"
                                 R"("transforms":{"0":[0.25,0,1,0,0.25,2],"1":[4,0,-4,0,4,-8]}})";

class CalibrationJson : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::path(::testing::TempDir()) /
                ("calibration-" + std::to_string(::getpid()) + "-" + test->name());
        fs::create_directories(m_dir);
        m_previousSink = Logger::Instance().setSink(
            [this](int level, const std::string&, int, const std::string& message) {
                if (level >= 3) {
                    m_errors.push_back(message);
                }
            });
        Logger::Instance().setStderrLevel(5);
    }

    void TearDown() override
    {
        Logger::Instance().setStderrLevel(2);
        Logger::Instance().setSink(m_previousSink);
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    void writeText(const std::string& name, const std::string& text) const
    {
        std::ofstream(file(name), std::ios::binary) << text;
    }

    // The files in the test's folder, to show that no temporary one is left behind.
    std::vector<std::string> folderContents() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Expects `text` to be refused with a logged reason that mentions `reason`, and the record
    // handed in to stay as it was.
    void expectRefused(const std::string& text, const std::string& reason)
    {
        SCOPED_TRACE(text);
        CalibratorParameters params = sampleRecord();
        m_errors.clear();
        EXPECT_FALSE(jsonDataToParam(bytesOf(text), params));
        expectSameRecord(params, sampleRecord());
        ASSERT_EQ(m_errors.size(), 1u);
        EXPECT_NE(m_errors[0].find(reason), std::string::npos) << m_errors[0];
    }

    fs::path m_dir;
    std::vector<std::string> m_errors;
    Logger::Sink m_previousSink;
};

TEST_F(CalibrationJson, SaveAndLoadKeepSizesMatricesAndOtherKeys)
{
    CalibratorParameters params = sampleRecord();
    params.dvsWidth = 640;
    params.apsHeight = 65535;
    // Values that only a shortest round-trip text keeps exactly.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-1e4, 1e4);
    for (double& v : params.transforms["1"]) {
        v = value(random) / 3.0;
    }
    params.transforms["0"][1] = 1e-300;
    params.transforms["0"][3] = -0.1;
    const std::string path = file("calibration.json");
    ASSERT_TRUE(paramToJsonFile(params, path));

    CalibratorParameters back;
    ASSERT_TRUE(jsonFileToParam(path, back));
    expectSameRecord(back, params);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"calibration.json"});
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(CalibrationJson, ReadsTheCameraLayoutWithoutOtherKeys)
{
    CalibratorParameters params;
    params.extras = "stale";
    ASSERT_TRUE(jsonDataToParam(bytesOf(kStoredBlock), params));
    EXPECT_EQ(params.dvsWidth, 1280);
    EXPECT_EQ(params.dvsHeight, 720);
    EXPECT_EQ(params.apsWidth, 3840);
    EXPECT_EQ(params.apsHeight, 2160);
    EXPECT_EQ(params.transforms["0"], (std::vector<double>{0.25, 0, 1, 0, 0.25, 2}));
    EXPECT_EQ(params.transforms["1"], (std::vector<double>{4, 0, -4, 0, 4, -8}));
    EXPECT_EQ(params.transforms.size(), 2u);
    EXPECT_EQ(params.extras, "");
}

TEST_F(CalibrationJson, ZeroBytesAfterTheTextOfAPaddedBlockAreIgnored)
{
    std::vector<uint8_t> block = bytesOf(kStoredBlock);
    block.resize(4096, 0);
    CalibratorParameters params;
    EXPECT_TRUE(jsonDataToParam(block, params));
    EXPECT_EQ(params.transforms["1"][0], 4);
}

TEST_F(CalibrationJson, MissingKeysAreRefusedAndTheRecordStaysAsItWas)
{
    const std::string full = kStoredBlock;
    for (const std::string key : {"dvsWidth", "dvsHeight", "apsWidth", "apsHeight"}) {
        std::string text = full;
        text.replace(text.find("\"" + key + "\""), 1 + key.size() + 2, "\"other\":");
        expectRefused(text, "\"" + key + "\" is missing");
    }
    expectRefused(R"({"dvsWidth":1280,"dvsHeight":720,"apsWidth":3840,"apsHeight":2160})",
                  "\"transforms\" is missing");
    expectRefused(R"({"dvsWidth":1280,"dvsHeight":720,"apsWidth":3840,"apsHeight":2160,)"
                  R"("transforms":{"0":[1,0,0,0,1,0]}})",
                  "the matrix \"1\" is missing");
    expectRefused(R"({"dvsWidth":1280,"dvsHeight":720,"apsWidth":3840,"apsHeight":2160,)"
                  R"("transforms":{"1":[1,0,0,0,1,0]}})",
                  "the matrix \"0\" is missing");
}

TEST_F(CalibrationJson, ValuesOfTheWrongTypeOrRangeAreRefused)
{
    const std::string head = R"({"dvsHeight":720,"apsWidth":3840,"apsHeight":2160,"transforms":)";
    const std::string matrices = R"({"0":[1,0,0,0,1,0],"1":[1,0,0,0,1,0]})";
    for (const std::string width : {"\"1280\"", "1280.5", "-1", "0", "65536", "true", "null"}) {
        expectRefused(head + matrices + R"(,"dvsWidth":)" + width + "}",
                      "\"dvsWidth\" is not a whole number from 1 to 65535");
    }
    const std::string sized = R"({"dvsWidth":1280,)" + head.substr(1);
    expectRefused(sized + "[1,2]}", "\"transforms\" is not an object");
    expectRefused(sized + R"({"0":[1,0,0,0,1,0],"1":"identity"}})", "the matrix \"1\" is not an array");
    expectRefused(sized + R"({"0":[1,0,0,0,1,0],"1":[1,0,"0",0,1,0]}})",
                  "the matrix \"1\" holds something other than a number");
    expectRefused(sized + R"({"0":[1,0,0,0,1],"1":[1,0,0,0,1,0]}})",
                  "the matrix \"0\" has fewer than six values");

    CalibratorParameters params;
    EXPECT_TRUE(jsonDataToParam(bytesOf(head + matrices + R"(,"dvsWidth":1280.0})"), params));
    EXPECT_EQ(params.dvsWidth, 1280);
}

TEST_F(CalibrationJson, TextThatIsNotAJsonObjectIsRefused)
{
    expectRefused("", "it is not JSON");
    expectRefused("calibration", "it is not JSON");
    expectRefused(std::string(kStoredBlock).substr(0, 80), "it is not JSON");
    expectRefused(std::string(kStoredBlock) + "}", "it is not JSON");
    expectRefused("[1280, 720]", "it is not a JSON object");
    expectRefused(std::string("{\"dvsWidth\":\"\xff\"}"), "it is not JSON");

    // Deep enough to overflow the stack of anything that copies or prints it level by level.
    const size_t depth = 300000;
    std::string deep = kStoredBlock;
    deep.insert(1, R"("deep":)" + std::string(depth, '[') + std::string(depth, ']') + ",");
    expectRefused(deep, "it nests deeper than 32 levels");
    deep = kStoredBlock;
    deep.insert(1, R"("nested":)" + std::string(30, '[') + std::string(30, ']') + ",");
    CalibratorParameters params;
    EXPECT_TRUE(jsonDataToParam(bytesOf(deep), params));
}

TEST_F(CalibrationJson, FilesThatCannotBeReadAreRefusedWithTheirReason)
{
    CalibratorParameters params = sampleRecord();
    EXPECT_FALSE(jsonFileToParam(file("missing.json"), params));
    EXPECT_FALSE(jsonFileToParam(m_dir.string(), params));

    // A FIFO would block a plain open until a writer comes; it is refused at once.
    const std::string fifo = file("fifo.json");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto refused = std::async(std::launch::async, [&] {
        CalibratorParameters fromFifo;
        return jsonFileToParam(fifo, fromFifo);
    });
    ASSERT_EQ(refused.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(refused.get());

    std::string huge = kStoredBlock;
    huge.insert(1, R"("padding":")" + std::string(1 << 20, 'x') + "\",");
    writeText("huge.json", huge);
    EXPECT_FALSE(jsonFileToParam(file("huge.json"), params));

    writeText("text.json", "dvsWidth = 1280");
    EXPECT_FALSE(jsonFileToParam(file("text.json"), params));

    expectSameRecord(params, sampleRecord());
    ASSERT_EQ(m_errors.size(), 5u);
    EXPECT_NE(m_errors[0].find("No such file or directory"), std::string::npos) << m_errors[0];
    EXPECT_NE(m_errors[1].find("it is a folder"), std::string::npos) << m_errors[1];
    EXPECT_NE(m_errors[2].find("it is not a regular file"), std::string::npos) << m_errors[2];
    EXPECT_NE(m_errors[3].find("larger than 1 MiB"), std::string::npos) << m_errors[3];
    EXPECT_NE(m_errors[4].find("it is not JSON"), std::string::npos) << m_errors[4];
}

TEST_F(CalibrationJson, RecordsThatCouldNotBeReadBackAreNotWritten)
{
    writeText("calibration.json", kStoredBlock);
    auto refuse = [&](const CalibratorParameters& params, const std::string& reason) {
        m_errors.clear();
        EXPECT_FALSE(paramToJsonFile(params, file("calibration.json")));
        ASSERT_EQ(m_errors.size(), 1u);
        EXPECT_NE(m_errors[0].find(reason), std::string::npos) << m_errors[0];
    };
    CalibratorParameters params = sampleRecord();
    params.transforms["1"][2] = std::numeric_limits<double>::quiet_NaN();
    refuse(params, "not finite");
    params = sampleRecord();
    params.transforms["0"].resize(5);
    refuse(params, "the matrix \"0\" has fewer than six values");
    params = sampleRecord();
    params.transforms.erase("1");
    refuse(params, "the matrix \"1\" is missing");
    params = sampleRecord();
    params.apsWidth = 0;
    refuse(params, "\"apsWidth\" is 0");
    params = sampleRecord();
    params.extras = "[1]";
    refuse(params, "its extras are not a JSON object of at most 32 levels");

    EXPECT_EQ(readText(file("calibration.json")), kStoredBlock);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"calibration.json"});
}

TEST_F(CalibrationJson, PlacesThatCannotHoldTheFileAreRefused)
{
    const CalibratorParameters params = sampleRecord();
    EXPECT_FALSE(paramToJsonFile(params, file("missing/calibration.json")));
    EXPECT_FALSE(paramToJsonFile(params, m_dir.string()));
    ASSERT_EQ(m_errors.size(), 2u);
    EXPECT_NE(m_errors[0].find("no file can be created beside it"), std::string::npos) << m_errors[0];
    EXPECT_NE(m_errors[1].find("it is a folder"), std::string::npos) << m_errors[1];
}

TEST_F(CalibrationJson, AWriteThatFailsHalfwayLeavesTheOldFileWhole)
{
    writeText("calibration.json", kStoredBlock);
    // Writes beyond 64 bytes fail with EFBIG instead of ending the process.
    struct sigaction ignore = {};
    struct sigaction previousAction = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    rlimit previousLimit = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
    rlimit small = previousLimit;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = paramToJsonFile(sampleRecord(), file("calibration.json"));
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(readText(file("calibration.json")), kStoredBlock);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"calibration.json"});
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_NE(m_errors[0].find("File too large"), std::string::npos) << m_errors[0];
}

TEST_F(CalibrationJson, ReplacingAFileKeepsItsModeAndTheLinkToIt)
{
    writeText("calibration.json", std::string(5000, ' ') + kStoredBlock);
    ASSERT_EQ(::chmod(file("calibration.json").c_str(), 0640), 0);
    fs::create_symlink(file("calibration.json"), file("link.json"));

    ASSERT_TRUE(paramToJsonFile(sampleRecord(), file("link.json")));
    EXPECT_TRUE(fs::is_symlink(file("link.json")));
    EXPECT_EQ(fs::status(file("calibration.json")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    CalibratorParameters back;
    ASSERT_TRUE(jsonFileToParam(file("calibration.json"), back));
    expectSameRecord(back, sampleRecord());
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"calibration.json", "link.json"}));
}

} // namespace
} // namespace tarvo
