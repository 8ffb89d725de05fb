#include "RawTestSupport.h"

#include "TarvoDriver/RawFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace tarvo {
namespace {

using test::LogCapture;
using test::SceneRecipe;
using test::TempDir;

class RawQueries : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SceneRecipe recipe;
        recipe.durationUs = 50000;
        recipe.eventsPerSecond = 3e6;
        recipe.triggerHz = 2000;
        m_recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
        m_start = recipe.startTime;
        m_end = recipe.startTime + recipe.durationUs;
        m_reader = std::make_unique<RawFileReader>(m_recording.path);
        ASSERT_TRUE(m_reader->loadFile());
        m_records = test::parseBookmarkFile(test::readFile(m_dir.file("rec.vxmark.tmp")));
    }

    const std::vector<Event2D>& events() const { return m_recording.events; }

    size_t eventsBefore(uint64_t t) const
    {
        return static_cast<size_t>(
            std::lower_bound(events().begin(), events().end(), t,
                             [](const Event2D& e, uint64_t time) { return e.timestamp < time; }) -
            events().begin());
    }

    std::vector<Event2D> slice(size_t from, size_t count) const
    {
        from = std::min(from, events().size());
        const size_t to = std::min(events().size(), from + count);
        return std::vector<Event2D>(events().begin() + static_cast<long>(from),
                                    events().begin() + static_cast<long>(to));
    }

    TempDir m_dir;
    LogCapture m_log;
    test::SceneRecording m_recording;
    std::vector<test::BookmarkRecord> m_records;
    uint64_t m_start = 0;
    uint64_t m_end = 0;
    std::unique_ptr<RawFileReader> m_reader;
};

TEST_F(RawQueries, AfterLoadingTheCursorStandsAtTheStart)
{
    uint64_t start = 0, end = 0, max = 0;
    m_reader->getStartTimeStamp(start);
    m_reader->getEndTimeStamp(end);
    m_reader->getMaxEvents(max);
    EXPECT_EQ(start, m_start);
    EXPECT_EQ(end, m_end);
    EXPECT_EQ(max, events().size());
    EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), m_start);
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), 0u);
    EXPECT_FALSE(m_reader->reachedEndOfEvents());
}

TEST_F(RawQueries, EventBatchesFollowEachOtherAndAreRefilledByTheNextQuery)
{
    auto first = m_reader->getNEvents(100);
    const std::vector<Event2D> kept = *first;
    EXPECT_EQ(kept, slice(0, 100));
    auto second = m_reader->getNEvents(100);
    EXPECT_EQ(*second, slice(100, 100));
    EXPECT_EQ(first, second);
    EXPECT_NE(*first, kept);
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), 200u);
    EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), events()[199].timestamp + 1);
}

TEST_F(RawQueries, ReadingByCountReturnsEveryEventOnceAndStopsAtTheEnd)
{
    std::vector<Event2D> all;
    for (int i = 0; i < 100000; ++i) {
        auto batch = m_reader->getNEvents(7777);
        if (batch->empty()) {
            break;
        }
        all.insert(all.end(), batch->begin(), batch->end());
    }
    EXPECT_EQ(all, events());
    EXPECT_TRUE(m_log.contains(3, "Requested number of events exceeds total number of events."));
    EXPECT_TRUE(m_reader->getNEvents(10)->empty());
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), events().size());
}

TEST_F(RawQueries, TimeWindowsHoldExactlyTheEventsBelowTheirEnds)
{
    std::vector<Event2D> all;
    for (uint64_t from = m_start; !m_reader->reachedEndOfEvents(); from += 10000) {
        auto batch = m_reader->getNTimeEvents(10000);
        const size_t lo = eventsBefore(from);
        EXPECT_EQ(*batch, slice(lo, eventsBefore(from + 10000) - lo)) << from;
        all.insert(all.end(), batch->begin(), batch->end());
        ASSERT_LT(from, m_end + 20000);
    }
    EXPECT_EQ(all, events());
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), events().size());

    // Windows too small to reach the next chunk come from the events already decoded.
    ASSERT_TRUE(m_reader->seekTime(m_start + 5));
    for (uint64_t from = m_start + 5; from < m_start + 400; from += 37) {
        const size_t lo = eventsBefore(from);
        EXPECT_EQ(*m_reader->getNTimeEvents(37), slice(lo, eventsBefore(from + 37) - lo));
        EXPECT_EQ(m_reader->getCurrentPosEventNum(), eventsBefore(from + 37));
    }
}

TEST_F(RawQueries, WindowsOutsideTheRecordingWarnAndGiveFreshEmptyBatches)
{
    EXPECT_FALSE(m_reader->seekTime(m_start - 10));
    EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), m_start - 1);
    auto before = m_reader->getNTimeEvents(0);
    EXPECT_TRUE(before->empty());
    EXPECT_TRUE(m_log.contains(3, "Requested interval is before start timestamp."));
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), 0u);

    EXPECT_FALSE(m_reader->seekTime(m_end + 1));
    EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), m_end + 1);
    EXPECT_TRUE(m_reader->reachedEndOfEvents());
    auto after = m_reader->getNTimeEvents(1000);
    EXPECT_TRUE(after->empty());
    EXPECT_NE(after, before);
    EXPECT_TRUE(m_log.contains(3, "Current read pos exceeds end timestamp."));
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), events().size());

    ASSERT_TRUE(m_reader->seekTime(m_end - 3000));
    auto tail = m_reader->getNTimeEvents(10000);
    EXPECT_TRUE(m_log.contains(3, "Requested interval exceeds end timestamp."));
    const size_t lo = eventsBefore(m_end - 3000);
    EXPECT_EQ(*tail, slice(lo, events().size() - lo));
    EXPECT_TRUE(m_reader->reachedEndOfEvents());
}

TEST_F(RawQueries, SeekTimeLandsExactlyAndCountsTheEventsBeforeIt)
{
    ASSERT_GE(m_records.size(), 3u);
    ASSERT_TRUE(m_reader->seekTime(m_records[2].key));
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), m_records[2].eventCount);

    std::mt19937_64 random(3);
    for (int i = 0; i < 200; ++i) {
        const uint64_t t = m_start + random() % (m_end - m_start + 1);
        ASSERT_TRUE(m_reader->seekTime(t)) << t;
        const size_t before = eventsBefore(t);
        ASSERT_EQ(m_reader->getCurrentPosEventNum(), before) << t;
        EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), t);
        if (i % 2 == 0) {
            EXPECT_EQ(*m_reader->getNEvents(50), slice(before, 50)) << t;
        } else {
            EXPECT_EQ(*m_reader->getNTimeEvents(700), slice(before, eventsBefore(t + 700) - before)) << t;
        }
    }
    const std::vector<uint8_t> index = test::readFile(m_dir.file("rec.vxmark.tmp"));
    EXPECT_EQ(test::parseBookmarkFile(index), m_records);
}

TEST_F(RawQueries, SeekNEventsPutsTheCursorAfterTheWordThatReachesTheCount)
{
    std::mt19937_64 random(5);
    for (int i = 0; i < 200; ++i) {
        const uint64_t n = random() % (events().size() + 1);
        ASSERT_TRUE(m_reader->seekNEvents(n)) << n;
        const uint64_t at = m_reader->getCurrentPosEventNum();
        // A vector word carries at most 12 events.
        ASSERT_GE(at, n);
        ASSERT_LT(at, n + 12);
        EXPECT_EQ(*m_reader->getNEvents(30), slice(static_cast<size_t>(at), 30)) << n;
    }
    ASSERT_TRUE(m_reader->seekNEvents(0));
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), 0u);
    EXPECT_EQ(m_reader->getCurrentPosTimeStamp(), m_start);

    EXPECT_FALSE(m_reader->seekNEvents(events().size() + 1));
    EXPECT_EQ(m_reader->getCurrentPosEventNum(), events().size() + 1);
    EXPECT_TRUE(m_reader->reachedEndOfEvents());
    EXPECT_TRUE(m_reader->getNEvents(5)->empty());
}

TEST_F(RawQueries, CompositeQueriesSeekFirstAndFailWithAFreshEmptyBatch)
{
    const uint64_t t = m_start + 12345;
    const size_t lo = eventsBefore(t);
    EXPECT_EQ(*m_reader->getNTimeEventsGivenStartTimeStamp(t, 2000), slice(lo, eventsBefore(t + 2000) - lo));
    EXPECT_EQ(*m_reader->getNEventsGivenStartTimeStamp(t, 10), slice(lo, 10));
    auto fromEvent = m_reader->getNEventsGivenStartEvent(1000, 10);
    const uint64_t at = m_reader->getCurrentPosEventNum() - fromEvent->size();
    EXPECT_EQ(*fromEvent, slice(static_cast<size_t>(at), 10));
    auto windowFromEvent = m_reader->getNTimeEventsGivenStartEvent(1000, 500);
    ASSERT_FALSE(windowFromEvent->empty());

    auto output = m_reader->getNEvents(1);
    for (auto failed : {m_reader->getNTimeEventsGivenStartTimeStamp(m_end + 5, 10),
                        m_reader->getNEventsGivenStartTimeStamp(m_start - 5, 10),
                        m_reader->getNEventsGivenStartEvent(events().size() + 3, 10),
                        m_reader->getNTimeEventsGivenStartEvent(events().size() + 3, 10)}) {
        EXPECT_TRUE(failed->empty());
        EXPECT_NE(failed, output);
    }
}

TEST_F(RawQueries, TriggerReceiversGetEachEdgeOnceAndIdsCountRegistrations)
{
    ASSERT_FALSE(m_recording.triggers.empty());
    std::vector<EventTriggerIn> seen;
    EXPECT_EQ(m_reader->addTriggerInCallback([&](EventTriggerIn t) { seen.push_back(t); }), 0u);
    int other = 0;
    EXPECT_EQ(m_reader->addTriggerInCallback([&](EventTriggerIn) { ++other; }), 1u);
    EXPECT_EQ(m_reader->addTriggerInCallback([&](EventTriggerIn) {}), 2u);
    EXPECT_TRUE(m_reader->removeTriggerInCallback(1));
    EXPECT_FALSE(m_reader->removeTriggerInCallback(1));
    EXPECT_EQ(m_reader->addTriggerInCallback([&](EventTriggerIn) {}), 3u);

    // Seeking decodes nothing that reaches the receivers; reading from the target delivers
    // the edges from there on, each once.
    const uint64_t t = m_start + 20000;
    ASSERT_TRUE(m_reader->seekTime(t));
    ASSERT_TRUE(m_reader->seekNEvents(events().size() / 3));
    ASSERT_TRUE(m_reader->seekTime(t));
    EXPECT_TRUE(seen.empty());
    while (!m_reader->reachedEndOfEvents()) {
        m_reader->getNTimeEvents(33333);
    }
    std::vector<EventTriggerIn> expected;
    for (const auto& trigger : m_recording.triggers) {
        if (trigger.timestamp >= t) {
            expected.push_back(trigger);
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(other, 0);
}

TEST_F(RawQueries, ExtractionCopiesTheRawBytesBetweenTwoTimesBehindAFreshHeader)
{
    ASSERT_GE(m_records.size(), 6u);
    const auto& from = m_records[1];
    const auto& to = m_records[5];
    const std::string out = m_dir.file("cut.raw");
    ASSERT_TRUE(m_reader->extractEventData(from.key, to.key, out));
    const auto source = test::readFile(m_recording.path);
    const auto cut = test::readFile(out);
    const uint64_t header = test::headerLength(cut);
    EXPECT_EQ(std::vector<uint8_t>(cut.begin() + static_cast<long>(header), cut.end()),
              std::vector<uint8_t>(source.begin() + static_cast<long>(from.bytePos),
                                   source.begin() + static_cast<long>(to.bytePos)));

    RawFileReader reader(out);
    ASSERT_TRUE(reader.loadFile());
    uint64_t start = 0, max = 0;
    reader.getStartTimeStamp(start);
    reader.getMaxEvents(max);
    EXPECT_EQ(start, from.key);
    EXPECT_EQ(max, uint64_t{to.eventCount} - from.eventCount);
    EXPECT_EQ(*reader.getNEvents(100), slice(from.eventCount, 100));
    DvsFileInfo info;
    reader.getFileInfo(info);
    EXPECT_EQ(info.serial_number, "TEST-1");
}

// A range that runs past the end of the recording is cut at its end, whatever its length.
TEST_F(RawQueries, ExtractionPastTheEndTakesEverythingToTheEnd)
{
    for (const uint64_t to : {m_end + 1, m_end + 123456789, ~uint64_t{0}}) {
        const std::string out = m_dir.file("tail.raw");
        std::filesystem::remove(out);
        std::filesystem::remove(m_dir.file("tail.vxmark.tmp"));
        ASSERT_TRUE(m_reader->extractEventData(m_start + 30000, to, out)) << to;
        RawFileReader cut(out);
        ASSERT_TRUE(cut.loadFile());
        const size_t from = eventsBefore(m_start + 30000);
        EXPECT_EQ(*cut.getNEvents(events().size()), slice(from, events().size() - from)) << to;
    }
}

TEST_F(RawQueries, ExtractionRefusesEmptyOrOutsideRangesAndItsOwnSource)
{
    EXPECT_FALSE(m_reader->extractEventData(m_start + 1000, m_start + 1000, m_dir.file("a.raw")));
    EXPECT_TRUE(m_log.contains(4, "There is no data in the interval."));
    EXPECT_FALSE(m_reader->extractEventData(m_start - 20, m_start - 10, m_dir.file("b.raw")));
    EXPECT_TRUE(m_log.contains(4, "No end timestamp found."));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("b.raw")));
    EXPECT_FALSE(m_reader->extractEventData(m_start - 1, m_end, m_dir.file("c.raw")));
    EXPECT_TRUE(m_log.contains(4, "No start timestamp found."));
    EXPECT_FALSE(m_reader->extractEventData(m_start + 5000, m_start + 1000, m_dir.file("d.raw")));
    EXPECT_TRUE(m_log.contains(4, "Start time must be less than or equal to end time."));
    const auto before = test::readFile(m_recording.path);
    EXPECT_FALSE(m_reader->extractEventData(m_start, m_end, m_recording.path));
    EXPECT_EQ(test::readFile(m_recording.path), before);
    EXPECT_FALSE(m_reader->extractEventData(m_start, m_end, m_dir.file("no/such/dir.raw")));
    EXPECT_TRUE(m_log.contains(4, "Failed to open output file: " + m_dir.file("no/such/dir.raw") + "."));
}

} // namespace
} // namespace tarvo
