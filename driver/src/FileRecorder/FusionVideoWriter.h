#pragma once

#include "TarvoDriver/DataToVideoConverter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {

// The MP4 files of fusion recordings: NV12 frames of the frame sensor encoded as H.264 on an
// encoder thread of its own, which starts with the first video and lives as long as the writer. Each
// recording gets its own converter, opened on the caller's thread, so that a new recording can start while
// the encoder still works through the frames of the last one; frames and the closing of each file are done
// strictly in the order they were queued. At most kMaxQueuedFrames frames wait for the encoder;
// beyond that a frame is left out of its video and counted. Destruction encodes what is queued
// and closes every file first.
class FusionVideoWriter
{
public:
    using Frame = std::shared_ptr<const std::vector<uint8_t>>;

    static constexpr size_t kMaxQueuedFrames = 64;

    // `logSource` names the owner in log lines.
    FusionVideoWriter(const char* logSource, int width, int height);
    ~FusionVideoWriter();

    FusionVideoWriter(const FusionVideoWriter&) = delete;
    FusionVideoWriter& operator=(const FusionVideoWriter&) = delete;

    // Opens a new video at `path`; false (logged) when the encoder or the file cannot be opened.
    // A video still open is closed first.
    bool open(const std::string& path);
    bool isOpen() const;
    // Queues a frame of the open video at presentation time `pts` (µs); false when no video is
    // open or the queue is full (the frame is then counted as left out).
    bool push(Frame frame, int64_t pts);
    // The open video is finished once the frames queued before it are encoded.
    void close();

    // Frames left out of videos since construction because the encoder fell behind.
    uint64_t droppedFrames() const { return m_dropped.load(); }
    // Waits until every queued frame is encoded and every closed video is finished.
    void waitUntilIdle();

private:
    struct Job
    {
        std::shared_ptr<DataToVideoConverter> video;
        Frame frame; // empty: finish the video
        int64_t pts = 0;
    };

    void run();
    void perform(const Job& job);

    const char* m_logSource;
    const int m_width;
    const int m_height;
    mutable std::mutex m_mutex; // guards every member below up to m_thread
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    size_t m_queuedFrames = 0;
    bool m_busy = false; // the encoder thread is working on a job it took
    bool m_stopRequested = false;
    std::shared_ptr<DataToVideoConverter> m_open; // the video frames are queued for
    std::thread m_thread;
    std::atomic<uint64_t> m_dropped{0};
    bool m_encodeFailed = false; // the encoder thread's own: the open video lost a frame
};

} // namespace tarvo
