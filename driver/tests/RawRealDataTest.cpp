#include "RawTestSupport.h"

#include "TarvoDriver/RawFileReader.h"
#include "TarvoHal/DecoderFactory.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

namespace tarvo {
namespace {

struct RealFile
{
    const char* name;
    uint16_t width;
    uint16_t height;
};

void PrintTo(const RealFile& file, std::ostream* out)
{
    *out << file.name;
}

class RawRealRecordings : public ::testing::TestWithParam<RealFile>
{
};

// The recordings live in a read-only folder, so each is opened from a copy that can have its
// index beside it.
TEST_P(RawRealRecordings, IndexMatchesTheWordScanAndQueriesReturnEveryEvent)
{
    const std::string source = std::string(TARVO_REALDATA_DIR) + "/" + GetParam().name;
    if (!std::filesystem::exists(source)) {
        GTEST_SKIP() << source << " is absent";
    }
    test::TempDir dir;
    test::LogCapture log;
    const std::string path = dir.file(GetParam().name);
    std::filesystem::copy_file(source, path);
    const auto file = test::readFile(path);
    const uint64_t payloadStart = test::headerLength(file);
    const auto expected = test::referenceBookmarks(file, payloadStart, 0);

    RawFileReader reader(path);
    ASSERT_TRUE(reader.loadFile());
    EXPECT_EQ(reader.getWidth(), GetParam().width);
    EXPECT_EQ(reader.getHeight(), GetParam().height);
    const auto records = test::parseBookmarkFile(test::readFile(test::markPathOf(path)));
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(records[i], expected[i]) << i;
    }

    // Everything the queries hand out is what one decoder gives for the payload in one run.
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    std::vector<Event2D> direct;
    decoder->setEventsStreamHandleCallback(
        [&](const Event2D* first, const Event2D* last) { direct.insert(direct.end(), first, last); });
    const uint64_t startKey = records.front().key;
    const uint8_t rowWord[2] = {0, 0};
    decoder->setLastTimestamp(&startKey);
    decoder->advanceTime(rowWord, rowWord + 2);
    decoder->setLastTimestamp(&startKey);
    decoder->decode(std::vector<uint8_t>(file.begin() + static_cast<long>(payloadStart),
                                         file.begin() + static_cast<long>(records.back().bytePos)));

    std::vector<Event2D> all;
    while (!reader.reachedEndOfEvents()) {
        auto batch = reader.getNTimeEvents(33333);
        all.insert(all.end(), batch->begin(), batch->end());
    }
    uint64_t max = 0;
    reader.getMaxEvents(max);
    EXPECT_EQ(all.size(), max);
    EXPECT_EQ(all, direct);

    RawFileReader again(path);
    ASSERT_TRUE(again.loadFile());
    EXPECT_FALSE(log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
}

INSTANTIATE_TEST_SUITE_P(Files, RawRealRecordings,
                         ::testing::Values(RealFile{"hd_gen41_evk3_2020_excerpt.raw", 1280, 720},
                                           RealFile{"hd_1280x720_triggers_from_rosbag.raw", 1280, 720},
                                           RealFile{"vga_640x480_triggers_from_rosbag.raw", 640, 480}),
                         [](const ::testing::TestParamInfo<RealFile>& info) {
                             std::string name = info.param.name;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

} // namespace
} // namespace tarvo
