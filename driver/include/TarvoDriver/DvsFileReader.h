#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoDriver/tarvodriver_export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

// A reader of an event recording. Create one with createFileReader, call loadFile once and use
// nothing else unless it returned true. One thread at a time uses a reader; trigger callbacks
// may be added and removed from any thread.
class TARVODRIVER_EXPORT DvsFileReader
{
public:
    using EventBatch = std::shared_ptr<std::vector<Event2D>>;
    // Called on the thread that runs the query which decodes the edge, by value.
    using TriggerInCallback = std::function<void(EventTriggerIn)>;

    virtual ~DvsFileReader();

    // A reader for `path` chosen by its extension (".raw"), or an empty pointer. Touches no file.
    static std::unique_ptr<DvsFileReader> createFileReader(std::string path);

    virtual bool loadFile() = 0;
    virtual bool getStartTimeStamp(uint64_t& out) = 0;
    virtual bool getEndTimeStamp(uint64_t& out) = 0;
    virtual bool getMaxEvents(uint64_t& out) = 0;
    virtual bool reachedEndOfEvents() = 0;
    virtual bool seekTime(uint64_t timestamp) = 0;
    virtual bool seekNEvents(uint64_t eventNumber) = 0;
    virtual uint64_t getCurrentPosTimeStamp() = 0;
    virtual uint64_t getCurrentPosEventNum() = 0;
    // Query results are the reader's own vector, refilled by the next query; a caller that
    // keeps a batch beyond that copies it.
    virtual EventBatch getNEvents(uint64_t count) = 0;
    virtual EventBatch getNEventsGivenStartTimeStamp(uint64_t startTime, uint64_t count) = 0;
    virtual EventBatch getNEventsGivenStartEvent(uint64_t startEvent, uint64_t count) = 0;
    virtual EventBatch getNTimeEvents(uint64_t duration) = 0;
    virtual EventBatch getNTimeEventsGivenStartTimeStamp(uint64_t startTime, uint64_t duration) = 0;
    virtual EventBatch getNTimeEventsGivenStartEvent(uint64_t startEvent, uint64_t duration) = 0;
    virtual bool extractEventData(uint64_t startTime, uint64_t endTime, const std::string& outPath) = 0;
    virtual bool exportEventDataToVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath) = 0;
    virtual uint32_t addTriggerInCallback(TriggerInCallback callback) = 0;
    virtual bool removeTriggerInCallback(uint32_t id) = 0;
    virtual uint16_t getWidth() const = 0;
    virtual uint16_t getHeight() const = 0;
    virtual bool getFileInfo(DvsFileInfo& out);
};

} // namespace tarvo
