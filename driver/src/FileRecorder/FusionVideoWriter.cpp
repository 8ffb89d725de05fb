#include "FileRecorder/FusionVideoWriter.h"

#include "TarvoBase/Logger.h"
#include "camera/ThreadName.h"

namespace tarvo {
namespace {

// Live 4K frames arrive 30 a second; the default preset encodes a few a second on a desktop.
constexpr const char* kEncoderPreset = "ultrafast";

} // namespace

FusionVideoWriter::FusionVideoWriter(const char* logSource, int width, int height)
    : m_logSource(logSource), m_width(width), m_height(height)
{
}

FusionVideoWriter::~FusionVideoWriter()
{
    close();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopRequested = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool FusionVideoWriter::open(const std::string& path)
{
    close();
    auto video = std::make_shared<DataToVideoConverter>();
    video->setConverterFmt(AV_PIX_FMT_NV12, AV_PIX_FMT_YUV420P);
    video->setConverterFrameSize(m_height, m_width, m_height, m_width);
    video->setEncoderPreset(kEncoderPreset);
    if (video->initVideoConverter() < 0) {
        Logger::Instance().log_(
            4, m_logSource, __LINE__,
            "Video converter initialization failed, please confirm that the input file is correct.");
        return false;
    }
    if (video->setOutputFile(path) != 0) {
        const std::string message = "Unable to open " + path + " for writing.";
        Logger::Instance().log_(4, m_logSource, __LINE__, "%s", message.c_str());
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = std::move(video);
    if (!m_thread.joinable()) {
        m_thread = std::thread(&FusionVideoWriter::run, this);
    }
    return true;
}

bool FusionVideoWriter::isOpen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open != nullptr;
}

bool FusionVideoWriter::push(Frame frame, int64_t pts)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open) {
            return false;
        }
        if (m_queuedFrames >= kMaxQueuedFrames) {
            if (m_dropped++ % 30 == 0) {
                Logger::Instance().log_(3, m_logSource, __LINE__,
                                        "The video encoder falls behind: frames are left out of the video");
            }
            return false;
        }
        m_jobs.push_back({m_open, std::move(frame), pts});
        ++m_queuedFrames;
    }
    m_changed.notify_all();
    return true;
}

void FusionVideoWriter::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open) {
            return;
        }
        m_jobs.push_back({std::move(m_open), nullptr, 0});
        m_open.reset();
    }
    m_changed.notify_all();
}

void FusionVideoWriter::waitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void FusionVideoWriter::run()
{
    nameThisThread("tarvo-encoder");
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopRequested; });
        if (m_jobs.empty()) {
            break;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        if (job.frame) {
            --m_queuedFrames;
        }
        m_busy = true;
        lock.unlock();
        perform(job);
        job = Job();
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

void FusionVideoWriter::perform(const Job& job)
{
    try {
        if (!job.frame) {
            // The converter logs whether the file was finished.
            job.video->flushAndCloseVideo();
            m_encodeFailed = false;
            return;
        }
        // -1 is the converter's failure; other negative values are the encoder's try-again status.
        if (job.video->nv12ToVideo(job.frame->data(), job.pts) == -1 && !m_encodeFailed) {
            m_encodeFailed = true;
            Logger::Instance().log_(4, m_logSource, __LINE__, "A frame could not be encoded at %lld µs",
                                    static_cast<long long>(job.pts));
        }
    } catch (const std::exception& error) {
        Logger::Instance().log_(4, m_logSource, __LINE__, "The video encoder failed: %s", error.what());
    }
}

} // namespace tarvo
