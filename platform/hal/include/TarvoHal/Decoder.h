#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoHal/tarvohal_export.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tarvo {

// Decoder of a raw event stream. It keeps its state between calls, so a buffer may end
// anywhere, even inside a word. Times are reported as the camera sent them: a camera may step
// back a few µs, so runs are in stream order, not always in strict time order.
class TARVOHAL_EXPORT Decoder
{
public:
    // Called synchronously from inside decode() on the decoding thread, with consecutive runs
    // in stream order; the range is valid only during the call.
    using EventsCallback = std::function<void(const Event2D* first, const Event2D* last)>;
    // Called synchronously from inside decode(), in stream order relative to the event runs.
    using TriggerCallback = std::function<void(const EventTriggerIn& trigger)>;

    virtual ~Decoder();

    // Decodes [first, last) without firing callbacks and returns how many events it holds.
    virtual uint32_t countEvents(const uint8_t* first, const uint8_t* last) = 0;
    // Decodes the whole buffer, firing the callbacks; returns the number of events.
    virtual uint32_t decode(const std::vector<uint8_t>& buffer) = 0;
    // Decodes [first, last) for its time only, firing nothing.
    virtual void advanceTime(const uint8_t* first, const uint8_t* last) = 0;
    // The time (µs) the decoder has reached.
    virtual uint64_t getLastTimestamp() const = 0;
    // Sets the time before decoding resumes elsewhere in a stream (at a bookmark).
    virtual void setLastTimestamp(const uint64_t* timestamp) = 0;
    // Size of one raw word in bytes.
    virtual uint8_t getRawEventSize() const = 0;
    // Bytes per second decoded since the previous call (or since construction).
    virtual uint64_t getDataRate() = 0;
    // Events per second decoded since the previous call (or since construction).
    virtual uint64_t getEventRate() = 0;
    // With fusionFlag set, the decoder reports the moment its stream time reaches `timestamp`
    // as a trigger record of polarity 2 at that time, once per call; 0 cancels.
    virtual void setFrameEndTimestamp(uint64_t timestamp) = 0;

    void setEventsStreamHandleCallback(EventsCallback callback) { m_eventsCallback = std::move(callback); }
    void setTriggerInCallback(TriggerCallback callback) { m_triggerCallback = std::move(callback); }

    // Set by the fusion camera only, right after creation.
    bool fusionFlag = false;

protected:
    EventsCallback m_eventsCallback;
    TriggerCallback m_triggerCallback;
};

} // namespace tarvo
