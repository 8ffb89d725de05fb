#pragma once

#include "Evt3Blocks.h"
#include "Evt3DecodePath.h"
#include "TarvoHal/Decoder.h"

#include <atomic>
#include <chrono>
#include <vector>

namespace tarvo {

// Decoder of the published EVT 3.0 format: 16-bit little-endian words, the type in the top
// four bits. An event's time is the latest TIME_HIGH and the latest TIME_LOW, exactly as sent
// (a TIME_LOW may step back a few µs on real cameras), extended to 64 bits by counting each
// backward step of TIME_HIGH as one rollover, as the format guarantees TIME_HIGH never goes
// back otherwise.
class Evt3Decoder final : public Decoder
{
public:
    // Decoding state that survives between calls.
    struct State
    {
        uint64_t time = 0;  // rollovers, TIME_HIGH and TIME_LOW as last received
        uint64_t epoch = 0; // rollovers << 24
        uint32_t high = 0;  // last TIME_HIGH payload
        uint16_t y = 0;
        uint16_t baseX = 0;
        uint8_t basePolarity = 0;
        int16_t triggerId = 0;       // channel of the last trigger edge
        bool timeKnown = false;      // words before the first TIME_HIGH carry no usable time
        bool rowKnown = false;       // pixel words before the first ADDR_Y have no row
        bool hasPendingByte = false; // a buffer ended inside a word
        uint8_t pendingByte = 0;
        uint64_t frameEnd = 0; // fusion frame end still to report; 0 when none
    };

    // Throws std::invalid_argument for a path this processor cannot run.
    explicit Evt3Decoder(Evt3DecodePath path = widestDecodePath());

    Evt3DecodePath path() const { return m_path; }
    const State& state() const { return m_state; }

    uint32_t countEvents(const uint8_t* first, const uint8_t* last) override;
    uint32_t decode(const std::vector<uint8_t>& buffer) override;
    void advanceTime(const uint8_t* first, const uint8_t* last) override;
    uint64_t getLastTimestamp() const override { return m_state.time; }
    void setLastTimestamp(const uint64_t* timestamp) override;
    uint8_t getRawEventSize() const override { return 2; }
    uint64_t getDataRate() override;
    uint64_t getEventRate() override;
    void setFrameEndTimestamp(uint64_t timestamp) override { m_state.frameEnd = timestamp; }

private:
    enum class Mode
    {
        Emit,
        Count,
        Time
    };

    // The state in the form the decoding loops work on, kept in registers during a call.
    struct Cursor
    {
        uint64_t time;
        uint64_t epoch;
        uint32_t high;
        uint64_t rowBits; // y, placed where it lands in a packed event
        uint32_t baseX;
        uint64_t basePolBits; // polarity of the vector words, placed likewise
        int16_t triggerId;
        Event2D* out;     // next free slot of m_run
        uint64_t counted; // events produced in this call (Count and Emit modes)
        uint64_t syncAt;  // time at which the fusion frame end is reported; max when none
    };

    // Measures a rate between two queries; the count is written by the decoding thread and
    // read by whichever thread asks for the rate.
    struct RateMeter
    {
        std::atomic<uint64_t> total{0};
        uint64_t lastTotal = 0;
        std::chrono::steady_clock::time_point lastQuery = std::chrono::steady_clock::now();
        uint64_t query();
    };

    template <Mode mode> uint64_t run(const uint8_t* first, const uint8_t* last);
    template <Mode mode> const uint8_t* startLoop(const uint8_t* p, const uint8_t* end, Cursor& c);
    template <Mode mode> void mainLoop(const uint8_t* p, const uint8_t* end, Cursor& c);
    // Decoding with events in whole blocks of words where the processor allows, word by word
    // for the blocks that hold something rare and for the tail.
    void blockLoop(const uint8_t* p, const uint8_t* end, Cursor& c);
    // Counting and time-only decoding, in blocks of 32 or 16 words where nothing rare happens.
    template <Mode mode> void scanLoop(const uint8_t* p, const uint8_t* end, Cursor& c);
    template <Mode mode> void timeHighWord(uint32_t word, Cursor& c);
    template <Mode mode> void triggerWord(uint32_t word, Cursor& c);
    template <Mode mode> void timeMoved(Cursor& c);

    Cursor loadCursor();
    static evt3::BlockState blockState(const Cursor& c);
    static void applyBlockState(const evt3::BlockState& s, Cursor& c);
    void storeCursor(const Cursor& c);
    uint64_t syncThreshold() const;
    // Hands the collected events to the callback and empties the run.
    void flushRun(Cursor& c);

    static constexpr size_t kRunCapacity = 4096;

    Evt3DecodePath m_path;
    evt3::BlockPath m_blocks;
    State m_state;
    std::vector<Event2D> m_run; // events collected before they are handed to the callback
    RateMeter m_bytes;
    RateMeter m_events;
};

} // namespace tarvo
