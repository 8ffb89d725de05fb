// Video export of a RAW recording's time range: one picture per 1/30 s of event time.
#include "RawFileReaderPrivate.h"

#include "DriverLog.h"
#include "EventPicture.h"
#include "TarvoDriver/DataToVideoConverter.h"

#include <algorithm>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";

using namespace log;

} // namespace

bool RawFileReader::Private::exportVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    TARVO_LOG(kInfo, "Exporting event data to video...");
    if (endTime <= startTime) {
        TARVO_LOG(kError, "There is no data in the interval.");
        return false;
    }
    if (startTime < startTimeStamp || startTime > endTimeStamp) {
        TARVO_LOG(kError, "No start timestamp found.");
        return false;
    }
    // A range past the end of the recording is cut at its end, as for a cut.
    endTime = std::min(endTime, endTimeStamp == UINT64_MAX ? UINT64_MAX : endTimeStamp + 1);
    std::string why;
    if (!PosixFile::checkOutput(outPath, fileStat, why)) {
        TARVO_LOG(kError, "'%s' cannot be written: %s.", outPath.c_str(), why.c_str());
        return false;
    }
    const uint16_t width = fileInfo.width;
    const uint16_t height = fileInfo.height;
    videoConverter = std::make_shared<DataToVideoConverter>();
    videoConverter->setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    videoConverter->setConverterFrameSize(height, width, height, width);
    if (videoConverter->initVideoConverter() != 0) {
        TARVO_LOG(kError,
                  "Video converter initialization failed, please confirm that the input file is correct.");
        videoConverter.reset();
        return false;
    }
    if (!seekTime(startTime)) {
        TARVO_LOG(kError, "No start timestamp found.");
        return false;
    }

    const uint64_t period = 1000000 / static_cast<uint64_t>(exportFps);
    const uint64_t total = endTime - startTime;
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3, 0);
    // The output is made with the first picture, so that a range without events leaves none.
    bool opened = false;
    for (uint64_t windowStart = startTime; windowStart < endTime; windowStart += period) {
        const EventBatch batch = getNTimeEvents(period);
        if (!batch->empty()) {
            if (!opened && videoConverter->setOutputFile(outPath) != 0) {
                TARVO_LOG(kError, "Failed to open output file: %s.", outPath.c_str());
                return false;
            }
            opened = true;
            eventsToRgbData(batch.get(), width, height, picture);
            if (videoConverter->rgbToVideo(picture.data(), -1) != 0) {
                TARVO_LOG(kError, "Exporting to %s failed while encoding.", outPath.c_str());
                videoConverter->flushAndCloseVideo();
                return false;
            }
        } else {
            // Windows without events give no picture: go straight to the one of the next event,
            // so that the loop is bounded by the events and not by the length of the range.
            uint64_t next = 0;
            if (!peekNextEventTime(next) || next >= endTime) {
                break;
            }
            const uint64_t skipped =
                next > windowStart + period ? (next - windowStart - period) / period * period : 0;
            windowStart += skipped;
            currentTimeStamp += skipped;
        }
        if (exportProgress) {
            exportProgress(std::min(windowStart + period - startTime, total), total);
        }
    }
    if (!opened) {
        TARVO_LOG(kError, "There is no data in the interval.");
        return false;
    }
    return videoConverter->flushAndCloseVideo() == 0;
}

} // namespace tarvo
