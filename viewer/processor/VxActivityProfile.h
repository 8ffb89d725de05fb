#pragma once

#include <QVector>

#include <cstdint>

namespace tarvo {
class RawFileReader;
}

// Event rates of a RAW recording read off its bookmark index, which counts the events before
// each bookmark: no event is decoded, so even a recording of many gigabytes takes a moment.
class VxActivityProfile
{
public:
    // Points of a profile: enough for a timeline's width.
    static constexpr int kMaxPoints = 300;

    // Events per second between the bookmarks at (or last before) `from` and `to`; negative when
    // the index cannot tell (no bookmarks there, or both are the same one).
    static double rateBetween(const tarvo::RawFileReader& reader, uint64_t from, uint64_t to);

    // The event rate over [first, last] in equal slices, at most kMaxPoints of them and none
    // shorter than the index's bookmark period; a slice the index cannot tell counts 0. Empty
    // when the span is empty or the index holds nothing.
    static QVector<double> eventRates(const tarvo::RawFileReader& reader, uint64_t first, uint64_t last);
};
