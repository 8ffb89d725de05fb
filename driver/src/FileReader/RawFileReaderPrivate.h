#pragma once

#include "BookmarkIndex.h"
#include "PosixFile.h"
#include "TarvoDriver/RawFileReader.h"

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarvo {

class Decoder;
class DataToVideoConverter;

// The state of a RawFileReader and the machinery behind its operations.
//
// Decoding runs as one stream from the start of the payload. A seek resumes at a bookmark (one
// interval earlier, so that the decoder has the row and vector state of the stream there) and
// decodes forward to the first event or trigger edge at or after its target; what it decodes
// beyond that waits in the pending events. Times may step back a little, so no search relies
// on events being sorted by time.
struct RawFileReader::Private
{
    explicit Private(std::string path);

    bool load();
    // A fresh decoder at the start of the payload, the cursor at event 0.
    void positionAtStart();
    bool seekTime(uint64_t t);
    bool seekNEvents(uint64_t n);
    EventBatch getNEvents(uint64_t count);
    EventBatch getNTimeEvents(uint64_t duration);
    bool extract(uint64_t startTime, uint64_t endTime, const std::string& outPath);
    bool exportVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath);
    bool countTriggerEdges(uint64_t& out);
    // Past the end time, or with nothing left to decode and hand out.
    bool reachedEnd() const { return currentTimeStamp > endTimeStamp || exhausted(); }
    void dispatchTrigger(const EventTriggerIn& trigger);

    std::string filePath;
    std::string markPath;
    PosixFile file;
    struct stat fileStat = {};
    DvsFileInfo fileInfo;
    uint64_t fileSize = 0;
    uint64_t payloadStart = 0;
    uint64_t payloadEnd = 0; // end of the indexed payload; decoding never reads past it
    BookmarkIndex index;
    uint64_t startTimeStamp = 0;
    uint64_t endTimeStamp = 0;
    uint64_t maxEvents = 0;

    // Guards the decoder, readPos, readBuffer and the decoding scratch during decoding and seeks.
    std::mutex readMutex;
    std::unique_ptr<Decoder> decoder;
    uint64_t chunkSize = 0x20000;
    std::vector<uint8_t> readBuffer;
    uint64_t readPos = 0;                 // next byte to decode
    std::vector<Event2D>* sink = nullptr; // where the decoder's events go during a decode call
    // While a seek decodes, trigger edges wait here with the number of events decoded before them.
    bool holdTriggers = false;
    std::vector<std::pair<size_t, EventTriggerIn>> heldTriggers;
    std::vector<Event2D> scratch;

    std::shared_ptr<std::vector<Event2D>> pendingEvents;
    size_t pendingBegin = 0; // pending events start here; those before were handed out
    // Edges a seek decoded after its target, each with the pending event it comes before; they
    // reach the receivers when the events around them are handed out.
    std::vector<std::pair<size_t, EventTriggerIn>> pendingTriggers;
    std::shared_ptr<std::vector<Event2D>> outputEvents;
    uint64_t currentEventNum = 0;
    uint64_t currentTimeStamp = 0;

    std::unordered_map<uint32_t, TriggerInCallback> triggerCallbacks;
    uint32_t nextCallbackId = 0;
    std::mutex callbackMutex; // guards triggerCallbacks and nextCallbackId

    std::shared_ptr<DataToVideoConverter> videoConverter;
    int32_t exportFps = 30;
    ExportProgressCallback exportProgress;

private:
    BookmarkIndex::Recording recordingFacts() const;
    // False when the index could not be built (the reason is logged).
    bool loadOrBuildIndex();
    void resetDecoder();
    // Puts the decoder at bookmark i with the stream state it has there.
    void resumeAt(size_t i);
    // Decodes the next chunk from readPos; its events are appended to `into`. False at the end.
    bool decodeChunk(std::vector<Event2D>& into);
    // Decodes from the resumed position, dropping events and held edges before the place that
    // `boundary` finds in each chunk (an event index, or the chunk's size when it finds none
    // there); keeps the rest pending and passes the edges after it on. Returns whether a
    // boundary was found and adds the dropped events to `dropped`.
    template <typename Boundary> bool decodeToBoundary(Boundary boundary, uint64_t& dropped);
    void keepFrom(size_t eventIndex, size_t firstEdge);
    // Moves the pending events [pendingBegin, stop) to the end of outputEvents.
    void takePending(size_t stop);
    bool exhausted() const;
    // The time of the next event to hand out; false when none remains.
    bool peekNextEventTime(uint64_t& out);
    // Where a cut at t begins or ends: after the last event or edge before the first one at
    // or after t, at the word that brings the time to t.
    uint64_t cutPosition(uint64_t t);
    uint64_t wordScanForCut(uint64_t from, bool fromPayloadStart, uint64_t time, uint64_t to, uint64_t t);
    size_t wordSize() const;
};

} // namespace tarvo
