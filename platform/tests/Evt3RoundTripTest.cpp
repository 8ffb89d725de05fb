#include "DecoderTestSupport.h"

#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tarvo::test {
namespace {

// Rows of neighbouring pixels, as moving edges produce, with trigger pulses.
Stream sceneStream(uint64_t seed, uint64_t durationUs, double rate, uint64_t start)
{
    sim::SceneOptions options;
    options.seed = seed;
    options.eventsPerSecond = rate;
    options.triggerHz = 1000;
    options.tickUs = 2;
    sim::SyntheticScene scene(options, start);
    Stream stream;
    scene.generate(start, start + durationUs, stream.events, stream.triggers);
    return stream;
}

void expectSameStream(const CollectingDecoder& decoded, const Stream& stream)
{
    ASSERT_EQ(decoded.events.size(), stream.events.size());
    for (size_t i = 0; i < stream.events.size(); ++i) {
        ASSERT_EQ(decoded.events[i], stream.events[i]) << "event " << i;
    }
    EXPECT_EQ(decoded.triggers, stream.triggers);
}

class Evt3RoundTrip : public ::testing::TestWithParam<int>
{
};

TEST_P(Evt3RoundTrip, RandomEventsAcrossRolloversDecodeExactlyInOneCallAndInRandomChunks)
{
    const Stream stream = randomStream(static_cast<uint64_t>(GetParam()), 400000);
    const uint64_t origin = stream.events.front().timestamp;
    const std::vector<uint8_t> bytes = Evt3Encoder::encode(stream.events, stream.triggers, origin);

    CollectingDecoder whole;
    whole.decoder->setLastTimestamp(&origin);
    EXPECT_EQ(whole.decoder->decode(bytes), stream.events.size());
    expectSameStream(whole, stream);

    CollectingDecoder chunked;
    chunked.decoder->setLastTimestamp(&origin);
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    std::uniform_int_distribution<size_t> chunkSize(0, 5000);
    size_t offset = 0;
    while (offset < bytes.size()) {
        const size_t size = std::min(bytes.size() - offset, chunkSize(random));
        chunked.decoder->decode(std::vector<uint8_t>(bytes.begin() + static_cast<long>(offset),
                                                     bytes.begin() + static_cast<long>(offset + size)));
        offset += size;
    }
    expectSameStream(chunked, stream);
    EXPECT_EQ(chunked.decoder->getLastTimestamp(), whole.decoder->getLastTimestamp());
}

TEST_P(Evt3RoundTrip, SceneWithVectorsAndTriggersDecodesExactlyFromAFreshDecoder)
{
    const Stream stream = sceneStream(static_cast<uint64_t>(GetParam()), 200000, 10e6, 16777216 - 100000);
    ASSERT_GT(stream.triggers.size(), 300u);
    const uint64_t origin = stream.events.front().timestamp;
    const std::vector<uint8_t> bytes = Evt3Encoder::encode(stream.events, stream.triggers);

    CollectingDecoder decoded;
    decoded.decoder->decode(bytes);
    expectSameStream(decoded, stream);
    EXPECT_GE(decoded.decoder->getLastTimestamp(), origin);
}

TEST_P(Evt3RoundTrip, WordByWordAdvanceTimeReachesTheTimesOfDecodingAndCountMatches)
{
    const Stream stream = sceneStream(static_cast<uint64_t>(GetParam()) + 100, 20000, 2e6, 5000);
    Evt3Encoder encoder;
    encoder.setTimeHighRepeatPeriod(16);
    std::vector<uint8_t> bytes;
    encoder.addMerged(stream.events, stream.triggers, bytes);

    CollectingDecoder stepped;
    CollectingDecoder counted;
    CollectingDecoder timed;
    uint64_t count = 0;
    for (size_t offset = 0; offset < bytes.size(); offset += 2) {
        const std::vector<uint8_t> word(bytes.begin() + static_cast<long>(offset),
                                        bytes.begin() + static_cast<long>(offset + 2));
        stepped.decoder->decode(word);
        count += counted.decoder->countEvents(word.data(), word.data() + 2);
        timed.decoder->advanceTime(word.data(), word.data() + 2);
        ASSERT_EQ(timed.decoder->getLastTimestamp(), stepped.decoder->getLastTimestamp())
            << "word at " << offset;
        ASSERT_EQ(counted.decoder->getLastTimestamp(), stepped.decoder->getLastTimestamp());
    }
    expectSameStream(stepped, stream);
    EXPECT_EQ(count, stream.events.size());
    EXPECT_TRUE(timed.events.empty());
    EXPECT_TRUE(counted.triggers.empty());
}

TEST_P(Evt3RoundTrip, CountingOrTimingAPrefixLeavesTheStateThatDecodingTheRestNeeds)
{
    // Rows repeat and vectors straddle the split points, so row and vector state must carry over.
    sim::SceneOptions options;
    options.seed = static_cast<uint64_t>(GetParam());
    options.eventsPerSecond = 40e6;
    options.rowRunShare = 0.6;
    options.triggerHz = 2000;
    sim::SyntheticScene scene(options, 3000);
    Stream stream;
    scene.generate(3000, 23000, stream.events, stream.triggers);
    const std::vector<uint8_t> bytes = Evt3Encoder::encode(stream.events, stream.triggers);

    CollectingDecoder whole;
    whole.decoder->decode(bytes);
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 20; ++round) {
        const size_t split = random() % bytes.size();
        const std::vector<uint8_t> rest(bytes.begin() + static_cast<long>(split), bytes.end());
        for (const bool counting : {true, false}) {
            CollectingDecoder resumed;
            uint32_t counted = 0;
            if (counting) {
                counted = resumed.decoder->countEvents(bytes.data(), bytes.data() + split);
            } else {
                resumed.decoder->advanceTime(bytes.data(), bytes.data() + split);
            }
            resumed.decoder->decode(rest);
            const size_t skipped = whole.events.size() - resumed.events.size();
            if (counting) {
                EXPECT_EQ(counted, skipped);
            }
            ASSERT_TRUE(std::equal(resumed.events.begin(), resumed.events.end(),
                                   whole.events.begin() + static_cast<long>(skipped)))
                << "split at byte " << split << (counting ? " after counting" : " after timing");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Evt3RoundTrip, ::testing::Values(1, 2, 3, 4, 5));

TEST(Evt3Encoder, UsesVectorWordsForRowRunsAndRejectsTimeGoingBack)
{
    std::vector<Event2D> run;
    for (uint16_t x = 100; x < 140; x += 2) {
        run.emplace_back(x, 5, 1, 1000);
    }
    const std::vector<uint8_t> bytes = Evt3Encoder::encode(run);
    // TIME_HIGH, TIME_LOW, ADDR_Y, then base and vector words instead of 20 ADDR_X words.
    EXPECT_LT(bytes.size() / 2, 3u + 8u);

    Evt3Encoder encoder;
    std::vector<uint8_t> out;
    encoder.addTime(500, out);
    EXPECT_THROW(encoder.addTime(499, out), std::invalid_argument);
    const Event2D wide(2048, 0, 0, 600);
    EXPECT_THROW(encoder.addEvents(&wide, &wide + 1, out), std::invalid_argument);
}

TEST(SyntheticScene, SameSeedGivesSameStreamAndRateIsHonoured)
{
    const Stream a = sceneStream(7, 100000, 5e6, 0);
    const Stream b = sceneStream(7, 100000, 5e6, 0);
    EXPECT_EQ(a.events, b.events);
    EXPECT_EQ(a.triggers, b.triggers);
    EXPECT_NEAR(static_cast<double>(a.events.size()), 500000.0, 5000.0);
    EXPECT_EQ(a.triggers.size(), 200u);
    for (const Event2D& e : a.events) {
        ASSERT_LT(e.x, 1280);
        ASSERT_LT(e.y, 720);
    }
}

TEST(SyntheticScene, BurstMultipliesTheRateWithinItsStretchOnly)
{
    sim::SceneOptions options;
    options.eventsPerSecond = 1e6;
    options.burstStartUs = 20000;
    options.burstEndUs = 30000;
    options.burstFactor = 4;
    sim::SyntheticScene scene(options, 5000);
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    scene.generate(5000, 45000, events, triggers);
    // Events per 10 ms stretch of scene time: quiet, quiet, burst, quiet.
    std::vector<size_t> counts(4, 0);
    for (const Event2D& e : events) {
        ++counts[(e.timestamp - 5000) / 10000];
    }
    EXPECT_NEAR(static_cast<double>(counts[0]), 10000.0, 500.0);
    EXPECT_NEAR(static_cast<double>(counts[1]), 10000.0, 500.0);
    EXPECT_NEAR(static_cast<double>(counts[2]), 40000.0, 1000.0);
    EXPECT_NEAR(static_cast<double>(counts[3]), 10000.0, 500.0);
}

} // namespace
} // namespace tarvo::test
