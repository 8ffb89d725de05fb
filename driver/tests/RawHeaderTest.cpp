#include "RawTestSupport.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoBase/TimeString.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoHal/Evt3Encoder.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace tarvo {
namespace {

using test::LogCapture;
using test::TempDir;

// A short valid payload: a few events at 5000 µs and 9000 µs.
std::vector<uint8_t> smallPayload()
{
    const std::vector<Event2D> events = {{1, 2, 1, 5000}, {3, 2, 0, 5000}, {7, 9, 1, 9000}};
    std::vector<uint8_t> payload = Evt3Encoder::encode(events);
    Evt3Encoder::addWord(0x8000 | 3, payload); // TIME_HIGH to 12288 µs
    return payload;
}

// Captures what is written to the standard error stream while it lives.
class StderrCapture
{
public:
    StderrCapture() : m_old(std::cerr.rdbuf(m_text.rdbuf())) {}
    ~StderrCapture() { std::cerr.rdbuf(m_old); }
    std::string text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf* m_old;
};

TEST(RawFileReaderFactory, PicksTheReaderByTheLastExtensionOnly)
{
    EXPECT_NE(DvsFileReader::createFileReader("a/b/rec.raw"), nullptr);
    EXPECT_NE(DvsFileReader::createFileReader("rec.2024.raw"), nullptr);
    EXPECT_EQ(DvsFileReader::createFileReader("rec.RAW"), nullptr);
    EXPECT_EQ(DvsFileReader::createFileReader("rec.mp4"), nullptr);
    EXPECT_EQ(DvsFileReader::createFileReader("rec"), nullptr);
    EXPECT_EQ(DvsFileReader::createFileReader("dir.raw/rec"), nullptr);
    EXPECT_EQ(DvsFileReader::createFileReader("rec.raw.bak"), nullptr);
}

class RawHeader : public ::testing::Test
{
protected:
    std::unique_ptr<RawFileReader> load(const std::string& header, bool expectLoaded = true)
    {
        test::writeFile(m_dir.file("h.raw"), header, smallPayload());
        auto reader = std::make_unique<RawFileReader>(m_dir.file("h.raw"));
        EXPECT_EQ(reader->loadFile(), expectLoaded) << header;
        return reader;
    }

    TempDir m_dir;
    LogCapture m_log;
};

TEST_F(RawHeader, LaterSizeLinesWinAndMissingLinesKeepDefaults)
{
    auto reader = load("% format EVT3;height=480;width=640\n% geometry 320x240\n");
    EXPECT_EQ(reader->getWidth(), 320);
    EXPECT_EQ(reader->getHeight(), 240);

    auto plain = load("% camera something\n");
    DvsFileInfo info;
    ASSERT_TRUE(plain->getFileInfo(info));
    EXPECT_EQ(info.width, 1280);
    EXPECT_EQ(info.height, 720);
    EXPECT_TRUE(info.serial_number.empty());
    EXPECT_EQ(info.dvs_start_timestamp, 0u);

    auto none = load("");
    EXPECT_EQ(none->getWidth(), 1280);
}

TEST_F(RawHeader, EndLineEndsTheHeaderOnlyWhenExact)
{
    // The first payload byte after "% end" is a TIME_HIGH low byte; with a trailing blank the
    // end line is an ordinary skipped line, and the header goes on.
    auto reader = load("% geometry 640x480\n% end\n");
    uint64_t events = 0;
    reader->getMaxEvents(events);
    EXPECT_EQ(events, 3u);
    EXPECT_EQ(reader->getWidth(), 640);

    auto blank = load("% end \n% geometry 320x240\n");
    EXPECT_EQ(blank->getWidth(), 320);
}

TEST_F(RawHeader, GeneratedHeaderReadsBackToTheSameInfo)
{
    DvsFileInfo written;
    written.width = 640;
    written.height = 480;
    written.serial_number = "SN 42-x";
    written.dvs_start_timestamp = 4000;
    written.aps_start_timestamp = 123456789012345ull;
    written.date = parseLocalTimeString("2024-03-05 06:07:08");
    auto reader = load(generateDvsFileHeader(written));
    DvsFileInfo read;
    ASSERT_TRUE(reader->getFileInfo(read));
    EXPECT_EQ(read.width, 640);
    EXPECT_EQ(read.height, 480);
    EXPECT_EQ(read.serial_number, "SN 42-x");
    EXPECT_EQ(read.dvs_start_timestamp, 4000u);
    EXPECT_EQ(read.aps_start_timestamp, 123456789012345ull);
    EXPECT_EQ(read.date, written.date);
    EXPECT_NE(read.date.time_since_epoch().count(), 0);
}

TEST_F(RawHeader, OtherFormatsAreRejectedOnStandardError)
{
    {
        StderrCapture err;
        load("% format EVT2;height=720;width=1280\n", false);
        EXPECT_EQ(err.text(), "Error : detected non-EVT3 input file ''\n");
    }
    {
        StderrCapture err;
        load("% evt 2.0\n", false);
        EXPECT_EQ(err.text(), "Error : detected non-EVT3 input file.''\n");
    }
    {
        StderrCapture err;
        load("% evt 3.0 \n", false);
        EXPECT_EQ(err.text(), "Error : detected non-EVT3 input file.''\n");
    }
}

TEST_F(RawHeader, NumbersThatAreNotDecimalFailTheLoadWithAMessage)
{
    for (const std::string header :
         {"% geometry 12ax40\n", "% geometry 1280\n", "% format EVT3;width=-5\n",
          "% format EVT3;height=99999\n", "% dvs_start_timestamp 1e9\n", "% aps_start_timestamp \n",
          "% dvs_start_timestamp 99999999999999999999\n"}) {
        m_log.messages.clear();
        load(header, false);
        EXPECT_FALSE(m_log.messages.empty()) << header;
    }
}

// Older recordings write "% Date"; a keyword is read whatever its case.
TEST_F(RawHeader, KeywordsAreReadWhateverTheirCase)
{
    auto reader =
        load("% Date 2020-09-25 07:48:29\n% EVT 3.0\n% Serial_Number 00000307\n% GEOMETRY 640x480\n");
    DvsFileInfo info;
    reader->getFileInfo(info);
    EXPECT_EQ(info.date, parseLocalTimeString("2020-09-25 07:48:29"));
    EXPECT_NE(info.date.time_since_epoch().count(), 0);
    EXPECT_EQ(info.serial_number, "00000307");
    EXPECT_EQ(info.width, 640);
}

TEST_F(RawHeader, UnreadableDateGivesTheZeroTimeAndLongDateIsCut)
{
    auto bad = load("% date yesterday\n");
    DvsFileInfo info;
    bad->getFileInfo(info);
    EXPECT_EQ(info.date.time_since_epoch().count(), 0);
    auto longDate = load("% date 2024-03-05 06:07:08.1234567891234567890\n");
    longDate->getFileInfo(info);
    EXPECT_EQ(timePointToString(info.date), "2024-03-05 06:07:08");
}

} // namespace
} // namespace tarvo
