#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoBase/tarvobase_export.h"

#include <string>

namespace tarvo {

// Reads a local date-time "YYYY-MM-DD HH:MM:SS" (optionally followed by a fraction of a
// second); only the first 25 characters are looked at. Unreadable text gives the zero time.
TARVOBASE_EXPORT WallTime parseLocalTimeString(const std::string& text);

// Writes `time` as local "YYYY-MM-DD HH:MM:SS".
TARVOBASE_EXPORT std::string timePointToString(WallTime time);

} // namespace tarvo
