#include "TarvoDriver/DataToVideoConverter.h"

#include "TarvoDriver/Mp4FileReader.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tarvo::test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::vector<uint8_t> bgrPicture(int width, int height, uint8_t value)
{
    return std::vector<uint8_t>(static_cast<size_t>(width) * height * 3, value);
}

class DataToVideoConverterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
        converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
        ASSERT_EQ(converter.initVideoConverter(), 0);
    }

    TempDir dir;
    DataToVideoConverter converter;
    std::vector<uint8_t> picture = bgrPicture(kWidth, kHeight, 112);
};

TEST_F(DataToVideoConverterTest, AutomaticTimesAdvanceOneThirtiethOfASecondAndEveryPictureIsAKeyFrame)
{
    ASSERT_EQ(converter.setOutputFile(dir.file("three.mp4")), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), 0);
    }
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);

    const VideoProbe probe = probeVideo(dir.file("three.mp4"));
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.codec, "h264");
    EXPECT_EQ(probe.width, kWidth);
    EXPECT_EQ(probe.height, kHeight);
    EXPECT_EQ(probe.pixelFormat, "yuv420p");
    EXPECT_EQ(probe.packetTimesUs, (std::vector<int64_t>{0, 33333, 66666}));
    EXPECT_EQ(probe.keyPackets, 3);
}

TEST_F(DataToVideoConverterTest, AutomaticTimesFollowAnExplicitOneWithoutRepeatingItPastThirtyTwoBits)
{
    ASSERT_EQ(converter.setOutputFile(dir.file("long.mp4")), 0);
    const int64_t fortyMinutes = 2400000000;
    EXPECT_EQ(converter.rgbToVideo(picture.data(), fortyMinutes), 0);
    EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), 0);
    EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), 0);
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
    EXPECT_EQ(probeVideo(dir.file("long.mp4")).packetTimesUs,
              (std::vector<int64_t>{fortyMinutes, fortyMinutes + 33333, fortyMinutes + 66666}));
}

TEST_F(DataToVideoConverterTest, AfterFlushASecondFileIsWrittenWithTheSameSettings)
{
    ASSERT_EQ(converter.setOutputFile(dir.file("first.mp4")), 0);
    converter.rgbToVideo(picture.data(), -1);
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
    ASSERT_EQ(converter.setOutputFile(dir.file("second.mp4")), 0);
    converter.rgbToVideo(picture.data(), 0);
    converter.rgbToVideo(picture.data(), 33333);
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
    const VideoProbe first = probeVideo(dir.file("first.mp4"));
    const VideoProbe second = probeVideo(dir.file("second.mp4"));
    EXPECT_EQ(first.packetTimesUs.size(), 1u);
    EXPECT_EQ(second.packetTimesUs, (std::vector<int64_t>{0, 33333}));
    EXPECT_EQ(second.width, first.width);
    EXPECT_EQ(second.codec, "h264");
}

TEST_F(DataToVideoConverterTest, EncodedPicturesDecodeBackToTheirPixels)
{
    // Grey background with a white and a black block, as the event renderer draws them.
    for (int y = 8; y < 24; ++y) {
        for (int x = 8; x < 24; ++x) {
            for (int c = 0; c < 3; ++c) {
                picture[(static_cast<size_t>(y) * kWidth + x) * 3 + c] = 255;
                picture[(static_cast<size_t>(y + 16) * kWidth + x + 24) * 3 + c] = 0;
            }
        }
    }
    ASSERT_EQ(converter.setOutputFile(dir.file("pattern.mp4")), 0);
    converter.rgbToVideo(picture.data(), -1);
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);

    Mp4FileReader reader(dir.file("pattern.mp4"));
    ASSERT_TRUE(reader.loadFile());
    ApsFrame frame(0, 0, 0, 0, nullptr, 0, false);
    ASSERT_TRUE(reader.getNFrame(0, frame));
    ASSERT_EQ(frame.getDataSize(), picture.size());
    double difference = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        difference += std::abs(static_cast<int>(frame.data()[i]) - static_cast<int>(picture[i]));
    }
    EXPECT_LT(difference / static_cast<double>(picture.size()), 6.0);
}

TEST(DataToVideoConverterSetup, ScalerFollowsAFrameSizeSetAfterTheFormats)
{
    TempDir dir;
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(720, 1280, 720, 1280);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    ASSERT_EQ(converter.setOutputFile(dir.file("hd.mp4")), 0);
    const std::vector<uint8_t> picture = bgrPicture(1280, 720, 40);
    EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), 0);
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
    const VideoProbe probe = probeVideo(dir.file("hd.mp4"));
    EXPECT_EQ(probe.width, 1280);
    EXPECT_EQ(probe.height, 720);
    EXPECT_EQ(probe.packetTimesUs.size(), 1u);
}

TEST(DataToVideoConverterSetup, ChoosesLibx264OnThisSystem)
{
    LogCapture log;
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    EXPECT_TRUE(log.contains(2, "Using encoder: libx264"));
}

TEST(DataToVideoConverterSetup, PicturesOfTheWrongFormatAreRefusedAndWriteNothing)
{
    TempDir dir;
    LogCapture log;
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_NV12, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    ASSERT_EQ(converter.setOutputFile(dir.file("nv12.mp4")), 0);
    const std::vector<uint8_t> picture = bgrPicture(kWidth, kHeight, 0);
    EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), -1);
    EXPECT_TRUE(log.contains(4, "Sws scale fmt is not AV_PIX_FMT_BGR24"));
    ASSERT_EQ(converter.flushAndCloseVideo(), 0);
    EXPECT_TRUE(probeVideo(dir.file("nv12.mp4")).packetTimesUs.empty());
}

TEST(DataToVideoConverterSetup, Nv12PicturesBecomeBgrInTheCallersBuffer)
{
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_NV12, AV_PIX_FMT_BGR24);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    // Mid luma with chroma pushed towards red.
    std::vector<uint8_t> nv12(static_cast<size_t>(kWidth) * kHeight * 3 / 2, 128);
    for (size_t i = static_cast<size_t>(kWidth) * kHeight; i < nv12.size(); i += 2) {
        nv12[i + 1] = 200; // V
    }
    std::vector<uint8_t> bgr(static_cast<size_t>(kWidth) * kHeight * 3, 0);
    EXPECT_EQ(converter.nv12ToRGB(nv12.data(), bgr.data()), 0);
    const size_t middle = (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 3;
    EXPECT_GT(bgr[middle + 2], bgr[middle]);     // red above blue
    EXPECT_GT(bgr[middle + 2], bgr[middle + 1]); // red above green
}

TEST(DataToVideoConverterSetup, JpegPicturesAreNamedByTheirNumber)
{
    TempDir dir;
    DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    EXPECT_EQ(converter.setJpegOutputPath(dir.path()), 0);
    const std::vector<uint8_t> picture = bgrPicture(kWidth, kHeight, 90);
    EXPECT_EQ(converter.rgbToJpeg(picture.data(), 42), 0);
    EXPECT_EQ(converter.rgbToJpeg(picture.data(), -7), 0);
    for (const char* name : {"42.jpg", "-7.jpg"}) {
        std::ifstream in(dir.file(name), std::ios::binary);
        ASSERT_TRUE(in) << name;
        unsigned char magic[2] = {};
        in.read(reinterpret_cast<char*>(magic), 2);
        EXPECT_EQ(magic[0], 0xFF);
        EXPECT_EQ(magic[1], 0xD8);
    }
    converter.setJpegOutputPath(dir.file("missing-folder"));
    LogCapture log;
    EXPECT_EQ(converter.rgbToJpeg(picture.data(), 1), -1);
    EXPECT_TRUE(log.contains(4, "Could not open output JPEG file."));
}

TEST(DataToVideoConverterSetup, MisuseAndUnwritableOutputsFailWithoutCrashing)
{
    TempDir dir;
    LogCapture log;
    DataToVideoConverter converter;
    EXPECT_EQ(converter.setOutputFile(dir.file("early.mp4")), -1);
    EXPECT_TRUE(log.contains(
        4, "setOutputFile: codec_ctx_ not initialized. Please call initVideoConverter() first."));
    EXPECT_EQ(converter.flushAndCloseVideo(), -1);
    EXPECT_TRUE(log.contains(4, "flushAndCloseVideo: Missing format or codec context."));

    converter.setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    ASSERT_EQ(converter.initVideoConverter(), 0);
    EXPECT_EQ(converter.setOutputFile(dir.file("no/such/folder/out.mp4")), -1);
    EXPECT_TRUE(log.contains(4, "Could not open output file: " + dir.file("no/such/folder/out.mp4")));
    const std::vector<uint8_t> picture = bgrPicture(kWidth, kHeight, 0);
    EXPECT_EQ(converter.rgbToVideo(picture.data(), -1), -1);
    EXPECT_EQ(converter.rgbToVideo(nullptr, -1), -1);
    EXPECT_EQ(converter.flushAndCloseVideo(), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("no/such/folder/out.mp4")));
}

} // namespace
} // namespace tarvo::test
