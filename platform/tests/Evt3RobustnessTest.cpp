#include "DecoderTestSupport.h"
#include "ReferenceEvt3Reader.h"

#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvo::test {
namespace {

// Hostile bytes decode to exactly what a plain word-by-word reading of the format gives.
void expectSameAsReference(const std::vector<uint8_t>& bytes, const CollectingDecoder& decoded)
{
    ReferenceEvt3Reader reference;
    reference.read(bytes);
    ASSERT_EQ(decoded.events.size(), reference.events.size());
    for (size_t i = 0; i < reference.events.size(); ++i) {
        ASSERT_EQ(decoded.events[i], reference.events[i]) << "event " << i;
    }
    EXPECT_EQ(decoded.triggers, reference.triggers);
}

TEST(Evt3Robustness, RandomBytesInRandomChunksDecodeAsTheWordByWordReading)
{
    std::mt19937_64 random(42);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> bytes(1 + random() % 20000);
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        CollectingDecoder decoded;
        size_t offset = 0;
        while (offset < bytes.size()) {
            const size_t size = std::min<size_t>(bytes.size() - offset, 1 + random() % 3000);
            const std::vector<uint8_t> chunk(bytes.begin() + static_cast<long>(offset),
                                             bytes.begin() + static_cast<long>(offset + size));
            const uint64_t counted = decoded.events.size();
            const uint32_t returned = decoded.decoder->decode(chunk);
            ASSERT_EQ(returned, decoded.events.size() - counted);
            offset += size;
        }
        expectSameAsReference(bytes, decoded);
        ReferenceEvt3Reader reference;
        reference.read(bytes);
        EXPECT_EQ(decoded.decoder->getLastTimestamp(), reference.time());
        CollectingDecoder counter;
        EXPECT_EQ(counter.decoder->countEvents(bytes.data(), bytes.data() + bytes.size()),
                  decoded.events.size());
    }
}

TEST(Evt3Robustness, MutatedRealisticStreamsDecodeAsTheWordByWordReading)
{
    sim::SceneOptions options;
    options.triggerHz = 500;
    sim::SyntheticScene scene(options, 1000);
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    scene.generate(1000, 51000, events, triggers);
    const std::vector<uint8_t> clean = Evt3Encoder::encode(events, triggers);

    std::mt19937_64 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<uint8_t> bytes = clean;
        for (int flip = 0; flip < 100; ++flip) {
            bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        bytes.resize(bytes.size() - random() % 64);
        CollectingDecoder decoded;
        decoded.decoder->decode(bytes);
        expectSameAsReference(bytes, decoded);
        CollectingDecoder counter;
        EXPECT_EQ(counter.decoder->countEvents(bytes.data(), bytes.data() + bytes.size()),
                  decoded.events.size());
    }
}

TEST(Evt3Robustness, EmptyAndNullRangesAreHarmless)
{
    CollectingDecoder decoded;
    EXPECT_EQ(decoded.decoder->decode({}), 0u);
    EXPECT_EQ(decoded.decoder->countEvents(nullptr, nullptr), 0u);
    decoded.decoder->advanceTime(nullptr, nullptr);
    decoded.decoder->setLastTimestamp(nullptr);
    EXPECT_EQ(decoded.decoder->getLastTimestamp(), 0u);
}

} // namespace
} // namespace tarvo::test
