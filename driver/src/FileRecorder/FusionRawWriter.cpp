#include "FileRecorder/FusionRawWriter.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoBase/Logger.h"
#include "camera/ThreadName.h"

#include <cerrno>
#include <cstring>

namespace tarvo {
namespace {

// Chunks made when a recording starts; the pool grows when the disk falls behind.
constexpr size_t kInitialChunks = 4;
// A chunk is handed over once it holds more than kChunkBytes, so it grows by up to one more
// raw buffer; room for that is kept so that it never moves.
constexpr size_t kChunkRoom = FusionRawWriter::kChunkBytes + (size_t{1} << 20);

} // namespace

FusionRawWriter::FusionRawWriter(const char* logSource) : m_logSource(logSource) {}

FusionRawWriter::~FusionRawWriter()
{
    stop();
}

bool FusionRawWriter::start(const std::string& path, const DvsFileInfo& info, bool waitsForFrames,
                            StreamClock clock)
{
    if (isRecording()) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        const std::string message = "Unable to open " + path + " for writing.";
        Logger::Instance().log_(4, m_logSource, __LINE__, "%s", message.c_str());
        return false;
    }
    m_path = path;
    m_file = file;
    m_writeFailed = false;
    m_waitsForFrames = waitsForFrames;
    m_clock = std::move(clock);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_info = info;
    m_pool = std::make_unique<ObjectPool<std::vector<uint8_t>>>(kInitialChunks, false, kChunkRoom);
    m_chunk = freshChunk();
    m_full.clear();
    m_recording = true;
    // A recording of events alone takes them from now on.
    m_taking = !waitsForFrames;
    m_leadingIn = waitsForFrames;
    dropLeadIn();
    m_streamStartKnown = false;
    m_stopRequested = false;
    m_frameStartKnown = false;
    m_apsStart = 0;
    m_thread = std::thread(&FusionRawWriter::run, this);
    return true;
}

bool FusionRawWriter::isRecording() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_recording;
}

void FusionRawWriter::setFrameStart(uint64_t apsStart)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_recording || m_frameStartKnown) {
            return;
        }
        m_frameStartKnown = true;
        m_apsStart = apsStart;
        takeLeadIn(apsStart);
    }
    m_changed.notify_all();
}

bool FusionRawWriter::leadInFrom(uint64_t& time) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_leadingIn || m_leadIn.empty()) {
        return false;
    }
    time = m_leadIn.front().timeBefore;
    return true;
}

void FusionRawWriter::takeLeadIn(uint64_t apsStart)
{
    m_leadingIn = false;
    m_taking = true;
    // A buffer's events reach up to the time before the next one: the file starts at the first
    // buffer that reaches past the frame's time (the last one when the stream is not there yet).
    // Looking at where buffers end keeps a buffer whose successor stepped back a few µs.
    size_t first = m_leadIn.empty() ? 0 : m_leadIn.size() - 1;
    for (size_t i = 0; i + 1 < m_leadIn.size(); ++i) {
        if (m_leadIn[i + 1].timeBefore > apsStart) {
            first = i;
            break;
        }
    }
    if (first < m_leadIn.size()) {
        m_info.dvs_start_timestamp = m_leadIn[first].timeBefore;
        m_streamStartKnown = true;
    }
    for (size_t i = first; i < m_leadIn.size(); ++i) {
        gather(m_leadIn[i].bytes);
    }
    dropLeadIn();
}

void FusionRawWriter::dropLeadIn()
{
    m_leadIn.clear();
    m_leadInBytes = 0;
}

bool FusionRawWriter::gather(const std::vector<uint8_t>& bytes)
{
    m_chunk->insert(m_chunk->end(), bytes.begin(), bytes.end());
    if (m_chunk->size() <= kChunkBytes) {
        return false;
    }
    m_full.push_back(std::move(m_chunk));
    m_chunk = freshChunk();
    return true;
}

void FusionRawWriter::push(const std::vector<uint8_t>& bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_leadingIn) {
            m_leadIn.push_back({m_clock ? m_clock() : 0, bytes});
            m_leadInBytes += bytes.size();
            while (m_leadInBytes > kLeadInBytes && m_leadIn.size() > 1) {
                m_leadInBytes -= m_leadIn.front().bytes.size();
                m_leadIn.pop_front();
            }
            return;
        }
        if (!m_taking) {
            return;
        }
        if (!m_streamStartKnown) {
            // The stream's time before these bytes, which the header hands to a reader: words
            // that carry only the low bits of a time rely on it until the next full time.
            m_info.dvs_start_timestamp = m_clock ? m_clock() : 0;
            m_streamStartKnown = true;
            m_changed.notify_all();
        }
        if (!gather(bytes)) {
            return;
        }
    }
    m_changed.notify_all();
}

bool FusionRawWriter::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_recording) {
            return true;
        }
        // What was gathered since the last full chunk belongs to the recording as well; what was
        // held back for a first frame that never came does not.
        m_taking = false;
        m_leadingIn = false;
        dropLeadIn();
        if (m_chunk && !m_chunk->empty()) {
            m_full.push_back(std::move(m_chunk));
        }
        m_chunk.reset();
        m_stopRequested = true;
    }
    m_changed.notify_all();
    m_thread.join();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    const bool complete = closed && !m_writeFailed;
    if (!complete) {
        Logger::Instance().log_(4, m_logSource, __LINE__, "Failed to write %s: the recording is incomplete.",
                                m_path.c_str());
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recording = false;
    m_pool.reset();
    return complete;
}

void FusionRawWriter::run()
{
    nameThisThread("tarvo-rawwrite");
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_waitsForFrames) {
        m_changed.wait(lock, [this] { return m_frameStartKnown || m_stopRequested; });
    }
    // The header goes out once the first bytes came.
    if (m_waitsForFrames) {
        m_info.aps_start_timestamp = m_apsStart;
    }
    m_changed.wait(lock, [this] { return m_streamStartKnown || m_stopRequested; });
    if (!m_streamStartKnown) {
        m_info.dvs_start_timestamp = m_clock ? m_clock() : 0;
    }
    lock.unlock();
    writeHeader();
    lock.lock();
    for (;;) {
        m_changed.wait(lock, [this] { return !m_full.empty() || m_stopRequested; });
        if (m_full.empty()) {
            break;
        }
        std::deque<Chunk> full;
        full.swap(m_full);
        lock.unlock();
        for (const Chunk& chunk : full) {
            write(*chunk);
        }
        full.clear(); // the chunks go back to the pool before the lock is taken again
        lock.lock();
    }
}

void FusionRawWriter::writeHeader()
{
    std::string header;
    if (m_waitsForFrames) {
        // The first line tells a fusion recording from a plain one.
        header = "% aps_start_timestamp " + std::to_string(m_info.aps_start_timestamp) + "\n";
    }
    header += generateDvsFileHeader(m_info);
    write(std::vector<uint8_t>(header.begin(), header.end()));
    if (std::fflush(m_file) != 0) {
        m_writeFailed = true;
    }
}

void FusionRawWriter::write(const std::vector<uint8_t>& bytes)
{
    if (m_writeFailed || bytes.empty()) {
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_writeFailed = true;
        Logger::Instance().log_(4, m_logSource, __LINE__, "Failed to write %s: %s", m_path.c_str(),
                                std::strerror(errno));
    }
}

FusionRawWriter::Chunk FusionRawWriter::freshChunk()
{
    Chunk chunk = m_pool->acquire();
    chunk->clear();
    if (chunk->capacity() < kChunkRoom) {
        chunk->reserve(kChunkRoom);
    }
    return chunk;
}

} // namespace tarvo
