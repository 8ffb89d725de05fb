#include "TarvoBase/TimeString.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(TimeString, LocalTextRoundTripsThroughTimePoint)
{
    for (const char* text :
         {"2026-12-07 08:16:12", "2000-01-01 00:00:00", "2020-09-25 07:48:29", "2024-02-29 23:59:59"}) {
        const WallTime time = parseLocalTimeString(text);
        EXPECT_NE(time.time_since_epoch().count(), 0) << text;
        EXPECT_EQ(timePointToString(time), text);
    }
}

TEST(TimeString, FractionsAreKeptInTicksAndOnlyTwentyFiveCharactersAreRead)
{
    const WallTime whole = parseLocalTimeString("2026-12-07 08:16:12");
    EXPECT_EQ((parseLocalTimeString("2026-12-07 08:16:12.25") - whole).count(), 2500000);
    EXPECT_EQ((parseLocalTimeString("2026-12-07 08:16:12.123456789") - whole).count(), 1234500);
    EXPECT_EQ(parseLocalTimeString("2026-12-07 08:16:12 trailing words beyond"), whole);
}

TEST(TimeString, UnreadableTextGivesZeroTime)
{
    for (const char* text : {"", "yesterday", "2026-13-01 00:00:00", "2026-12-07", "99999-1-1 1:1:1"}) {
        EXPECT_EQ(parseLocalTimeString(text).time_since_epoch().count(), 0) << text;
    }
}

} // namespace
} // namespace tarvo
