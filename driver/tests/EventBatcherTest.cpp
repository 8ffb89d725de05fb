// Batching of event runs by count and by time, and the hand-over to getNextBatch().
#include "camera/EventBatcher.h"
#include "CameraTestSupport.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

std::vector<Event2D> run(uint64_t count, uint64_t firstTime, uint64_t step = 1)
{
    std::vector<Event2D> events;
    for (uint64_t i = 0; i < count; ++i) {
        events.emplace_back(static_cast<uint16_t>(i % 1280), static_cast<uint16_t>(i % 720), i % 2,
                            firstTime + i * step);
    }
    return events;
}

class EventBatcherTest : public ::testing::Test
{
protected:
    void add(const std::vector<Event2D>& events)
    {
        batcher.add(events.data(), events.data() + events.size());
    }

    // Starts a caller in getNextBatch and returns once it waits.
    std::future<std::pair<bool, std::vector<Event2D>>> waitingCaller(EventBatcher::Mode mode)
    {
        const uint32_t before = batcher.progress(mode).waiters;
        auto caller = std::async(std::launch::async, [this] {
            std::vector<Event2D> batch;
            const bool delivered = batcher.getNextBatch(batch);
            return std::make_pair(delivered, std::move(batch));
        });
        EXPECT_TRUE(test::eventually([&] { return batcher.progress(mode).waiters > before; }));
        return caller;
    }

    // The batch that adding `events` completes, as a caller that waited beforehand gets it.
    std::vector<Event2D> batchCompletedBy(EventBatcher::Mode mode, const std::vector<Event2D>& events)
    {
        auto caller = waitingCaller(mode);
        add(events);
        auto [delivered, batch] = caller.get();
        EXPECT_TRUE(delivered);
        return batch;
    }

    // Adds the events one at a time with a caller waiting, so that every batch handed over is
    // caught; a single event hands over at most one batch where no window is empty.
    std::vector<std::vector<Event2D>> batchesEventByEvent(const std::vector<Event2D>& events)
    {
        std::vector<std::vector<Event2D>> batches;
        auto caller = waitingCaller(EventBatcher::BY_TIME);
        for (const Event2D& event : events) {
            const uint64_t before = batcher.progress(EventBatcher::BY_TIME).handOvers;
            add({event});
            if (batcher.progress(EventBatcher::BY_TIME).handOvers != before) {
                auto [delivered, batch] = caller.get();
                EXPECT_TRUE(delivered);
                batches.push_back(std::move(batch));
                caller = waitingCaller(EventBatcher::BY_TIME);
            }
        }
        batcher.close();
        EXPECT_FALSE(caller.get().first);
        return batches;
    }

    EventBatcher batcher{"test/EventBatcher"};
};

TEST_F(EventBatcherTest, WithoutABatchModeNothingIsCollectedAndCallersReturnAtOnce)
{
    batcher.open();
    add(run(1000, 0));
    std::vector<Event2D> batch = run(3, 0);
    EXPECT_FALSE(batcher.getNextBatch(batch));
    EXPECT_TRUE(batch.empty());
}

TEST_F(EventBatcherTest, ACountBatchIsHandedOverOnlyWhenAnEventBeyondItArrives)
{
    batcher.open();
    ASSERT_TRUE(batcher.setBatchEventsNum(131072));
    const auto big = run(300000, 0);
    auto caller = waitingCaller(EventBatcher::BY_COUNT);
    add(big);
    EXPECT_EQ(batcher.progress(EventBatcher::BY_COUNT).handOvers,
              2u); // 300000 = 2 × 131072 + 37856 collected
    const auto [delivered, batch] = caller.get();
    ASSERT_TRUE(delivered);
    ASSERT_EQ(batch.size(), 131072u);
    // A caller gets a whole batch in stream order: the first or the second of the run.
    EXPECT_TRUE(batch.front() == big[0] || batch.front() == big[131072]);

    // 37856 collected + 93216 fills the third batch exactly: not handed over yet.
    add(run(131072 - (300000 - 2 * 131072), 300000));
    EXPECT_EQ(batcher.progress(EventBatcher::BY_COUNT).handOvers, 2u);
    const auto thirdBatch = batchCompletedBy(EventBatcher::BY_COUNT, run(1, 400000));
    EXPECT_EQ(batcher.progress(EventBatcher::BY_COUNT).handOvers, 3u);
    ASSERT_EQ(thirdBatch.size(), 131072u);
    EXPECT_EQ(thirdBatch.front(), big[262144]);
    EXPECT_EQ(thirdBatch.back().timestamp, 300000 + 93216 - 1u);
}

TEST_F(EventBatcherTest, ACallerNeverGetsABatchCompletedBeforeItBeganToWait)
{
    batcher.open();
    batcher.setBatchEventsNum(10);
    add(run(25, 0)); // two batches handed over before anyone waits
    const auto batch = batchCompletedBy(EventBatcher::BY_COUNT, run(10, 100)); // events 20..29
    ASSERT_EQ(batch.size(), 10u);
    EXPECT_EQ(batch.front().timestamp, 20u);
}

TEST_F(EventBatcherTest, EachBatchGoesToOneCallerOnly)
{
    batcher.open();
    batcher.setBatchEventsNum(10);
    auto first = waitingCaller(EventBatcher::BY_COUNT);
    auto second = waitingCaller(EventBatcher::BY_COUNT);
    add(run(11, 0));
    // One caller took the batch; the other still waits and gets the next one, not an empty list.
    ASSERT_TRUE(test::eventually([&] { return batcher.progress(EventBatcher::BY_COUNT).waiters == 1; }));
    add(run(10, 100));
    const auto a = first.get();
    const auto b = second.get();
    ASSERT_TRUE(a.first && b.first);
    EXPECT_EQ(a.second.size(), 10u);
    EXPECT_EQ(b.second.size(), 10u);
    EXPECT_NE(a.second.front().timestamp, b.second.front().timestamp);
}

TEST_F(EventBatcherTest, TimeBatchesCoverTheirWindowsAndAGapGivesEmptyBatches)
{
    batcher.open();
    ASSERT_TRUE(batcher.setBatchEventsTime(10000));
    add(run(50, 1000, 100)); // 1000 .. 5900: inside the first window [1000, 11000)
    EXPECT_EQ(batcher.progress(EventBatcher::BY_TIME).handOvers, 0u);
    // A 35 ms gap: the next run hands over the batch before the gap and the empty windows
    // [11000, 21000), [21000, 31000), [31000, 41000) before its own.
    const auto after = run(10, 41000);
    auto caller = waitingCaller(EventBatcher::BY_TIME);
    add(after);
    EXPECT_EQ(batcher.progress(EventBatcher::BY_TIME).handOvers, 4u);
    const auto [delivered, batch] = caller.get();
    ASSERT_TRUE(delivered);
    // The caller gets the newest batch when it wakes: the first or one of the empty ones.
    if (!batch.empty()) {
        EXPECT_EQ(batch.size(), 50u);
    }
}

TEST_F(EventBatcherTest, AnEventExactlyAtTheWindowEndStartsTheNextBatch)
{
    batcher.open();
    batcher.setBatchEventsTime(100);
    add(run(3, 0, 50)); // 0, 50, 100
    EXPECT_EQ(batcher.progress(EventBatcher::BY_TIME).handOvers, 1u);
    const auto batch = batchCompletedBy(EventBatcher::BY_TIME, run(1, 200));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].timestamp, 100u);
}

TEST_F(EventBatcherTest, TimeThatStepsBackIsCutAtTheFirstEventPastTheWindow)
{
    batcher.open();
    batcher.setBatchEventsTime(1000);
    // As real cameras send it: a TIME_LOW a few µs below the previous one, also across the end
    // of a window (10996 after 11002). A sorted search would cut at the wrong place.
    std::vector<Event2D> events;
    for (uint64_t t : {10000, 10500, 10990, 10995, 11002, 10996, 11003, 11500, 11999, 11990, 12001, 12002}) {
        events.emplace_back(static_cast<uint16_t>(t % 1280), 7, 1, t);
    }
    const auto batches = batchesEventByEvent(events);
    ASSERT_EQ(batches.size(), 2u);
    // [10000, 11000): up to the first event at or past 11000, in stream order.
    ASSERT_EQ(batches[0].size(), 4u);
    EXPECT_EQ(batches[0].back().timestamp, 10995u);
    // The next window starts at its first event, 11002, keeps 10996, which came after it, and
    // ends at 12002.
    const std::vector<uint64_t> second = {11002, 10996, 11003, 11500, 11999, 11990, 12001};
    ASSERT_EQ(batches[1].size(), second.size());
    for (size_t i = 0; i < second.size(); ++i) {
        EXPECT_EQ(batches[1][i].timestamp, second[i]);
    }
}

TEST_F(EventBatcherTest, TimeBatchesOfAStreamThatStepsBackHoldEveryEventOnceInStreamOrder)
{
    batcher.open();
    batcher.setBatchEventsTime(100);
    std::vector<Event2D> events;
    for (uint64_t i = 0; i < 3000; ++i) {
        // Forward by 3 µs, and back by 2 µs at every fifth event.
        const uint64_t t = 1000 + i * 3 - (i % 5 == 4 ? 5 : 0);
        events.emplace_back(static_cast<uint16_t>(i % 1280), static_cast<uint16_t>(i % 720), 1, t);
    }
    std::vector<Event2D> seen;
    for (const auto& batch : batchesEventByEvent(events)) {
        ASSERT_FALSE(batch.empty());
        EXPECT_LT(batch.back().timestamp - batch.front().timestamp, 100u + 5u);
        seen.insert(seen.end(), batch.begin(), batch.end());
    }
    ASSERT_GT(seen.size(), events.size() - 40); // all but the last window's events
    for (size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i], events[i]) << i;
    }
}

TEST_F(EventBatcherTest, AVeryLongGapHandsOverABoundedNumberOfEmptyBatches)
{
    batcher.open();
    batcher.setBatchEventsTime(10);
    add(run(1, 0));
    add(run(1, 3600ull * 1000000)); // an hour later: 360 million windows
    // The batch before the gap, then the last of the empty windows only.
    EXPECT_EQ(batcher.progress(EventBatcher::BY_TIME).handOvers, EventBatcher::kMaxEmptyWindows + 1);
}

TEST_F(EventBatcherTest, ZeroCountAndZeroSpanAreRefusedAndChangeNothing)
{
    test::LogCapture log;
    batcher.open();
    ASSERT_TRUE(batcher.setBatchEventsNum(5));
    EXPECT_FALSE(batcher.setBatchEventsNum(0));
    EXPECT_FALSE(batcher.setBatchEventsTime(0));
    EXPECT_TRUE(log.contains(3, "A batch of 0 events is refused"));
    add(run(6, 0));
    EXPECT_EQ(batcher.progress(EventBatcher::BY_COUNT).handOvers, 1u);
    EXPECT_EQ(batcher.progress(EventBatcher::BY_TIME).handOvers, 0u);
}

TEST_F(EventBatcherTest, SwitchingModesReleasesCallersOfTheOldModeAndKeepsWhatWasCollected)
{
    batcher.open();
    batcher.setBatchEventsNum(100);
    add(run(60, 0));
    auto countCaller = waitingCaller(EventBatcher::BY_COUNT);
    batcher.setBatchEventsTime(1000);
    EXPECT_FALSE(countCaller.get().first);

    add(run(10, 2000)); // time mode from this run on: [2000, 3000)
    EXPECT_EQ(batchCompletedBy(EventBatcher::BY_TIME, run(1, 3000)).size(), 10u);

    // Back to counting: the 60 collected before still count towards the next batch.
    batcher.setBatchEventsNum(100);
    const auto countBatch = batchCompletedBy(EventBatcher::BY_COUNT, run(41, 5000));
    ASSERT_EQ(countBatch.size(), 100u);
    EXPECT_EQ(countBatch.front().timestamp, 0u);
    EXPECT_EQ(countBatch.back().timestamp, 5039u);
}

TEST_F(EventBatcherTest, CloseWakesWaitingCallersAndLaterCallersReturnAtOnce)
{
    batcher.setBatchEventsTime(1000);
    std::vector<Event2D> batch;
    EXPECT_FALSE(batcher.getNextBatch(batch)); // not open yet: nothing will come
    batcher.open();
    auto caller = waitingCaller(EventBatcher::BY_TIME);
    batcher.close();
    EXPECT_FALSE(caller.get().first);
    // A close that comes before the call is not lost: the call does not wait at all.
    EXPECT_FALSE(batcher.getNextBatch(batch));
}

TEST_F(EventBatcherTest, ANewStreamStartsWithoutWhatTheLastOneLeft)
{
    batcher.open();
    batcher.setBatchEventsTime(1000);
    add(run(10, 5000000)); // collected, not handed over
    batcher.close();
    // A restarted camera's time base may begin again far below the old events.
    batcher.open();
    add(run(10, 100));
    const auto batch = batchCompletedBy(EventBatcher::BY_TIME, run(1, 1100));
    ASSERT_EQ(batch.size(), 10u);
    EXPECT_EQ(batch.front().timestamp, 100u);
}

TEST(EventBatcher, DestructionWaitsForTheCallersItWakes)
{
    auto batcher = std::make_unique<EventBatcher>("test/EventBatcher");
    batcher->setBatchEventsNum(10);
    batcher->open();
    EventBatcher* raw = batcher.get();
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        std::vector<Event2D> batch;
        EXPECT_FALSE(raw->getNextBatch(batch));
        returned = true;
    });
    ASSERT_TRUE(test::eventually([&] { return raw->progress(EventBatcher::BY_COUNT).waiters == 1; }));
    batcher.reset();
    caller.join();
    EXPECT_TRUE(returned);
}

} // namespace
} // namespace tarvo
