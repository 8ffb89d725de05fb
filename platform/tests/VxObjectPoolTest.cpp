#include "TarvoBase/VxObjectPool.h"
#include "TarvoBase/EventTypes.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(VxObjectPool, ReleasedObjectsAreReusedUpToTheCapacity)
{
    auto pool = VxObjectPoolFactory::createUniqueVxObjectPoolWithArgs<std::vector<Event2D>>(2, size_t{16});
    std::vector<Event2D>* reused = nullptr;
    {
        auto a = pool->acquire();
        EXPECT_EQ(a->size(), 16u);
        reused = a.get();
    }
    EXPECT_EQ(pool->idleCount(), 1u);
    EXPECT_EQ(pool->acquire().get(), reused);
    {
        auto a = pool->acquire();
        auto b = pool->acquire();
        auto c = pool->acquire();
        EXPECT_EQ(pool->idleCount(), 0u);
    }
    EXPECT_EQ(pool->idleCount(), 2u);
}

TEST(VxObjectPool, ObjectsMayOutliveThePool)
{
    std::shared_ptr<std::vector<Event2D>> kept;
    {
        auto pool = VxObjectPoolFactory::createUniqueVxObjectPoolWithArgs<std::vector<Event2D>>(1, size_t{4});
        kept = pool->acquire();
    }
    kept->push_back(Event2D(1, 2, 1, 3));
    EXPECT_EQ(kept->size(), 5u);
}

} // namespace
} // namespace tarvo
