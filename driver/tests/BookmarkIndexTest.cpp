#include "FileReader/BookmarkIndex.h"
#include "DriverTestSupport.h"
#include "RawTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace tarvo {
namespace {

constexpr uint64_t kTwo32 = uint64_t{1} << 32;

// An index of a long recording: counts run past 2^32, so their stored 32 bits wrap.
BookmarkIndex longIndex(const BookmarkIndex::Recording& recording)
{
    BookmarkIndex index;
    uint64_t count = 0;
    for (uint64_t i = 0; i < 40; ++i) {
        EXPECT_TRUE(index.append({recording.payloadStart + 2 * i * 1000, 0, 5000000 + 2000 * i, count}));
        count = i == 0 ? kTwo32 - 250000000 : count + 60000000 + i; // crosses 2^32 after a few
    }
    EXPECT_TRUE(index.append({recording.payloadEnd, 0, 5000000 + 2000 * 40 + 7, count}));
    return index;
}

BookmarkIndex::Recording facts()
{
    BookmarkIndex::Recording recording;
    recording.payloadStart = 100;
    recording.payloadEnd = 100 + 2 * 40 * 1000 + 2;
    recording.fileSize = recording.payloadEnd + 1;
    recording.width = 1280;
    recording.height = 720;
    return recording;
}

TEST(BookmarkIndexCounts, CountsBeyond32BitsSurviveTheFileAndAreFoundByTimeAndCount)
{
    const BookmarkIndex::Recording recording = facts();
    const BookmarkIndex index = longIndex(recording);
    ASSERT_GT(index.back().eventCount, kTwo32 + 1000000000);

    test::TempDir dir;
    const std::string path = dir.file("long.vxmark.tmp");
    ASSERT_TRUE(index.save(path, recording));
    const auto bytes = test::readFile(path);
    // On disk the counts keep their 32-bit field: the layout of smaller recordings is unchanged.
    const auto records = test::parseBookmarkFile(bytes);
    ASSERT_EQ(records.size(), index.size());
    EXPECT_EQ(records.back().eventCount, static_cast<uint32_t>(index.back().eventCount));

    BookmarkIndex loaded;
    ASSERT_TRUE(loaded.load(path, recording));
    ASSERT_EQ(loaded.size(), index.size());
    for (size_t i = 0; i < index.size(); ++i) {
        EXPECT_EQ(loaded[i].eventCount, index[i].eventCount) << i;
        EXPECT_EQ(loaded[i].timestamp, index[i].timestamp) << i;
        EXPECT_EQ(loaded[i].bytePos, index[i].bytePos) << i;
    }
    // Saving what was loaded writes the same file.
    ASSERT_TRUE(loaded.save(path, recording));
    EXPECT_EQ(test::readFile(path), bytes);

    // Lookups on both sides of the crossing of 2^32.
    size_t crossing = 1;
    while (index[crossing].eventCount < kTwo32) {
        ++crossing;
    }
    for (const size_t i : {crossing - 1, crossing, crossing + 1}) {
        BookmarkIndex::Bookmark found;
        ASSERT_TRUE(loaded.byTime(index[i].timestamp + 1, found)) << i;
        EXPECT_EQ(found.eventCount, index[i].eventCount) << i;
        ASSERT_TRUE(loaded.byCount(index[i].eventCount + 1, found)) << i;
        EXPECT_EQ(found.timestamp, index[i].timestamp) << i;
        ASSERT_TRUE(loaded.byCount(index[i].eventCount, found)) << i;
        EXPECT_EQ(found.timestamp, index[i - 1].timestamp) << i;
    }
    BookmarkIndex::Bookmark found;
    EXPECT_TRUE(loaded.byCount(index.back().eventCount, found));
    EXPECT_FALSE(loaded.byCount(index.back().eventCount + 1, found));
}

TEST(BookmarkIndexFile, LinksAndOtherFilesAtItsNameAreReplacedNeverWrittenThrough)
{
    const BookmarkIndex::Recording recording = facts();
    const BookmarkIndex index = longIndex(recording);
    test::TempDir dir;
    const std::string path = dir.file("rec.vxmark.tmp");
    test::writeBytes(dir.file("precious.raw"), {1, 2, 3});
    std::filesystem::create_symlink(dir.file("precious.raw"), path);
    BookmarkIndex loaded;
    test::LogCapture log;
    EXPECT_FALSE(loaded.load(path, recording));
    ASSERT_TRUE(index.save(path, recording));
    EXPECT_EQ(test::readFile(dir.file("precious.raw")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(loaded.load(path, recording));
}

} // namespace
} // namespace tarvo
