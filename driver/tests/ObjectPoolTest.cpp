#include "tools/ObjectPool.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarvo::test {
namespace {

using BytePool = ObjectPool<std::vector<unsigned char>>;

TEST(ObjectPool, HandsOutZeroFilledElementsAndTakesThemBackMostRecentFirst)
{
    BytePool pool(2, false, 16);
    auto first = pool.acquire();
    ASSERT_EQ(first->size(), 16u);
    EXPECT_EQ((*first)[15], 0);
    auto second = pool.acquire();
    EXPECT_EQ(pool.freeCount(), 0u);
    unsigned char* secondData = second->data();
    first.reset();
    second.reset();
    EXPECT_EQ(pool.freeCount(), 2u);
    EXPECT_EQ(pool.acquire()->data(), secondData);
}

TEST(ObjectPool, NonBlockingPoolGrowsWithEmptyElementsWhenNoneIsFree)
{
    BytePool pool(1, false, 8);
    auto taken = pool.acquire();
    auto extra = pool.acquire();
    ASSERT_TRUE(extra);
    EXPECT_TRUE(extra->empty());
    taken.reset();
    extra.reset();
    EXPECT_EQ(pool.freeCount(), 2u);
}

TEST(ObjectPool, BlockingPoolOfNothingIsRefused)
{
    EXPECT_THROW(BytePool(0, true, 8), std::invalid_argument);
    EXPECT_NO_THROW(BytePool(0, false, 8));
}

TEST(ObjectPool, BlockingAcquireWaitsForAnElementToComeBack)
{
    BytePool pool(1, true, 4);
    auto held = pool.acquire();
    std::mutex mutex;
    std::condition_variable changed;
    bool acquired = false;
    std::thread waiter([&] {
        auto element = pool.acquire();
        std::lock_guard<std::mutex> lock(mutex);
        acquired = true;
        changed.notify_one();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_FALSE(changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return acquired; }));
    }
    held.reset();
    {
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return acquired; }));
    }
    waiter.join();
}

TEST(ObjectPool, ElementsOutlivingThePoolAreFreed)
{
    std::shared_ptr<std::vector<unsigned char>> kept;
    {
        BytePool pool(1, false, 32);
        kept = pool.acquire();
    }
    ASSERT_EQ(kept->size(), 32u);
    kept.reset(); // must not touch the destroyed pool (checked under AddressSanitizer)
}

} // namespace
} // namespace tarvo::test
