// Hostile and unusual files: what the reader refuses, and that it never blocks or hangs.
#include "RawTestSupport.h"
#include "ReferenceEvt3Reader.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoHal/Evt3Encoder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

namespace tarvo {
namespace {

using test::LogCapture;
using test::SceneRecipe;
using test::TempDir;

std::vector<Event2D> readAllByCount(RawFileReader& reader)
{
    uint64_t max = 0;
    reader.getMaxEvents(max);
    std::vector<Event2D> all;
    while (all.size() < max) {
        auto batch = reader.getNEvents(10000);
        if (batch->empty()) {
            break;
        }
        all.insert(all.end(), batch->begin(), batch->end());
    }
    return all;
}

class RawSafety : public ::testing::Test
{
protected:
    TempDir m_dir;
    LogCapture m_log;
};

// Shorter than one bookmark period: the start bookmark is kept beside the final one.
TEST_F(RawSafety, RecordingShorterThanOneBookmarkStepReadsAllItsEvents)
{
    SceneRecipe recipe;
    recipe.durationUs = 900;
    const auto recording = test::writeSceneRecording(m_dir.file("short.raw"), recipe);
    ASSERT_FALSE(recording.events.empty());
    for (int opening = 0; opening < 2; ++opening) {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
        uint64_t start = 0, end = 0;
        reader.getStartTimeStamp(start);
        reader.getEndTimeStamp(end);
        EXPECT_EQ(start, recipe.startTime);
        EXPECT_EQ(end, recipe.startTime + recipe.durationUs);
        EXPECT_EQ(readAllByCount(reader), recording.events);
    }
}

TEST_F(RawSafety, OneMillisecondCutsReadBack)
{
    SceneRecipe recipe;
    recipe.durationUs = 50000;
    recipe.triggerHz = 3000;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    for (const uint64_t from : {recipe.startTime, recipe.startTime + 12345, recipe.startTime + 48999}) {
        const std::string out = m_dir.file("cut" + std::to_string(from) + ".raw");
        ASSERT_TRUE(reader.extractEventData(from, from + 1000, out)) << from;
        RawFileReader cut(out);
        ASSERT_TRUE(cut.loadFile()) << from;
        std::vector<Event2D> expected;
        for (const Event2D& e : recording.events) {
            if (e.timestamp >= from && e.timestamp < from + 1000) {
                expected.push_back(e);
            }
        }
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(readAllByCount(cut), expected) << from;
    }
}

TEST_F(RawSafety, StartTimesWithoutRoomForTheClockFailQuickly)
{
    const auto recording = test::writeSceneRecording(m_dir.file("scene.raw"), SceneRecipe{});
    DvsFileInfo info;
    info.dvs_start_timestamp = ~uint64_t{0};
    test::writeFile(m_dir.file("late.raw"), generateDvsFileHeader(info), recording.payload);
    RawFileReader reader(m_dir.file("late.raw"));
    EXPECT_FALSE(reader.loadFile());
    EXPECT_TRUE(m_log.contains(
        4, "The recording's start time 18446744073709551615 us leaves no room for its clock."));
}

// A FIFO would block an open for reading or writing until a peer appears.
TEST_F(RawSafety, SpecialFilesAsRecordingIndexOrOutputAreRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(m_dir.file("pipe.raw").c_str(), 0600), 0);
    RawFileReader pipe(m_dir.file("pipe.raw"));
    EXPECT_FALSE(pipe.loadFile());
    EXPECT_TRUE(
        m_log.contains(4, "'" + m_dir.file("pipe.raw") + "' cannot be read: it is not a regular file."));

    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    ASSERT_EQ(::mkfifo(m_dir.file("rec.vxmark.tmp").c_str(), 0600), 0);
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    EXPECT_TRUE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
    EXPECT_TRUE(std::filesystem::is_regular_file(m_dir.file("rec.vxmark.tmp")));

    ASSERT_EQ(::mkfifo(m_dir.file("out.raw").c_str(), 0600), 0);
    EXPECT_FALSE(reader.extractEventData(SceneRecipe{}.startTime, SceneRecipe{}.startTime + 5000,
                                         m_dir.file("out.raw")));
    EXPECT_TRUE(
        m_log.contains(4, "'" + m_dir.file("out.raw") + "' cannot be written: it is not a regular file."));
}

TEST_F(RawSafety, CutOntoItsOwnInputSaysWhy)
{
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    std::filesystem::create_hard_link(recording.path, m_dir.file("same.raw"));
    const auto before = test::readFile(recording.path);
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    EXPECT_FALSE(reader.extractEventData(SceneRecipe{}.startTime, SceneRecipe{}.startTime + 5000,
                                         m_dir.file("same.raw")));
    EXPECT_TRUE(m_log.contains(4, "Failed to open output file: " + m_dir.file("same.raw") + "."));
    EXPECT_TRUE(m_log.contains(4, "'" + m_dir.file("same.raw") +
                                      "' cannot be written: it is the recording being read."));
    EXPECT_EQ(test::readFile(recording.path), before);
}

// Pixel words before any row and vector words before any base: every opening reads them as a
// plain reading of the stream does, whatever the decoder saw before.
TEST_F(RawSafety, DamagedStartReadsTheSameOnEveryOpening)
{
    std::vector<uint8_t> payload;
    for (const uint16_t word :
         {0x8100, 0x6010, 0x2005, 0x2806, 0x4FFF, 0x5011, 0x0007, 0x2003, 0x3010, 0x4003}) {
        Evt3Encoder::addWord(word, payload);
    }
    std::vector<Event2D> later;
    for (uint64_t t = 1060000; t < 1080000; t += 7) {
        later.emplace_back(static_cast<uint16_t>(t % 1280), static_cast<uint16_t>(t % 720), 1, t);
    }
    Evt3Encoder encoder(1056784);
    encoder.addEvents(later.data(), later.data() + later.size(), payload);
    test::writeFile(m_dir.file("damaged.raw"), "% evt 3.0\n", payload);
    test::ReferenceEvt3Reader reference;
    reference.read(payload);

    RawFileReader first(m_dir.file("damaged.raw"));
    ASSERT_TRUE(first.loadFile());
    EXPECT_EQ(readAllByCount(first), reference.events);
    RawFileReader second(m_dir.file("damaged.raw"));
    ASSERT_TRUE(second.loadFile());
    EXPECT_EQ(readAllByCount(second), reference.events);
    ASSERT_TRUE(second.seekNEvents(0));
    EXPECT_EQ(readAllByCount(second), reference.events);
}

TEST_F(RawSafety, TextAndRandomBytesAreNotEventStreams)
{
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += "Line " + std::to_string(i) + ": nothing here is an event camera's output.\n";
    }
    test::writeFile(m_dir.file("notes.raw"), "", std::vector<uint8_t>(text.begin(), text.end()));
    RawFileReader notes(m_dir.file("notes.raw"));
    EXPECT_FALSE(notes.loadFile());
    EXPECT_TRUE(m_log.contains(
        4, "'" + m_dir.file("notes.raw") +
               "' does not hold an EVT 3.0 event stream: no TIME_HIGH word in its first MiB."));

    std::mt19937_64 random(4);
    std::vector<uint8_t> noise(64 * 1024);
    for (auto& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    for (const std::string header : {"", "% evt 3.0\n% dvs_start_timestamp 5000000\n% end\n"}) {
        test::writeFile(m_dir.file("noise.raw"), header, noise);
        RawFileReader reader(m_dir.file("noise.raw"));
        EXPECT_FALSE(reader.loadFile()) << header;
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("noise.vxmark.tmp")));
    }
    EXPECT_TRUE(
        m_log.contains(4, "'" + m_dir.file("noise.raw") +
                              "' does not hold an EVT 3.0 event stream: its times leap ahead by hours again "
                              "and again, as no camera's do."));
}

} // namespace
} // namespace tarvo
