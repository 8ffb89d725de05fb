// Video export of a RAW recording's time range: one picture per 1/30 s of event time.
#include "TarvoDriver/RawFileReader.h"

#include "DriverLog.h"
#include "EventPicture.h"
#include "TarvoDriver/DataToVideoConverter.h"

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";

using namespace log;

} // namespace

bool RawFileReader::exportEventDataToVideo(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    TARVO_LOG(kInfo, "Exporting event data to video...");
    if (endTime <= startTime) {
        // An empty range would leave an MP4 file without a single picture.
        TARVO_LOG(kError, "There is no data in the interval.");
        return false;
    }
    const uint16_t width = m_fileInfo.width;
    const uint16_t height = m_fileInfo.height;
    m_videoConverter = std::make_shared<DataToVideoConverter>();
    m_videoConverter->setConverterFmt(AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P);
    m_videoConverter->setConverterFrameSize(height, width, height, width);
    if (m_videoConverter->initVideoConverter() != 0) {
        TARVO_LOG(kError,
                  "Video converter initialization failed, please confirm that the input file is correct.");
        m_videoConverter.reset();
        return false;
    }
    // Reading from wherever the cursor happens to stand would fill the video with another range.
    if (!seekTime(startTime)) {
        TARVO_LOG(kError, "No start timestamp found.");
        return false;
    }
    // Going on without an output would report a video that was never written.
    if (m_videoConverter->setOutputFile(outPath) != 0) {
        return false;
    }

    const uint64_t period = 1000000 / static_cast<uint64_t>(m_exportFps);
    const uint64_t total = endTime - startTime;
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3, 0);
    for (uint64_t windowStart = startTime; windowStart < endTime; windowStart += period) {
        const EventBatch batch = getNTimeEvents(period);
        if (batch && !batch->empty()) {
            eventsToRgbData(batch.get(), width, height, picture);
            if (m_videoConverter->rgbToVideo(picture.data(), -1) != 0) {
                TARVO_LOG(kError, "Exporting to %s failed while encoding.", outPath.c_str());
                m_videoConverter->flushAndCloseVideo();
                return false;
            }
        }
        if (m_exportProgress) {
            m_exportProgress(std::min(windowStart + period - startTime, total), total);
        }
    }
    return m_videoConverter->flushAndCloseVideo() == 0;
}

} // namespace tarvo
