#pragma once

#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/tarvodriver_export.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarvo {

class Decoder;
class DataToVideoConverter;

// Reader of a RAW recording: a "%" text header followed by EVT 3.0 words. On first opening it
// indexes the payload with a bookmark every bookmark_period_us of event time and stores the
// index beside the recording (".vxmark.tmp") so that later openings skip the scan.
class TARVODRIVER_EXPORT RawFileReader : public DvsFileReader
{
public:
    static constexpr uint64_t bookmark_period_us = 2000;

    // A place where decoding can resume: the byte offset of a raw word, the decoder time
    // there and the number of events before it.
    struct Bookmark
    {
        uint64_t bytePos = 0;
        uint8_t flag = 0;
        uint64_t timestamp = 0;
        uint32_t eventCount = 0;
    };

    explicit RawFileReader(std::string path);
    ~RawFileReader() override;
    RawFileReader(const RawFileReader&) = delete;
    RawFileReader& operator=(const RawFileReader&) = delete;

    bool loadFile() override;
    bool getStartTimeStamp(uint64_t& out) override;
    bool getEndTimeStamp(uint64_t& out) override;
    bool getMaxEvents(uint64_t& out) override;
    bool reachedEndOfEvents() override;
    bool seekTime(uint64_t timestamp) override;
    bool seekNEvents(uint64_t eventNumber) override;
    uint64_t getCurrentPosTimeStamp() override;
    uint64_t getCurrentPosEventNum() override;
    EventBatch getNEvents(uint64_t count) override;
    EventBatch getNEventsGivenStartTimeStamp(uint64_t startTime, uint64_t count) override;
    EventBatch getNEventsGivenStartEvent(uint64_t startEvent, uint64_t count) override;
    EventBatch getNTimeEvents(uint64_t duration) override;
    EventBatch getNTimeEventsGivenStartTimeStamp(uint64_t startTime, uint64_t duration) override;
    EventBatch getNTimeEventsGivenStartEvent(uint64_t startEvent, uint64_t duration) override;
    bool extractEventData(uint64_t startTime, uint64_t endTime, const std::string& outPath) override;
    bool exportEventDataToVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath) override;
    uint32_t addTriggerInCallback(TriggerInCallback callback) override;
    bool removeTriggerInCallback(uint32_t id) override;
    uint16_t getWidth() const override;
    uint16_t getHeight() const override;
    bool getFileInfo(DvsFileInfo& out) override;

    // Index lookups. By time: the bookmark at t or the last one before it; false outside the
    // recording. By event number: the last bookmark with fewer than n events before it (the
    // first one for n = 0); false beyond the last count.
    bool getRawFileBookmark(uint64_t t, Bookmark& out) const;
    bool getRawFileBookmarkByNEvents(uint64_t n, Bookmark& out) const;

    // Called on the exporting thread after each exported period with the event time done and
    // the time the export covers, both in µs from the start of the range.
    using ExportProgressCallback = std::function<void(uint64_t doneUs, uint64_t totalUs)>;
    void setExportProgressCallback(ExportProgressCallback callback)
    {
        m_exportProgress = std::move(callback);
    }

    // Number of bookmarks in the index (0 before a successful load).
    size_t getBookmarkCount() const { return m_timeIndex.size(); }

    // CRC-8/SMBUS (polynomial 0x07, no reflection, initial value and final XOR 0).
    static uint8_t crc8(const std::vector<uint8_t>& bytes);

private:
    using TimeIndex = std::map<uint64_t, Bookmark>;
    using CountIndex = std::map<uint64_t, uint64_t>;

    bool readHeader();
    void initBookmark();
    void serializeBookmarkMap(const TimeIndex& timeIndex, const std::string& path);
    bool checkBookmarksFromFile(const std::string& path);
    void loadBookmarksFromFile(const std::string& path);
    bool parseBookmarkBody(const std::vector<uint8_t>& bytes, TimeIndex& timeIndex, CountIndex& countIndex);
    void primeDecoder();
    size_t wordSize() const;
    void clearBatches();
    size_t readAt(uint64_t position, uint8_t* out, size_t size) const;
    // Decodes chunk by chunk from the read position until done() answers true or the payload
    // ends; decoded events are appended to m_outputEvents.
    template <typename Done> bool readAndDecodeEvents(Done done);
    // Decodes from a bookmark chunk by chunk, handing each chunk with its file position to
    // scan until scan answers true; returns whether it did. When it did not, the read position
    // is left where the payload ended.
    template <typename Scan> bool scanFromBookmark(const Bookmark& bookmark, Scan scan);
    // Moves the pending events [m_pendingBegin, stop) to the end of m_outputEvents.
    void takePending(size_t stop);
    void dispatchTrigger(const EventTriggerIn& trigger);

    std::unique_ptr<Decoder> m_decoder;
    std::string m_filePath;
    std::string m_markPath;
    int m_file = -1;
    std::mutex m_readMutex; // guards the decoder, m_readPos and m_readBuffer during decoding and seeks
    uint64_t m_chunkSize = 0x20000;
    std::vector<uint8_t> m_readBuffer;
    uint64_t m_readPos = 0; // next byte to decode
    std::shared_ptr<std::vector<Event2D>> m_pendingEvents;
    size_t m_pendingBegin = 0; // pending events start here; those before were handed out
    std::shared_ptr<std::vector<Event2D>> m_outputEvents;
    uint64_t m_currentEventNum = 0;
    uint64_t m_currentTimeStamp = 0;
    uint64_t m_startTimeStamp = 0;
    uint64_t m_endTimeStamp = 0;
    uint64_t m_maxEvents = 0;
    DvsFileInfo m_fileInfo;
    uint64_t m_fileSize = 0;
    uint64_t m_payloadStart = 0;
    uint64_t m_payloadEnd = 0; // end of the indexed payload; decoding never reads past it
    std::unordered_map<uint32_t, TriggerInCallback> m_triggerCallbacks;
    uint32_t m_nextCallbackId = 0;
    std::mutex m_callbackMutex; // guards m_triggerCallbacks and m_nextCallbackId
    std::shared_ptr<DataToVideoConverter> m_videoConverter;
    int32_t m_exportFps = 30;
    ExportProgressCallback m_exportProgress;
    TimeIndex m_timeIndex;
    CountIndex m_countIndex;
    // What the last bookmark check parsed, so that loading uses exactly the bytes checked.
    TimeIndex m_checkedTimeIndex;
    CountIndex m_checkedCountIndex;
};

} // namespace tarvo
