#include "DecoderTestSupport.h"
#include "ReferenceEvt3Reader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvo::test {
namespace {

struct RealRecording
{
    const char* file;
    size_t addrXWords;
    size_t triggerEdges;
};

// Events that vector words announce: the set bits of VECT_12 and VECT_8 masks.
size_t vectorEvents(const std::vector<uint8_t>& payload)
{
    size_t count = 0;
    for (size_t i = 0; i + 1 < payload.size(); i += 2) {
        const unsigned word = payload[i] | (payload[i + 1] << 8);
        if (word >> 12 == 0x4) {
            count += static_cast<size_t>(__builtin_popcount(word & 0xFFF));
        } else if (word >> 12 == 0x5) {
            count += static_cast<size_t>(__builtin_popcount(word & 0xFF));
        }
    }
    return count;
}

class RealRecordingDecoding : public ::testing::TestWithParam<RealRecording>
{
};

TEST_P(RealRecordingDecoding, DecodesEveryEventAndTriggerAsTheWordByWordReading)
{
    const std::filesystem::path path = std::filesystem::path(TARVO_REALDATA_DIR) / GetParam().file;
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "real recordings not available at " << path;
    }
    const std::vector<uint8_t> payload = readRecordingPayload(path);
    ASSERT_FALSE(payload.empty());

    CollectingDecoder decoded;
    const uint32_t count = decoded.decoder->decode(payload);
    EXPECT_EQ(count, GetParam().addrXWords + vectorEvents(payload));
    EXPECT_EQ(decoded.events.size(), count);
    EXPECT_EQ(decoded.triggers.size(), GetParam().triggerEdges);
    ReferenceEvt3Reader reference;
    reference.read(payload);
    ASSERT_EQ(decoded.events.size(), reference.events.size());
    for (size_t i = 0; i < reference.events.size(); ++i) {
        ASSERT_EQ(decoded.events[i], reference.events[i]) << "event " << i;
    }
    EXPECT_EQ(decoded.triggers, reference.triggers);
    for (const Event2D& e : decoded.events) {
        ASSERT_LT(e.x, 1280);
        ASSERT_LT(e.y, 720);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RealRecordingDecoding,
                         ::testing::Values(RealRecording{"hd_gen41_evk3_2020_excerpt.raw", 197550, 0},
                                           RealRecording{"hd_1280x720_triggers_from_rosbag.raw", 82469, 2},
                                           RealRecording{"vga_640x480_triggers_from_rosbag.raw", 343474,
                                                         4157}),
                         [](const ::testing::TestParamInfo<RealRecording>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('_', 3));
                         });

TEST(RealRecordingTriggers, VgaRecordingAlternatesEdgesOnChannelSix)
{
    const std::filesystem::path path =
        std::filesystem::path(TARVO_REALDATA_DIR) / "vga_640x480_triggers_from_rosbag.raw";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "real recordings not available";
    }
    CollectingDecoder decoded;
    decoded.decoder->decode(readRecordingPayload(path));
    ASSERT_FALSE(decoded.triggers.empty());
    for (size_t i = 0; i < decoded.triggers.size(); ++i) {
        EXPECT_EQ(decoded.triggers[i].id, 6);
        if (i > 0) {
            ASSERT_NE(decoded.triggers[i].polarity, decoded.triggers[i - 1].polarity) << "edge " << i;
        }
    }
}

} // namespace
} // namespace tarvo::test
