#include "VxLiveCamera.h"

#include "VxDriverErrorTrap.h"
#include "VxEventProcessor.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/FusionCamera.h"

#include <QDebug>

#include <algorithm>
#include <chrono>

VxLiveCamera::VxLiveCamera(VxEventProcessor* engine, QObject* parent) : QObject(parent), m_engine(engine) {}

VxLiveCamera::~VxLiveCamera()
{
    release();
}

std::vector<tarvo::CameraDescription> VxLiveCamera::searchCameras()
{
    if (isOpening()) {
        return m_lastSearch;
    }
    qDebug() << "Search cameras ...";
    {
        std::lock_guard<std::mutex> lock(m_cameraMutex);
        m_lastSearch = m_manager.getCameraDescs();
    }
    qDebug() << "Search end ... find: " << m_lastSearch.size();
    return m_lastSearch;
}

bool VxLiveCamera::open(const tarvo::CameraDescription& description)
{
    if (isOpening()) {
        return false;
    }
    release();
    m_description = description;
    m_openWorker.start(
        [this, description] { return openCamera(description); },
        [this](const VxJobOutcome& outcome) { emit signalOpenFinished(outcome.success, outcome.message); });
    return true;
}

VxJobOutcome VxLiveCamera::openCamera(const tarvo::CameraDescription& description)
{
    VxDriverErrorTrap trap;
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    if (description.productName == "Duet") {
        qDebug() << "Open fusion camera.";
        m_manager.updateCameras();
        m_fusionCamera = m_manager.openFusionCamera(description.serial);
        if (!m_fusionCamera) {
            return VxJobOutcome::failed(trap.lastError());
        }
        tarvo::FusionCamera* counted = m_fusionCamera.get();
        // Called on the camera's statistic thread, which stop() joins before the camera is let go.
        m_fusionCamera->setStatisticInfoCallback([this, counted](tarvo::VxStatisticInfo info) {
            emit signalStatistics(info.dataRate, info.eventRate,
                                  counted->getStreamStatistics().eventBuffersDropped);
        });
        m_ready = true;
        return VxJobOutcome::succeeded();
    }
    // A search first: the camera may have been unplugged and plugged in again since the last one.
    m_manager.updateCameras();
    std::shared_ptr<tarvo::DvsCamera> camera = m_manager.openCamera(description.serial);
    if (!camera) {
        return VxJobOutcome::failed(trap.lastError());
    }
    tarvo::DvsCamera* counted = camera.get();
    // Called on the camera's statistic thread, which stop() joins before the camera is let go.
    camera->setStatisticInfoCallback([this, counted](tarvo::VxStatisticInfo info) {
        emit signalStatistics(info.dataRate, info.eventRate, counted->getDroppedBufferCount());
    });
    m_camera = std::move(camera);
    m_ready = true;
    return VxJobOutcome::succeeded();
}

bool VxLiveCamera::hasCamera() const
{
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    return m_camera || m_fusionCamera;
}

std::shared_ptr<tarvo::DvsCamera> VxLiveCamera::dvsCamera() const
{
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    return m_camera;
}

std::shared_ptr<tarvo::FusionCamera> VxLiveCamera::fusionCamera() const
{
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    return m_fusionCamera;
}

bool VxLiveCamera::isConnected() const
{
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    if (m_camera) {
        return m_camera->isConnected();
    }
    return m_fusionCamera && m_fusionCamera->isConnected();
}

bool VxLiveCamera::isReady() const
{
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    if (m_fusionCamera) {
        return m_ready && m_fusionCamera->isConnected();
    }
    return m_camera && m_ready && m_camera->isConnected();
}

bool VxLiveCamera::start()
{
    if (fusionCamera()) {
        return startFusion();
    }
    const std::shared_ptr<tarvo::DvsCamera> camera = dvsCamera();
    if (!camera || m_running) {
        return m_running;
    }
    // A loop that ended by itself (a lost camera) is joined before the next one.
    m_loopWorker.join();
    if (!startedCamera([&camera] { return camera->start(); })) {
        return false;
    }
    {
        // Once stopped, by stop() or by itself, the camera must be opened again.
        std::lock_guard<std::mutex> lock(m_cameraMutex);
        m_ready = false;
    }
    camera->setBatchEventsTime(m_batchTimeUs);
    runLoop([this, camera] { return liveLoop(camera); });
    return true;
}

bool VxLiveCamera::startedCamera(const std::function<int()>& start)
{
    try {
        return start() == 0;
    } catch (const std::exception& error) {
        qDebug() << "Camera start failed:" << error.what();
        return false;
    }
}

void VxLiveCamera::runLoop(VxWorker::Job loop)
{
    m_running = true;
    m_loopWorker.start(std::move(loop), [this](const VxJobOutcome& outcome) {
        if (!outcome.success) {
            m_running = false;
            emit signalLiveEnded(outcome.message);
        }
    });
}

bool VxLiveCamera::startFusion()
{
    const std::shared_ptr<tarvo::FusionCamera> camera = fusionCamera();
    if (m_running) {
        return true;
    }
    m_loopWorker.join();
    if (!startedCamera([&camera] { return camera->start(tarvo::DVS_APS_STREAM); })) {
        return false;
    }
    qDebug() << "Fusion camera start";
    // The camera's callbacks make the pictures; this loop only watches the connection.
    runLoop([this, camera] { return watchFusionCamera(camera); });
    return true;
}

void VxLiveCamera::stop()
{
    const std::shared_ptr<tarvo::DvsCamera> camera = dvsCamera();
    const std::shared_ptr<tarvo::FusionCamera> fusion = fusionCamera();
    const bool wasRunning = m_running.exchange(false);
    {
        std::lock_guard<std::mutex> lock(m_pauseMutex);
    }
    m_pauseWake.notify_all();
    // Stopping the camera also ends the loop's wait for a batch, which would otherwise last until
    // the camera sends an event (never, if the scene or a filter holds all of them back).
    if (camera) {
        camera->stop();
    }
    if (fusion && wasRunning) {
        fusion->stop(tarvo::DVS_APS_STREAM);
        qDebug() << "Fusion camera stop.";
    }
    m_loopWorker.join();
}

void VxLiveCamera::release()
{
    // An opening in flight ends first, so that no camera arrives after this.
    m_openWorker.join();
    stop();
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    if (m_camera) {
        m_camera->setStatisticInfoCallback(nullptr);
    }
    if (m_fusionCamera) {
        m_fusionCamera->setStatisticInfoCallback(nullptr);
    }
    m_camera.reset();
    m_fusionCamera.reset();
}

void VxLiveCamera::forgetCameras()
{
    if (isOpening() || hasCamera()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    m_manager = tarvo::DvsCameraManager();
    m_lastSearch.clear();
}

void VxLiveCamera::setBatchTime(uint64_t time_us)
{
    if (time_us == 0) {
        return;
    }
    m_batchTimeUs = time_us;
    if (const std::shared_ptr<tarvo::DvsCamera> camera = dvsCamera()) {
        camera->setBatchEventsTime(time_us);
        qDebug() << "set dvs time interval: " << time_us;
    }
}

void VxLiveCamera::setFps(uint16_t fps)
{
    m_fps = std::max<uint16_t>(fps, 1);
}

template <typename TimePoint> void VxLiveCamera::pauseUntil(TimePoint until)
{
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    m_pauseWake.wait_until(lock, until, [this] { return !m_running; });
}

VxJobOutcome VxLiveCamera::liveLoop(const std::shared_ptr<tarvo::DvsCamera>& camera)
{
    using Clock = std::chrono::steady_clock;
    std::vector<tarvo::Event2D> events;
    while (m_running) {
        const Clock::time_point t0 = Clock::now();
        // An empty batch is a window in which the sensor saw nothing: it shows as an empty picture.
        if (camera->getNextBatch(events)) {
            m_engine->accumulate(events.data(), events.data() + events.size());
            // Counting and presenting on this one thread: the engine takes one producer at a time.
            m_engine->showLatest();
            emit signalFramePresented();
        }
        if (!camera->isConnected()) {
            qDebug() << "Camera connection lost.";
            m_running = false;
            return VxJobOutcome::failed(tr("Camera connection lost."));
        }
        pauseUntil(t0 + std::chrono::microseconds(1000000 / m_fps.load()));
    }
    return VxJobOutcome::succeeded();
}

VxJobOutcome VxLiveCamera::watchFusionCamera(const std::shared_ptr<tarvo::FusionCamera>& camera)
{
    while (m_running) {
        if (!camera->isConnected()) {
            qDebug() << "Camera connection lost.";
            m_running = false;
            return VxJobOutcome::failed(tr("Camera connection lost."));
        }
        pauseUntil(std::chrono::steady_clock::now() + kConnectionCheckPeriod);
    }
    return VxJobOutcome::succeeded();
}

QString VxLiveCamera::bandwidthText(uint64_t bytes_per_second)
{
    return tr(" Bandwidth: ") + QString::number(double(bytes_per_second) / 1024 / 1024, 'f', 1) + " MB/s ";
}

QString VxLiveCamera::eventRateText(uint64_t events_per_second)
{
    return tr(" Events: ") + QString::number(double(events_per_second) / 1000000, 'f', 1) + " MEv/s ";
}
