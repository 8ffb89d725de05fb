#include "camera/PeriodicThread.h"
#include "CameraTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

TEST(PeriodicThread, RunsItsJobEachPeriodUntilStopped)
{
    PeriodicThread thread("test/PeriodicThread", "test-periodic");
    std::atomic<int> runs{0};
    thread.start(5ms, [&] { ++runs; });
    ASSERT_TRUE(test::eventually([&] { return runs >= 3; }));
    EXPECT_TRUE(thread.stop());
    const int atStop = runs;
    EXPECT_FALSE(thread.stop()); // already joined
    EXPECT_EQ(runs, atStop);
}

TEST(PeriodicThread, StopWakesASleepingThreadAtOnce)
{
    PeriodicThread thread("test/PeriodicThread", "test-periodic");
    std::atomic<int> runs{0};
    thread.start(std::chrono::hours(1), [&] { ++runs; });
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread.stop()); // an hour-long sleep would hold this up
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 30s);
    EXPECT_EQ(runs, 0);
}

TEST(PeriodicThread, AJobMayStopItsOwnThreadAndAThrowingJobKeepsItRunning)
{
    PeriodicThread thread("test/PeriodicThread", "test-periodic");
    test::LogCapture log;
    std::atomic<int> runs{0};
    thread.start(2ms, [&] {
        if (++runs == 1) {
            throw std::runtime_error("first run fails");
        }
        thread.stop();
    });
    ASSERT_TRUE(test::eventually([&] { return runs == 2; }));
    thread.join();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(log.contains(4, "Periodic job failed: first run fails"));
    // It can start again after ending itself.
    thread.start(2ms, [&] { ++runs; });
    ASSERT_TRUE(test::eventually([&] { return runs >= 4; }));
}

} // namespace
} // namespace tarvo
