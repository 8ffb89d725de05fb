#include "TarvoBase/Converters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(StringToIP, ReadsDottedQuadsAndRejectsAnythingElse)
{
    EXPECT_EQ(stringToIP("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(stringToIP("0.0.0.0"), 0u);
    EXPECT_EQ(stringToIP("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.x", "1..2.3", " 1.2.3.4", "1.2.3.4 ", "0001.2.3.4"}) {
        EXPECT_EQ(stringToIP(bad), 0u) << bad;
    }
}

TEST(ConvertEndian, ReversesEachWholeWordAndLeavesTheTail)
{
    std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    convertEndian(bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 3, 2, 1, 8, 7, 6, 5, 9, 10}));
    std::vector<uint8_t> empty;
    convertEndian(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(Local8bitToUtf8, KeepsUtf8Text)
{
    EXPECT_EQ(local8bitToUtf8("/tmp/recording.raw"), "/tmp/recording.raw");
    EXPECT_EQ(local8bitToUtf8("/tmp/\xe5\xbd\x95\xe5\x88\xb6.raw"), "/tmp/\xe5\xbd\x95\xe5\x88\xb6.raw");
}

} // namespace
} // namespace tarvo
