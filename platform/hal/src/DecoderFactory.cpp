#include "TarvoHal/DecoderFactory.h"

#include "Evt3Decoder.h"

namespace tarvo {

std::unique_ptr<Decoder> DecoderFactory::createUniqueDecoder(const RawEventStreamFormat& format)
{
    if (format.name() == "EVT3") {
        return std::make_unique<Evt3Decoder>();
    }
    return nullptr;
}

} // namespace tarvo
