#include "FileRecorder/DvsFileRecorder.h"

#include "DriverLog.h"
#include "FileRecorder/RecordingHeader.h"
#include "camera/ThreadName.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/FileRecorder/DvsFileRecorder";

std::string mebibytes(size_t bytes)
{
    return std::to_string(bytes >> 20) + " MiB";
}

} // namespace

std::unique_ptr<RawStreamRecorder> createRawStreamRecorder()
{
    return std::make_unique<DvsFileRecorder>();
}

DvsFileRecorder::DvsFileRecorder(const StreamBuffers::Limits& limits) : m_buffers(limits) {}

DvsFileRecorder::~DvsFileRecorder()
{
    {
        // As stopRecording() and setFileCacheTime(0) would, then the worker ends.
        std::lock_guard<std::mutex> control(m_controlMutex);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cacheMode = false;
        m_pendingCache.reset();
        m_buffers.close(false);
        m_taking = false;
        if (m_phase == RecorderState::CachedRecording) {
            setPhaseLocked(RecorderState::Saving);
        }
        m_wake.notify_one();
        m_changed.wait(lock, [this] { return m_phase == RecorderState::Idle; });
        m_quit = true;
    }
    m_wake.notify_one();
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_cache.clear();
}

void DvsFileRecorder::setClock(Clock clock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(clock);
}

void DvsFileRecorder::setFileInfo(const DvsFileInfo& info)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fileInfo = info;
}

bool DvsFileRecorder::isActive() const
{
    return m_taking.load();
}

void DvsFileRecorder::pushData(const std::vector<uint8_t>& bytes)
{
    bool handedOver = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const uint64_t now = m_clock ? m_clock() : 0;
        switch (m_buffers.append(bytes.data(), bytes.size(), now)) {
        case StreamBuffers::Append::Taken:
        case StreamBuffers::Append::NotTaking:
            break;
        case StreamBuffers::Append::HandedOver:
            handedOver = true;
            break;
        case StreamBuffers::Append::OverBound:
            failLocked(RecordingFault::DiskTooSlow,
                       "the disk did not keep up with the stream (" +
                           mebibytes(m_buffers.limits().maxHeldBytes) + " of it waited in memory)",
                       false);
            handedOver = true;
            break;
        }
    }
    if (handedOver) {
        m_wake.notify_one();
    }
}

void DvsFileRecorder::setFileCacheTime(uint16_t seconds, const std::string& directory)
{
    std::lock_guard<std::mutex> control(m_controlMutex);
    if (seconds > 0) {
        ensureWorker();
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_phase != RecorderState::Saving; });
    if (seconds > 0) {
        switch (m_phase) {
        case RecorderState::Idle:
            m_fault = RecordingFault::None;
            m_error.clear();
            beginCachingLocked(CacheRequest{seconds, directory});
            break;
        case RecorderState::Recording:
            m_pendingCache = CacheRequest{seconds, directory};
            TARVO_LOG(log::kInfo, "Caching %u s in %s begins when the recording of %s ends", seconds,
                      directory.c_str(), m_path.c_str());
            break;
        default:
            TARVO_LOG(log::kInfo, "The stream is cached already; %u s in %s change nothing", seconds,
                      directory.c_str());
            break;
        }
        return;
    }
    m_pendingCache.reset();
    m_cacheMode = false;
    if (m_phase == RecorderState::Recording || m_phase == RecorderState::Idle) {
        return;
    }
    if (m_phase == RecorderState::CachedRecording) {
        TARVO_LOG(log::kWarning, "Caching ended during the recording of %s, which is saved as it is",
                  m_path.c_str());
        setPhaseLocked(RecorderState::Saving);
    }
    m_buffers.close(false);
    m_taking = false;
    m_wake.notify_one();
    m_changed.wait(lock, [this] { return m_phase == RecorderState::Idle; });
}

bool DvsFileRecorder::startRecording(const std::string& path, const DvsFileInfo& info)
{
    std::lock_guard<std::mutex> control(m_controlMutex);
    RecorderState phase;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        phase = m_phase;
    }
    if (phase == RecorderState::Saving) {
        TARVO_LOG(log::kWarning, "Cannot record %s: the last recording is still being saved", path.c_str());
        return false;
    }
    if (phase == RecorderState::Recording || phase == RecorderState::CachedRecording) {
        TARVO_LOG(log::kWarning, "Cannot record %s: a recording is under way", path.c_str());
        return false;
    }
    ensureWorker();
    // Only this thread leaves Idle; the worker may end caching meanwhile, but nothing else.
    const bool plain = phase == RecorderState::Idle;
    const bool opened = m_output.open(path);

    std::lock_guard<std::mutex> lock(m_mutex);
    if (opened && !plain && m_phase != RecorderState::Caching) {
        m_output.finish(false);
        std::remove(path.c_str());
        TARVO_LOG(log::kError, "Cannot record %s: caching has stopped (%s)", path.c_str(), m_error.c_str());
        return false;
    }
    m_path = path;
    m_bytesWritten = 0;
    if (!opened) {
        m_fault = RecordingFault::CannotOpen;
        m_error = m_output.error();
        TARVO_LOG(log::kError, "%s", m_error.c_str());
        return false;
    }
    m_fault = RecordingFault::None;
    m_error.clear();
    m_recordingInfo = info;
    if (plain) {
        TARVO_LOG(log::kInfo, "Start recording file ts: %llu",
                  static_cast<unsigned long long>(info.dvs_start_timestamp));
        m_buffers.open();
        m_taking = true;
        setPhaseLocked(RecorderState::Recording);
    } else {
        m_buffers.resetPeak();
        setPhaseLocked(RecorderState::CachedRecording);
    }
    return true;
}

bool DvsFileRecorder::stopRecording()
{
    std::lock_guard<std::mutex> control(m_controlMutex);
    std::unique_lock<std::mutex> lock(m_mutex);
    switch (m_phase) {
    case RecorderState::Recording:
        if (m_clock) {
            TARVO_LOG(log::kInfo, "Stop recording file ts: %llu", static_cast<unsigned long long>(m_clock()));
        }
        m_buffers.close(false);
        m_taking = false;
        m_wake.notify_one();
        m_changed.wait(lock, [this] { return m_phase != RecorderState::Recording; });
        return m_fault == RecordingFault::None;
    case RecorderState::CachedRecording:
        m_buffers.close(false);
        m_taking = false;
        setPhaseLocked(RecorderState::Saving);
        return true;
    case RecorderState::Saving:
        TARVO_LOG(log::kWarning, "Cannot stop recording: %s is still being saved", m_path.c_str());
        return false;
    default:
        TARVO_LOG(log::kWarning, "Cannot stop recording: no recording is under way");
        return false;
    }
}

RecordingStatus DvsFileRecorder::status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    RecordingStatus status;
    status.state = m_phase;
    status.path = m_path;
    status.bytesWritten = m_bytesWritten;
    status.cachedBytes = m_cachedBytes;
    status.queuedBytes = m_buffers.heldBytes();
    status.peakQueuedBytes = m_buffers.peakHeldBytes();
    status.fault = m_fault;
    status.error = m_error;
    return status;
}

void DvsFileRecorder::ensureWorker()
{
    if (!m_worker.joinable()) {
        m_worker = std::thread(&DvsFileRecorder::run, this);
    }
}

void DvsFileRecorder::run()
{
    nameThisThread("tarvo-recorder");
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_phase != RecorderState::Idle; });
        if (m_phase == RecorderState::Idle) {
            return;
        }
        const bool plain = m_phase == RecorderState::Recording;
        lock.unlock();
        try {
            plain ? recordPlain() : runCache();
        } catch (const std::exception& error) {
            abandon(error.what());
        } catch (...) {
            abandon("an unknown error");
        }
        lock.lock();
    }
}

void DvsFileRecorder::abandon(const char* reason)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    // While only caching, the output is startRecording()'s; once a recording runs, the worker's.
    const bool ownsOutput = m_phase != RecorderState::Caching;
    failLocked(RecordingFault::WriteFailed, std::string("the recorder failed: ") + reason, true);
    lock.unlock();
    if (ownsOutput) {
        m_output.finish(false);
    }
    m_cache.closeOpenFile();
    lock.lock();
    setPhaseLocked(RecorderState::Idle);
}

void DvsFileRecorder::recordPlain()
{
    DvsFileInfo info;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        info = m_recordingInfo;
    }
    // The header goes with the first buffer, whose stream time it carries; a recording that got
    // nothing carries the time of its start.
    bool headerWritten = false;
    std::deque<StreamBuffers::Chunk> chunks;
    while (takeBuffers(chunks)) {
        for (const StreamBuffers::Chunk& chunk : chunks) {
            if (!headerWritten) {
                writeHeader(info, chunk.startTime);
                headerWritten = true;
            }
            const size_t size = chunk.bytes->size();
            if (!m_output.failed() && !m_output.append(chunk.bytes->data(), size)) {
                fail(RecordingFault::WriteFailed, m_output.error(), true);
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_buffers.release(size);
            if (!m_output.failed()) {
                m_bytesWritten += size;
            }
        }
        chunks.clear();
    }
    if (!headerWritten) {
        writeHeader(info, info.dvs_start_timestamp);
    }
    if (!m_output.finish(true)) {
        fail(RecordingFault::WriteFailed, m_output.error(), true);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    setPhaseLocked(RecorderState::Idle);
    if (m_pendingCache) {
        const CacheRequest request = *m_pendingCache;
        m_pendingCache.reset();
        beginCachingLocked(request);
    }
}

void DvsFileRecorder::writeHeader(const DvsFileInfo& info, uint64_t streamTime)
{
    const std::string header = recordingHeader(info, streamTime);
    if (!m_output.append(reinterpret_cast<const uint8_t*>(header.data()), header.size())) {
        fail(RecordingFault::WriteFailed, m_output.error(), true);
    }
}

void DvsFileRecorder::runCache()
{
    for (;;) {
        m_cache.clear();
        TARVO_LOG(log::kInfo, "Start cache loop");
        bool failed = false;
        std::deque<StreamBuffers::Chunk> chunks;
        while (takeBuffers(chunks)) {
            bool recording;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                recording = m_phase == RecorderState::CachedRecording || m_phase == RecorderState::Saving;
            }
            for (const StreamBuffers::Chunk& chunk : chunks) {
                if (!failed && !m_cache.append(chunk, recording)) {
                    failed = true;
                    fail(RecordingFault::WriteFailed, m_cache.error(), true);
                }
                std::lock_guard<std::mutex> lock(m_mutex);
                m_buffers.release(chunk.bytes->size());
                m_cachedBytes = m_cache.bytes();
            }
            chunks.clear();
        }
        if (!m_cache.closeOpenFile() && !failed) {
            fail(RecordingFault::WriteFailed, m_cache.error(), true);
        }
        TARVO_LOG(log::kInfo, "End cache loop");
        bool save;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            save = m_phase == RecorderState::Saving;
        }
        if (save) {
            saveRecording();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cachedBytes = m_cache.bytes();
        if (!m_cacheMode) {
            setPhaseLocked(RecorderState::Idle);
            return;
        }
        // A recording was saved: caching goes on, from an empty cache.
        m_buffers.open();
        m_taking = true;
        setPhaseLocked(RecorderState::Caching);
    }
}

void DvsFileRecorder::saveRecording()
{
    DvsFileInfo info;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        info = m_recordingInfo;
    }
    const bool joined = m_cache.joinInto(m_output, info, [this](uint64_t written) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytesWritten = written;
    });
    if (!joined) {
        fail(RecordingFault::WriteFailed, m_cache.error().empty() ? m_output.error() : m_cache.error(), true);
    }
    if (!m_output.finish(true)) {
        fail(RecordingFault::WriteFailed, m_output.error(), true);
    }
}

bool DvsFileRecorder::takeBuffers(std::deque<StreamBuffers::Chunk>& chunks)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_buffers.hasWaiting()) {
        if (!m_buffers.taking()) {
            return false;
        }
        if (!m_wake.wait_for(lock, m_buffers.limits().quietHandOver,
                             [this] { return m_buffers.hasWaiting() || !m_buffers.taking(); })) {
            m_buffers.handOverPartial();
        }
    }
    chunks = m_buffers.takeWaiting();
    return true;
}

bool DvsFileRecorder::beginCachingLocked(const CacheRequest& request)
{
    const std::string directory = request.directory.empty() ? "." : request.directory;
    struct stat info = {};
    const bool found = ::stat(directory.c_str(), &info) == 0;
    if (!found || !S_ISDIR(info.st_mode)) {
        m_fault = RecordingFault::CannotOpen;
        m_error = "Cannot cache the stream in " + directory + ": " +
                  (found ? std::string("it is not a folder") : std::strerror(errno));
        TARVO_LOG(log::kError, "%s", m_error.c_str());
        return false;
    }
    m_cacheMode = true;
    m_cache.configure(request.seconds, directory, m_fileInfo.serial_number);
    m_cachedBytes = 0;
    m_buffers.open();
    m_taking = true;
    setPhaseLocked(RecorderState::Caching);
    return true;
}

void DvsFileRecorder::fail(RecordingFault fault, const std::string& error, bool discardBuffered)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    failLocked(fault, error, discardBuffered);
}

void DvsFileRecorder::failLocked(RecordingFault fault, const std::string& error, bool discardBuffered)
{
    if (m_fault == RecordingFault::None) {
        const bool recording = m_phase == RecorderState::Recording ||
                               m_phase == RecorderState::CachedRecording || m_phase == RecorderState::Saving;
        m_fault = fault;
        m_error =
            (recording ? "Recording to " + m_path + " stopped: " : std::string("Caching stopped: ")) + error;
        TARVO_LOG(log::kError, "%s", m_error.c_str());
    }
    m_buffers.close(discardBuffered);
    m_taking = false;
    m_cacheMode = false;
    m_pendingCache.reset();
    if (m_phase == RecorderState::CachedRecording) {
        setPhaseLocked(RecorderState::Saving);
    }
}

void DvsFileRecorder::setPhaseLocked(RecorderState phase)
{
    m_phase = phase;
    m_wake.notify_one();
    m_changed.notify_all();
}

} // namespace tarvo
