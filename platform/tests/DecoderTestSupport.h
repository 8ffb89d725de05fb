#pragma once

#include "TarvoHal/Decoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo::test {

// A decoder whose callbacks collect everything it reports, and the times it reported them at.
struct CollectingDecoder
{
    CollectingDecoder();

    std::unique_ptr<Decoder> decoder;
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    size_t runs = 0;
};

std::vector<uint8_t> wordsToBytes(const std::vector<uint16_t>& words);

} // namespace tarvo::test
