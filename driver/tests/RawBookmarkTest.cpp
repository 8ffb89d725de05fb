#include "RawTestSupport.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoDriver/RawFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

namespace tarvo {
namespace {

using test::BookmarkRecord;
using test::LogCapture;
using test::SceneRecipe;
using test::TempDir;

std::vector<BookmarkRecord> loadAndReadIndex(const std::string& path)
{
    RawFileReader reader(path);
    EXPECT_TRUE(reader.loadFile());
    return test::parseBookmarkFile(test::readFile(test::markPathOf(path)));
}

void expectSameAsReference(const std::string& path, uint64_t dvsStart)
{
    SCOPED_TRACE(path);
    const auto file = test::readFile(path);
    test::expectIndexMatchesWordScan(file, test::headerLength(file), dvsStart, loadAndReadIndex(path));
}

TEST(RawBookmarkCrc, IsCrc8Smbus)
{
    const std::string digits = "123456789";
    EXPECT_EQ(RawFileReader::crc8(std::vector<uint8_t>(digits.begin(), digits.end())), 0xF4);
    EXPECT_EQ(RawFileReader::crc8({}), 0);

    std::mt19937_64 random(2);
    for (int i = 0; i < 50; ++i) {
        std::vector<uint8_t> bytes(random() % 300);
        uint8_t bitwise = 0;
        for (auto& byte : bytes) {
            byte = static_cast<uint8_t>(random());
            bitwise ^= byte;
            for (int bit = 0; bit < 8; ++bit) {
                bitwise = (bitwise & 0x80) ? static_cast<uint8_t>((bitwise << 1) ^ 0x07)
                                           : static_cast<uint8_t>(bitwise << 1);
            }
        }
        EXPECT_EQ(RawFileReader::crc8(bytes), bitwise);
    }
}

class RawBookmarks : public ::testing::Test
{
protected:
    TempDir m_dir;
    LogCapture m_log;
};

TEST_F(RawBookmarks, FileLayoutHoldsSizeResolutionRecordsAndChecksum)
{
    SceneRecipe recipe;
    recipe.durationUs = 10000;
    recipe.width = 640;
    recipe.height = 480;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
    const auto records = loadAndReadIndex(recording.path);
    const auto bytes = test::readFile(m_dir.file("rec.vxmark.tmp"));

    const std::string text = "max_byte:" + std::to_string(std::filesystem::file_size(recording.path)) +
                             "\nsensor_width:640\nsensor_height:480\n";
    ASSERT_GT(bytes.size(), text.size());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<long>(text.size())), text);
    EXPECT_EQ(bytes[text.size()], 0);
    EXPECT_EQ(RawFileReader::crc8(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)), bytes.back());

    // About one bookmark per 2 ms over 10 ms, plus the one at the end of the payload.
    ASSERT_GE(records.size(), 5u);
    ASSERT_LE(records.size(), 7u);
    EXPECT_EQ(records.front().bytePos, recording.payloadStart);
    EXPECT_EQ(records.front().key, recipe.startTime);
    EXPECT_EQ(records.back().bytePos, recording.payloadStart + recording.payload.size());
    EXPECT_EQ(records.back().eventCount, recording.events.size());
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_GE(records[i].key, records[i - 1].key + RawFileReader::bookmark_period_us);
        // Events before a bookmark are exactly those earlier than its time: the encoder moves
        // the time before the events of that time.
        size_t before = 0;
        while (before < recording.events.size() &&
               recording.events[before].timestamp < records[i].timestamp) {
            ++before;
        }
        if (i + 1 < records.size()) {
            EXPECT_EQ(records[i].eventCount, before) << i;
        }
    }
}

TEST_F(RawBookmarks, AgreeWithAWordByWordScanOnVariedRecordings)
{
    SceneRecipe dense;
    dense.durationUs = 60000;
    dense.eventsPerSecond = 8e6;
    dense.triggerHz = 500;
    expectSameAsReference(test::writeSceneRecording(m_dir.file("dense.raw"), dense).path, dense.startTime);

    SceneRecipe gap;
    gap.durationUs = 1500000;
    gap.eventsPerSecond = 2e5;
    gap.gapFrom = 1100000;
    gap.gapTo = 2100000;
    expectSameAsReference(test::writeSceneRecording(m_dir.file("gap.raw"), gap).path, gap.startTime);

    SceneRecipe zeroStart;
    zeroStart.headerStart = 0;
    zeroStart.startTime = 16777000; // crosses the 24-bit time rollover
    zeroStart.durationUs = 30000;
    expectSameAsReference(test::writeSceneRecording(m_dir.file("zero.raw"), zeroStart).path, 0);

    // A trailing odd byte is not a word and is left out of the index.
    auto odd = test::writeSceneRecording(m_dir.file("odd.raw"), SceneRecipe{});
    auto bytes = test::readFile(odd.path);
    bytes.push_back(0x81);
    test::writeBytes(odd.path, bytes);
    expectSameAsReference(odd.path, SceneRecipe{}.startTime);

    // Random words as a camera's might send them: TIME_LOW jumps back and forth and stalls.
    std::mt19937_64 random(17);
    for (int i = 0; i < 30; ++i) {
        const auto payload = test::randomCameraWords(random, 4 + random() % 65536);
        DvsFileInfo info;
        info.dvs_start_timestamp = (i % 3 == 0) ? 0 : random() % 50000000;
        const std::string path = m_dir.file("random" + std::to_string(i) + ".raw");
        test::writeFile(path, generateDvsFileHeader(info), payload);
        expectSameAsReference(path, info.dvs_start_timestamp);
    }
}

TEST_F(RawBookmarks, GapWithoutEventsHoldsNoBookmark)
{
    SceneRecipe recipe;
    recipe.durationUs = 1500000;
    recipe.eventsPerSecond = 2e5;
    recipe.gapFrom = 1100000;
    recipe.gapTo = 2100000;
    recipe.timeHighRepeatUs = 0;
    const auto recording = test::writeSceneRecording(m_dir.file("gap.raw"), recipe);
    const auto records = loadAndReadIndex(recording.path);
    size_t afterGap = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_FALSE(records[i].key > recipe.gapFrom + 4096 && records[i].key < recipe.gapTo - 4096)
            << records[i].key;
        if (afterGap == 0 && records[i].key >= recipe.gapTo - 4096) {
            afterGap = i;
        }
    }
    ASSERT_GT(afterGap, 0u);
    EXPECT_GE(records[afterGap].key, records[afterGap - 1].key + 2000);
}

TEST_F(RawBookmarks, ZeroStartTakesTheFirstDecodedTimeAsFirstKey)
{
    SceneRecipe recipe;
    recipe.headerStart = 0;
    const auto recording = test::writeSceneRecording(m_dir.file("z.raw"), recipe);
    const auto records = loadAndReadIndex(recording.path);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().bytePos, recording.payloadStart);
    EXPECT_GT(records.front().key, 0u);
    EXPECT_LE(records.front().key, recipe.startTime);
}

TEST_F(RawBookmarks, SecondOpeningReadsTheFileAndAgreesWithTheFirst)
{
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    RawFileReader first(recording.path);
    ASSERT_TRUE(first.loadFile());
    const auto before = test::readFile(m_dir.file("rec.vxmark.tmp"));
    const auto records = test::parseBookmarkFile(before);

    m_log.messages.clear();
    RawFileReader second(recording.path);
    ASSERT_TRUE(second.loadFile());
    EXPECT_FALSE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
    EXPECT_EQ(test::readFile(m_dir.file("rec.vxmark.tmp")), before);
    for (const auto& record : records) {
        for (const uint64_t t : {record.key, record.key + 1}) {
            RawFileReader::Bookmark a, b;
            ASSERT_EQ(first.getRawFileBookmark(t, a), second.getRawFileBookmark(t, b));
            EXPECT_EQ(a.bytePos, b.bytePos);
            EXPECT_EQ(a.eventCount, b.eventCount);
        }
        for (const uint64_t n : {uint64_t{record.eventCount}, uint64_t{record.eventCount} + 1}) {
            RawFileReader::Bookmark a, b;
            ASSERT_EQ(first.getRawFileBookmarkByNEvents(n, a), second.getRawFileBookmarkByNEvents(n, b));
            EXPECT_EQ(a.timestamp, b.timestamp);
        }
    }
}

TEST_F(RawBookmarks, LookupsFollowTheIndexRules)
{
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    const auto records = test::parseBookmarkFile(test::readFile(m_dir.file("rec.vxmark.tmp")));
    ASSERT_GE(records.size(), 4u);
    RawFileReader::Bookmark b;
    ASSERT_TRUE(reader.getRawFileBookmark(records[2].key, b));
    EXPECT_EQ(b.bytePos, records[2].bytePos);
    ASSERT_TRUE(reader.getRawFileBookmark(records[2].key + 1, b));
    EXPECT_EQ(b.timestamp, records[2].key);
    ASSERT_TRUE(reader.getRawFileBookmark(records[3].key - 1, b));
    EXPECT_EQ(b.timestamp, records[2].key);
    EXPECT_FALSE(reader.getRawFileBookmark(records.front().key - 1, b));
    EXPECT_FALSE(reader.getRawFileBookmark(records.back().key + 1, b));

    ASSERT_TRUE(reader.getRawFileBookmarkByNEvents(0, b));
    EXPECT_EQ(b.timestamp, records.front().key);
    ASSERT_TRUE(reader.getRawFileBookmarkByNEvents(records[2].eventCount, b));
    EXPECT_EQ(b.timestamp, records[1].key);
    ASSERT_TRUE(reader.getRawFileBookmarkByNEvents(records[2].eventCount + 1, b));
    EXPECT_EQ(b.timestamp, records[2].key);
    EXPECT_TRUE(reader.getRawFileBookmarkByNEvents(records.back().eventCount, b));
    EXPECT_FALSE(reader.getRawFileBookmarkByNEvents(uint64_t{records.back().eventCount} + 1, b));
}

// Each damaged or outdated index is detected, reported and replaced by a rebuilt one.
TEST_F(RawBookmarks, DamagedOrOutdatedFilesAreRebuilt)
{
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    const std::string mark = m_dir.file("rec.vxmark.tmp");
    {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
    }
    const auto good = test::readFile(mark);
    const size_t body =
        static_cast<size_t>(std::find(good.begin(), good.end(), uint8_t{0}) - good.begin()) + 1;

    auto withCrc = [](std::vector<uint8_t> bytes) {
        bytes.pop_back();
        bytes.push_back(RawFileReader::crc8(bytes));
        return bytes;
    };
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* warning;
    };
    std::vector<Case> cases;
    auto flipped = good;
    flipped[body + 20] ^= 0x10;
    cases.push_back({"flipped byte", flipped, "The file has changed"});
    cases.push_back({"truncated",
                     std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
                     "The file has changed"});
    cases.push_back({"empty", {}, "The file content is insufficient to perform CRC validation!"});
    auto longer = good;
    longer.insert(longer.end() - 1, 0x55);
    cases.push_back({"extra byte", withCrc(longer), "The bookmark records do not fit the recording."});
    auto moreRecords = good;
    moreRecords[body] = 0xFF;
    moreRecords[body + 5] = 0x01;
    cases.push_back(
        {"count too large", withCrc(moreRecords), "The bookmark records do not fit the recording."});
    const std::string text(good.begin(), good.begin() + static_cast<long>(body - 1));
    auto replaceText = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        std::vector<uint8_t> bytes(changed.begin(), changed.end());
        bytes.insert(bytes.end(), good.begin() + static_cast<long>(body - 1), good.end());
        return withCrc(bytes);
    };
    cases.push_back({"non-numeric", replaceText("sensor_width:1280", "sensor_width:12a0"),
                     "The bookmark file holds a malformed value in 'sensor_width:12a0'."});
    cases.push_back({"other width", replaceText("sensor_width:1280", "sensor_width:640"),
                     "The sensor resolution has been changed "});
    cases.push_back({"other size", replaceText("max_byte:", "max_byte:1"), "The file has changed"});
    auto farPosition = good;
    farPosition[body + 8 + 29 + 8 + 6] = 0x7F; // second record's bytePos far beyond the file
    cases.push_back(
        {"position outside", withCrc(farPosition), "The bookmark records do not fit the recording."});

    for (const auto& c : cases) {
        test::writeBytes(mark, c.bytes);
        m_log.messages.clear();
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile()) << c.name;
        EXPECT_TRUE(m_log.contains(3, c.warning)) << c.name;
        EXPECT_TRUE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks.")) << c.name;
        EXPECT_EQ(test::readFile(mark), good) << c.name;
        uint64_t events = 0;
        reader.getMaxEvents(events);
        EXPECT_EQ(events, recording.events.size()) << c.name;
    }
}

TEST_F(RawBookmarks, ChangedRecordingIsIndexedAgain)
{
    auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
    }

    // One more word at the end of the recording.
    auto bytes = test::readFile(recording.path);
    bytes.push_back(0x00);
    bytes.push_back(0x60);
    test::writeBytes(recording.path, bytes);
    {
        m_log.messages.clear();
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
        EXPECT_TRUE(m_log.contains(3, "The file has changed"));
    }

    // The same payload under a header of another width.
    DvsFileInfo info;
    info.width = 640;
    info.dvs_start_timestamp = SceneRecipe{}.startTime;
    test::writeFile(recording.path, generateDvsFileHeader(info), recording.payload);
    {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
    }
    {
        DvsFileInfo other;
        other.width = 1281;
        other.dvs_start_timestamp = SceneRecipe{}.startTime;
        test::writeFile(recording.path, generateDvsFileHeader(other), recording.payload);
        m_log.messages.clear();
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
        // 640 and 1281 have different lengths, so either the size or the resolution tells.
        EXPECT_TRUE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
    }
    {
        DvsFileInfo other;
        other.width = 1282;
        other.dvs_start_timestamp = SceneRecipe{}.startTime;
        test::writeFile(recording.path, generateDvsFileHeader(other), recording.payload);
        m_log.messages.clear();
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
        EXPECT_TRUE(m_log.contains(3, "The sensor resolution has been changed "));
    }
}

// A recording rewritten at the same size after its index was made keeps nothing of it.
TEST_F(RawBookmarks, IndexOfARecordingRewrittenAtTheSameSizeIsNotTrusted)
{
    SceneRecipe first;
    first.seed = 1;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), first);
    {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
    }
    const std::string mark = m_dir.file("rec.vxmark.tmp");
    // Other events in the same number of bytes: the words of the second half first.
    auto bytes = test::readFile(recording.path);
    const size_t half = recording.payloadStart + recording.payload.size() / 6 * 2;
    for (const bool newer : {true, false}) {
        std::rotate(bytes.begin() + static_cast<long>(recording.payloadStart),
                    bytes.begin() + static_cast<long>(half), bytes.end());
        test::writeBytes(recording.path, bytes);
        const auto indexTime = std::filesystem::last_write_time(mark);
        std::filesystem::last_write_time(recording.path, newer ? indexTime + std::chrono::seconds(2)
                                                               : indexTime - std::chrono::seconds(2));
        m_log.messages.clear();
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile()) << newer;
        EXPECT_TRUE(m_log.contains(3, newer
                                          ? "The recording is newer than its bookmark file."
                                          : "Bookmark 0 of the bookmark file does not match the recording."))
            << newer;
        EXPECT_TRUE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks.")) << newer;
        std::filesystem::remove(mark);
        RawFileReader fresh(recording.path);
        ASSERT_TRUE(fresh.loadFile());
        uint64_t a = 0, b = 0;
        reader.getMaxEvents(a);
        fresh.getMaxEvents(b);
        EXPECT_EQ(a, b);
        EXPECT_EQ(*reader.getNEvents(500), *fresh.getNEvents(500));
        std::filesystem::last_write_time(mark, std::filesystem::last_write_time(recording.path) +
                                                   std::chrono::seconds(5));
    }
}

// Records changed at random under a checksum made valid again: every such index is either
// refused or agrees with the recording, and nothing hangs or reads outside the payload.
TEST_F(RawBookmarks, ForgedIndexesWithValidChecksumsAreCaught)
{
    SceneRecipe recipe;
    recipe.durationUs = 40000;
    recipe.triggerHz = 2000;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
    const std::string mark = m_dir.file("rec.vxmark.tmp");
    {
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile());
    }
    const auto good = test::readFile(mark);
    const size_t body =
        static_cast<size_t>(std::find(good.begin(), good.end(), uint8_t{0}) - good.begin()) + 9;
    const size_t records = (good.size() - body - 1) / 29;
    std::mt19937_64 random(8);
    for (int i = 0; i < 300; ++i) {
        auto forged = good;
        if (i == 0) {
            // The last time at the end of the clock.
            std::fill_n(forged.begin() + static_cast<long>(body + (records - 1) * 29), 8, 0xFF);
            std::fill_n(forged.begin() + static_cast<long>(body + (records - 1) * 29 + 17), 8, 0xFF);
        } else {
            for (int m = 0; m < 1 + static_cast<int>(random() % 4); ++m) {
                const size_t record = random() % records;
                const size_t field = std::vector<size_t>{0, 8, 17, 25}[random() % 4];
                forged[body + record * 29 + field + random() % 4] = static_cast<uint8_t>(random());
            }
        }
        forged.pop_back();
        forged.push_back(RawFileReader::crc8(forged));
        test::writeBytes(mark, forged);
        RawFileReader reader(recording.path);
        ASSERT_TRUE(reader.loadFile()) << i;
        uint64_t max = 0, end = 0;
        reader.getMaxEvents(max);
        reader.getEndTimeStamp(end);
        ASSERT_EQ(max, recording.events.size()) << i;
        ASSERT_EQ(end, recipe.startTime + recipe.durationUs) << i;
        const uint64_t t = recipe.startTime + random() % recipe.durationUs;
        const auto& events = recording.events;
        const auto first =
            std::find_if(events.begin(), events.end(), [t](const Event2D& e) { return e.timestamp >= t; });
        ASSERT_EQ(*reader.getNEventsGivenStartTimeStamp(t, 200),
                  std::vector<Event2D>(first, first + std::min<long>(200, events.end() - first)))
            << i;
    }
}

TEST_F(RawBookmarks, IndexThatCannotBeWrittenStaysInMemory)
{
    // A folder where the index file belongs can be neither read as an index nor replaced.
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), SceneRecipe{});
    std::filesystem::create_directory(m_dir.file("rec.vxmark.tmp"));
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    EXPECT_TRUE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
    EXPECT_TRUE(m_log.contains(3, "Failed to open file for writing") ||
                m_log.contains(3, "The bookmark index '" + m_dir.file("rec.vxmark.tmp") +
                                      "' was not saved (replacing: Is a directory); it stays in memory."));
    uint64_t events = 0;
    reader.getMaxEvents(events);
    EXPECT_EQ(events, recording.events.size());
    EXPECT_EQ(*reader.getNEvents(10),
              std::vector<Event2D>(recording.events.begin(), recording.events.begin() + 10));
}

} // namespace
} // namespace tarvo
