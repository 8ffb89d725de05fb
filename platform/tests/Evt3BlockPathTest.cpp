#include "DecoderTestSupport.h"
#include "Evt3Decoder.h"

#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>

namespace tarvo {

// Names the paths in test output.
void PrintTo(Evt3DecodePath path, std::ostream* out)
{
    *out << decodePathName(path);
}

namespace test {
namespace {

// Everything a decoder reports and becomes, call by call.
struct Transcript
{
    std::vector<Event2D> events;
    // Each trigger with the number of events reported before it, which fixes the order of
    // triggers and events; where runs of events begin and end is free.
    std::vector<std::pair<EventTriggerIn, size_t>> triggers;
    std::vector<uint32_t> returned;
    std::vector<Evt3Decoder::State> states;
    std::vector<uint64_t> times;
};

// Which of the decoder's operations takes the bytes.
enum class Call
{
    Decode,
    Count,
    AdvanceTime
};

struct Feed
{
    Call call = Call::Decode;
    std::vector<size_t> cuts; // where one call ends and the next begins
    const uint64_t* resumeAt = nullptr;
    // A fusion decoder: a frame end is set before some calls, one of them already passed, and
    // from inside the trigger callback at each rising edge, as the fusion camera does.
    bool fusion = false;
};

const char* callName(Call call)
{
    switch (call) {
    case Call::Count:
        return "counting";
    case Call::AdvanceTime:
        return "time only";
    case Call::Decode:
        break;
    }
    return "decoding";
}

Transcript decodeInPieces(Evt3DecodePath path, const std::vector<uint8_t>& bytes, const Feed& feed)
{
    Evt3Decoder decoder(path);
    Transcript t;
    decoder.setEventsStreamHandleCallback(
        [&](const Event2D* first, const Event2D* last) { t.events.insert(t.events.end(), first, last); });
    decoder.setTriggerInCallback([&](const EventTriggerIn& trigger) {
        t.triggers.emplace_back(trigger, t.events.size());
        if (feed.fusion && trigger.polarity == 1) {
            decoder.setFrameEndTimestamp(trigger.timestamp + 700);
        }
    });
    decoder.fusionFlag = feed.fusion;
    decoder.setLastTimestamp(feed.resumeAt);
    size_t from = 0;
    std::vector<size_t> cuts = feed.cuts;
    cuts.push_back(bytes.size());
    for (size_t call = 0; call < cuts.size(); ++call) {
        if (feed.fusion && call % 3 == 0) {
            const uint64_t now = decoder.getLastTimestamp();
            decoder.setFrameEndTimestamp(call % 2 == 0 ? now + 50 + call * 37 % 3000 : now - call % 5);
        }
        const size_t to = std::max(from, cuts[call]);
        const std::vector<uint8_t> piece(bytes.begin() + static_cast<long>(from),
                                         bytes.begin() + static_cast<long>(to));
        switch (feed.call) {
        case Call::Decode:
            t.returned.push_back(decoder.decode(piece));
            break;
        case Call::Count:
            t.returned.push_back(decoder.countEvents(piece.data(), piece.data() + piece.size()));
            break;
        case Call::AdvanceTime:
            decoder.advanceTime(piece.data(), piece.data() + piece.size());
            break;
        }
        t.states.push_back(decoder.state());
        t.times.push_back(decoder.getLastTimestamp());
        from = to;
    }
    return t;
}

bool sameState(const Evt3Decoder::State& a, const Evt3Decoder::State& b)
{
    return a.time == b.time && a.epoch == b.epoch && a.high == b.high && a.y == b.y && a.baseX == b.baseX &&
           a.basePolarity == b.basePolarity && a.triggerId == b.triggerId && a.timeKnown == b.timeKnown &&
           a.rowKnown == b.rowKnown && a.hasPendingByte == b.hasPendingByte &&
           a.pendingByte == b.pendingByte && a.frameEnd == b.frameEnd;
}

// Gives the bytes to a decoder on the scalar path and to one on `path`, the same way, and
// compares everything bit for bit.
void expectSameAsScalar(Evt3DecodePath path, const std::vector<uint8_t>& bytes, const Feed& feed,
                        const std::string& what)
{
    const Transcript scalar = decodeInPieces(Evt3DecodePath::Scalar, bytes, feed);
    const Transcript blocks = decodeInPieces(path, bytes, feed);
    ASSERT_EQ(blocks.events.size(), scalar.events.size()) << what;
    for (size_t i = 0; i < scalar.events.size(); ++i) {
        ASSERT_EQ(std::memcmp(&blocks.events[i], &scalar.events[i], sizeof(Event2D)), 0)
            << what << ": event " << i << " is x " << blocks.events[i].x << " y " << blocks.events[i].y
            << " p " << int(blocks.events[i].polarity) << " t " << blocks.events[i].timestamp
            << ", the scalar path gives x " << scalar.events[i].x << " y " << scalar.events[i].y << " p "
            << int(scalar.events[i].polarity) << " t " << scalar.events[i].timestamp;
    }
    ASSERT_EQ(blocks.triggers, scalar.triggers) << what;
    ASSERT_EQ(blocks.returned, scalar.returned) << what;
    ASSERT_EQ(blocks.times, scalar.times) << what;
    for (size_t call = 0; call < scalar.states.size(); ++call) {
        ASSERT_TRUE(sameState(blocks.states[call], scalar.states[call]))
            << what << ": state after call " << call;
    }
}

std::vector<size_t> randomCuts(size_t size, uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::vector<size_t> cuts;
    for (size_t at = 0; at < size;) {
        // Mostly transfer-sized pieces, sometimes tiny ones and odd ends.
        at += random() % 4 == 0 ? random() % 70 : random() % 40000;
        cuts.push_back(std::min(at, size));
    }
    return cuts;
}

std::vector<uint8_t> sceneBytes(uint64_t seed, double rowRunShare, double triggerHz, uint64_t durationUs)
{
    sim::SceneOptions options;
    options.seed = seed;
    options.eventsPerSecond = 20e6;
    options.rowRunShare = rowRunShare;
    options.triggerHz = triggerHz;
    sim::SyntheticScene scene(options, 16777216 - durationUs / 2);
    Stream stream;
    scene.generate(16777216 - durationUs / 2, 16777216 + durationUs / 2, stream.events, stream.triggers);
    Evt3Encoder encoder;
    encoder.setTimeHighRepeatPeriod(16);
    std::vector<uint8_t> bytes;
    encoder.addMerged(stream.events, stream.triggers, bytes);
    return bytes;
}

// Words of every kind the block paths take, in random order and with random payloads: dense
// vector groups (blocks with many vector words, hundreds of events, the base running past
// 16 bits), TIME_HIGH repeats, OTHERS, CONTINUED and reserved words, and now and then a rare
// word (a trigger, a new TIME_HIGH, a backward step).
std::vector<uint8_t> mixedWordBytes(uint64_t seed, size_t count)
{
    // Word types and how many in a thousand words have them; 0x8 is a repeat of TIME_HIGH,
    // 0x18 a new one.
    const std::pair<uint32_t, unsigned> kinds[] = {{0x0, 150}, {0x2, 200}, {0x3, 100}, {0x4, 200}, {0x5, 100},
                                                   {0x6, 100}, {0x8, 50},  {0x1, 12},  {0x7, 12},  {0x9, 12},
                                                   {0xB, 12},  {0xC, 12},  {0xD, 12},  {0xE, 12},  {0xF, 13},
                                                   {0xA, 1},   {0x18, 2}};
    std::mt19937_64 random(seed);
    std::vector<uint16_t> words = {0x8100, 0x6000, 0x0005};
    uint32_t high = 0x100;
    while (words.size() < count) {
        unsigned pick = random() % 1000;
        uint32_t type = 0;
        for (const auto& [kind, share] : kinds) {
            if (pick < share) {
                type = kind;
                break;
            }
            pick -= share;
        }
        uint32_t payload = random() & 0xFFF;
        if (type == 0x8) {
            payload = high;
        } else if (type == 0x18) {
            type = 0x8;
            high = random() % 8 == 0 ? payload : (high + 1) & 0xFFF;
            payload = high;
        } else if ((type == 0x4 || type == 0x5) && random() % 4 == 0) {
            payload = 0xFFF; // full masks now and then: the most events a block can give
        }
        words.push_back(static_cast<uint16_t>((type << 12) | payload));
    }
    return wordsToBytes(words);
}

std::vector<uint8_t> randomBytes(uint64_t seed, size_t count)
{
    std::mt19937_64 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    return bytes;
}

std::vector<uint8_t> mutated(std::vector<uint8_t> bytes, uint64_t seed)
{
    std::mt19937_64 random(seed);
    for (size_t flip = 0; flip < bytes.size() / 200 + 1; ++flip) {
        bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
    }
    return bytes;
}

class Evt3BlockPath : public ::testing::TestWithParam<Evt3DecodePath>
{
protected:
    void SetUp() override
    {
        if (!cpuSupports(GetParam())) {
            GTEST_SKIP() << "this processor has no " << decodePathName(GetParam())
                         << "; that path is not checked";
        }
    }

    // Every way of cutting the bytes in two, decoding with and without a fusion frame end,
    // counting and time only.
    void expectSameInEverySplit(const std::vector<uint8_t>& bytes, const std::string& what)
    {
        for (size_t cut = 0; cut <= bytes.size(); ++cut) {
            Feed feeds[4];
            feeds[1].fusion = true;
            feeds[2].call = Call::Count;
            feeds[3].call = Call::AdvanceTime;
            for (Feed& feed : feeds) {
                feed.cuts = {cut};
                expectSameAsScalar(GetParam(), bytes, feed,
                                   what + " cut at byte " + std::to_string(cut) + ", " + callName(feed.call) +
                                       (feed.fusion ? " with fusion" : ""));
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }

    // Whole, and in random pieces with and without a fusion frame end.
    void expectSameInRandomPieces(const std::vector<uint8_t>& bytes, const std::string& what,
                                  const uint64_t* resumeAt = nullptr)
    {
        for (const Call call : {Call::Decode, Call::Count, Call::AdvanceTime}) {
            Feed whole;
            whole.call = call;
            whole.resumeAt = resumeAt;
            expectSameAsScalar(GetParam(), bytes, whole, what + " in one piece, " + callName(call));
            for (uint64_t seed = 1; seed <= 3 && !HasFatalFailure(); ++seed) {
                Feed pieces;
                pieces.call = call;
                pieces.cuts = randomCuts(bytes.size(), seed);
                pieces.resumeAt = resumeAt;
                pieces.fusion = seed == 2;
                expectSameAsScalar(GetParam(), bytes, pieces,
                                   what + " in pieces, seed " + std::to_string(seed) + ", " + callName(call));
            }
        }
    }
};

TEST_P(Evt3BlockPath, ShortStreamsDecodeAsTheScalarPathInEverySplit)
{
    std::vector<uint8_t> scene = sceneBytes(1, 0.5, 0, 200);
    scene.resize(600);
    expectSameInEverySplit(scene, "scene");
    expectSameInEverySplit(mixedWordBytes(2, 300), "mixed words");
    expectSameInEverySplit(mutated(mixedWordBytes(3, 300), 3), "mutated mixed words");
    expectSameInEverySplit(randomBytes(4, 500), "random bytes");
}

TEST_P(Evt3BlockPath, SyntheticScenesDecodeAsTheScalarPath)
{
    for (const double rowRunShare : {0.0, 0.4, 0.9}) {
        expectSameInRandomPieces(sceneBytes(7, rowRunShare, 2000, 40000),
                                 "scene with row run share " + std::to_string(rowRunShare));
    }
}

TEST_P(Evt3BlockPath, RandomRoundTripStreamsDecodeAsTheScalarPath)
{
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        const Stream stream = randomStream(seed, 100000);
        const uint64_t origin = stream.events.front().timestamp;
        expectSameInRandomPieces(Evt3Encoder::encode(stream.events, stream.triggers, origin),
                                 "random stream " + std::to_string(seed), &origin);
    }
}

TEST_P(Evt3BlockPath, MixedMutatedAndRandomBytesDecodeAsTheScalarPath)
{
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        expectSameInRandomPieces(mixedWordBytes(seed, 100000), "mixed words " + std::to_string(seed));
        expectSameInRandomPieces(mutated(sceneBytes(seed, 0.4, 1000, 20000), seed),
                                 "mutated scene " + std::to_string(seed));
        expectSameInRandomPieces(randomBytes(seed, 100001), "random bytes " + std::to_string(seed));
    }
}

TEST_P(Evt3BlockPath, RealRecordingsDecodeAsTheScalarPath)
{
    for (const char* file : {"hd_gen41_evk3_2020_excerpt.raw", "hd_1280x720_triggers_from_rosbag.raw",
                             "vga_640x480_triggers_from_rosbag.raw"}) {
        const std::filesystem::path path = std::filesystem::path(TARVO_REALDATA_DIR) / file;
        if (!std::filesystem::exists(path)) {
            GTEST_SKIP() << "real recordings not available at " << path;
        }
        expectSameInRandomPieces(readRecordingPayload(path), file);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Evt3BlockPath,
                         ::testing::Values(Evt3DecodePath::Avx2, Evt3DecodePath::Avx512),
                         [](const ::testing::TestParamInfo<Evt3DecodePath>& info) {
                             return std::string(decodePathName(info.param));
                         });

TEST(Evt3DecodePathChoice, WidestPathIsOneThisProcessorRunsAndOthersAreRefused)
{
    EXPECT_TRUE(cpuSupports(widestDecodePath()));
    EXPECT_TRUE(cpuSupports(Evt3DecodePath::Scalar));
    EXPECT_EQ(Evt3Decoder().path(), widestDecodePath());
    for (const Evt3DecodePath path : {Evt3DecodePath::Avx2, Evt3DecodePath::Avx512}) {
        if (!cpuSupports(path)) {
            EXPECT_THROW(Evt3Decoder{path}, std::invalid_argument);
        }
    }
}

} // namespace
} // namespace test
} // namespace tarvo
