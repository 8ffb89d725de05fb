#include "TarvoBase/ApsFrame.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(ApsFrame, DefaultIsA4kRgbFrameAtTimeZero)
{
    ApsFrame frame;
    EXPECT_EQ(frame.getWidth(), 3840u);
    EXPECT_EQ(frame.getHeight(), 2160u);
    EXPECT_EQ(frame.getDataSize(), 3840u * 2160u * 3u);
    EXPECT_EQ(frame.getStartTimestamp(), 0u);
    EXPECT_EQ(frame.getEndTimestamp(), 0u);
}

TEST(ApsFrame, CopiesShareBytesAndCloneIsIndependent)
{
    ApsFrame frame(4, 2, 10, 20);
    ApsFrame copy = frame;
    ApsFrame deep = frame.clone();
    frame.data()[0] = 99;
    EXPECT_EQ(copy.data()[0], 99);
    EXPECT_EQ(deep.data()[0], 0);
    EXPECT_EQ(deep.getStartTimestamp(), 10u);
    EXPECT_EQ(deep.getEndTimestamp(), 20u);
}

TEST(ApsFrame, WrapsOrCopiesOutsideBytesAsAsked)
{
    std::vector<uint8_t> pixels(2 * 2 * 3, 7);
    ApsFrame wrapped(2, 2, 5, 5, pixels.data(), pixels.size(), false);
    ApsFrame copied(2, 2, 5, 5, pixels.data(), pixels.size(), true);
    EXPECT_EQ(wrapped.data(), pixels.data());
    EXPECT_NE(copied.data(), pixels.data());
    pixels[0] = 1;
    EXPECT_EQ(wrapped.data()[0], 1);
    EXPECT_EQ(copied.data()[0], 7);
    EXPECT_EQ(copied.getDataSize(), pixels.size());
}

} // namespace
} // namespace tarvo
