#pragma once

#include "TarvoBase/EventTypes.h"
#include "tools/ObjectPool.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {

// The RAW file of a fusion recording: the camera's event bytes, in arrival order, behind a text
// header. The event stream thread hands over every buffer with push(); the bytes are gathered
// into chunks of just over kChunkBytes, and a writer thread of the recording's own puts full
// chunks on disk, so that the stream thread never waits for the disk.
//
// When frames are recorded too the file starts at the first recorded frame. Its time
// (setFrameStart) comes from the fusion thread, which may run well behind the event stream, so
// until then the buffers are held back with the stream's time before each (up to kLeadInBytes),
// and the file starts at the last of them that began at or before that time: the events from the
// first frame on are all in it however late the frame was handled. The header
// ("% aps_start_timestamp T" first, for a fusion recording) is written once the first bytes
// came, so that its dvs_start_timestamp is the stream's time right before them.
class FusionRawWriter
{
public:
    static constexpr size_t kChunkBytes = 1280 * 720 * 10;
    // The most held back while the first frame is awaited; the oldest buffers give way.
    static constexpr size_t kLeadInBytes = size_t{64} << 20;
    // The stream's time (µs) at the moment of asking, for the header's dvs_start_timestamp.
    using StreamClock = std::function<uint64_t()>;

    explicit FusionRawWriter(const char* logSource);
    ~FusionRawWriter();

    FusionRawWriter(const FusionRawWriter&) = delete;
    FusionRawWriter& operator=(const FusionRawWriter&) = delete;

    // Creates the file (replacing one that is there) and starts the writer; false (logged) when
    // the file cannot be created or a recording is already running.
    bool start(const std::string& path, const DvsFileInfo& info, bool waitsForFrames, StreamClock clock);
    // Whether a recording runs (between start() and stop()).
    bool isRecording() const;
    // The end time of the first recorded frame; the header may be written.
    void setFrameStart(uint64_t apsStart);
    // While the first frame's time is awaited: the stream's time before the oldest buffer held
    // back, from which the file can start; false before any buffer came.
    bool leadInFrom(uint64_t& time) const;
    // Appends one raw buffer once the header is out (called on the event stream thread).
    void push(const std::vector<uint8_t>& bytes);
    // Writes everything gathered, closes the file and joins the writer. False when the file could
    // not be written completely (logged); true also when nothing was recording.
    bool stop();

private:
    using Chunk = std::shared_ptr<std::vector<uint8_t>>;

    // A buffer held back until the first frame's time is known, with the stream's time before it.
    struct LeadIn
    {
        uint64_t timeBefore;
        std::vector<uint8_t> bytes;
    };

    // Appends to the chunk being gathered and hands it to the writer once full; true when it did
    // (m_mutex held).
    bool gather(const std::vector<uint8_t>& bytes);
    void dropLeadIn(); // m_mutex held
    // Keeps the held-back buffers from the one in which the stream reached `apsStart` (m_mutex held).
    void takeLeadIn(uint64_t apsStart);
    void run();
    void writeHeader();
    void write(const std::vector<uint8_t>& bytes);
    Chunk freshChunk();

    const char* m_logSource;
    mutable std::mutex m_mutex; // guards every member below up to m_thread, and m_info
    std::condition_variable m_changed;
    bool m_recording = false;
    bool m_taking = false;    // push() gathers bytes
    bool m_leadingIn = false; // push() holds bytes back until the first frame's time
    std::deque<LeadIn> m_leadIn;
    size_t m_leadInBytes = 0;
    bool m_streamStartKnown = false; // the first bytes came; m_info.dvs_start_timestamp holds their time
    bool m_stopRequested = false;
    bool m_frameStartKnown = false;
    uint64_t m_apsStart = 0;
    Chunk m_chunk;
    std::deque<Chunk> m_full;
    std::unique_ptr<ObjectPool<std::vector<uint8_t>>> m_pool;
    std::thread m_thread;

    DvsFileInfo m_info;

    // Used by the writer thread only while it runs; by start() and stop() around it.
    std::string m_path;
    std::FILE* m_file = nullptr;
    bool m_writeFailed = false;
    bool m_waitsForFrames = false;
    StreamClock m_clock;
};

} // namespace tarvo
