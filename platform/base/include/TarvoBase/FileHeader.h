#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoBase/tarvobase_export.h"

#include <string>

namespace tarvo {

// The text header of a RAW recording for `info`, ending with the line "% end".
TARVOBASE_EXPORT std::string generateDvsFileHeader(DvsFileInfo& info);

} // namespace tarvo
