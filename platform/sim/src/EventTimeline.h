#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo::sim {

class PulseTrain;

// EVT 3.0 bytes laid out on the device clock, handed out in time order. Two kinds:
// - a loop: words encoded from time 0 over a period that is a multiple of 4096 µs, repeated
//   with its TIME_HIGH words shifted, so that a long stream costs a copy per pass instead of a
//   fresh encoding;
// - a recording: played once, its words unchanged, at its own pace.
// Trigger edges can be inserted between time steps of a loop.
class EventTimeline
{
public:
    EventTimeline() = default;
    static EventTimeline loop(std::vector<uint8_t> bytes, uint64_t period);
    static EventTimeline recording(std::vector<uint8_t> bytes);

    // Loops: the first pass starts at the first multiple of 4096 from `clockTime` on.
    // Recordings: the next unplayed word is due at `clockTime`.
    void begin(uint64_t clockTime);
    // Appends the words due up to `until` (device clock) to `out`, which it fills to at most
    // `maxBytes`; trigger edges of `triggers` come in between (written only if `triggersOn`).
    void emit(uint64_t until, std::vector<uint8_t>& out, size_t maxBytes, PulseTrain* triggers,
              bool triggersOn);
    // After the host lost data: continue at the next time step and send the time again.
    void resync();

    // Device-clock time the output has reached.
    uint64_t position() const { return m_position; }
    bool finished() const { return !m_isLoop && m_segment >= m_offsets.size() && m_pending.empty(); }
    bool empty() const { return m_offsets.empty(); }
    uint64_t period() const { return m_period; }

private:
    void scan();
    void addTrigger(uint64_t time, int16_t polarity);
    void addTimeHigh(uint64_t streamTime);
    uint64_t streamTime(size_t segment) const { return m_times[segment] + m_streamShift; }

    std::vector<uint8_t> m_bytes;
    std::vector<uint32_t> m_offsets;   // byte offset of each time step
    std::vector<uint64_t> m_times;     // its time as written in the bytes
    std::vector<uint32_t> m_highWords; // word index of each TIME_HIGH (loops only)
    bool m_isLoop = false;
    uint64_t m_period = 0;

    uint64_t m_streamShift = 0; // added to m_times for the time written in the stream
    int64_t m_clockShift = 0;   // added to stream time for device-clock time
    size_t m_segment = 0;
    size_t m_offset = 0;
    size_t m_highIndex = 0;
    bool m_resendHigh = false;
    uint64_t m_position = 0;
    std::vector<uint8_t> m_pending; // inserted words not yet handed out
    size_t m_pendingRead = 0;
};

} // namespace tarvo::sim
