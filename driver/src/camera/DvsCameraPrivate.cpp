#include "camera/DvsCameraPrivate.h"

#include "DriverLog.h"
#include "camera/ThreadName.h"

#include <chrono>
#include <stdexcept>
#include <system_error>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/DvsCameraPrivate";
constexpr std::chrono::milliseconds kStatisticPeriod{1000};

} // namespace

DvsCameraPrivate::DvsCameraPrivate(const CameraDescription& description)
    : DvsCamera(description), m_eventCallbacks(kLogSource, "Event callback"),
      m_triggerCallbacks(kLogSource, "Trigger callback"), m_batcher(kLogSource),
      m_recorder(createRawStreamRecorder()), m_statisticThread(kLogSource, "tarvo-stats")
{
    m_fileInfo.serial_number = description.serial;
    // The cache files are named after the serial, and caching may begin before the first start().
    m_recorder->setFileInfo(m_fileInfo);
}

DvsCameraPrivate::~DvsCameraPrivate()
{
    stopStreaming();
    joinEndedThreads();
    m_statistics.set(nullptr);
}

bool DvsCameraPrivate::isConnected() const
{
    const auto link = transport();
    return link && link->isConnected();
}

uint32_t DvsCameraPrivate::addEventsStreamHandleCallback(EventsCallback callback)
{
    return m_eventCallbacks.add(std::move(callback));
}

bool DvsCameraPrivate::removeEventsStreamHandleCallback(uint32_t id)
{
    return m_eventCallbacks.remove(id);
}

uint32_t DvsCameraPrivate::addTriggerInCallback(TriggerInCallback callback)
{
    return m_triggerCallbacks.add(std::move(callback));
}

bool DvsCameraPrivate::removeTriggerInCallback(uint32_t id)
{
    return m_triggerCallbacks.remove(id);
}

bool DvsCameraPrivate::getNextBatch(std::vector<Event2D>& events)
{
    return m_batcher.getNextBatch(events);
}

void DvsCameraPrivate::setBatchEventsNum(uint64_t count)
{
    m_batcher.setBatchEventsNum(count);
}

void DvsCameraPrivate::setBatchEventsTime(uint64_t us)
{
    m_batcher.setBatchEventsTime(us);
}

void DvsCameraPrivate::ensureInited() const
{
    if (!m_inited) {
        throw std::runtime_error("Camera is not inited");
    }
}

int DvsCameraPrivate::start()
{
    refuseOnOwnThreads("start()");
    std::lock_guard<std::mutex> lifecycle(m_lifecycleMutex);
    joinEndedThreads();
    ensureInited();
    if (m_running == 1) {
        TARVO_LOG(log::kWarning, "Camera %s is already started", m_description.serial.c_str());
        return 0;
    }
    m_recorder->setClock([this] { return m_streamTime.load(); });
    m_recorder->setFileInfo(m_fileInfo);
    {
        std::lock_guard<std::mutex> lock(m_sensorMutex);
        m_droppedAtStart = m_sensor->getDroppedBufferCount();
    }
    m_droppedReported = 0;
    if (m_sensor->start() != 0) {
        TARVO_LOG(log::kError, "Camera %s did not start streaming", m_description.serial.c_str());
        return -1;
    }
    m_batcher.open();
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopDone = false;
    }
    m_running = 1;
    std::lock_guard<std::mutex> creating(m_threadsMutex);
    m_statisticThread.start(kStatisticPeriod, [this] { statisticTick(); });
    m_intake.start(*m_sensor, [this] { return DvsCameraPrivate::isConnected(); });
    m_streamThread = std::thread(&DvsCameraPrivate::streamLoop, this);
    return 0;
}

int DvsCameraPrivate::stop()
{
    return stopStreaming();
}

int DvsCameraPrivate::stopStreaming()
{
    // Whoever turns running off tears down, once: an application thread, or the camera's own
    // thread after a lost connection or from a callback. The camera's own threads never take
    // the lifecycle lock, which an application thread may hold while it joins them.
    if (onStreamThread() || m_statisticThread.isCurrentThread()) {
        return m_inited && m_running.exchange(0) == 1 ? tearDown() : 0;
    }
    std::lock_guard<std::mutex> lifecycle(m_lifecycleMutex);
    return m_inited && m_running.exchange(0) == 1 ? tearDown() : 0;
}

int DvsCameraPrivate::tearDown()
{
    int result = 0;
    m_intake.stop(); // also wakes the stream thread if it waits for a buffer
    if (!onStreamThread() && m_streamThread.joinable()) {
        try {
            m_streamThread.join();
        } catch (const std::system_error& error) {
            TARVO_LOG(log::kError, "Cannot join the stream thread: %s", error.what());
            result = -1;
        }
    }
    if (!m_statisticThread.stop()) {
        result = -1;
    }
    m_batcher.close();
    m_sensor->stop();
    m_inited = false;
    const uint64_t dropped = getDroppedBufferCount();
    if (dropped > 0) {
        TARVO_LOG(log::kWarning, "Camera %s dropped %llu raw buffers that were not taken in time",
                  m_description.serial.c_str(), static_cast<unsigned long long>(dropped));
    }
    TARVO_LOG(log::kInfo, "Stop camera successfully.");
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopDone = true;
    }
    m_stopDoneCondition.notify_all();
    return result;
}

void DvsCameraPrivate::joinEndedThreads()
{
    if (m_running == 1) {
        return; // live threads are stop()'s to end
    }
    {
        std::unique_lock<std::mutex> lock(m_stopMutex);
        m_stopDoneCondition.wait(lock, [this] { return m_stopDone; });
    }
    if (m_streamThread.joinable()) {
        m_streamThread.join();
    }
    m_statisticThread.join();
}

void DvsCameraPrivate::refuseOnOwnThreads(const char* operation) const
{
    if (onStreamThread() || m_statisticThread.isCurrentThread()) {
        throw std::logic_error(std::string(operation) + " cannot be called from the camera's own callbacks");
    }
}

bool DvsCameraPrivate::onStreamThread() const
{
    return m_streamThreadId.load() == std::this_thread::get_id();
}

void DvsCameraPrivate::streamLoop()
{
    nameThisThread("tarvo-stream");
    m_streamThreadId = std::this_thread::get_id();
    try {
        while (m_running == 1) {
            if (const auto buffer = m_intake.next()) {
                takeBuffer(*buffer);
            } else if (m_intake.deviceLost()) {
                // What arrived before the device went is decoded; then the camera stops itself.
                stopStreaming();
                TARVO_LOG(log::kInfo, "Loss connection to the camera, camera loop thread exited.");
                break;
            }
        }
    } catch (const std::exception& error) {
        TARVO_LOG(log::kError, "Camera %s stream thread failed: %s", m_description.serial.c_str(),
                  error.what());
        stopStreaming();
    }
    m_streamThreadId = std::thread::id();
}

void DvsCameraPrivate::takeBuffer(const std::vector<uint8_t>& buffer)
{
    if (m_recorder->isActive()) {
        m_recorder->pushData(buffer);
    }
    m_decoder->decode(buffer);
    m_streamTime = m_decoder->getLastTimestamp();
}

void DvsCameraPrivate::eventsArrived(const Event2D* first, const Event2D* last)
{
    m_batcher.add(first, last);
    // The decoder's own output, handed on without a copy; callbacks take it as non-const.
    m_eventCallbacks.dispatch(const_cast<Event2D*>(first), const_cast<Event2D*>(last));
}

void DvsCameraPrivate::statisticTick()
{
    {
        // The threads started after this one are complete once start() lets go of this lock; a
        // stop() from the statistic callback joins them.
        std::lock_guard<std::mutex> created(m_threadsMutex);
    }
    const uint64_t dropped = getDroppedBufferCount();
    if (dropped > m_droppedReported) {
        TARVO_LOG(log::kWarning, "Camera %s dropped %llu raw buffers in the last second (not taken in time)",
                  m_description.serial.c_str(), static_cast<unsigned long long>(dropped - m_droppedReported));
        m_droppedReported = dropped;
    }
    m_statistics.report(*m_decoder);
}

void DvsCameraPrivate::setStatisticInfoCallback(StatisticInfoCallback callback)
{
    m_statistics.set(std::move(callback));
}

uint64_t DvsCameraPrivate::getDroppedBufferCount() const
{
    std::lock_guard<std::mutex> lock(m_sensorMutex);
    const uint64_t transport = m_sensor ? m_sensor->getDroppedBufferCount() - m_droppedAtStart : 0;
    return transport + m_intake.droppedBuffers();
}

int DvsCameraPrivate::startRecording(std::string path)
{
    ensureInited();
    m_fileInfo.dvs_start_timestamp = m_streamTime.load();
    m_fileInfo.date = std::chrono::time_point_cast<WallTimeTicks>(std::chrono::system_clock::now());
    return m_recorder->startRecording(path, m_fileInfo) ? 0 : -1;
}

void DvsCameraPrivate::setFileCacheTime(uint16_t seconds, std::string directory)
{
    m_recorder->setFileCacheTime(seconds, directory);
}

int DvsCameraPrivate::stopRecording()
{
    return m_recorder->stopRecording() ? 0 : -1;
}

RecordingStatus DvsCameraPrivate::getRecordingStatus() const
{
    return m_recorder->status();
}

void DvsCameraPrivate::setRecorder(std::unique_ptr<RawStreamRecorder> recorder)
{
    m_recorder = std::move(recorder);
    m_recorder->setFileInfo(m_fileInfo);
}

void DvsCameraPrivate::setDevice(std::shared_ptr<Interface> transport, std::unique_ptr<Decoder> decoder,
                                 std::unique_ptr<Sensor> sensor)
{
    decoder->setEventsStreamHandleCallback(
        [this](const Event2D* first, const Event2D* last) { eventsArrived(first, last); });
    decoder->setTriggerInCallback(
        [this](const EventTriggerIn& trigger) { m_triggerCallbacks.dispatch(trigger); });
    std::atomic_store(&m_transport, std::move(transport));
    m_decoder = std::move(decoder);
    std::lock_guard<std::mutex> lock(m_sensorMutex);
    m_sensor = std::move(sensor);
    m_droppedAtStart = 0;
}

std::shared_ptr<Interface> DvsCameraPrivate::transport() const
{
    return std::atomic_load(&m_transport);
}

} // namespace tarvo
