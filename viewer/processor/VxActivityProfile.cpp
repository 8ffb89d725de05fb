#include "VxActivityProfile.h"

#include "TarvoDriver/RawFileReader.h"

#include <algorithm>

namespace {

using Bookmark = tarvo::RawFileReader::Bookmark;

double rateOf(const Bookmark& before, const Bookmark& after)
{
    if (after.timestamp <= before.timestamp) {
        return -1;
    }
    const uint64_t events = after.eventCount - before.eventCount;
    return double(events) * 1e6 / double(after.timestamp - before.timestamp);
}

} // namespace

double VxActivityProfile::rateBetween(const tarvo::RawFileReader& reader, uint64_t from, uint64_t to)
{
    Bookmark before;
    Bookmark after;
    if (!reader.getRawFileBookmark(from, before) || !reader.getRawFileBookmark(to, after)) {
        return -1;
    }
    return rateOf(before, after);
}

QVector<double> VxActivityProfile::eventRates(const tarvo::RawFileReader& reader, uint64_t first,
                                              uint64_t last)
{
    QVector<double> rates;
    if (last <= first || reader.getBookmarkCount() == 0) {
        return rates;
    }
    const uint64_t span = last - first;
    const uint64_t points =
        std::clamp<uint64_t>(span / tarvo::RawFileReader::bookmark_period_us, 1, uint64_t(kMaxPoints));
    rates.reserve(int(points));
    Bookmark previous;
    if (!reader.getRawFileBookmark(first, previous)) {
        return rates;
    }
    for (uint64_t i = 1; i <= points; ++i) {
        // The exact edge of slice i, without overflow for spans of any length.
        const uint64_t edge = first + span / points * i + span % points * i / points;
        Bookmark next;
        if (!reader.getRawFileBookmark(edge, next)) {
            rates.append(0);
            continue;
        }
        rates.append(std::max(rateOf(previous, next), 0.0));
        previous = next;
    }
    return rates;
}
