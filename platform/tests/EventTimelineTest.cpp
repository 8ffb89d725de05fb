#include "EventTimeline.h"
#include "DecoderTestSupport.h"
#include "PulseTrain.h"
#include "TarvoHal/Evt3Encoder.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace tarvo {
namespace {

using sim::EventTimeline;
using sim::PulseTrain;

std::vector<Event2D> sampleEvents(uint64_t period)
{
    std::vector<Event2D> events;
    for (uint64_t t = 3; t < period; t += 37) {
        const auto x = static_cast<uint16_t>((t * 7) % 1280);
        const auto y = static_cast<uint16_t>((t / 3) % 720);
        events.emplace_back(x, y, static_cast<uint8_t>(t & 1), t);
        if (t % 5 == 0 && x + 3 < 1280) { // a run on one row becomes vector words
            events.emplace_back(static_cast<uint16_t>(x + 1), y, static_cast<uint8_t>(t & 1), t);
            events.emplace_back(static_cast<uint16_t>(x + 2), y, static_cast<uint8_t>(t & 1), t);
            events.emplace_back(static_cast<uint16_t>(x + 3), y, static_cast<uint8_t>(t & 1), t);
        }
    }
    return events;
}

// Emits the timeline in buffers of `bufferBytes` up to `until` and decodes them.
void emitAndDecode(EventTimeline& timeline, uint64_t until, size_t bufferBytes,
                   test::CollectingDecoder& decoder, PulseTrain* triggers = nullptr)
{
    for (int guard = 0; guard < 100000; ++guard) {
        std::vector<uint8_t> buffer;
        timeline.emit(until, buffer, bufferBytes, triggers, true);
        if (buffer.empty()) {
            return;
        }
        decoder.decoder->decode(buffer);
    }
    FAIL() << "the timeline never ran dry";
}

TEST(EventTimeline, LoopRepeatsItsEventsShiftedByThePeriodExactly)
{
    const uint64_t period = 2 * 4096;
    const auto events = sampleEvents(period);
    EventTimeline timeline = EventTimeline::loop(Evt3Encoder::encode(events), period);
    const uint64_t start = 5 * 4096;
    timeline.begin(start);
    test::CollectingDecoder decoder;
    emitAndDecode(timeline, start + 3 * period - 1, 1002, decoder);
    ASSERT_EQ(decoder.events.size(), 3 * events.size());
    for (size_t pass = 0; pass < 3; ++pass) {
        for (size_t i = 0; i < events.size(); ++i) {
            Event2D expected = events[i];
            expected.timestamp += start + pass * period;
            ASSERT_EQ(decoder.events[pass * events.size() + i], expected)
                << "pass " << pass << " event " << i;
        }
    }
    EXPECT_EQ(timeline.position(), start + 3 * period - 1);
}

TEST(EventTimeline, LoopCrossesTheTwentyFourBitRollover)
{
    const uint64_t period = 4096;
    const auto events = sampleEvents(period);
    EventTimeline timeline = EventTimeline::loop(Evt3Encoder::encode(events), period);
    const uint64_t start = (uint64_t{1} << 24) - 2 * period;
    timeline.begin(start);
    test::CollectingDecoder decoder;
    emitAndDecode(timeline, start + 4 * period - 1, 0x20000, decoder);
    ASSERT_EQ(decoder.events.size(), 4 * events.size());
    EXPECT_EQ(decoder.events.back().timestamp, start + 3 * period + events.back().timestamp);
}

TEST(EventTimeline, TriggerEdgesComeBetweenEventsAtTheirTimes)
{
    const uint64_t period = 4096;
    const auto events = sampleEvents(period);
    EventTimeline timeline = EventTimeline::loop(Evt3Encoder::encode(events), period);
    timeline.begin(0);
    PulseTrain triggers(0, 1000);
    test::CollectingDecoder decoder;
    emitAndDecode(timeline, 2 * period - 1, 4000, decoder, &triggers);
    ASSERT_EQ(decoder.events.size(), 2 * events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        ASSERT_EQ(decoder.events[i], events[i]);
    }
    ASSERT_EQ(decoder.triggers.size(), 17u); // edges at 0, 500, …, 8000
    for (size_t i = 0; i < decoder.triggers.size(); ++i) {
        EXPECT_EQ(decoder.triggers[i].timestamp, i * 500);
        EXPECT_EQ(decoder.triggers[i].polarity, i % 2 == 0 ? 1 : 0);
    }
}

TEST(EventTimeline, ResumesCleanlyAfterLostData)
{
    const uint64_t period = 4 * 4096;
    const auto events = sampleEvents(period);
    std::set<std::tuple<uint16_t, uint16_t, uint8_t, uint64_t>> valid;
    for (const Event2D& e : events) {
        valid.emplace(e.x, e.y, e.polarity, e.timestamp);
    }
    EventTimeline timeline = EventTimeline::loop(Evt3Encoder::encode(events), period);
    timeline.begin(0);
    test::CollectingDecoder decoder;
    std::vector<uint8_t> buffer;
    timeline.emit(period - 1, buffer, 2000, nullptr, false);
    decoder.decoder->decode(buffer);
    buffer.clear();
    timeline.emit(period - 1, buffer, 2000, nullptr, false); // lost on the way
    timeline.resync();
    emitAndDecode(timeline, period - 1, 2000, decoder);
    ASSERT_GT(decoder.events.size(), events.size() / 2);
    EXPECT_LT(decoder.events.size(), events.size());
    uint64_t last = 0;
    for (const Event2D& e : decoder.events) {
        EXPECT_TRUE(valid.count({e.x, e.y, e.polarity, e.timestamp}))
            << e.x << "," << e.y << "@" << e.timestamp;
        EXPECT_GE(e.timestamp, last);
        last = e.timestamp;
    }
}

TEST(EventTimeline, RecordingPlaysOnceOnItsOwnClock)
{
    auto events = sampleEvents(20000);
    for (Event2D& e : events) {
        e.timestamp += 7000000;
    }
    EventTimeline timeline = EventTimeline::recording(Evt3Encoder::encode(events, {}, 7000000));
    timeline.begin(100);
    test::CollectingDecoder decoder;
    emitAndDecode(timeline, 100 + 10000, 512, decoder);
    EXPECT_LT(decoder.events.size(), events.size()); // only what is due by then
    EXPECT_FALSE(timeline.finished());
    emitAndDecode(timeline, 100 + 30000, 512, decoder);
    EXPECT_TRUE(timeline.finished());
    EXPECT_EQ(decoder.events, events);
}

TEST(PulseTrain, SkipsToTheFirstEdgeAtOrAfterATime)
{
    PulseTrain train(1000, 100);
    train.skipTo(1160);
    EXPECT_EQ(train.nextTime(), 1200u);
    EXPECT_EQ(train.nextPolarity(), 1);
    train.pop();
    EXPECT_EQ(train.nextTime(), 1250u);
    EXPECT_EQ(train.nextPolarity(), 0);
    EXPECT_FALSE(PulseTrain().active());
}

} // namespace
} // namespace tarvo
