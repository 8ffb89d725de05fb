#include "DecoderTestSupport.h"

#include "TarvoHal/DecoderFactory.h"

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

} // namespace tarvo::test
