#include "RawFileReaderPrivate.h"

#include "BookmarkScanner.h"
#include "DriverLog.h"
#include "RawHeaderReader.h"
#include "TarvoDriver/DataToVideoConverter.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// Header start times beyond this leave no room for the rollovers of the 24-bit clock.
constexpr uint64_t kMaxStartTime = uint64_t{1} << 62;
// Anything decoded before a position is at most that position's time with these bits set.
constexpr uint64_t kLowBits = 0xFFF;

using namespace log;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

bool timeAtLeast(const Event2D& e, uint64_t t)
{
    return e.timestamp >= t;
}

} // namespace

RawFileReader::Private::Private(std::string path)
    : filePath(std::move(path)), pendingEvents(std::make_shared<std::vector<Event2D>>()),
      outputEvents(std::make_shared<std::vector<Event2D>>())
{
}

size_t RawFileReader::Private::wordSize() const
{
    return decoder ? std::max<size_t>(1, decoder->getRawEventSize()) : 2;
}

BookmarkIndex::Recording RawFileReader::Private::recordingFacts() const
{
    BookmarkIndex::Recording facts;
    facts.fileSize = fileSize;
    facts.width = fileInfo.width;
    facts.height = fileInfo.height;
    facts.payloadStart = payloadStart;
    facts.payloadEnd = payloadEnd;
    facts.wordSize = wordSize();
    facts.modified = fileStat.st_mtim;
    return facts;
}

bool RawFileReader::Private::load()
{
    if (file.isOpen()) {
        TARVO_LOG(kError, "The recording is already loaded.");
        return false;
    }
    // The index sits beside the recording; a path without ".raw" gets the suffix appended so
    // that the index can never overwrite the recording itself.
    const auto ext = filePath.rfind(".raw");
    markPath = ext == std::string::npos ? filePath + ".vxmark.tmp"
                                        : filePath.substr(0, ext) + ".vxmark.tmp" + filePath.substr(ext + 4);
    std::string why;
    file = PosixFile::openForReading(filePath, true, why);
    if (!file.isOpen()) {
        // A missing file is the caller's to report; anything else is said here.
        struct stat info = {};
        if (::stat(filePath.c_str(), &info) == 0) {
            TARVO_LOG(kError, "'%s' cannot be read: %s.", filePath.c_str(), why.c_str());
        }
        return false;
    }
    file.status(fileStat);
    fileSize = static_cast<uint64_t>(fileStat.st_size);
    decoder = BookmarkScanner::freshDecoder(0);
    if (!decoder) {
        TARVO_LOG(kError, "No EVT3 decoder available.");
        return false;
    }
    if (!RawHeaderReader::read(file, fileInfo, payloadStart)) {
        return false;
    }
    if (fileInfo.dvs_start_timestamp > kMaxStartTime) {
        TARVO_LOG(kError, "The recording's start time %llu us leaves no room for its clock.",
                  static_cast<unsigned long long>(fileInfo.dvs_start_timestamp));
        return false;
    }
    const uint64_t w = wordSize();
    payloadEnd = payloadStart + (std::max(fileSize, payloadStart) - payloadStart) / w * w;
    TARVO_LOG(kInfo, "Loading raw file...");
    if (payloadEnd > payloadStart) {
        const BookmarkScanner scanner(file, payloadStart, payloadEnd, fileInfo.dvs_start_timestamp);
        if (!scanner.looksLikeEvt3(why)) {
            TARVO_LOG(kError, "'%s' does not hold an EVT 3.0 event stream: %s.", filePath.c_str(),
                      why.c_str());
            return false;
        }
        if (!loadOrBuildIndex()) {
            return false;
        }
    }
    if (index.empty()) {
        TARVO_LOG(kError, "Loading raw file failed. There is no data in the file.");
        return false;
    }
    startTimeStamp = index.front().timestamp;
    endTimeStamp = index.back().timestamp;
    maxEvents = index.back().eventCount;
    payloadEnd = index.back().bytePos;
    positionAtStart();
    TARVO_LOG(kInfo, "Loading raw file succeeded.");
    return true;
}

bool RawFileReader::Private::loadOrBuildIndex()
{
    const BookmarkScanner scanner(file, payloadStart, payloadEnd, fileInfo.dvs_start_timestamp);
    const BookmarkIndex::Recording facts = recordingFacts();
    struct stat markInfo = {};
    if (::lstat(markPath.c_str(), &markInfo) == 0) {
        if (index.load(markPath, facts) && scanner.verify(index)) {
            return true;
        }
        TARVO_LOG(kWarning, "Bookmark file check failed, re-initialize bookmarks.");
    }
    if (!scanner.build(index)) {
        return false;
    }
    if (!index.empty()) {
        index.save(markPath, facts);
    }
    return true;
}

void RawFileReader::Private::resetDecoder()
{
    decoder = BookmarkScanner::freshDecoder(fileInfo.dvs_start_timestamp);
    decoder->setEventsStreamHandleCallback([this](const Event2D* first, const Event2D* last) {
        if (sink) {
            sink->insert(sink->end(), first, last);
        }
    });
    decoder->setTriggerInCallback([this](const EventTriggerIn& trigger) {
        if (holdTriggers) {
            heldTriggers.emplace_back(sink ? sink->size() : 0, trigger);
        } else {
            dispatchTrigger(trigger);
        }
    });
    readPos = payloadStart;
}

void RawFileReader::Private::resumeAt(size_t i)
{
    const size_t from = BookmarkScanner::warmUpStart(index, i);
    if (from == 0) {
        resetDecoder();
    } else {
        BookmarkScanner::resumeAfterEvents(*decoder, index[from].timestamp);
    }
    if (i == 0) {
        return;
    }
    const size_t w = wordSize();
    readBuffer.resize(static_cast<size_t>(chunkSize / w * w));
    for (uint64_t pos = index[from].bytePos; pos < index[i].bytePos;) {
        const size_t wanted =
            static_cast<size_t>(std::min<uint64_t>(readBuffer.size(), index[i].bytePos - pos));
        const size_t got = file.readAt(pos, readBuffer.data(), wanted) / w * w;
        if (got == 0) {
            break;
        }
        decoder->countEvents(readBuffer.data(), readBuffer.data() + got);
        pos += got;
    }
    decoder->setLastTimestamp(&index[i].timestamp);
    readPos = index[i].bytePos;
}

bool RawFileReader::Private::decodeChunk(std::vector<Event2D>& into)
{
    const size_t w = wordSize();
    const size_t wanted = static_cast<size_t>(
        std::min<uint64_t>(chunkSize / w * w, payloadEnd - std::min(readPos, payloadEnd)));
    if (wanted == 0) {
        return false;
    }
    readBuffer.resize(wanted);
    const size_t got = file.readAt(readPos, readBuffer.data(), wanted) / w * w;
    if (got == 0) {
        TARVO_LOG(kError, "Reading '%s' failed at byte %llu.", filePath.c_str(),
                  static_cast<unsigned long long>(readPos));
        readPos = payloadEnd;
        return false;
    }
    readBuffer.resize(got);
    readPos += got;
    sink = &into;
    decoder->decode(readBuffer);
    sink = nullptr;
    return true;
}

void RawFileReader::Private::positionAtStart()
{
    std::lock_guard<std::mutex> lock(readMutex);
    resetDecoder();
    pendingEvents->clear();
    pendingBegin = 0;
    pendingTriggers.clear();
    currentEventNum = 0;
    currentTimeStamp = startTimeStamp;
}

bool RawFileReader::Private::exhausted() const
{
    return readPos >= payloadEnd && pendingBegin >= pendingEvents->size();
}

void RawFileReader::Private::keepFrom(size_t eventIndex, size_t firstEdge)
{
    pendingEvents->assign(scratch.begin() + static_cast<ptrdiff_t>(eventIndex), scratch.end());
    pendingBegin = 0;
    for (size_t k = firstEdge; k < heldTriggers.size(); ++k) {
        pendingTriggers.emplace_back(heldTriggers[k].first - std::min(heldTriggers[k].first, eventIndex),
                                     heldTriggers[k].second);
    }
}

template <typename Boundary>
bool RawFileReader::Private::decodeToBoundary(Boundary boundary, uint64_t& dropped)
{
    pendingEvents->clear();
    pendingBegin = 0;
    pendingTriggers.clear();
    holdTriggers = true;
    bool found = false;
    for (;;) {
        scratch.clear();
        heldTriggers.clear();
        if (!decodeChunk(scratch)) {
            break;
        }
        size_t firstEdge = 0;
        const size_t at = boundary(dropped, firstEdge);
        if (at < scratch.size() || firstEdge < heldTriggers.size()) {
            dropped += at;
            keepFrom(at, firstEdge);
            found = true;
            break;
        }
        dropped += scratch.size();
    }
    holdTriggers = false;
    scratch.clear();
    heldTriggers.clear();
    return found;
}

bool RawFileReader::Private::seekTime(uint64_t t)
{
    if (t > endTimeStamp) {
        currentTimeStamp = saturatingAdd(endTimeStamp, 1);
        return false;
    }
    if (t < startTimeStamp) {
        currentTimeStamp = startTimeStamp - 1;
        return false;
    }
    if (t == startTimeStamp) {
        positionAtStart();
        return true;
    }
    // The last bookmark before which nothing can reach t, however the times stepped back.
    size_t from = index.lastWhere([t](uint64_t time) { return (time | kLowBits) < t; });
    from = from == index.size() ? 0 : from;
    std::lock_guard<std::mutex> lock(readMutex);
    resumeAt(from);
    uint64_t dropped = 0;
    // The first event or edge at or after t: edges held before an event come before it.
    decodeToBoundary(
        [&](uint64_t, size_t& firstEdge) {
            const auto event = std::find_if(scratch.begin(), scratch.end(),
                                            [t](const Event2D& e) { return timeAtLeast(e, t); });
            const auto at = static_cast<size_t>(event - scratch.begin());
            const auto edge = std::find_if(heldTriggers.begin(), heldTriggers.end(),
                                           [t](const auto& held) { return held.second.timestamp >= t; });
            if (edge != heldTriggers.end() && edge->first <= at) {
                firstEdge = static_cast<size_t>(edge - heldTriggers.begin());
                return edge->first;
            }
            firstEdge = static_cast<size_t>(std::find_if(heldTriggers.begin(), heldTriggers.end(),
                                                         [at](const auto& held) { return held.first > at; }) -
                                            heldTriggers.begin());
            return at;
        },
        dropped);
    // Nothing at or after t remains: the cursor stands at the end.
    currentTimeStamp = t;
    currentEventNum = index[from].eventCount + dropped;
    return true;
}

bool RawFileReader::Private::seekNEvents(uint64_t n)
{
    if (n > maxEvents) {
        currentEventNum = saturatingAdd(maxEvents, 1);
        currentTimeStamp = saturatingAdd(endTimeStamp, 1);
        return false;
    }
    if (n == 0) {
        positionAtStart();
        return true;
    }
    Bookmark bookmark;
    if (!index.byCount(n, bookmark)) {
        return false;
    }
    size_t from = index.lastWhere([&](uint64_t time) { return time <= bookmark.timestamp; });
    std::lock_guard<std::mutex> lock(readMutex);
    resumeAt(from);
    const uint64_t base = index[from].eventCount;
    uint64_t dropped = 0;
    decodeToBoundary(
        [&](uint64_t before, size_t& firstEdge) {
            const uint64_t need = n - base - before;
            if (need > scratch.size()) {
                firstEdge = heldTriggers.size();
                return scratch.size();
            }
            const auto at = static_cast<size_t>(need);
            firstEdge =
                static_cast<size_t>(std::find_if(heldTriggers.begin(), heldTriggers.end(),
                                                 [at](const auto& held) { return held.first >= at; }) -
                                    heldTriggers.begin());
            return at;
        },
        dropped);
    currentEventNum = base + dropped;
    currentTimeStamp =
        pendingEvents->empty() ? decoder->getLastTimestamp() : pendingEvents->front().timestamp;
    return currentEventNum == n;
}

void RawFileReader::Private::takePending(size_t stop)
{
    auto& pending = *pendingEvents;
    auto& output = *outputEvents;
    if (pendingBegin == 0 && stop == pending.size() && output.empty()) {
        output.swap(pending);
    } else {
        output.insert(output.end(), pending.begin() + static_cast<ptrdiff_t>(pendingBegin),
                      pending.begin() + static_cast<ptrdiff_t>(stop));
        pendingBegin = stop;
    }
    // Edges before the events handed out, or all of them once nothing is pending.
    const bool emptied = pendingBegin >= pending.size();
    size_t passed = 0;
    while (passed < pendingTriggers.size() && (emptied || pendingTriggers[passed].first < stop)) {
        dispatchTrigger(pendingTriggers[passed++].second);
    }
    pendingTriggers.erase(pendingTriggers.begin(), pendingTriggers.begin() + static_cast<ptrdiff_t>(passed));
    if (emptied) {
        pending.clear();
        pendingBegin = 0;
    }
}

RawFileReader::EventBatch RawFileReader::Private::getNEvents(uint64_t count)
{
    auto& output = *outputEvents;
    output.clear();
    if (currentEventNum > maxEvents) {
        // Only a failed seek past the end puts the cursor here; nothing remains to hand out.
        return outputEvents;
    }
    if (count > maxEvents - currentEventNum) {
        TARVO_LOG(kWarning, "Requested number of events exceeds total number of events.");
        count = maxEvents - currentEventNum;
    }
    std::lock_guard<std::mutex> lock(readMutex);
    const size_t pending = pendingEvents->size() - pendingBegin;
    if (pending > count) {
        takePending(pendingBegin + static_cast<size_t>(count));
    } else {
        takePending(pendingEvents->size());
        while (output.size() < count && decodeChunk(output)) {
        }
        if (output.size() > count) {
            pendingEvents->assign(output.begin() + static_cast<ptrdiff_t>(count), output.end());
            pendingBegin = 0;
            output.resize(static_cast<size_t>(count));
        }
    }
    if (!output.empty()) {
        currentTimeStamp = saturatingAdd(output.back().timestamp, 1);
        currentEventNum += output.size();
    }
    return outputEvents;
}

RawFileReader::EventBatch RawFileReader::Private::getNTimeEvents(uint64_t duration)
{
    uint64_t end = saturatingAdd(currentTimeStamp, duration);
    if (end < startTimeStamp) {
        TARVO_LOG(kWarning, "Requested interval is before start timestamp.");
        currentTimeStamp = end;
        currentEventNum = 0;
        return std::make_shared<std::vector<Event2D>>();
    }
    if (currentTimeStamp > endTimeStamp) {
        TARVO_LOG(kWarning, "Current read pos exceeds end timestamp.");
        currentEventNum = maxEvents;
        return std::make_shared<std::vector<Event2D>>();
    }
    if (endTimeStamp < end) {
        TARVO_LOG(kWarning, "Requested interval exceeds end timestamp.");
        end = saturatingAdd(endTimeStamp, 1);
    }
    currentTimeStamp = saturatingAdd(currentTimeStamp, duration);
    auto& output = *outputEvents;
    auto& pending = *pendingEvents;
    output.clear();
    // A batch ends before the first event, in file order, at or after its end: times may step
    // back, so the events are not searched as if sorted.
    const auto reachesEnd = [end](const Event2D& e) { return timeAtLeast(e, end); };
    std::lock_guard<std::mutex> lock(readMutex);
    if (pendingBegin < pending.size()) {
        const auto stop =
            std::find_if(pending.begin() + static_cast<ptrdiff_t>(pendingBegin), pending.end(), reachesEnd);
        if (stop != pending.end()) {
            takePending(static_cast<size_t>(stop - pending.begin()));
            currentEventNum += output.size();
            return outputEvents;
        }
        takePending(pending.size());
    }
    size_t chunkStart = output.size();
    while (decodeChunk(output)) {
        const auto stop =
            std::find_if(output.begin() + static_cast<ptrdiff_t>(chunkStart), output.end(), reachesEnd);
        if (stop != output.end()) {
            pending.assign(stop, output.end());
            pendingBegin = 0;
            output.erase(stop, output.end());
            break;
        }
        chunkStart = output.size();
    }
    currentEventNum += output.size();
    return outputEvents;
}

bool RawFileReader::Private::peekNextEventTime(uint64_t& out)
{
    std::lock_guard<std::mutex> lock(readMutex);
    auto& pending = *pendingEvents;
    if (pendingBegin >= pending.size()) {
        pending.clear();
        pendingBegin = 0;
        while (pending.empty() && decodeChunk(pending)) {
        }
    }
    if (pendingBegin >= pending.size()) {
        return false;
    }
    out = pending[pendingBegin].timestamp;
    return true;
}

void RawFileReader::Private::dispatchTrigger(const EventTriggerIn& trigger)
{
    std::lock_guard<std::mutex> lock(callbackMutex);
    for (auto& entry : triggerCallbacks) {
        entry.second(trigger);
    }
}

bool RawFileReader::Private::countTriggerEdges(uint64_t& out)
{
    if (index.empty()) {
        return false;
    }
    auto counter = BookmarkScanner::freshDecoder(fileInfo.dvs_start_timestamp);
    uint64_t edges = 0;
    counter->setTriggerInCallback([&edges](const EventTriggerIn&) { ++edges; });
    const size_t w = wordSize();
    std::vector<uint8_t> bytes;
    for (uint64_t pos = payloadStart; pos < payloadEnd;) {
        bytes.resize(static_cast<size_t>(std::min<uint64_t>(4 << 20, payloadEnd - pos)));
        bytes.resize(file.readAt(pos, bytes.data(), bytes.size()) / w * w);
        if (bytes.empty()) {
            TARVO_LOG(kError, "Reading '%s' failed at byte %llu.", filePath.c_str(),
                      static_cast<unsigned long long>(pos));
            return false;
        }
        counter->decode(bytes);
        pos += bytes.size();
    }
    out = edges;
    return true;
}

} // namespace tarvo
