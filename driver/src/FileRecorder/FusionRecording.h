#pragma once

#include "FileRecorder/FusionRawWriter.h"
#include "FileRecorder/FusionVideoWriter.h"
#include "TarvoBase/CalibratorParameters.h"
#include "TarvoDriver/DvsTypes.h"

#include <mutex>
#include <optional>
#include <string>

namespace tarvo {

// The recordings of a fusion camera: the event stream into "name.raw", the frames into
// "name.mp4" and the camera's calibration into "name.json", all in one directory. The event
// stream thread hands over raw bytes and the fusion thread frames; recordings start and stop on
// the application's threads. The MP4 places each frame at its end time minus the end time of
// the first recorded frame, which the RAW header carries as aps_start_timestamp.
class FusionRecording
{
public:
    using Frame = FusionVideoWriter::Frame;

    // `info` is the header every RAW recording starts from (sensor size, serial number).
    FusionRecording(const char* logSource, const DvsFileInfo& info, int frameWidth, int frameHeight);

    FusionRecording(const FusionRecording&) = delete;
    FusionRecording& operator=(const FusionRecording&) = delete;

    // 0, or -1 (logged) when a stream of `type` is already being recorded or a file cannot be
    // created; a refused or failed start leaves no recording of its own behind.
    int start(const std::string& directory, const std::string& name, STREAM_TYPE type,
              const std::optional<CalibratorParameters>& calibration, FusionRawWriter::StreamClock clock);
    // 0, or -1 when the RAW file could not be written completely.
    int stop(STREAM_TYPE type);

    // The camera's raw event bytes (event stream thread).
    void pushEvents(const std::vector<uint8_t>& bytes) { m_raw.push(bytes); }
    // One NV12 frame with the end time of its exposure (fusion thread).
    void pushFrame(const Frame& frame, uint64_t endTime);

    // Frames left out of videos because the encoder fell behind.
    uint64_t droppedFrames() const { return m_video.droppedFrames(); }
    // Waits until every frame handed over is encoded and every stopped video is finished.
    void waitForVideos() { m_video.waitUntilIdle(); }

private:
    // `withEvents`: the RAW file is started next, and the first frame recorded is one whose events
    // it holds.
    int startFrames(const std::string& directory, const std::string& name, bool withEvents);
    int startEvents(const std::string& path, FusionRawWriter::StreamClock clock);

    const char* m_logSource;
    DvsFileInfo m_info;
    FusionRawWriter m_raw;
    FusionVideoWriter m_video;
    std::mutex m_frameMutex; // guards the four members below
    bool m_framesRecording = false;
    bool m_framesWithEvents = false;
    bool m_frameStartKnown = false;
    uint64_t m_frameStart = 0; // end time of the first recorded frame
};

} // namespace tarvo
