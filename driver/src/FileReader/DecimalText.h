#pragma once

#include <cstdint>
#include <string>

namespace tarvo {

// Strict decimal, as the RAW header and the bookmark file write numbers: digits only, at least
// one, no value above `limit`.
inline bool parseDecimal(const std::string& text, uint64_t limit, uint64_t& out)
{
    if (text.empty()) {
        return false;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

} // namespace tarvo
