#include "tools/H264EncoderChoice.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(H264EncoderChoice, PrefersLibx264ThenH264MfThenAnyOtherH264Encoder)
{
    const EncoderCandidate x264{"libx264", true}, mf{"h264_mf", true}, nvenc{"h264_nvenc", true},
        decoderNamedX264{"libx264", false}, hevc{"libx265", false};
    EXPECT_EQ(preferredH264Encoder({nvenc, mf, x264}), 2);
    EXPECT_EQ(preferredH264Encoder({nvenc, mf, hevc}), 1);
    EXPECT_EQ(preferredH264Encoder({hevc, decoderNamedX264, nvenc}), 2);
    EXPECT_EQ(preferredH264Encoder({hevc, decoderNamedX264}), -1);
    EXPECT_EQ(preferredH264Encoder({}), -1);
}

} // namespace
} // namespace tarvo
