#pragma once

#include "TarvoBase/EventTypes.h"

#include <cstdint>

namespace tarvo {

class PosixFile;

// Reads the "%" text header of a RAW recording: the lines up to "% end" or up to the first
// line that does not begin with "%". Keywords match whatever their case ("% Date" of older
// recordings); unknown lines are skipped.
class RawHeaderReader
{
public:
    // Fills `info` and `payloadStart` (the offset of the first payload byte); false, with the
    // reason logged or written to standard error, for a header this reader must refuse.
    static bool read(const PosixFile& file, DvsFileInfo& info, uint64_t& payloadStart);
};

} // namespace tarvo
