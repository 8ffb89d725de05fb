#include "VxFileRecorder.h"

#include "TarvoBase/Logger.h"
#include "TarvoDriver/DvsCamera.h"

#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <chrono>

namespace {

constexpr const char* kLogSource = "Utility/vxfilerecorder";
constexpr int kInfo = 2;
// How often a timed recording looks at the camera's recorder for a failed write.
constexpr std::chrono::milliseconds kWatchPeriod{500};
// How often the end of a save is looked for: the recorder tells it only through its state.
constexpr std::chrono::milliseconds kSavePollPeriod{50};

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

VxFileRecorder::VxFileRecorder(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<VxMessageType>("VxMessageType");
}

VxFileRecorder::~VxFileRecorder()
{
    if (m_handStarted) {
        m_camera->stopRecording();
    }
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_endEarly = true;
        m_closing = true;
    }
    m_stopWake.notify_all();
    m_worker.join();
}

void VxFileRecorder::finish()
{
    stopRecording();
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_endEarly = true;
    }
    m_stopWake.notify_all();
    m_worker.join();
}

void VxFileRecorder::setCamera(std::shared_ptr<tarvo::DvsCamera> camera)
{
    m_camera = std::move(camera);
}

tarvo::RecordingStatus VxFileRecorder::status() const
{
    return m_camera ? m_camera->getRecordingStatus() : tarvo::RecordingStatus();
}

uint64_t VxFileRecorder::recordedBytes(const tarvo::RecordingStatus& status)
{
    // A recording begun while caching stays in the cache files until it is saved.
    return status.state == tarvo::RecorderState::CachedRecording ? status.cachedBytes : status.bytesWritten;
}

bool VxFileRecorder::startRecording(uint32_t recordingTime, QString path)
{
    const bool connected = m_camera && m_camera->isConnected();
    if (m_recording || !connected || recordingTime == 0) {
        qDebug() << "Recording false."
                 << "recording:" << m_recording.load() << "camera:" << connected
                 << "seconds:" << recordingTime;
        emit signalShowLeftBottomTips(tr("Currently being recorded."), VxMessageType::Warning,
                                      folderOf(path));
        return false;
    }
    // The previous timed recording has reported; its thread is joined here.
    m_worker.join();
    emit signalShowLeftBottomTips(tr("Recording file ... "), VxMessageType::Success, folderOf(path));
    qDebug() << "record time : " << recordingTime << "file path: " << path;
    m_recording = true;
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_endEarly = false;
    }
    m_worker.start(
        [this, camera = m_camera, recordingTime, file = path.toLocal8Bit().toStdString()] {
            return recordFor(camera, recordingTime, file);
        },
        [this, path](const VxJobOutcome& outcome) {
            m_recording = false;
            if (outcome.success) {
                emit signalShowLeftBottomTips(tr("Recording end"), VxMessageType::Success, folderOf(path));
            } else {
                notifyFailure(outcome.message);
            }
        });
    return true;
}

VxJobOutcome VxFileRecorder::recordFor(const std::shared_ptr<tarvo::DvsCamera>& camera, uint32_t seconds,
                                       const std::string& path)
{
    using Clock = std::chrono::steady_clock;
    tarvo::Logger::Instance().log_(kInfo, kLogSource, __LINE__, "recording start");
    if (camera->startRecording(path) != 0) {
        return VxJobOutcome::failed(QString::fromStdString(camera->getRecordingStatus().error));
    }
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    {
        std::unique_lock<std::mutex> lock(m_stopMutex);
        while (!m_endEarly && Clock::now() < end) {
            m_stopWake.wait_until(lock, std::min(end, Clock::now() + kWatchPeriod),
                                  [this] { return m_endEarly; });
            // A failed write ends the recording in the driver; the file keeps what came before.
            if (camera->getRecordingStatus().fault != tarvo::RecordingFault::None) {
                break;
            }
        }
    }
    const int stopped = camera->stopRecording();
    tarvo::Logger::Instance().log_(kInfo, kLogSource, __LINE__, "recording end");
    return awaitSaved(*camera, stopped);
}

VxJobOutcome VxFileRecorder::awaitSaved(const tarvo::DvsCamera& camera, int stopped)
{
    {
        std::unique_lock<std::mutex> lock(m_stopMutex);
        while (!m_closing && camera.getRecordingStatus().state == tarvo::RecorderState::Saving) {
            m_stopWake.wait_for(lock, kSavePollPeriod, [this] { return m_closing; });
        }
    }
    const tarvo::RecordingStatus status = camera.getRecordingStatus();
    if (stopped != 0 || status.fault != tarvo::RecordingFault::None) {
        return VxJobOutcome::failed(QString::fromStdString(status.error));
    }
    return VxJobOutcome::succeeded();
}

bool VxFileRecorder::startRecording(QString path)
{
    if (m_recording || !m_camera) {
        emit signalShowLeftBottomTips(tr("Currently being recorded."), VxMessageType::Warning,
                                      folderOf(path));
        return false;
    }
    if (m_camera->startRecording(path.toLocal8Bit().toStdString()) != 0) {
        notifyFailure(QString::fromStdString(m_camera->getRecordingStatus().error));
        return false;
    }
    m_recording = true;
    m_handStarted = true;
    return true;
}

bool VxFileRecorder::stopRecording()
{
    if (!m_handStarted) {
        return false;
    }
    m_handStarted = false;
    const QString path = QString::fromStdString(m_camera->getRecordingStatus().path);
    // -1 when the recording had already ended itself on a failed write; the status says why.
    const int stopped = m_camera->stopRecording();
    // A recording begun while caching is joined into its file after the stop: the outcome is
    // known once that is done.
    m_worker.start([this, camera = m_camera, stopped] { return awaitSaved(*camera, stopped); },
                   [this, path](const VxJobOutcome& outcome) {
                       m_recording = false;
                       if (outcome.success) {
                           emit signalShowLeftBottomTips(tr("Save file success!"), VxMessageType::Success,
                                                         folderOf(path));
                       } else {
                           notifyFailure(outcome.message);
                       }
                   });
    return true;
}

void VxFileRecorder::notifyFailure(const QString& reason)
{
    emit signalShowLeftBottomTips(reason.isEmpty() ? tr("Recording failed.")
                                                   : tr("Recording failed: %1").arg(reason),
                                  VxMessageType::Error, QString());
}
