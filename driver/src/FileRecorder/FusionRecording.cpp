#include "FileRecorder/FusionRecording.h"

#include "TarvoBase/CalibrationJson.h"
#include "TarvoBase/Logger.h"

namespace tarvo {

FusionRecording::FusionRecording(const char* logSource, const DvsFileInfo& info, int frameWidth,
                                 int frameHeight)
    : m_logSource(logSource), m_info(info), m_raw(logSource), m_video(logSource, frameWidth, frameHeight)
{
}

int FusionRecording::start(const std::string& directory, const std::string& name, STREAM_TYPE type,
                           const std::optional<CalibratorParameters>& calibration,
                           FusionRawWriter::StreamClock clock)
{
    const bool events = type != APS_STREAM;
    const bool frames = type != DVS_STREAM;
    bool framesBusy = false;
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        framesBusy = m_framesRecording;
    }
    // Refused before anything is written, so that the running recording keeps its files.
    if ((frames && framesBusy) || (events && m_raw.isRecording())) {
        Logger::Instance().log_(2, m_logSource, __LINE__, "Do not save again while saving.");
        if (type == DVS_APS_STREAM) {
            Logger::Instance().log_(2, m_logSource, __LINE__,
                                    framesBusy ? "Start Recording APS Stream Failed."
                                               : "Start Recording DVS Stream Failed.");
        }
        return -1;
    }
    if (calibration && !paramToJsonFile(*calibration, directory + "/" + name + ".json")) {
        Logger::Instance().log_(3, m_logSource, __LINE__,
                                "The calibration was not written beside the recording");
    }
    if (frames && startFrames(directory, name, events) != 0) {
        if (type == DVS_APS_STREAM) {
            Logger::Instance().log_(2, m_logSource, __LINE__, "Start Recording APS Stream Failed.");
        }
        return -1;
    }
    if (events && startEvents(directory + "/" + name + ".raw", std::move(clock)) != 0) {
        if (type == DVS_APS_STREAM) {
            Logger::Instance().log_(2, m_logSource, __LINE__, "Start Recording DVS Stream Failed.");
            // The caller is told the recording failed: it must not find half of one running.
            stop(APS_STREAM);
        }
        return -1;
    }
    return 0;
}

int FusionRecording::startFrames(const std::string& directory, const std::string& name, bool withEvents)
{
    if (!m_video.open(directory + "/" + name + ".mp4")) {
        return -1;
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    m_frameStart = 0;
    m_frameStartKnown = false;
    m_framesRecording = true;
    m_framesWithEvents = withEvents;
    return 0;
}

int FusionRecording::startEvents(const std::string& path, FusionRawWriter::StreamClock clock)
{
    Logger::Instance().log_(2, m_logSource, __LINE__, "Start recording DVS stream to %s.", path.c_str());
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (!m_raw.start(path, m_info, m_framesRecording, std::move(clock))) {
        return -1;
    }
    if (m_frameStartKnown) {
        m_raw.setFrameStart(m_frameStart);
    }
    return 0;
}

int FusionRecording::stop(STREAM_TYPE type)
{
    bool complete = true;
    if (type != APS_STREAM) {
        complete = m_raw.stop();
    }
    if (type != DVS_STREAM) {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        if (m_framesRecording) {
            m_framesRecording = false;
            // Queued frames carry their own presentation times, so the offset may go now.
            m_video.close();
        }
    }
    return complete ? 0 : -1;
}

void FusionRecording::pushFrame(const Frame& frame, uint64_t endTime)
{
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (!m_framesRecording) {
        return;
    }
    if (!m_frameStartKnown) {
        // The fusion thread may hand over frames that ended before the recording began (it runs
        // behind the event stream); the video starts with the first frame whose events the RAW
        // file can hold, so that both files start together.
        uint64_t eventsFrom = 0;
        if (m_framesWithEvents && (!m_raw.leadInFrom(eventsFrom) || endTime < eventsFrom)) {
            return;
        }
        m_frameStartKnown = true;
        m_frameStart = endTime;
        Logger::Instance().log_(2, m_logSource, __LINE__, "Mp4 offset: %lld",
                                static_cast<long long>(endTime));
        m_raw.setFrameStart(endTime);
    }
    // A frame whose time could not be read (0) has no place in the video.
    if (endTime >= m_frameStart) {
        m_video.push(frame, static_cast<int64_t>(endTime - m_frameStart));
    }
}

} // namespace tarvo
