// The queue of frame times between the event stream thread and the fusion thread.
#include "camera/FrameTimeQueue.h"

#include <gtest/gtest.h>

#include <future>

namespace tarvo {
namespace {

FrameTimeQueue::Times timesOf(uint64_t edge)
{
    return {edge - 100, edge + 100};
}

TEST(FrameTimeQueue, EachFrameGetsTheEntryOfItsArrivalPassingOverThoseOfDroppedFrames)
{
    FrameTimeQueue queue;
    queue.reset();
    for (uint64_t edge = 1000; edge <= 4000; edge += 1000) {
        queue.push(timesOf(edge));
    }
    EXPECT_EQ(queue.take(0)->end, 1100u);
    // Frame 1 was dropped before it was paired: frame 2 still gets the third edge.
    EXPECT_EQ(queue.take(2)->end, 3100u);
    EXPECT_EQ(queue.take(3)->end, 4100u);
}

TEST(FrameTimeQueue, WaitsForTheEdgeOfItsFrameUntilClosed)
{
    FrameTimeQueue queue;
    queue.reset();
    auto waiting = std::async(std::launch::async, [&] { return queue.take(0); });
    queue.push(timesOf(7000));
    EXPECT_EQ(waiting.get()->start, 6900u);
    auto orphan = std::async(std::launch::async, [&] { return queue.take(1); });
    queue.close();
    EXPECT_FALSE(orphan.get());
}

TEST(FrameTimeQueue, EdgesWithoutFramesAreBoundedAndCounted)
{
    FrameTimeQueue queue;
    queue.reset();
    const uint64_t pushed = FrameTimeQueue::kMaxWaiting + 8;
    for (uint64_t k = 0; k < pushed; ++k) {
        queue.push(timesOf(1000 * (k + 1)));
    }
    EXPECT_EQ(queue.droppedCount(), 8u);
    queue.close();
    // The oldest were dropped: their frames get no times, the later ones do.
    EXPECT_FALSE(queue.take(7));
    EXPECT_EQ(queue.take(8)->end, 9100u);
    queue.reset();
    EXPECT_EQ(queue.droppedCount(), 0u);
}

} // namespace
} // namespace tarvo
