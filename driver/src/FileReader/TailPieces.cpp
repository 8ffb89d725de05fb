#include "TailPieces.h"

#include "PosixFile.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>
#include <vector>

namespace tarvo {
namespace {

// The tail whose times are scanned word by word for the exact end time is at most this long.
constexpr size_t kMaxTailPieces = 1 << 16;

} // namespace

void TailPieces::add(const Piece& piece)
{
    m_highest = std::max(m_highest, piece.after);
    if (!m_exact) {
        return;
    }
    while (!m_tail.empty() && (m_tail.front().after | kLowBits) < (m_highest & ~kLowBits)) {
        m_tail.pop_front();
    }
    if (m_tail.size() >= kMaxTailPieces) {
        m_exact = false;
        m_tail.clear();
        return;
    }
    m_tail.push_back(piece);
}

uint64_t TailPieces::endTime(Decoder& decoder, const PosixFile& file, uint64_t finalTime) const
{
    if (!m_exact) {
        return finalTime | kLowBits; // a bound, for hostile streams only
    }
    uint64_t latest = finalTime;
    decoder.setEventsStreamHandleCallback([&latest](const Event2D* first, const Event2D* last) {
        for (; first != last; ++first) {
            latest = std::max(latest, first->timestamp);
        }
    });
    decoder.setTriggerInCallback(
        [&latest](const EventTriggerIn& edge) { latest = std::max(latest, edge.timestamp); });
    const size_t w = std::max<size_t>(1, decoder.getRawEventSize());
    std::vector<uint8_t> bytes;
    for (const Piece& piece : m_tail) {
        if ((piece.after | kLowBits) <= latest) {
            continue;
        }
        bytes.resize(static_cast<size_t>(piece.end - piece.pos));
        bytes.resize(file.readAt(piece.pos, bytes.data(), bytes.size()) / w * w);
        decoder.setLastTimestamp(&piece.before);
        decoder.decode(bytes);
    }
    return latest;
}

} // namespace tarvo
