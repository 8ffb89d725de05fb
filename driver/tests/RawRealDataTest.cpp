#include "RawTestSupport.h"
#include "ReferenceEvt3Reader.h"

#include "TarvoBase/TimeString.h"
#include "TarvoDriver/RawFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace tarvo {
namespace {

struct RealFile
{
    const char* name;
    uint16_t width;
    uint16_t height;
    const char* date; // as the header gives it, or empty
};

void PrintTo(const RealFile& file, std::ostream* out)
{
    *out << file.name;
}

// Index of the first event at or after t, in file order.
size_t firstAtOrAfter(const std::vector<Event2D>& events, uint64_t t)
{
    return static_cast<size_t>(
        std::find_if(events.begin(), events.end(), [t](const Event2D& e) { return e.timestamp >= t; }) -
        events.begin());
}

// Events [from, to) of a reading, clipped to its end.
std::vector<Event2D> part(const std::vector<Event2D>& events, uint64_t from, uint64_t to)
{
    const auto size = static_cast<uint64_t>(events.size());
    return std::vector<Event2D>(events.begin() + static_cast<long>(std::min(from, size)),
                                events.begin() + static_cast<long>(std::min(to, size)));
}

// Reads a whole recording by time windows, with its trigger edges.
void readAll(RawFileReader& reader, std::vector<Event2D>& events, std::vector<EventTriggerIn>& edges)
{
    const uint32_t id = reader.addTriggerInCallback([&edges](EventTriggerIn edge) { edges.push_back(edge); });
    while (!reader.reachedEndOfEvents()) {
        auto batch = reader.getNTimeEvents(33333);
        events.insert(events.end(), batch->begin(), batch->end());
    }
    reader.removeTriggerInCallback(id);
}

class RawRealRecordings : public ::testing::TestWithParam<RealFile>
{
protected:
    // The recordings live in a read-only folder, so each is opened from a copy that can have
    // its index beside it.
    void SetUp() override
    {
        const std::string source = std::string(TARVO_REALDATA_DIR) + "/" + GetParam().name;
        if (!std::filesystem::exists(source)) {
            GTEST_SKIP() << source << " is absent";
        }
        m_path = m_dir.file(GetParam().name);
        std::filesystem::copy_file(source, m_path);
        m_file = test::readFile(m_path);
        m_payloadStart = test::headerLength(m_file);
        m_reference.read(
            std::vector<uint8_t>(m_file.begin() + static_cast<long>(m_payloadStart), m_file.end()));
    }

    static bool load(RawFileReader& reader, uint64_t& start, uint64_t& end)
    {
        return reader.loadFile() && reader.getStartTimeStamp(start) && reader.getEndTimeStamp(end);
    }

    test::TempDir m_dir;
    test::LogCapture m_log;
    std::string m_path;
    std::vector<uint8_t> m_file;
    uint64_t m_payloadStart = 0;
    test::ReferenceEvt3Reader m_reference;
};

TEST_P(RawRealRecordings, EveryEventAndEdgeIsTheWordByWordReading)
{
    RawFileReader reader(m_path);
    ASSERT_TRUE(reader.loadFile());
    EXPECT_EQ(reader.getWidth(), GetParam().width);
    EXPECT_EQ(reader.getHeight(), GetParam().height);
    DvsFileInfo info;
    reader.getFileInfo(info);
    EXPECT_EQ(timePointToString(info.date), *GetParam().date ? GetParam().date : "1970-01-01 00:00:00");
    test::expectIndexMatchesWordScan(m_file, m_payloadStart, 0,
                                     test::parseBookmarkFile(test::readFile(test::markPathOf(m_path))));
    uint64_t max = 0;
    reader.getMaxEvents(max);
    EXPECT_EQ(max, m_reference.events.size());

    std::vector<Event2D> events;
    std::vector<EventTriggerIn> edges;
    readAll(reader, events, edges);
    EXPECT_EQ(events, m_reference.events);
    EXPECT_EQ(edges, m_reference.triggers);

    // Reopened from its index, the recording reads the same by count.
    RawFileReader again(m_path);
    ASSERT_TRUE(again.loadFile());
    EXPECT_FALSE(m_log.contains(3, "Bookmark file check failed, re-initialize bookmarks."));
    std::vector<Event2D> byCount;
    while (byCount.size() < max) {
        auto batch = again.getNEvents(40000);
        ASSERT_FALSE(batch->empty());
        byCount.insert(byCount.end(), batch->begin(), batch->end());
    }
    EXPECT_EQ(byCount, m_reference.events);
}

TEST_P(RawRealRecordings, SeeksLandOnTheFirstEventAtOrAfterTheirTarget)
{
    RawFileReader reader(m_path);
    uint64_t start = 0, end = 0;
    ASSERT_TRUE(load(reader, start, end));
    const auto& all = m_reference.events;
    for (uint64_t k = 0; k <= 40; ++k) {
        const uint64_t t = start + (end - start) * k / 40;
        ASSERT_TRUE(reader.seekTime(t)) << t;
        const size_t first = firstAtOrAfter(all, t);
        EXPECT_EQ(reader.getCurrentPosEventNum(), first) << t;
        EXPECT_EQ(*reader.getNEvents(300), part(all, first, first + 300)) << t;
        const uint64_t n = all.size() * k / 40;
        ASSERT_TRUE(reader.seekNEvents(n)) << n;
        EXPECT_EQ(*reader.getNEvents(300), part(all, n, n + 300)) << n;
    }
}

TEST_P(RawRealRecordings, CutsHoldExactlyTheEventsAndEdgesOfTheirRange)
{
    RawFileReader reader(m_path);
    uint64_t start = 0, end = 0;
    ASSERT_TRUE(load(reader, start, end));
    const auto& all = m_reference.events;
    const uint64_t span = end - start;
    for (const auto& [from, to] :
         std::vector<std::pair<uint64_t, uint64_t>>{{start, start + span / 3},
                                                    {start + span / 3, start + span / 3 + 1000},
                                                    {start + span / 2 + 17, start + span / 2 + 1017},
                                                    {start + span / 5, end + 100000}}) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        const std::string out = m_dir.file("cut.raw");
        std::filesystem::remove(out);
        std::filesystem::remove(m_dir.file("cut.vxmark.tmp"));
        ASSERT_TRUE(reader.extractEventData(from, to, out));
        RawFileReader cut(out);
        ASSERT_TRUE(cut.loadFile());
        std::vector<Event2D> events;
        std::vector<EventTriggerIn> edges;
        readAll(cut, events, edges);
        const size_t a = firstAtOrAfter(all, from);
        const size_t b = firstAtOrAfter(all, to);
        EXPECT_EQ(events, part(all, a, b));
        std::vector<EventTriggerIn> expectedEdges;
        for (const auto& edge : m_reference.triggers) {
            if (edge.timestamp >= from && edge.timestamp < to) {
                expectedEdges.push_back(edge);
            }
        }
        EXPECT_EQ(edges, expectedEdges);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RawRealRecordings,
                         ::testing::Values(RealFile{"hd_gen41_evk3_2020_excerpt.raw", 1280, 720,
                                                    "2020-09-25 07:48:29"},
                                           RealFile{"hd_1280x720_triggers_from_rosbag.raw", 1280, 720, ""},
                                           RealFile{"vga_640x480_triggers_from_rosbag.raw", 640, 480, ""}),
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
