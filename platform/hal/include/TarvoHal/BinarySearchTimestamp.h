#pragma once

#include "TarvoBase/EventTypes.h"

#include <algorithm>
#include <cstdint>

namespace tarvo {

// The first event of the time-ordered run [first, last) whose timestamp is at least t, or last.
inline const Event2D* binarySearchTimestamp(uint64_t t, const Event2D* first, const Event2D* last)
{
    return std::lower_bound(first, last, t,
                            [](const Event2D& e, uint64_t time) { return e.timestamp < time; });
}

inline Event2D* binarySearchTimestamp(uint64_t t, Event2D* first, Event2D* last)
{
    return std::lower_bound(first, last, t,
                            [](const Event2D& e, uint64_t time) { return e.timestamp < time; });
}

} // namespace tarvo
