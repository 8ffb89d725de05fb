// Cutting a time range of a RAW recording into a recording of its own.
#include "RawFileReaderPrivate.h"

#include "DriverLog.h"
#include "TarvoBase/FileHeader.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>
#include <stdexcept>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// Extraction copies raw bytes in pieces of this size.
constexpr size_t kCopyPieceSize = 1 << 20;
// The search for a cut decodes blocks of this size before it looks at single words.
constexpr size_t kCutBlockSize = 4096;
constexpr uint64_t kLowBits = 0xFFF;

using namespace log;

} // namespace

// A cut copies whole words, so it must start where decoding the copy alone gives the source's
// events and edges from the first one at or after t: after every event and edge before that
// one, and no earlier than the word that brings the time to t (the copy's header starts its
// clock at t, and the TIME_HIGH words after that word agree with it).
uint64_t RawFileReader::Private::wordScanForCut(uint64_t from, bool fromPayloadStart, uint64_t time,
                                                uint64_t to, uint64_t t)
{
    if (fromPayloadStart) {
        resetDecoder();
    } else {
        decoder->setLastTimestamp(&time);
    }
    const size_t w = wordSize();
    std::vector<uint8_t> word(w);
    uint64_t cut = to;
    bool cutFound = false;
    for (uint64_t pos = from; pos < to; pos += w) {
        if (file.readAt(pos, word.data(), w) != w) {
            break;
        }
        const size_t eventsBefore = scratch.size();
        const size_t edgesBefore = heldTriggers.size();
        sink = &scratch;
        decoder->decode(word);
        sink = nullptr;
        const bool output = scratch.size() > eventsBefore || heldTriggers.size() > edgesBefore;
        const uint64_t now = decoder->getLastTimestamp();
        if (output) {
            if (now >= t) {
                return cutFound ? cut : pos;
            }
            cutFound = false;
        } else if (!cutFound && now >= t) {
            cut = pos;
            cutFound = true;
        }
    }
    return cutFound ? cut : to;
}

uint64_t RawFileReader::Private::cutPosition(uint64_t t)
{
    size_t from = index.lastWhere([t](uint64_t time) { return (time | kLowBits) < t; });
    from = from == index.size() ? 0 : from;
    resumeAt(from);
    // Blocks are decoded whole until one holds something at or after t; the word by word look
    // starts at the last block before it that held anything, where the cut's place can begin.
    uint64_t lookFrom = readPos;
    uint64_t lookTime = decoder->getLastTimestamp();
    bool lookFromStart = from == 0;
    const size_t w = wordSize();
    std::vector<uint8_t> block;
    holdTriggers = true;
    uint64_t result = payloadEnd;
    for (uint64_t pos = readPos; pos < payloadEnd;) {
        const uint64_t timeBefore = decoder->getLastTimestamp();
        block.resize(static_cast<size_t>(std::min<uint64_t>(kCutBlockSize / w * w, payloadEnd - pos)));
        block.resize(file.readAt(pos, block.data(), block.size()) / w * w);
        if (block.empty()) {
            break;
        }
        scratch.clear();
        heldTriggers.clear();
        sink = &scratch;
        decoder->decode(block);
        sink = nullptr;
        const bool reached =
            std::any_of(scratch.begin(), scratch.end(), [t](const Event2D& e) { return e.timestamp >= t; }) ||
            std::any_of(heldTriggers.begin(), heldTriggers.end(),
                        [t](const auto& held) { return held.second.timestamp >= t; });
        if (reached) {
            result = wordScanForCut(lookFrom, lookFromStart, lookTime, pos + block.size(), t);
            break;
        }
        if (!scratch.empty() || !heldTriggers.empty()) {
            lookFrom = pos;
            lookTime = timeBefore;
            lookFromStart = false;
        }
        pos += block.size();
    }
    holdTriggers = false;
    scratch.clear();
    heldTriggers.clear();
    return result;
}

bool RawFileReader::Private::extract(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    if (endTime < startTimeStamp) {
        TARVO_LOG(kError, "No end timestamp found.");
        return false;
    }
    if (startTime < startTimeStamp || startTime > endTimeStamp) {
        TARVO_LOG(kError, "No start timestamp found.");
        return false;
    }
    TARVO_LOG(kInfo, "extract event start time: %llu, end time: %llu",
              static_cast<unsigned long long>(startTime), static_cast<unsigned long long>(endTime));
    uint64_t startPos = 0;
    uint64_t endPos = 0;
    {
        std::lock_guard<std::mutex> lock(readMutex);
        startPos = startTime == startTimeStamp ? payloadStart : cutPosition(startTime);
        // A range past the end of the recording is cut at its end.
        endPos = endTime > endTimeStamp ? payloadEnd : cutPosition(endTime);
    }
    if (endPos < startPos) {
        TARVO_LOG(kError, "Start time must be less than or equal to end time.");
        return false;
    }
    readBuffer.clear();
    const uint64_t length = endPos - startPos;
    if (length == 0) {
        TARVO_LOG(kError, "There is no data in the interval.");
        return false;
    }
    std::string why;
    PosixFile out = PosixFile::openOutput(outPath, fileStat, why);
    if (!out.isOpen()) {
        TARVO_LOG(kError, "Failed to open output file: %s.", outPath.c_str());
        TARVO_LOG(kError, "'%s' cannot be written: %s.", outPath.c_str(), why.c_str());
        return false;
    }
    DvsFileInfo info = fileInfo;
    info.dvs_start_timestamp = startTime;
    const std::string header = generateDvsFileHeader(info);
    const char* const writeFailed = "Failed to write the expected number of bytes to the output file.";
    if (!out.writeAll(reinterpret_cast<const uint8_t*>(header.data()), header.size())) {
        throw std::runtime_error(writeFailed);
    }
    {
        std::lock_guard<std::mutex> lock(readMutex);
        readBuffer.resize(kCopyPieceSize);
        for (uint64_t pos = startPos; pos < endPos;) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(kCopyPieceSize, endPos - pos));
            if (file.readAt(pos, readBuffer.data(), piece) != piece) {
                throw std::runtime_error("Failed to read the expected number of bytes from the input file.");
            }
            if (!out.writeAll(readBuffer.data(), piece)) {
                throw std::runtime_error(writeFailed);
            }
            pos += piece;
        }
    }
    if (!out.close()) {
        throw std::runtime_error(writeFailed);
    }
    // The cursor describes the start of the range, and the stream stands there too.
    seekTime(startTime);
    return true;
}

} // namespace tarvo
