#include "DecoderTestSupport.h"

#include "TarvoHal/DecoderFactory.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace tarvo::test {

CollectingDecoder::CollectingDecoder()
    : decoder(DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280")))
{
    decoder->setEventsStreamHandleCallback([this](const Event2D* first, const Event2D* last) {
        events.insert(events.end(), first, last);
        ++runs;
    });
    decoder->setTriggerInCallback([this](const EventTriggerIn& trigger) { triggers.push_back(trigger); });
}

std::vector<uint8_t> wordsToBytes(const std::vector<uint16_t>& words)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(words.size() * 2);
    for (uint16_t word : words) {
        bytes.push_back(static_cast<uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    return bytes;
}

Stream randomStream(uint64_t seed, size_t count)
{
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int> coordinate(0, 2047);
    std::uniform_int_distribution<int> gapKind(0, 99);
    std::uniform_int_distribution<int> channel(0, 15);
    Stream stream;
    uint64_t time = random() % (uint64_t{1} << 24);
    for (size_t i = 0; i < count; ++i) {
        const int kind = gapKind(random);
        if (kind < 60) {
            // same time
        } else if (kind < 90) {
            time += random() % 64;
        } else if (kind < 98) {
            time += random() % 100000;
        } else {
            time += random() % (uint64_t{5} << 24);
        }
        if (kind == 50) {
            stream.triggers.emplace_back(static_cast<int16_t>(channel(random)),
                                         static_cast<int16_t>(random() & 1), time);
        }
        stream.events.emplace_back(static_cast<uint16_t>(coordinate(random)),
                                   static_cast<uint16_t>(coordinate(random)),
                                   static_cast<uint8_t>(random() & 1), time);
    }
    return stream;
}

std::vector<uint8_t> readRecordingPayload(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < bytes.size() && bytes[start] == '%') {
        while (start < bytes.size() && bytes[start] != '\n') {
            ++start;
        }
        ++start;
    }
    return std::vector<uint8_t>(bytes.begin() + static_cast<long>(std::min(start, bytes.size())),
                                bytes.end());
}

} // namespace tarvo::test
