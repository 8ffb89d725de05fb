#include "TarvoDriver/RawFileReader.h"

#include "BookmarkIndex.h"
#include "RawFileReaderPrivate.h"
#include "TarvoDriver/DataToVideoConverter.h"
#include "TarvoHal/Decoder.h"

namespace tarvo {

RawFileReader::RawFileReader(std::string path) : m_private(std::make_unique<Private>(std::move(path))) {}

RawFileReader::~RawFileReader() = default;

bool RawFileReader::loadFile()
{
    return m_private->load();
}

uint8_t RawFileReader::crc8(const std::vector<uint8_t>& bytes)
{
    return BookmarkIndex::crc8(bytes);
}

bool RawFileReader::getRawFileBookmark(uint64_t t, Bookmark& out) const
{
    return m_private->index.byTime(t, out);
}

bool RawFileReader::getRawFileBookmarkByNEvents(uint64_t n, Bookmark& out) const
{
    return m_private->index.byCount(n, out);
}

size_t RawFileReader::getBookmarkCount() const
{
    return m_private->index.size();
}

void RawFileReader::setExportProgressCallback(ExportProgressCallback callback)
{
    m_private->exportProgress = std::move(callback);
}

bool RawFileReader::countTriggerEdges(uint64_t& out)
{
    return m_private->countTriggerEdges(out);
}

bool RawFileReader::getStartTimeStamp(uint64_t& out)
{
    out = m_private->startTimeStamp;
    return true;
}

bool RawFileReader::getEndTimeStamp(uint64_t& out)
{
    out = m_private->endTimeStamp;
    return true;
}

bool RawFileReader::getMaxEvents(uint64_t& out)
{
    out = m_private->maxEvents;
    return true;
}

bool RawFileReader::getFileInfo(DvsFileInfo& out)
{
    out = m_private->fileInfo;
    return true;
}

uint16_t RawFileReader::getWidth() const
{
    return m_private->fileInfo.width;
}

uint16_t RawFileReader::getHeight() const
{
    return m_private->fileInfo.height;
}

uint64_t RawFileReader::getCurrentPosTimeStamp()
{
    return m_private->currentTimeStamp;
}

uint64_t RawFileReader::getCurrentPosEventNum()
{
    return m_private->currentEventNum;
}

bool RawFileReader::reachedEndOfEvents()
{
    return m_private->reachedEnd();
}

bool RawFileReader::seekTime(uint64_t timestamp)
{
    return m_private->seekTime(timestamp);
}

bool RawFileReader::seekNEvents(uint64_t eventNumber)
{
    return m_private->seekNEvents(eventNumber);
}

RawFileReader::EventBatch RawFileReader::getNEvents(uint64_t count)
{
    return m_private->getNEvents(count);
}

RawFileReader::EventBatch RawFileReader::getNTimeEvents(uint64_t duration)
{
    return m_private->getNTimeEvents(duration);
}

RawFileReader::EventBatch RawFileReader::getNEventsGivenStartTimeStamp(uint64_t startTime, uint64_t count)
{
    if (!seekTime(startTime)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNEvents(count);
}

RawFileReader::EventBatch RawFileReader::getNEventsGivenStartEvent(uint64_t startEvent, uint64_t count)
{
    if (!seekNEvents(startEvent)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNEvents(count);
}

RawFileReader::EventBatch RawFileReader::getNTimeEventsGivenStartTimeStamp(uint64_t startTime,
                                                                           uint64_t duration)
{
    if (!seekTime(startTime)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNTimeEvents(duration);
}

RawFileReader::EventBatch RawFileReader::getNTimeEventsGivenStartEvent(uint64_t startEvent, uint64_t duration)
{
    if (!seekNEvents(startEvent)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNTimeEvents(duration);
}

bool RawFileReader::extractEventData(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    return m_private->extract(startTime, endTime, outPath);
}

bool RawFileReader::exportEventDataToVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    return m_private->exportVideo(startTime, endTime, outPath);
}

uint32_t RawFileReader::addTriggerInCallback(TriggerInCallback callback)
{
    std::lock_guard<std::mutex> lock(m_private->callbackMutex);
    const uint32_t id = m_private->nextCallbackId++;
    m_private->triggerCallbacks.emplace(id, std::move(callback));
    return id;
}

bool RawFileReader::removeTriggerInCallback(uint32_t id)
{
    std::lock_guard<std::mutex> lock(m_private->callbackMutex);
    return m_private->triggerCallbacks.erase(id) != 0;
}

} // namespace tarvo
