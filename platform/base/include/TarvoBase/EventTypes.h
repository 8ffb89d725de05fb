#pragma once

#include <chrono>
#include <cstdint>
#include <ratio>
#include <string>

namespace tarvo {

// Wall-clock time in 100-nanosecond ticks since 1970-01-01 (the "% date" of a recording).
using WallTimeTicks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
using WallTime = std::chrono::time_point<std::chrono::system_clock, WallTimeTicks>;

// One event of the dynamic vision sensor. Arrays of it cross library boundaries as
// contiguous memory, so the field order and widths are fixed.
struct Event2D
{
    uint16_t x = 0;
    uint16_t y = 0;
    uint8_t polarity = 0;   // non-zero: brightness rose (ON)
    uint64_t timestamp = 0; // microseconds of the camera's event clock

    Event2D() = default;
    Event2D(uint16_t x_, uint16_t y_, uint8_t polarity_, uint64_t timestamp_)
        : x(x_), y(y_), polarity(polarity_), timestamp(timestamp_)
    {
    }
};

inline bool operator==(const Event2D& a, const Event2D& b)
{
    return a.x == b.x && a.y == b.y && a.polarity == b.polarity && a.timestamp == b.timestamp;
}
inline bool operator!=(const Event2D& a, const Event2D& b)
{
    return !(a == b);
}

// One edge on the external trigger input.
struct EventTriggerIn
{
    int16_t polarity = 0;   // 1 rising, 0 falling
    uint64_t timestamp = 0; // same clock as Event2D::timestamp
    int16_t id = 0;         // trigger channel

    EventTriggerIn() = default;
    // The argument order differs from the field order on purpose: channel first.
    EventTriggerIn(int16_t id_, int16_t polarity_, uint64_t timestamp_)
        : polarity(polarity_), timestamp(timestamp_), id(id_)
    {
    }
};

inline bool operator==(const EventTriggerIn& a, const EventTriggerIn& b)
{
    return a.polarity == b.polarity && a.timestamp == b.timestamp && a.id == b.id;
}
inline bool operator!=(const EventTriggerIn& a, const EventTriggerIn& b)
{
    return !(a == b);
}

// What a RAW recording's header says about it.
struct DvsFileInfo
{
    uint64_t dvs_start_timestamp = 0;
    uint64_t reserved1 = 0;
    uint64_t aps_start_timestamp = 0;
    uint64_t reserved2 = 0;
    uint16_t width = 1280;
    uint16_t height = 720;
    std::string serial_number;
    WallTime date{};
};

} // namespace tarvo
