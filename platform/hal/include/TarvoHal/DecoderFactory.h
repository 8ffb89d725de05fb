#pragma once

#include "TarvoHal/Decoder.h"
#include "TarvoHal/RawEventStreamFormat.h"
#include "TarvoHal/tarvohal_export.h"

#include <memory>

namespace tarvo {

class TARVOHAL_EXPORT DecoderFactory
{
public:
    // The decoder for `format`, or an empty pointer when the format is not supported
    // (only "EVT3" is).
    static std::unique_ptr<Decoder> createUniqueDecoder(const RawEventStreamFormat& format);
};

} // namespace tarvo
