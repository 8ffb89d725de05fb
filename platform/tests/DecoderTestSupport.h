#pragma once

#include "TarvoHal/Decoder.h"

#include <cstdint>
#include <filesystem>
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

struct Stream
{
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
};

// Events over the whole 11-bit coordinate range with gaps from none to many rollovers.
Stream randomStream(uint64_t seed, size_t count);

// The payload of a recording: everything after the leading lines that begin with "%".
std::vector<uint8_t> readRecordingPayload(const std::filesystem::path& path);

} // namespace tarvo::test
