#include "DecoderTestSupport.h"

#include "TarvoHal/BinarySearchTimestamp.h"
#include "TarvoHal/DecoderFactory.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

constexpr uint64_t kT = 0x123456;

class Evt3DecoderWords : public ::testing::Test
{
protected:
    uint32_t decodeWords(const std::vector<uint16_t>& words)
    {
        return c.decoder->decode(wordsToBytes(words));
    }

    CollectingDecoder c;
};

TEST_F(Evt3DecoderWords, SinglePixelWordUsesRowAndTimeSentBeforeIt)
{
    EXPECT_EQ(decodeWords({0x8123, 0x6456, 0x0010, 0x2805}), 1u);
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0], Event2D(5, 16, 1, kT));
    EXPECT_EQ(c.decoder->getLastTimestamp(), kT);
}

TEST_F(Evt3DecoderWords, VectorWordsEmitSetBitsFromBaseAndMoveBaseEvenForEmptyMasks)
{
    decodeWords({0x8123, 0x6456, 0x0010, 0x2805});
    c.events.clear();
    EXPECT_EQ(decodeWords({0x3864, 0x4A05, 0x5081}), 6u);
    const std::vector<Event2D> expected = {{100, 16, 1, kT}, {102, 16, 1, kT}, {109, 16, 1, kT},
                                           {111, 16, 1, kT}, {112, 16, 1, kT}, {119, 16, 1, kT}};
    EXPECT_EQ(c.events, expected);

    c.events.clear();
    // An empty VECT_12 still moves the base; VECT_8 ignores its bits 11..8.
    decodeWords({0x3000, 0x4000, 0x5F01});
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0], Event2D(12, 16, 0, kT));
}

TEST_F(Evt3DecoderWords, SlaveFlagDoesNotShiftTheRow)
{
    decodeWords({0x8123, 0x6456, 0x0010, 0x0810, 0x2003});
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0], Event2D(3, 16, 0, kT));
}

TEST_F(Evt3DecoderWords, TriggerWordReportsChannelEdgeAndTimeAfterEarlierEvents)
{
    std::vector<std::string> order;
    c.decoder->setEventsStreamHandleCallback(
        [&](const Event2D*, const Event2D*) { order.push_back("events"); });
    c.decoder->setTriggerInCallback([&](const EventTriggerIn& t) {
        order.push_back("trigger");
        c.triggers.push_back(t);
    });
    decodeWords({0x8123, 0x6456, 0x0010, 0x2805, 0xA101, 0x2806, 0xA600});
    ASSERT_EQ(c.triggers.size(), 2u);
    EXPECT_EQ(c.triggers[0], EventTriggerIn(1, 1, kT));
    EXPECT_EQ(c.triggers[1], EventTriggerIn(6, 0, kT));
    EXPECT_EQ(order, (std::vector<std::string>{"events", "trigger", "events", "trigger"}));
}

TEST_F(Evt3DecoderWords, OthersContinuedAndReservedWordsProduceNothingAndKeepState)
{
    EXPECT_EQ(decodeWords({0x8123, 0x6456, 0x0010, 0xE019, 0xF123, 0x7004, 0x1FFF, 0x9FFF, 0xBFFF, 0xCFFF,
                           0xDFFF, 0x2006}),
              1u);
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0], Event2D(6, 16, 0, kT));
    EXPECT_TRUE(c.triggers.empty());
}

TEST_F(Evt3DecoderWords, TimeHighGoingBackCountsOneRolloverAndRepeatsAreNotTicks)
{
    decodeWords(
        {0x8FFF, 0x6FFF, 0x0001, 0x2801, 0x8000, 0x6001, 0x2802, 0x8001, 0x8001, 0x8001, 0x6000, 0x2803});
    ASSERT_EQ(c.events.size(), 3u);
    EXPECT_EQ(c.events[0].timestamp, 16777215u);
    EXPECT_EQ(c.events[1].timestamp, 16777217u);
    EXPECT_EQ(c.events[2].timestamp, 16781312u);
}

TEST_F(Evt3DecoderWords, WordsBeforeFirstTimeHighAndPixelsBeforeFirstRowAreDropped)
{
    EXPECT_EQ(decodeWords({0x0005, 0x2001, 0xA101, 0x6010, 0x8002, 0x2002, 0x3010, 0x4FFF, 0x0007, 0x2003}),
              1u);
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0], Event2D(3, 7, 0, 0x2000));
    EXPECT_TRUE(c.triggers.empty());
}

TEST_F(Evt3DecoderWords, TimeLowSteppingBackIsTakenAsSent)
{
    decodeWords({0x8001, 0x6100, 0x0001, 0x2001, 0x60FF, 0x2002, 0x6101, 0x2003});
    ASSERT_EQ(c.events.size(), 3u);
    EXPECT_EQ(c.events[0].timestamp, 0x1100u);
    EXPECT_EQ(c.events[1].timestamp, 0x10FFu);
    EXPECT_EQ(c.events[2].timestamp, 0x1101u);
}

TEST_F(Evt3DecoderWords, LatestTimeLowStaysInForceAfterANewTimeHigh)
{
    decodeWords({0x8001, 0x6FF0});
    EXPECT_EQ(c.decoder->getLastTimestamp(), 0x1FF0u);
    decodeWords({0x8002});
    EXPECT_EQ(c.decoder->getLastTimestamp(), 0x2FF0u);
    decodeWords({0x6003});
    EXPECT_EQ(c.decoder->getLastTimestamp(), 0x2003u);
}

TEST_F(Evt3DecoderWords, BufferEndingInsideAWordOrAGroupContinuesInTheNextBuffer)
{
    const std::vector<uint8_t> bytes = wordsToBytes({0x8123, 0x6456, 0x0010, 0x3864, 0x4A05, 0x5081, 0x2805});
    for (size_t split = 0; split <= bytes.size(); ++split) {
        CollectingDecoder d;
        d.decoder->decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(split)));
        d.decoder->decode(std::vector<uint8_t>(bytes.begin() + static_cast<long>(split), bytes.end()));
        EXPECT_EQ(d.events.size(), 7u) << "split at byte " << split;
        ASSERT_FALSE(d.events.empty());
        EXPECT_EQ(d.events.back(), Event2D(5, 16, 1, kT));
    }
}

TEST_F(Evt3DecoderWords, SetLastTimestampResumesTimeAndRolloverState)
{
    const uint64_t resumeAt = (uint64_t{3} << 24) | 0xFFE123;
    c.decoder->setLastTimestamp(&resumeAt);
    EXPECT_EQ(c.decoder->getLastTimestamp(), resumeAt);
    decodeWords({0x0002, 0x2009, 0x6124, 0x200A, 0x8000, 0x6005, 0x200B});
    ASSERT_EQ(c.events.size(), 3u);
    EXPECT_EQ(c.events[0].timestamp, resumeAt);
    EXPECT_EQ(c.events[1].timestamp, resumeAt + 1);
    EXPECT_EQ(c.events[2].timestamp, (uint64_t{4} << 24) | 5);
}

TEST_F(Evt3DecoderWords, CountEventsAndAdvanceTimeFireNothingButKeepStreamState)
{
    const std::vector<uint8_t> bytes = wordsToBytes({0x8123, 0x6456, 0x0010, 0x3864, 0x4A05, 0x5081, 0x2805});
    EXPECT_EQ(c.decoder->countEvents(bytes.data(), bytes.data() + bytes.size()), 7u);
    EXPECT_TRUE(c.events.empty());
    EXPECT_EQ(c.decoder->getLastTimestamp(), kT);

    CollectingDecoder d;
    d.decoder->advanceTime(bytes.data(), bytes.data() + 6);
    EXPECT_EQ(d.decoder->getLastTimestamp(), kT);
    // The row sent during advanceTime still applies afterwards.
    d.decoder->decode(wordsToBytes({0x2001}));
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_EQ(d.events[0], Event2D(1, 16, 0, kT));
}

TEST_F(Evt3DecoderWords, RowAndVectorBaseLeftByCountingOrTimingCarryIntoDecoding)
{
    // Three words make time and row known; the next sixteen are taken as one group; the vector
    // word after them continues from the base the group left.
    const std::vector<uint8_t> prefix =
        wordsToBytes({0x8001, 0x6001, 0x0005, 0x3064, 0x5001, 0x7000, 0x0009, 0x6002, 0x8001, 0xF000, 0x2003,
                      0xE0FF, 0x7000, 0x0009, 0x2005, 0x8001, 0x1000, 0xF000, 0x6002});
    const std::vector<uint8_t> rest = wordsToBytes({0x4001, 0x2004});
    for (const bool counting : {true, false}) {
        CollectingDecoder d;
        if (counting) {
            EXPECT_EQ(d.decoder->countEvents(prefix.data(), prefix.data() + prefix.size()), 3u);
        } else {
            d.decoder->advanceTime(prefix.data(), prefix.data() + prefix.size());
        }
        EXPECT_EQ(d.decoder->getLastTimestamp(), 0x1002u);
        d.decoder->decode(rest);
        ASSERT_EQ(d.events.size(), 2u);
        EXPECT_EQ(d.events[0], Event2D(108, 9, 0, 0x1002));
        EXPECT_EQ(d.events[1], Event2D(4, 9, 0, 0x1002));
    }
}

TEST_F(Evt3DecoderWords, FusionDecoderReportsFrameEndOnceWhenStreamTimeReachesIt)
{
    c.decoder->fusionFlag = true;
    c.decoder->setFrameEndTimestamp(0x1010);
    decodeWords({0x8001, 0x6000, 0x0001, 0x2001, 0x6010, 0x2002, 0x6020, 0x2003});
    ASSERT_EQ(c.triggers.size(), 1u);
    EXPECT_EQ(c.triggers[0].polarity, 2);
    EXPECT_EQ(c.triggers[0].timestamp, 0x1010u);
    ASSERT_EQ(c.events.size(), 3u);

    CollectingDecoder plain;
    plain.decoder->setFrameEndTimestamp(0x1010);
    plain.decoder->decode(wordsToBytes({0x8001, 0x6000, 0x6020}));
    EXPECT_TRUE(plain.triggers.empty());
}

TEST_F(Evt3DecoderWords, RatesReflectDecodedBytesAndEvents)
{
    c.decoder->getDataRate();
    c.decoder->getEventRate();
    decodeWords({0x8123, 0x6456, 0x0010, 0x2805, 0x2806});
    EXPECT_GT(c.decoder->getDataRate(), 0u);
    EXPECT_GT(c.decoder->getEventRate(), 0u);
    EXPECT_EQ(c.decoder->getEventRate(), 0u);
}

TEST(DecoderFactory, MakesEvt3DecodersOnlyAndReportsTwoByteWords)
{
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->getRawEventSize(), 2);
    EXPECT_FALSE(DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT2;height=720;width=1280")));
    RawEventStreamFormat format("EVT3;height=480;width=640;extra");
    EXPECT_EQ(format.name(), "EVT3");
    EXPECT_EQ(format.value("width"), "640");
    EXPECT_EQ(format.value("height"), "480");
    EXPECT_EQ(format.value("depth", "none"), "none");
}

TEST(BinarySearchTimestamp, FindsFirstEventAtOrAfterTime)
{
    const std::vector<Event2D> events = {{0, 0, 0, 10}, {0, 0, 0, 20}, {0, 0, 0, 20}, {0, 0, 0, 30}};
    const Event2D* first = events.data();
    const Event2D* last = first + events.size();
    EXPECT_EQ(binarySearchTimestamp(5, first, last), first);
    EXPECT_EQ(binarySearchTimestamp(20, first, last), first + 1);
    EXPECT_EQ(binarySearchTimestamp(21, first, last), first + 3);
    EXPECT_EQ(binarySearchTimestamp(31, first, last), last);
    EXPECT_EQ(binarySearchTimestamp(1, last, last), last);
}

} // namespace
} // namespace tarvo::test
