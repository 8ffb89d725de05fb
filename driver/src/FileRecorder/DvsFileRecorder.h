#pragma once

#include "FileRecorder/CacheFiles.h"
#include "FileRecorder/PieceFile.h"
#include "FileRecorder/RawStreamRecorder.h"
#include "FileRecorder/StreamBuffers.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace tarvo {

// Records an event camera's raw stream into RAW files: the header, then the bytes exactly as the
// transport delivered them. Plain recording writes from startRecording() to stopRecording().
// Cached recording (setFileCacheTime() > 0) keeps the last N seconds in one-second cache files
// all the time; a recording started then holds them too, and at the stop the kept seconds and
// the stream since the start are joined into the file, after which caching goes on by itself.
//
// Threads: the camera's stream thread calls isActive() and pushData(); the application's threads
// the rest. One worker thread, started with the first recording or cache and joined by the
// destructor, does all the writing, caching and joining. A failed write, or a disk so slow that
// the bound of buffered stream is reached, stops the recording and the cache and is reported by
// status() and the log (level 4); the file keeps the stream up to the last whole buffer written.
class DvsFileRecorder final : public RawStreamRecorder
{
public:
    explicit DvsFileRecorder(const StreamBuffers::Limits& limits = {});
    ~DvsFileRecorder() override;

    DvsFileRecorder(const DvsFileRecorder&) = delete;
    DvsFileRecorder& operator=(const DvsFileRecorder&) = delete;

    void setClock(Clock clock) override;
    void setFileInfo(const DvsFileInfo& info) override;
    bool isActive() const override;
    void pushData(const std::vector<uint8_t>& bytes) override;
    // A new number of seconds while caching changes nothing; during a plain recording caching
    // begins when it ends; 0 during a cached recording stops and saves it first. Waits while a
    // save runs.
    void setFileCacheTime(uint16_t seconds, const std::string& directory) override;
    // False while a recording runs or is being saved, and when the file cannot be created.
    bool startRecording(const std::string& path, const DvsFileInfo& info) override;
    // A plain recording: waits until its file is complete; false when it failed. A cached one:
    // begins the save and returns at once. False when no recording runs, or during a save.
    bool stopRecording() override;
    RecordingStatus status() const override;

private:
    struct CacheRequest
    {
        uint16_t seconds = 0;
        std::string directory;
    };

    void run();
    // After an exception in the worker: the recording and the cache end with the failure.
    void abandon(const char* reason);
    void recordPlain();
    void writeHeader(const DvsFileInfo& info, uint64_t streamTime);
    void runCache();
    // Waits for buffers to write, handing over one that the stream has left partly filled for a
    // while. False once the stream has been closed and every buffer taken.
    bool takeBuffers(std::deque<StreamBuffers::Chunk>& chunks);
    // The bytes of a written (or given up) buffer leave memory.
    void released(size_t bytes);
    void saveRecording();
    // Under m_mutex: begins caching as `request` says; false when its folder is unusable.
    bool beginCachingLocked(const CacheRequest& request);
    // Under m_mutex: keeps the first failure since the last start, logs it and stops taking the
    // stream; a cached recording is then saved as far as it got, and caching ends.
    void failLocked(RecordingFault fault, const std::string& error, bool discardBuffered);
    void fail(RecordingFault fault, const std::string& error, bool discardBuffered);
    void setPhaseLocked(RecorderState phase);
    void ensureWorker();

    // Serialises the application's calls (start, stop, cache time, destruction), which may wait
    // for the worker; the worker and the stream thread never take it.
    std::mutex m_controlMutex;
    std::thread m_worker;

    // Guards everything below but the atomics, and wakes the worker (m_wake) and the callers
    // waiting for the worker (m_changed).
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_changed;
    bool m_quit = false;
    RecorderState m_phase = RecorderState::Idle;
    std::atomic<bool> m_taking{false}; // the buffers take the stream (isActive())
    StreamBuffers m_buffers;
    Clock m_clock;
    DvsFileInfo m_fileInfo;
    bool m_cacheMode = false;
    std::optional<CacheRequest> m_pendingCache; // asked for during a plain recording
    DvsFileInfo m_recordingInfo;                // of the recording under way
    std::string m_path;
    uint64_t m_bytesWritten = 0;
    uint64_t m_cachedBytes = 0;
    RecordingFault m_fault = RecordingFault::None;
    std::string m_error;

    // The worker's own while it records; the caller's in startRecording() before that.
    PieceFile m_output;
    CacheFiles m_cache;
};

} // namespace tarvo
