#include "TarvoDriver/DvsApsFusionProccessor.h"

#include "DriverTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace tarvo {
namespace {

// What the callback received: the frame (known by its end timestamp) and the segment's events
// (known by their timestamps), the segment's address and the calling thread.
struct Pair
{
    uint64_t frame;
    std::vector<uint64_t> events;
    const Event2D* first;
    std::thread::id thread;
};

class DvsApsFusionProccessorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor.addFusionDataCallback([this](ApsFrame& frame, Event2D* first, Event2D* last) {
            Pair pair{frame.getEndTimestamp(), {}, first, std::this_thread::get_id()};
            for (const Event2D* event = first; event != last; ++event) {
                pair.events.push_back(event->timestamp);
            }
            pairs.push_back(pair);
        });
    }

    // A small frame known by its end timestamp.
    static ApsFrame frame(uint64_t id) { return ApsFrame(4, 2, id, id); }

    void events(std::initializer_list<uint64_t> timestamps)
    {
        std::vector<Event2D> batch;
        for (uint64_t t : timestamps) {
            batch.emplace_back(1, 2, 1, t);
        }
        processor.addDvsData(batch.data(), batch.data() + batch.size());
    }

    void rising() { processor.addSyncSignal(EventTriggerIn(0, 1, 0)); }

    std::vector<uint64_t> pairedFrames() const
    {
        std::vector<uint64_t> frames;
        for (const Pair& pair : pairs) {
            frames.push_back(pair.frame);
        }
        return frames;
    }

    test::LogCapture log;
    DvsApsFusionProccessor processor;
    std::vector<Pair> pairs;
};

using Events = std::vector<uint64_t>;

TEST_F(DvsApsFusionProccessorTest, FramesPairWithTheSegmentsBetweenSyncSignalsInArrivalOrder)
{
    events({1, 2});
    processor.addApsData(frame(100));
    processor.addApsData(frame(200));
    EXPECT_TRUE(pairs.empty());
    rising();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].frame, 100u);
    EXPECT_EQ(pairs[0].events, (Events{1, 2}));

    events({3});
    events({4, 5});
    rising();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].frame, 200u);
    EXPECT_EQ(pairs[1].events, (Events{3, 4, 5}));

    // A closed segment waits for its frame.
    events({6});
    rising();
    events({7});
    EXPECT_EQ(pairs.size(), 2u);
    processor.addApsData(frame(300));
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[2].events, (Events{6}));
}

TEST_F(DvsApsFusionProccessorTest, FallingEdgesChangeNothing)
{
    events({1});
    processor.addApsData(frame(100));
    processor.addSyncSignal(EventTriggerIn(0, 0, 10));
    processor.addSyncSignal(EventTriggerIn(0, -1, 11));
    EXPECT_TRUE(pairs.empty());
    events({2});
    rising();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].events, (Events{1, 2}));
}

TEST_F(DvsApsFusionProccessorTest, SyncSignalsWithoutEventsBetweenThemGiveAnEmptyRange)
{
    events({1});
    rising();
    rising();
    processor.addApsData(frame(100));
    processor.addApsData(frame(200));
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].events, (Events{1}));
    EXPECT_TRUE(pairs[1].events.empty());
}

TEST_F(DvsApsFusionProccessorTest, ClearDropsWaitingFramesSegmentsAndTheOpenSegment)
{
    events({1});
    rising();
    rising();
    events({2});
    processor.clear();
    events({3});
    processor.addApsData(frame(100));
    rising();
    processor.addApsData(frame(200));
    processor.clear();
    rising();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].frame, 100u);
    EXPECT_EQ(pairs[0].events, (Events{3}));

    // Cleared before any event came: the next frame has an empty segment.
    events({4});
    processor.clear();
    processor.addApsData(frame(300));
    rising();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].frame, 300u);
    EXPECT_TRUE(pairs[1].events.empty());
}

TEST_F(DvsApsFusionProccessorTest, FramesAreCopiedOnTheWayIn)
{
    std::vector<uint8_t> bytes(4 * 2 * 3, 9);
    processor.addApsData(ApsFrame(4, 2, 0, 100, bytes.data(), bytes.size(), false));
    std::fill(bytes.begin(), bytes.end(), 0);
    std::vector<uint8_t> seen;
    processor.addFusionDataCallback(
        [&](ApsFrame& f, Event2D*, Event2D*) { seen.assign(f.data(), f.data() + f.getDataSize()); });
    rising();
    EXPECT_EQ(seen, std::vector<uint8_t>(bytes.size(), 9));
}

TEST_F(DvsApsFusionProccessorTest, WithoutACallbackPairsAreStillFormedAndDropped)
{
    processor.removeFusionDataCallback();
    for (uint64_t i = 0; i < 50; ++i) {
        events({i});
        rising();
        processor.addApsData(frame(i));
    }
    EXPECT_EQ(processor.getDroppedFrameCount(), 0u);
    EXPECT_EQ(processor.getDroppedSegmentCount(), 0u);
    SetUp();
    events({77});
    rising();
    processor.addApsData(frame(77));
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].frame, 77u);
    EXPECT_EQ(pairs[0].events, (Events{77}));
}

TEST_F(DvsApsFusionProccessorTest, FramesWithoutSyncSignalsAreBoundedDroppingTheOldest)
{
    const size_t bound = DvsApsFusionProccessor::kMaxQueuedFrames;
    for (uint64_t i = 1; i <= bound + 12; ++i) {
        processor.addApsData(frame(i));
    }
    EXPECT_EQ(processor.getDroppedFrameCount(), 12u);
    EXPECT_EQ(processor.getDroppedSegmentCount(), 0u);
    const std::string warning = "Fusion: frames wait without sync signals; the oldest frame is dropped.";
    EXPECT_EQ(std::count(log.messages.begin(), log.messages.end(), std::make_pair(3, warning)), 1);

    for (size_t i = 0; i < bound; ++i) {
        rising();
    }
    std::vector<uint64_t> expected;
    for (uint64_t i = 13; i <= bound + 12; ++i) {
        expected.push_back(i);
    }
    EXPECT_EQ(pairedFrames(), expected);

    // A new burst after pairs were formed is reported again.
    for (uint64_t i = 0; i <= bound; ++i) {
        processor.addApsData(frame(i));
    }
    EXPECT_EQ(processor.getDroppedFrameCount(), 13u);
    EXPECT_EQ(std::count(log.messages.begin(), log.messages.end(), std::make_pair(3, warning)), 2);
}

TEST_F(DvsApsFusionProccessorTest, SyncSignalsWithoutFramesAreBoundedDroppingTheOldestSegment)
{
    const size_t bound = DvsApsFusionProccessor::kMaxQueuedSegments;
    for (uint64_t i = 1; i <= bound + 5; ++i) {
        events({i});
        rising();
    }
    EXPECT_EQ(processor.getDroppedSegmentCount(), 5u);
    EXPECT_EQ(processor.getDroppedFrameCount(), 0u);
    EXPECT_TRUE(log.contains(3, "Fusion: sync signals wait without frames; the oldest segment is dropped."));

    for (uint64_t i = 1; i <= bound; ++i) {
        processor.addApsData(frame(i));
    }
    ASSERT_EQ(pairs.size(), bound);
    EXPECT_EQ(pairs.front().events, (Events{6}));
    EXPECT_EQ(pairs.back().events, (Events{bound + 5}));

    // Counts survive clear(); the queues do not.
    processor.clear();
    processor.addApsData(frame(99));
    EXPECT_EQ(pairs.size(), bound);
    EXPECT_EQ(processor.getDroppedSegmentCount(), 5u);
}

TEST_F(DvsApsFusionProccessorTest, SegmentsGoBackToThePoolAndAreReused)
{
    // Steady pairing takes turns between two vectors; a burst of dropped segments needs no more
    // than the pool holds.
    std::set<const Event2D*> vectors;
    for (uint64_t i = 0; i < 40; ++i) {
        events({i});
        rising();
        processor.addApsData(frame(i));
        vectors.insert(pairs.back().first);
    }
    EXPECT_LE(vectors.size(), 2u);

    for (uint64_t i = 0; i < 40; ++i) {
        events({i});
        rising();
    }
    for (uint64_t i = 0; i < 40; ++i) {
        events({i});
        rising();
        processor.addApsData(frame(i));
        vectors.insert(pairs.back().first);
    }
    EXPECT_LE(vectors.size(), DvsApsFusionProccessor::kMaxQueuedSegments + 2);
}

TEST_F(DvsApsFusionProccessorTest, TheCallbackRunsOnTheThreadThatCompletesThePair)
{
    events({1});
    rising();
    std::thread::id frameThread;
    std::thread fusion([&] {
        frameThread = std::this_thread::get_id();
        processor.addApsData(frame(100));
    });
    fusion.join();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].thread, frameThread);

    processor.addApsData(frame(200));
    std::thread stream([&] {
        events({2});
        rising();
    });
    const std::thread::id streamThread = stream.get_id();
    stream.join();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].thread, streamThread);
}

} // namespace
} // namespace tarvo
