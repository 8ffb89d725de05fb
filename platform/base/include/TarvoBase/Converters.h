#pragma once

#include "TarvoBase/tarvobase_export.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

// "192.168.1.10" → 0xC0A8010A; 0 for text that is not a dotted IPv4 address.
TARVOBASE_EXPORT uint32_t stringToIP(const std::string& text);

// Converts text from the locale's 8-bit code page to UTF-8; text that is already UTF-8, or
// that cannot be converted, is returned unchanged.
TARVOBASE_EXPORT std::string local8bitToUtf8(const std::string& text);

// Reverses the byte order of each whole 32-bit word in place; a tail of fewer than four
// bytes is left as it is.
TARVOBASE_EXPORT void convertEndian(std::vector<uint8_t>& bytes);

} // namespace tarvo
