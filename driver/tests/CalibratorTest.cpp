#include "TarvoDriver/Calibrator.h"

#include "DriverTestSupport.h"
#include "SimDevice.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvo {
namespace {

// A frame whose every pixel names its own column and row: 12 bits each of x + 1 and y + 1, so
// that no pixel of it is all zero and an untouched output pixel stands out.
ApsFrame codedFrame(uint32_t width, uint32_t height)
{
    ApsFrame frame(width, height, 11, 22);
    uint8_t* pixel = frame.data();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x, pixel += 3) {
            const uint32_t code = ((y + 1) << 12) | (x + 1);
            pixel[0] = uint8_t(code);
            pixel[1] = uint8_t(code >> 8);
            pixel[2] = uint8_t(code >> 16);
        }
    }
    return frame;
}

struct Sample
{
    int x;
    int y;
    bool operator==(const Sample& other) const { return x == other.x && y == other.y; }
};

std::ostream& operator<<(std::ostream& out, const Sample& s)
{
    return out << "(" << s.x << ", " << s.y << ")";
}

// The frame pixel an output pixel was taken from; (-1, -1) for an untouched one.
Sample sampleAt(const ApsFrame& out, uint32_t x, uint32_t y)
{
    const uint8_t* pixel = out.data() + (size_t(y) * out.getWidth() + x) * 3;
    const uint32_t code = pixel[0] | (pixel[1] << 8) | (pixel[2] << 16);
    return {int(code & 0xFFF) - 1, int(code >> 12) - 1};
}

// The mapping evaluated directly at every pixel, as the reference for the fast paths.
std::vector<uint8_t> mapDirectly(const std::vector<double>& m, double offsetX, double offsetY,
                                 uint32_t outWidth, uint32_t outHeight, const ApsFrame& frame)
{
    std::vector<uint8_t> out(size_t(outWidth) * outHeight * 3, 0);
    for (uint32_t y = 0; y < outHeight; ++y) {
        for (uint32_t x = 0; x < outWidth; ++x) {
            const double xv = x * m[0] + y * m[1] + m[2] + offsetX;
            const double yv = x * m[3] + y * m[4] + m[5] + offsetY;
            if (xv > -1.0 && xv < frame.getWidth() && yv > -1.0 && yv < frame.getHeight()) {
                const size_t from = (size_t(int(yv)) * frame.getWidth() + size_t(int(xv))) * 3;
                std::copy_n(frame.data() + from, 3, out.data() + (size_t(y) * outWidth + x) * 3);
            }
        }
    }
    return out;
}

CalibratorParameters recordWith(const std::vector<double>& dvsToAps, uint16_t dvsWidth = 1280,
                                uint16_t dvsHeight = 720)
{
    CalibratorParameters params;
    params.dvsWidth = dvsWidth;
    params.dvsHeight = dvsHeight;
    params.transforms["1"] = dvsToAps;
    params.transforms["0"] = {1, 0, 0, 0, 1, 0};
    Calibrator::computeInverseAffine(dvsToAps.data(), params.transforms["0"].data());
    return params;
}

class CalibratorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_frame = new ApsFrame(codedFrame(3840, 2160)); }
    static void TearDownTestSuite() { delete s_frame; }

    static ApsFrame* s_frame;
    Calibrator calibrator;
    test::LogCapture log;
};

ApsFrame* CalibratorTest::s_frame = nullptr;

TEST_F(CalibratorTest, DefaultsCentreTheTwoSensorsOnEachOther)
{
    const std::vector<double> dvsToAps = calibrator.getDvsToAps();
    const std::vector<double> apsToDvs = calibrator.getApsToDvs();
    const std::vector<double> expectedDvsToAps = {
        3.351724137931035, 0, -225.10344827586232, 0, 3.351724137931035, -126.62068965517255};
    const std::vector<double> expectedApsToDvs = {
        0.29835390946502055, 0, 67.16049382716051, 0, 0.29835390946502055, 37.77777777777783};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(dvsToAps[i], expectedDvsToAps[i]) << i;
        EXPECT_DOUBLE_EQ(apsToDvs[i], expectedApsToDvs[i]) << i;
    }
    const CalibratorParameters params = calibrator.getCalibrationParam();
    EXPECT_EQ(params.dvsWidth, 1280);
    EXPECT_EQ(params.dvsHeight, 720);
    EXPECT_EQ(params.apsWidth, 3840);
    EXPECT_EQ(params.apsHeight, 2160);
    EXPECT_TRUE(params.transforms.empty());

    std::vector<double> inverse(6, 0);
    Calibrator::computeInverseAffine(dvsToAps.data(), inverse.data());
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(inverse[i], apsToDvs[i], 1e-12) << i;
    }
}

TEST_F(CalibratorTest, DefaultMappingSamplesTheCentreAndLeavesTheCornerUntouched)
{
    const ApsFrame out = calibrator.mapApsToDvs(*s_frame);
    ASSERT_EQ(out.getWidth(), 1280u);
    ASSERT_EQ(out.getHeight(), 720u);
    EXPECT_EQ(out.getStartTimestamp(), 11u);
    EXPECT_EQ(out.getEndTimestamp(), 22u);
    EXPECT_NE(out.data(), s_frame->data());
    EXPECT_EQ(sampleAt(out, 640, 360), (Sample{1920, 1080}));
    EXPECT_EQ(sampleAt(out, 0, 0), (Sample{-1, -1}));
    EXPECT_EQ(sampleAt(out, 1279, 719), (Sample{-1, -1})); // (4061, 2283) lies beyond the frame
}

TEST_F(CalibratorTest, FastMappingEqualsTheDirectFormulaAtEveryPixel)
{
    auto expectDirect = [&](const char* what, double offsetX, double offsetY) {
        SCOPED_TRACE(what);
        calibrator.adjustAffineTranslation(offsetX, offsetY);
        const CalibratorParameters params = calibrator.getCalibrationParam();
        const ApsFrame out = calibrator.mapApsToDvs(*s_frame);
        const std::vector<uint8_t> direct = mapDirectly(calibrator.getDvsToAps(), offsetX, offsetY,
                                                        params.dvsWidth, params.dvsHeight, *s_frame);
        ASSERT_EQ(out.getDataSize(), direct.size());
        EXPECT_EQ(std::memcmp(out.data(), direct.data(), direct.size()), 0);
    };
    expectDirect("default", 0, 0);
    expectDirect("default with offsets", 10.25, -5.5);

    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> scale(0.5, 4.0);
    std::uniform_real_distribution<double> shear(-0.3, 0.3);
    std::uniform_real_distribution<double> shift(-400, 400);
    for (int round = 0; round < 6; ++round) {
        // Half of them scale and shift only, the others rotate and shear as well.
        const bool separable = round % 2 == 0;
        const std::vector<double> m = {scale(random), separable ? 0 : shear(random),
                                       shift(random), separable ? 0 : shear(random),
                                       scale(random), shift(random)};
        ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith(m, 640, 360)));
        expectDirect(separable ? "random scale and shift" : "random affine", shift(random) / 7,
                     shift(random) / 7);
    }
    // Whole frame pixels per event pixel: truncation meets exact integers at every step.
    ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith({3, 0, -1, 0, 3, -1})));
    expectDirect("integral", 0, 0);
}

TEST_F(CalibratorTest, ValuesJustBelowZeroTruncateToTheFirstColumnAndRow)
{
    ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith({1, 0, -0.5, 0, 1, -0.999}, 4, 4)));
    ApsFrame out = calibrator.mapApsToDvs(*s_frame);
    EXPECT_EQ(sampleAt(out, 0, 0), (Sample{0, 0}));
    EXPECT_EQ(sampleAt(out, 1, 1), (Sample{0, 0}));
    EXPECT_EQ(sampleAt(out, 2, 3), (Sample{1, 2}));

    ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith({1, 0, -1, 0, 1, 0}, 4, 4)));
    out = calibrator.mapApsToDvs(*s_frame);
    EXPECT_EQ(sampleAt(out, 0, 0), (Sample{-1, -1}));
    EXPECT_EQ(sampleAt(out, 1, 0), (Sample{0, 0}));
}

TEST_F(CalibratorTest, OffsetsMoveEverySampleUntilASaveFoldsThemIn)
{
    const ApsFrame before = calibrator.mapApsToDvs(*s_frame);
    calibrator.adjustAffineTranslation(10, -5);
    calibrator.adjustAffineTranslation(10, -5); // replaces, does not add
    const ApsFrame moved = calibrator.mapApsToDvs(*s_frame);
    for (const auto& [x, y] : {std::pair{640u, 360u}, std::pair{100u, 600u}, std::pair{1200u, 50u}}) {
        const Sample was = sampleAt(before, x, y);
        EXPECT_EQ(sampleAt(moved, x, y), (Sample{was.x + 10, was.y - 5})) << x << ", " << y;
    }

    test::TempDir dir;
    const std::string path = dir.file("calibration.json");
    ASSERT_TRUE(calibrator.saveCalibrationParam(path));
    EXPECT_EQ(calibrator.getOffsetX(), 0);
    EXPECT_EQ(calibrator.getOffsetY(), 0);
    const ApsFrame after = calibrator.mapApsToDvs(*s_frame);
    EXPECT_EQ(std::memcmp(after.data(), moved.data(), moved.getDataSize()), 0);

    CalibratorParameters saved;
    ASSERT_TRUE(jsonFileToParam(path, saved));
    EXPECT_DOUBLE_EQ(saved.transforms["1"][2], -225.10344827586232 + 10);
    EXPECT_DOUBLE_EQ(saved.transforms["1"][5], -126.62068965517255 - 5);
    std::vector<double> inverse(6, 0);
    Calibrator::computeInverseAffine(saved.transforms["1"].data(), inverse.data());
    EXPECT_EQ(saved.transforms["0"], inverse);
    EXPECT_EQ(calibrator.getCalibrationParam().transforms, saved.transforms);

    // Loaded into a fresh calibrator, the saved file gives the same picture.
    Calibrator reloaded;
    ASSERT_TRUE(reloaded.loadCalibrationParam(saved));
    const ApsFrame again = reloaded.mapApsToDvs(*s_frame);
    EXPECT_EQ(std::memcmp(again.data(), moved.data(), moved.getDataSize()), 0);
}

TEST_F(CalibratorTest, AFailedSaveIsReportedAndKeepsThePictureWhereItIs)
{
    calibrator.adjustAffineTranslation(4, 4);
    const ApsFrame moved = calibrator.mapApsToDvs(*s_frame);
    test::TempDir dir;
    EXPECT_FALSE(calibrator.saveCalibrationParam(dir.file("missing/calibration.json")));
    EXPECT_TRUE(log.contains(4, "The calibration could not be saved to " +
                                    dir.file("missing/calibration.json") + "."));
    const ApsFrame after = calibrator.mapApsToDvs(*s_frame);
    EXPECT_EQ(std::memcmp(after.data(), moved.data(), moved.getDataSize()), 0);
}

TEST_F(CalibratorTest, OffsetsThatAreNotFiniteAreIgnored)
{
    calibrator.adjustAffineTranslation(3, 4);
    calibrator.adjustAffineTranslation(std::nan(""), 1);
    calibrator.adjustAffineTranslation(1, INFINITY);
    EXPECT_EQ(calibrator.getOffsetX(), 3);
    EXPECT_EQ(calibrator.getOffsetY(), 4);
}

TEST_F(CalibratorTest, InverseOfANearlySingularMatrixLeavesTheDestination)
{
    const double src[6] = {1e-7, 0, 5, 0, 1e-6, 7};
    double dst[6] = {1, 2, 3, 4, 5, 6};
    Calibrator::computeInverseAffine(src, dst);
    EXPECT_EQ(std::vector<double>(dst, dst + 6), (std::vector<double>{1, 2, 3, 4, 5, 6}));

    const double rotation[6] = {0, -2, 10, 2, 0, 20};
    Calibrator::computeInverseAffine(rotation, dst);
    // Mapping (3, 4) there and back.
    const double x = 0 * 3 - 2 * 4 + 10;
    const double y = 2 * 3 + 0 * 4 + 20;
    EXPECT_DOUBLE_EQ(dst[0] * x + dst[1] * y + dst[2], 3);
    EXPECT_DOUBLE_EQ(dst[3] * x + dst[4] * y + dst[5], 4);
}

TEST_F(CalibratorTest, EventsMoveIntoTheFrameGridKeepingTheLow16Bits)
{
    std::vector<Event2D> events = {Event2D(0, 0, 1, 5), Event2D(640, 360, 0, 6), Event2D(1279, 719, 1, 7)};
    calibrator.adjustAffineTranslation(100, 100); // not applied to events
    calibrator.mapDvsToAps(events.data(), events.data() + events.size());
    EXPECT_EQ(events[0], Event2D(65311, 65410, 1, 5)); // (-225, -126)
    EXPECT_EQ(events[1], Event2D(1920, 1080, 0, 6));
    EXPECT_EQ(events[2], Event2D(4061, 2283, 1, 7));

    // Far beyond 32 bits, a coordinate saturates instead of being undefined.
    ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith({1e12, 0, 0, 0, -1e12, 0})));
    std::vector<Event2D> far = {Event2D(3, 3, 1, 0)};
    calibrator.mapDvsToAps(far.data(), far.data() + 1);
    EXPECT_EQ(far[0].x, 0xFFFF);
    EXPECT_EQ(far[0].y, 0);
}

TEST_F(CalibratorTest, FramesOfAnotherSizeAreSampledOnlyInsideThemselves)
{
    // Smaller than the calibration says: only its own pixels are read.
    const ApsFrame small = codedFrame(1920, 1080);
    ApsFrame out = calibrator.mapApsToDvs(small);
    EXPECT_EQ(sampleAt(out, 400, 300), (Sample{1115, 878}));
    EXPECT_EQ(sampleAt(out, 640, 360), (Sample{-1, -1}));
    EXPECT_TRUE(log.contains(3,
                             "A frame of 1920x1080 does not match the calibration's frame size; only pixels "
                             "inside the frame are sampled."));

    // Wider: its own row length is the stride.
    const ApsFrame wide = codedFrame(4000, 2160);
    out = calibrator.mapApsToDvs(wide);
    EXPECT_EQ(sampleAt(out, 640, 360), (Sample{1920, 1080}));

    // Fewer bytes than its size claims: the rows it lacks are not read.
    std::vector<uint8_t> bytes(size_t(3840) * 1000 * 3, 7);
    const ApsFrame shortFrame(3840, 2160, 0, 0, bytes.data(), bytes.size(), false);
    out = calibrator.mapApsToDvs(shortFrame);
    EXPECT_EQ(out.data()[(size_t(200) * 1280 + 640) * 3], 7);
    EXPECT_EQ(out.data()[(size_t(500) * 1280 + 640) * 3], 0);

    for (const ApsFrame& empty :
         {ApsFrame(0, 0, 0, 0), ApsFrame(3840, 2160, 0, 0, nullptr, 0, false), ApsFrame(3840, 0, 0, 0)}) {
        out = calibrator.mapApsToDvs(empty);
        EXPECT_EQ(out.getDataSize(), size_t(1280) * 720 * 3);
        EXPECT_TRUE(
            std::all_of(out.data(), out.data() + out.getDataSize(), [](uint8_t b) { return b == 0; }));
    }
}

TEST_F(CalibratorTest, LoadingTakesTheSizesAndMatricesOfTheRecord)
{
    CalibratorParameters params = recordWith({2, 0, 1, 0, 2, 3}, 320, 240);
    params.apsWidth = 1000;
    params.apsHeight = 800;
    params.transforms["1"].push_back(99); // values beyond the six are not used
    calibrator.adjustAffineTranslation(5, 5);
    ASSERT_TRUE(calibrator.loadCalibrationParam(params));
    EXPECT_EQ(calibrator.getDvsToAps(), (std::vector<double>{2, 0, 1, 0, 2, 3}));
    EXPECT_EQ(calibrator.getApsToDvs(), (std::vector<double>{0.5, 0, -0.5, 0, 0.5, -1.5}));
    EXPECT_EQ(calibrator.getOffsetX(), 0);
    EXPECT_EQ(calibrator.getCalibrationParam().apsWidth, 1000);
    const ApsFrame out = calibrator.mapApsToDvs(*s_frame);
    EXPECT_EQ(out.getWidth(), 320u);
    EXPECT_EQ(out.getHeight(), 240u);
    EXPECT_EQ(sampleAt(out, 10, 20), (Sample{21, 43}));
}

TEST_F(CalibratorTest, RecordsWithoutUsableMatricesAreRefusedAndTheOldOneStays)
{
    const std::vector<double> m = {2, 0, 1, 0, 2, 3};
    ASSERT_TRUE(calibrator.loadCalibrationParam(recordWith(m)));
    calibrator.adjustAffineTranslation(1, 2);

    std::vector<std::pair<CalibratorParameters, std::string>> refused;
    CalibratorParameters params = recordWith(m);
    params.transforms.erase("1");
    refused.emplace_back(params, "the matrices \"0\" and \"1\" need six values each");
    params = recordWith(m);
    params.transforms["0"].resize(5);
    refused.emplace_back(params, "the matrices \"0\" and \"1\" need six values each");
    params = recordWith(m);
    params.transforms["1"][4] = std::nan("");
    refused.emplace_back(params, "a matrix value is not finite");
    params = recordWith({1e-7, 0, 0, 0, 1e-6, 0});
    refused.emplace_back(params, "the matrix \"1\" cannot be inverted");
    params = recordWith(m);
    params.dvsHeight = 0;
    refused.emplace_back(params, "a sensor size is 0");

    for (const auto& [record, reason] : refused) {
        EXPECT_FALSE(calibrator.loadCalibrationParam(record)) << reason;
        EXPECT_TRUE(log.contains(3, "Calibration refused (" + reason + "); the previous one stays in force."))
            << reason;
    }
    EXPECT_EQ(calibrator.getDvsToAps(), m);
    EXPECT_EQ(calibrator.getCalibrationParam().dvsHeight, 720);
    EXPECT_EQ(calibrator.getOffsetX(), 1);
    EXPECT_EQ(calibrator.getOffsetY(), 2);
}

TEST_F(CalibratorTest, TheSimulatedFusionCamerasStoredBlockGivesTheDefaultCalibration)
{
    sim::DeviceConfig config = sim::SimBus::defaultDevices()[2];
    ASSERT_EQ(config.kind, sim::DeviceKind::FusionCamera);
    config.serial = "DUET-CALIBRATOR-TEST";
    const auto device = sim::SimBus::instance().attach(config);
    const auto interface = UsbInterface::createUsbFusionInterface(device->description());
    ASSERT_TRUE(interface);
    std::vector<uint8_t> block;
    const bool read = interface->readCalibration(block);
    sim::SimBus::instance().detach(config.serial);
    ASSERT_TRUE(read);

    CalibratorParameters params;
    ASSERT_TRUE(jsonDataToParam(block, params));
    Calibrator fromCamera;
    ASSERT_TRUE(fromCamera.loadCalibrationParam(params));
    EXPECT_EQ(fromCamera.getDvsToAps(), calibrator.getDvsToAps());
    const std::vector<double> apsToDvs = fromCamera.getApsToDvs();
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(apsToDvs[i], calibrator.getApsToDvs()[i]) << i;
    }
    const ApsFrame out = fromCamera.mapApsToDvs(*s_frame);
    EXPECT_EQ(sampleAt(out, 640, 360), (Sample{1920, 1080}));
}

} // namespace
} // namespace tarvo
