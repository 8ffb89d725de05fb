#pragma once

#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/tarvodriver_export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

// Reader of a RAW recording: a "%" text header followed by EVT 3.0 words. On first opening it
// indexes the payload with a bookmark every bookmark_period_us of event time and stores the
// index beside the recording (".vxmark.tmp") so that later openings skip the scan.
class TARVODRIVER_EXPORT RawFileReader : public DvsFileReader
{
public:
    static constexpr uint64_t bookmark_period_us = 2000;

    // A place where decoding can resume: the byte offset of a raw word, the decoder time
    // there and the number of events before it. The last bookmark marks the end of the
    // payload with the highest time reached and the number of all events.
    struct Bookmark
    {
        uint64_t bytePos = 0;
        uint8_t flag = 0;
        uint64_t timestamp = 0;
        uint64_t eventCount = 0;
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
    // Cut and export: the start must lie inside the recording ("No start timestamp found."
    // otherwise); an end past the recording is cut to its end, for both alike. The output is
    // never the recording itself (under any name or link) nor anything but a regular file; an
    // export of a range without events fails and writes nothing. extractEventData throws
    // std::runtime_error when reading the input or writing the output fails midway.
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
    void setExportProgressCallback(ExportProgressCallback callback);

    // Number of bookmarks in the index (0 before a successful load).
    size_t getBookmarkCount() const;

    // Decodes the whole payload once, apart from the cursor, and counts its trigger edges
    // (which the index does not hold); false before a successful load or on a read error.
    bool countTriggerEdges(uint64_t& out);

    // CRC-8/SMBUS (polynomial 0x07, no reflection, initial value and final XOR 0).
    static uint8_t crc8(const std::vector<uint8_t>& bytes);

private:
    struct Private;
    std::unique_ptr<Private> m_private;
};

} // namespace tarvo
