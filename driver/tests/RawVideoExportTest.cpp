#include "FileReader/EventPicture.h"
#include "RawTestSupport.h"
#include "TarvoDriver/Mp4FileReader.h"
#include "TarvoDriver/RawFileReader.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace tarvo::test {
namespace {

constexpr uint64_t kStart = 1000000;
constexpr uint64_t kPeriod = 33333;

class RawVideoExport : public ::testing::Test
{
protected:
    void open(const SceneRecipe& recipe)
    {
        recording = writeSceneRecording(dir.file("scene.raw"), recipe);
        reader = std::make_unique<RawFileReader>(recording.path);
        ASSERT_TRUE(reader->loadFile());
    }

    TempDir dir;
    SceneRecording recording;
    std::unique_ptr<RawFileReader> reader;
};

TEST_F(RawVideoExport, OneSecondGivesThirtyOnePicturesAThirtiethOfASecondApart)
{
    SceneRecipe recipe;
    recipe.durationUs = 1200000;
    recipe.eventsPerSecond = 1e6;
    open(recipe);
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    reader->setExportProgressCallback(
        [&](uint64_t done, uint64_t total) { progress.emplace_back(done, total); });
    ASSERT_TRUE(reader->exportEventDataToVideo(kStart, kStart + 1000000, dir.file("second.mp4")));

    const VideoProbe probe = probeVideo(dir.file("second.mp4"));
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.codec, "h264");
    EXPECT_EQ(probe.width, 1280);
    EXPECT_EQ(probe.height, 720);
    EXPECT_EQ(probe.pixelFormat, "yuv420p");
    ASSERT_EQ(probe.packetTimesUs.size(), 31u);
    for (size_t i = 0; i < probe.packetTimesUs.size(); ++i) {
        EXPECT_EQ(probe.packetTimesUs[i], static_cast<int64_t>(i * kPeriod));
    }
    ASSERT_EQ(progress.size(), 31u);
    EXPECT_EQ(progress.front(), std::make_pair(kPeriod, uint64_t{1000000}));
    EXPECT_EQ(progress.back(), std::make_pair(uint64_t{1000000}, uint64_t{1000000}));
}

TEST_F(RawVideoExport, PeriodsWithoutEventsGiveNoPicture)
{
    SceneRecipe recipe;
    recipe.durationUs = 1200000;
    recipe.eventsPerSecond = 1e6;
    recipe.gapFrom = kStart + 300000;
    recipe.gapTo = kStart + 800000;
    open(recipe);
    ASSERT_TRUE(reader->exportEventDataToVideo(kStart, kStart + 1000000, dir.file("pause.mp4")));
    const size_t pictures = probeVideo(dir.file("pause.mp4")).packetTimesUs.size();
    EXPECT_GE(pictures, 31u - 16u);
    EXPECT_LE(pictures, 31u - 14u);
}

TEST_F(RawVideoExport, PicturesShowTheEventsOfTheirWindow)
{
    SceneRecipe recipe;
    recipe.durationUs = 200000;
    recipe.eventsPerSecond = 2e6;
    open(recipe);
    ASSERT_TRUE(reader->exportEventDataToVideo(kStart, kStart + 4 * kPeriod, dir.file("pixels.mp4")));

    Mp4FileReader video(dir.file("pixels.mp4"));
    ASSERT_TRUE(video.loadFile());
    RawFileReader source(recording.path);
    ASSERT_TRUE(source.loadFile());
    for (int k = 0; k < 4; ++k) {
        ApsFrame frame(0, 0, 0, 0, nullptr, 0, false);
        ASSERT_TRUE(video.getNFrame(k, frame));
        const auto batch = source.getNTimeEventsGivenStartTimeStamp(kStart + k * kPeriod, kPeriod);
        std::vector<uint8_t> expected;
        eventsToRgbData(batch.get(), 1280, 720, expected);
        ASSERT_EQ(frame.getDataSize(), expected.size());
        // The codec is lossy: compare the level of every event pixel and the overall error.
        size_t wrongEventPixels = 0;
        for (const Event2D& e : *batch) {
            const size_t at = (static_cast<size_t>(e.y) * 1280 + e.x) * 3;
            wrongEventPixels += std::abs(frame.data()[at] - expected[at]) > 60 ? 1 : 0;
        }
        double error = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            error += std::abs(static_cast<int>(frame.data()[i]) - static_cast<int>(expected[i]));
        }
        EXPECT_LT(static_cast<double>(wrongEventPixels), 0.05 * static_cast<double>(batch->size()))
            << "picture " << k;
        EXPECT_LT(error / static_cast<double>(expected.size()), 3.0) << "picture " << k;
    }
}

TEST_F(RawVideoExport, EmptyOrOutsideRangesAndUnwritablePathsFail)
{
    SceneRecipe recipe;
    recipe.durationUs = 100000;
    open(recipe);
    LogCapture log;
    EXPECT_FALSE(reader->exportEventDataToVideo(kStart + 1000, kStart + 1000, dir.file("empty.mp4")));
    EXPECT_TRUE(log.contains(4, "There is no data in the interval."));
    EXPECT_FALSE(reader->exportEventDataToVideo(kStart + 500000, kStart + 600000, dir.file("outside.mp4")));
    EXPECT_TRUE(log.contains(4, "No start timestamp found."));
    EXPECT_FALSE(reader->exportEventDataToVideo(kStart, kStart + 50000, dir.file("missing/folder/out.mp4")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.mp4")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("outside.mp4")));
    // The reader is still usable afterwards.
    EXPECT_TRUE(reader->exportEventDataToVideo(kStart, kStart + 50000, dir.file("after.mp4")));
    EXPECT_EQ(probeVideo(dir.file("after.mp4")).packetTimesUs.size(), 2u);
}

// The recording itself, under any of its names, is never an output: it stays as it was.
TEST_F(RawVideoExport, ExportRefusesItsOwnInputUnderAnyName)
{
    SceneRecipe recipe;
    recipe.durationUs = 100000;
    open(recipe);
    const std::string input = recording.path;
    const auto before = readFile(input);
    std::filesystem::create_symlink(input, dir.file("link.raw"));
    std::filesystem::create_hard_link(input, dir.file("hard.raw"));
    LogCapture log;
    for (const std::string& name :
         {input, dir.path() + "/./scene.raw", dir.file("link.raw"), dir.file("hard.raw")}) {
        EXPECT_FALSE(reader->exportEventDataToVideo(kStart, kStart + 50000, name)) << name;
        EXPECT_EQ(readFile(input), before) << name;
    }
    EXPECT_TRUE(
        log.contains(4, "'" + dir.file("hard.raw") + "' cannot be written: it is the recording being read."));
}

TEST_F(RawVideoExport, RangeWithoutEventsFailsAndWritesNothing)
{
    SceneRecipe recipe;
    recipe.durationUs = 600000;
    recipe.gapFrom = kStart + 100000;
    recipe.gapTo = kStart + 500000;
    open(recipe);
    LogCapture log;
    EXPECT_FALSE(reader->exportEventDataToVideo(kStart + 200000, kStart + 300000, dir.file("gap.mp4")));
    EXPECT_TRUE(log.contains(4, "There is no data in the interval."));
    EXPECT_FALSE(std::filesystem::exists(dir.file("gap.mp4")));
}

// A name with a colon is a file name, not an FFmpeg protocol; a range far past the end ends
// at the end of the recording and does not walk the empty time after it.
TEST_F(RawVideoExport, ColonNamesAreFilesAndRangesPastTheEndStopAtIt)
{
    SceneRecipe recipe;
    recipe.durationUs = 100000;
    open(recipe);
    const std::string named = dir.file("12:30.mp4");
    ASSERT_TRUE(reader->exportEventDataToVideo(kStart, ~uint64_t{0}, named));
    EXPECT_EQ(probeVideo(named).packetTimesUs.size(), 4u);
}

TEST_F(RawVideoExport, SpecialFilesAreRefusedWithoutBlocking)
{
    SceneRecipe recipe;
    recipe.durationUs = 100000;
    open(recipe);
    ASSERT_EQ(::mkfifo(dir.file("pipe.mp4").c_str(), 0600), 0);
    LogCapture log;
    EXPECT_FALSE(reader->exportEventDataToVideo(kStart, kStart + 50000, dir.file("pipe.mp4")));
    EXPECT_TRUE(
        log.contains(4, "'" + dir.file("pipe.mp4") + "' cannot be written: it is not a regular file."));
}

TEST(EventPicture, DrawsEventsOverGreyAndSkipsThoseOutsideTheSensor)
{
    std::vector<uint8_t> picture(10, 7);
    const std::vector<Event2D> none;
    eventsToRgbData(&none, 1280, 720, picture);
    eventsToRgbData(nullptr, 1280, 720, picture);
    EXPECT_EQ(picture, std::vector<uint8_t>(10, 7));

    const std::vector<Event2D> batch = {{10, 20, 1, 5}, {3, 4, 0, 5},    {3, 4, 1, 6},
                                        {5, 5, 0, 7},   {1280, 0, 1, 8}, {0, 720, 1, 8}};
    eventsToRgbData(&batch, 1280, 720, picture);
    ASSERT_EQ(picture.size(), 1280u * 720u * 3u);
    std::vector<uint8_t> expected(picture.size(), 112);
    std::fill_n(expected.begin() + (20 * 1280 + 10) * 3, 3, 255);
    std::fill_n(expected.begin() + (4 * 1280 + 3) * 3, 3, 255);
    std::fill_n(expected.begin() + (5 * 1280 + 5) * 3, 3, 0);
    EXPECT_EQ(picture, expected);
}

} // namespace
} // namespace tarvo::test
