#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoHal/tarvohal_export.h"

#include <cstdint>
#include <vector>

namespace tarvo {

// Encodes events and trigger edges, given in time order, as EVT 3.0 words appended to a byte
// vector. Runs of events that share a row, a time and a polarity with rising columns become
// vector words. After every change of time the row is sent again, as the sensors do, so that
// decoding can resume at any time word.
class TARVOHAL_EXPORT Evt3Encoder
{
public:
    // `originTime` is the time a decoder reading the stream starts from: 0 for a fresh decoder,
    // or the value given to its setLastTimestamp.
    explicit Evt3Encoder(uint64_t originTime = 0);

    // Repeats TIME_HIGH at least every `periodUs` of stream time, as cameras do; 0 turns it off.
    void setTimeHighRepeatPeriod(uint32_t periodUs) { m_repeatPeriod = periodUs; }

    // Throws std::invalid_argument for events out of time order or outside 0..2047.
    void addEvents(const Event2D* first, const Event2D* last, std::vector<uint8_t>& out);
    void addTrigger(const EventTriggerIn& trigger, std::vector<uint8_t>& out);
    // Adds both lists merged by time; at equal times triggers come first.
    void addMerged(const std::vector<Event2D>& events, const std::vector<EventTriggerIn>& triggers,
                   std::vector<uint8_t>& out);
    // Moves the stream time forward without an event.
    void addTime(uint64_t time, std::vector<uint8_t>& out);
    // Appends one raw word unchanged (OTHERS groups, hand-made sequences).
    static void addWord(uint16_t word, std::vector<uint8_t>& out);

    uint64_t currentTime() const { return m_time; }

    // Encodes a whole stream with a fresh encoder, as addMerged does.
    static std::vector<uint8_t> encode(const std::vector<Event2D>& events,
                                       const std::vector<EventTriggerIn>& triggers = {},
                                       uint64_t originTime = 0);

private:
    void moveTo(uint64_t time, std::vector<uint8_t>& out);
    void selectRow(uint16_t y, std::vector<uint8_t>& out);
    void addVector(const Event2D* first, const Event2D* last, std::vector<uint8_t>& out);

    uint64_t m_time;
    uint64_t m_epoch;
    uint32_t m_high;
    uint32_t m_low;
    bool m_highSent = false;
    uint64_t m_lastHighWordTime = 0;
    uint32_t m_repeatPeriod = 0;
    int32_t m_row = -1; // -1: the row must be sent before the next pixel word
};

} // namespace tarvo
