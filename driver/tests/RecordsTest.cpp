#include "TarvoDriver/DvsTypes.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace tarvo {
namespace {

TEST(Records, DefaultsAreZeroAndFileInfoIsHd)
{
    EXPECT_EQ(Event2D(), Event2D(0, 0, 0, 0));
    EXPECT_EQ(EventTriggerIn(), EventTriggerIn(0, 0, 0));
    const VxStatisticInfo statistics;
    EXPECT_EQ(statistics.dataRate, 0u);
    EXPECT_EQ(statistics.eventRate, 0u);
    const DvsFileInfo info;
    EXPECT_EQ(info.width, 1280);
    EXPECT_EQ(info.height, 720);
    EXPECT_TRUE(info.serial_number.empty());
    EXPECT_EQ(info.dvs_start_timestamp, 0u);
    EXPECT_EQ(info.aps_start_timestamp, 0u);
    EXPECT_EQ(info.date.time_since_epoch().count(), 0);
}

TEST(Records, TriggerConstructorTakesChannelFirst)
{
    const EventTriggerIn trigger(3, 1, 500);
    EXPECT_EQ(trigger.id, 3);
    EXPECT_EQ(trigger.polarity, 1);
    EXPECT_EQ(trigger.timestamp, 500u);
}

TEST(Records, EventsAreSixteenByteTriviallyCopyableRecords)
{
    static_assert(std::is_trivially_copyable_v<Event2D>);
    static_assert(std::is_trivially_copyable_v<EventTriggerIn>);
    static_assert(std::is_trivially_copyable_v<VxStatisticInfo>);
    EXPECT_EQ(sizeof(Event2D), 16u);
    EXPECT_EQ(offsetof(Event2D, timestamp), 8u);
    EXPECT_EQ(static_cast<int>(DVS_APS_STREAM), 2);
}

} // namespace
} // namespace tarvo
