#include "TarvoDriver/Mp4FileReader.h"

#include "TarvoDriver/DataToVideoConverter.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tarvo::test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Writes pictures whose grey level tells them apart, at the given times (µs).
void writeVideo(const std::string& path, const std::vector<int64_t>& times)
{
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    ASSERT_EQ(converter.setOutputFile(path), 0);
    for (size_t i = 0; i < times.size(); ++i) {
        const std::vector<uint8_t> picture(static_cast<size_t>(kWidth) * kHeight * 3,
                                           static_cast<uint8_t>(40 + 80 * i));
        ASSERT_EQ(converter.rgbToVideo(picture.data(), times[i]), 0);
    }
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
}

int openFileCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

class Mp4FileReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeVideo(dir.file("three.mp4"), {0, 33333, 66666});
        reader = ApsFileReader::createFileReader(dir.file("three.mp4"));
        ASSERT_TRUE(reader);
        ASSERT_TRUE(reader->loadFile());
    }

    TempDir dir;
    std::unique_ptr<ApsFileReader> reader;
    ApsFrame frame{0, 0, 0, 0, nullptr, 0, false};
};

TEST_F(Mp4FileReaderTest, LoadingFindsTheExactTimeOfEveryFrameAndThePictureSize)
{
    std::vector<uint64_t> times;
    EXPECT_TRUE(reader->getTimeStamps(times));
    EXPECT_EQ(times, (std::vector<uint64_t>{0, 33333, 66666}));
    EXPECT_EQ(reader->getWidth(), kWidth);
    EXPECT_EQ(reader->getHeight(), kHeight);
}

TEST_F(Mp4FileReaderTest, LookupByTimeGivesTheLastFrameAtOrBeforeIt)
{
    ASSERT_TRUE(reader->getFrameGivenTimeStamp(50000, frame));
    EXPECT_EQ(frame.getStartTimestamp(), 33333u);
    EXPECT_EQ(frame.getEndTimestamp(), 33333u);
    EXPECT_EQ(frame.getDataSize(), static_cast<size_t>(kWidth) * kHeight * 3);
    EXPECT_NEAR(frame.data()[0], 120, 6);
    ASSERT_TRUE(reader->getFrameGivenTimeStamp(10, frame));
    EXPECT_EQ(frame.getStartTimestamp(), 0u);
    EXPECT_NEAR(frame.data()[0], 40, 6);
}

TEST_F(Mp4FileReaderTest, LookupByIndexStaysInsideTheFrameList)
{
    ASSERT_TRUE(reader->getNFrame(2, frame));
    EXPECT_EQ(frame.getStartTimestamp(), 66666u);
    EXPECT_FALSE(reader->getNFrame(3, frame));
    EXPECT_FALSE(reader->getNFrame(-1, frame));
}

TEST_F(Mp4FileReaderTest, SeekingNeedsALaterFrameAndLandsOnTheFrameBeforeIt)
{
    EXPECT_FALSE(reader->seekTime(66666));
    EXPECT_FALSE(reader->seekTime(1000000));
    ASSERT_TRUE(reader->seekTime(40000));
    ASSERT_TRUE(reader->getNextFrame(frame));
    EXPECT_EQ(frame.getStartTimestamp(), 33333u);
    ASSERT_TRUE(reader->getNextFrame(frame));
    EXPECT_EQ(frame.getStartTimestamp(), 66666u);
    EXPECT_FALSE(reader->getNextFrame(frame));
}

TEST(Mp4FileReaderFiles, ReadersAreMadeOnlyForLowerCaseMp4Paths)
{
    EXPECT_TRUE(ApsFileReader::createFileReader("/data/run.1.mp4"));
    EXPECT_FALSE(ApsFileReader::createFileReader("/data/run.MP4"));
    EXPECT_FALSE(ApsFileReader::createFileReader("/data/run.raw"));
    EXPECT_FALSE(ApsFileReader::createFileReader("/data/run"));
}

TEST(Mp4FileReaderFiles, AFileWithoutFramesAnswersEveryLookupWithFalse)
{
    TempDir dir;
    writeVideo(dir.file("empty.mp4"), {});
    Mp4FileReader reader(dir.file("empty.mp4"));
    reader.loadFile();
    std::vector<uint64_t> times{1};
    EXPECT_TRUE(reader.getTimeStamps(times));
    EXPECT_TRUE(times.empty());
    ApsFrame frame(0, 0, 0, 0, nullptr, 0, false);
    EXPECT_FALSE(reader.getFrameGivenTimeStamp(0, frame));
    EXPECT_FALSE(reader.getNFrame(0, frame));
    EXPECT_FALSE(reader.seekTime(0));
}

TEST(Mp4FileReaderFiles, BrokenFilesFailCleanly)
{
    TempDir dir;
    LogCapture log;
    ApsFrame frame(0, 0, 0, 0, nullptr, 0, false);

    EXPECT_FALSE(Mp4FileReader(dir.file("missing.mp4")).loadFile());

    std::ofstream(dir.file("text.mp4")) << "this is not a video at all\n";
    Mp4FileReader text(dir.file("text.mp4"));
    EXPECT_FALSE(text.loadFile());
    EXPECT_FALSE(text.getNextFrame(frame));
    EXPECT_FALSE(text.getFrameGivenTimeStamp(0, frame));

    ASSERT_TRUE(writeAudioOnlyMp4(dir.file("audio.mp4")));
    EXPECT_FALSE(Mp4FileReader(dir.file("audio.mp4")).loadFile());
    EXPECT_TRUE(log.contains(4, "No video stream found!"));

    writeVideo(dir.file("whole.mp4"), {0, 33333, 66666, 99999});
    const auto size = std::filesystem::file_size(dir.file("whole.mp4"));
    for (const auto keep : {size / 4, size / 2, size - 16}) {
        std::filesystem::copy_file(dir.file("whole.mp4"), dir.file("cut.mp4"),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(dir.file("cut.mp4"), keep);
        Mp4FileReader cut(dir.file("cut.mp4"));
        if (cut.loadFile()) {
            std::vector<uint64_t> times;
            cut.getTimeStamps(times);
            EXPECT_LE(times.size(), 4u);
            cut.getFrameGivenTimeStamp(50000, frame);
            cut.getNFrame(0, frame);
            cut.seekTime(0);
            while (cut.getNextFrame(frame)) {
            }
        }
    }
}

TEST(Mp4FileReaderFiles, DestroyingAReaderClosesItsFile)
{
    TempDir dir;
    writeVideo(dir.file("one.mp4"), {0});
    const int before = openFileCount();
    {
        auto reader = ApsFileReader::createFileReader(dir.file("one.mp4"));
        ASSERT_TRUE(reader->loadFile());
        EXPECT_GT(openFileCount(), before);
    }
    EXPECT_EQ(openFileCount(), before);
}

} // namespace
} // namespace tarvo::test
