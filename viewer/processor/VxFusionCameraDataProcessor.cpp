#include "VxFusionCameraDataProcessor.h"

#include "AppConfig.h"
#include "VxDriverErrorTrap.h"

#include "TarvoBase/CalibrationJson.h"
#include "TarvoDriver/ApsFileReader.h"
#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/FusionCamera.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>

using tarvo::ApsFrame;
using tarvo::Event2D;

namespace {

constexpr size_t kCounterCount =
    size_t(VxFusionCameraDataProcessor::kDvsWidth) * VxFusionCameraDataProcessor::kDvsHeight * 2;

// A frame's bytes as a picture of its own: the frame's buffer is reused or released later.
QImage imageOf(const ApsFrame& frame)
{
    if (frame.data() == nullptr || frame.getDataSize() < size_t(frame.getWidth()) * frame.getHeight() * 3) {
        return QImage(VxFusionCameraDataProcessor::kDvsWidth, VxFusionCameraDataProcessor::kDvsHeight,
                      QImage::Format_BGR888);
    }
    return QImage(frame.data(), int(frame.getWidth()), int(frame.getHeight()), int(frame.getWidth()) * 3,
                  QImage::Format_BGR888)
        .copy();
}

ApsFrame emptyFrame()
{
    return ApsFrame(0, 0, 0, 0, nullptr, 0, false);
}

} // namespace

VxFusionCameraDataProcessor::VxFusionCameraDataProcessor(AppConfig* config, QObject* parent)
    : QObject(parent), m_appConfig(config ? config : AppConfig::instance()),
      m_fusionProcessor(std::make_unique<tarvo::DvsApsFusionProccessor>()),
      m_fusionImage(kDvsWidth, kDvsHeight, QImage::Format_BGR888),
      m_dvsImage(kDvsWidth, kDvsHeight, QImage::Format_BGR888), m_eventCounts(kCounterCount, 0)
{
    qRegisterMetaType<VxMessageType>("VxMessageType");
    m_fusionImage.fill(Qt::black);
    m_dvsImage.fill(Qt::black);
    m_fusionProcessor->addFusionDataCallback(
        [this](ApsFrame& frame, Event2D* first, Event2D* last) { renderLive(frame, first, last); });
}

VxFusionCameraDataProcessor::~VxFusionCameraDataProcessor()
{
    // A load still running stops at its next step and is waited for: nothing may outlive the
    // readers it uses.
    m_cancelLoad = true;
    stopPlayThread();
    m_loadWorker.join();
    detachCamera();
    m_fusionProcessor->removeFusionDataCallback();
}

// ---- live ------------------------------------------------------------------------------------

void VxFusionCameraDataProcessor::setCamera(std::shared_ptr<tarvo::FusionCamera> camera)
{
    detachCamera();
    clearFusionData();
    if (!camera) {
        return;
    }
    // Frames come on the camera's fusion thread, events and sync signals on its stream thread,
    // which is what the fusion processor expects of its producers.
    const uint32_t apsId =
        camera->addApsFrameCallback([this](ApsFrame frame) { m_fusionProcessor->addApsData(frame); });
    const uint32_t eventsId = camera->addEventsStreamHandleCallback([this](Event2D* first, Event2D* last) {
        countEvents(first, last);
        m_fusionProcessor->addDvsData(first, last);
    });
    const uint32_t syncId = camera->addSyncSignalCallback(
        [this](tarvo::EventTriggerIn signal) { m_fusionProcessor->addSyncSignal(signal); });
    std::lock_guard<std::mutex> lock(m_cameraMutex);
    m_camera = std::move(camera);
    m_apsCallbackId = apsId;
    m_eventsCallbackId = eventsId;
    m_syncCallbackId = syncId;
}

void VxFusionCameraDataProcessor::detachCamera()
{
    std::shared_ptr<tarvo::FusionCamera> camera;
    {
        std::lock_guard<std::mutex> lock(m_cameraMutex);
        camera = std::move(m_camera);
        m_camera.reset();
    }
    if (!camera) {
        return;
    }
    // Outside m_cameraMutex: a removal waits for a callback in progress, which may ask for it.
    camera->removeApsFrameCallback(m_apsCallbackId);
    camera->removeEventsStreamHandleCallback(m_eventsCallbackId);
    camera->removeSyncSignalCallback(m_syncCallbackId);
}

void VxFusionCameraDataProcessor::clearFusionData()
{
    m_fusionProcessor->clear();
    std::lock_guard<std::mutex> lock(m_countsMutex);
    std::fill(m_eventCounts.begin(), m_eventCounts.end(), 0);
}

bool VxFusionCameraDataProcessor::loadCalibration(const tarvo::CalibratorParameters& params)
{
    return m_calibrator.loadCalibrationParam(params);
}

void VxFusionCameraDataProcessor::countEvents(const Event2D* first, const Event2D* last)
{
    if (m_viewerType != tarvo::DVS_STREAM) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_countsMutex);
    for (const Event2D* e = first; e != last; ++e) {
        // Events off the sensor would land on another pixel's counters.
        if (e->x >= kDvsWidth || e->y >= kDvsHeight) {
            continue;
        }
        uint16_t& count = m_eventCounts[(size_t(e->y) * kDvsWidth + e->x) * 2 + (e->polarity ? 1 : 0)];
        if (count < kCountCap) {
            ++count;
        }
    }
}

uint16_t VxFusionCameraDataProcessor::countAt(int x, int y, bool on) const
{
    if (x < 0 || y < 0 || x >= kDvsWidth || y >= kDvsHeight) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(m_countsMutex);
    return m_eventCounts[(size_t(y) * kDvsWidth + size_t(x)) * 2 + (on ? 1 : 0)];
}

VxFusionPainter::Colours VxFusionCameraDataProcessor::colours() const
{
    return {m_appConfig->onColor().rgb(), m_appConfig->offColor().rgb(),
            m_appConfig->backgroundColor().rgb()};
}

void VxFusionCameraDataProcessor::renderLive(ApsFrame& frame, Event2D* first, Event2D* last)
{
    const int type = m_viewerType;
    const uint64_t time = frame.getEndTimestamp();
    QImage image;
    if (type == tarvo::DVS_STREAM) {
        // The frame only paces the event picture: it shows the events counted since the last one.
        std::lock_guard<std::mutex> imageLock(m_dvsImageMutex);
        std::lock_guard<std::mutex> countsLock(m_countsMutex);
        VxFusionPainter::paintCounts(m_eventCounts.data(), colours(), m_dvsImage);
        std::fill(m_eventCounts.begin(), m_eventCounts.end(), 0);
        image = m_dvsImage;
    } else {
        if (type == tarvo::DVS_APS_STREAM) {
            std::lock_guard<std::mutex> lock(m_cameraMutex);
            if (!m_camera || !m_camera->isConnected()) {
                return;
            }
        }
        const QImage mapped = imageOf(m_calibrator.mapApsToDvs(frame));
        std::lock_guard<std::mutex> lock(m_fusionImageMutex);
        m_fusionImage = mapped;
        if (type == tarvo::DVS_APS_STREAM) {
            VxFusionPainter::paintEvents(first, last, false, colours(), m_fusionImage);
        }
        image = m_fusionImage;
    }
    emit signalFusionImage(image);
    emit signalTimeStamp(time);
}

// ---- simple slots ----------------------------------------------------------------------------

void VxFusionCameraDataProcessor::slotSetViewerType(tarvo::STREAM_TYPE type)
{
    m_viewerType = type;
}

void VxFusionCameraDataProcessor::slotSetLowerTimeStamp(uint64_t timestamp_us)
{
    // Only the loaded recording's times make a range.
    if (m_loaded) {
        m_fileStart =
            std::clamp(timestamp_us, std::min(m_frameOffset.load(), m_dvsStartTs.load()), m_dvsEndTs.load());
    }
}

void VxFusionCameraDataProcessor::slotSetUpperTimeStamp(uint64_t timestamp_us)
{
    if (m_loaded) {
        m_fileEnd =
            std::clamp(timestamp_us, std::min(m_frameOffset.load(), m_dvsStartTs.load()), m_dvsEndTs.load());
    }
}

void VxFusionCameraDataProcessor::slotSetReplayFlag(bool replay)
{
    m_replay = replay;
}

void VxFusionCameraDataProcessor::setFps(int fps)
{
    // No rate below one frame a second has an advance; the current one stays.
    if (fps < 1) {
        qDebug() << "ignored fps: " << fps;
        return;
    }
    m_interval = uint64_t(1000000 / fps);
    qDebug() << "set fps: " << fps << " time interval: " << m_interval.load();
}

void VxFusionCameraDataProcessor::setAccTime(uint64_t time_us)
{
    m_accTime = time_us;
}

void VxFusionCameraDataProcessor::slotSetApsOffset(double dx, double dy)
{
    m_calibrator.adjustAffineTranslation(dx, dy);
}

void VxFusionCameraDataProcessor::slotApplyOffset()
{
    const QString path = m_appConfig->inputRawFilePath() + "/tmp_calibration_file.json";
    const std::string file = path.toLocal8Bit().toStdString();
    const bool saved = m_calibrator.saveCalibrationParam(file);
    std::shared_ptr<tarvo::FusionCamera> camera;
    {
        std::lock_guard<std::mutex> lock(m_cameraMutex);
        camera = m_camera;
    }
    if (saved && camera && camera->isConnected() && camera->writeCalibrationFile(file)) {
        emit signalShowLeftBottomTips(tr("Manual calibration parameters were written successfully!"),
                                      VxMessageType::Success);
        return;
    }
    emit signalShowLeftBottomTips(tr("Manual calibration parameters were written failed!"),
                                  VxMessageType::Error);
}

// ---- loading ---------------------------------------------------------------------------------

void VxFusionCameraDataProcessor::closeRecording()
{
    stopPlayback();
    m_loadWorker.join();
    m_loaded = false;
    std::lock_guard<std::mutex> lock(m_frameMutex);
    m_apsReader.reset();
    m_dvsReader.reset();
}

bool VxFusionCameraDataProcessor::slotReadFusionFile(QString path)
{
    if (m_loadWorker.isBusy()) {
        return false;
    }
    closeRecording();
    if (path.isEmpty()) {
        return false;
    }
    qDebug() << "Load fusion file: " << path;
    // The three files share the base name: "a.b.raw" goes with "a.b.mp4" and "a.b.json".
    const QFileInfo info(path);
    const QString base =
        info.fileName().contains('.') ? QDir(info.path()).filePath(info.completeBaseName()) : path;
    m_apsReader = tarvo::ApsFileReader::createFileReader((base + ".mp4").toLocal8Bit().toStdString());
    m_dvsReader = tarvo::DvsFileReader::createFileReader((base + ".raw").toLocal8Bit().toStdString());
    const QString calibrationPath = base + ".json";
    if (QFileInfo::exists(calibrationPath)) {
        tarvo::CalibratorParameters params;
        if (!tarvo::jsonFileToParam(calibrationPath.toLocal8Bit().toStdString(), params) ||
            !m_calibrator.loadCalibrationParam(params)) {
            emit signalShowLeftBottomTips(
                tr("The calibration %1 could not be read; the calibration in force stays.")
                    .arg(calibrationPath),
                VxMessageType::Warning);
        }
    }
    m_cancelLoad = false;
    m_loadWorker.start([this] { return loadRecording(); },
                       [this](const VxJobOutcome& outcome) { reportLoad(outcome); });
    return true;
}

VxJobOutcome VxFusionCameraDataProcessor::loadRecording()
{
    emit signalLoadingStatus(true);
    VxDriverErrorTrap trap;
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (!m_apsReader || !m_apsReader->loadFile()) {
        qDebug() << "Load aps file failed.";
        m_apsReader.reset();
        m_dvsReader.reset();
        return VxJobOutcome::failed(trap.lastError().isEmpty() ? tr("its video cannot be read.")
                                                               : trap.lastError());
    }
    m_frameTimestamps.clear();
    m_apsReader->getTimeStamps(m_frameTimestamps);
    ApsFrame first = emptyFrame();
    if (m_cancelLoad || !m_apsReader->getNextFrame(first)) {
        m_apsReader.reset();
        m_dvsReader.reset();
        return VxJobOutcome::failed(tr("its video holds no frame."));
    }
    m_followingApsFrame = m_calibrator.mapApsToDvs(first);
    m_currentApsFrame = m_followingApsFrame;
    if (m_cancelLoad || !m_dvsReader || !m_dvsReader->loadFile()) {
        qDebug() << "Load dvs file failed.";
        m_apsReader.reset();
        m_dvsReader.reset();
        return VxJobOutcome::failed(trap.lastError().isEmpty() ? tr("its events cannot be read.")
                                                               : trap.lastError());
    }
    uint64_t dvsStart = 0;
    uint64_t dvsEnd = 0;
    tarvo::DvsFileInfo fileInfo;
    m_dvsReader->getStartTimeStamp(dvsStart);
    m_dvsReader->getEndTimeStamp(dvsEnd);
    m_dvsReader->getFileInfo(fileInfo);
    qDebug() << "Read aps file time offset: " << fileInfo.aps_start_timestamp;
    m_dvsStartTs = dvsStart;
    m_dvsEndTs = dvsEnd;
    m_frameOffset = fileInfo.aps_start_timestamp;
    m_fileStart = fileInfo.aps_start_timestamp;
    m_fileEnd = dvsEnd;
    m_timebase = dvsStart;
    emit signalStartTimeStamp(m_fileStart);
    emit signalEndTimeStamp(m_fileEnd);
    qDebug() << "fusion file start : " << m_fileStart.load()
             << "fusion_file_end_timestamp_: " << m_fileEnd.load() << "time base: " << m_timebase.load();
    // A paused recording shows where it stands.
    renderAt(dvsStart);
    return VxJobOutcome::succeeded();
}

void VxFusionCameraDataProcessor::reportLoad(const VxJobOutcome& outcome)
{
    if (outcome.success) {
        m_loaded = true;
        emit signalFileLoaded(true);
        emit signalLoadingStatus(false);
        emit signalPlayStatus(true);
        return;
    }
    emit signalFileLoaded(false);
    emit signalLoadingStatus(false);
    emit signalPlayStatus(false);
    emit signalShowLeftBottomTips(tr("Could not open the fusion recording: %1").arg(outcome.message),
                                  VxMessageType::Error);
}

bool VxFusionCameraDataProcessor::recordingReady() const
{
    return m_loaded && !m_loadWorker.isBusy();
}

// ---- frames and pictures ---------------------------------------------------------------------

bool VxFusionCameraDataProcessor::readNextFrame(ApsFrame& target)
{
    ApsFrame raw = emptyFrame();
    if (!m_apsReader->getNextFrame(raw)) {
        return false;
    }
    target = m_calibrator.mapApsToDvs(raw);
    return true;
}

bool VxFusionCameraDataProcessor::seekFrames(uint64_t timebase)
{
    if (m_frameTimestamps.empty()) {
        return false;
    }
    const uint64_t offset = m_frameOffset;
    // Before the first frame the first frame shows.
    const uint64_t videoTime = std::max(timebase > offset ? timebase - offset : 0, m_frameTimestamps.front());
    ApsFrame raw = emptyFrame();
    if (!m_apsReader->getFrameGivenTimeStamp(videoTime, raw)) {
        return false;
    }
    m_currentApsFrame = m_calibrator.mapApsToDvs(raw);
    if (!readNextFrame(m_followingApsFrame)) {
        m_followingApsFrame = m_currentApsFrame; // the last frame of the video
    }
    return true;
}

bool VxFusionCameraDataProcessor::chooseFrames(uint64_t timebase)
{
    const uint64_t offset = m_frameOffset;
    const uint64_t followingTime = m_followingApsFrame.getEndTimestamp();
    if (timebase >= offset + followingTime) {
        // The frame due may lie several frames on (a faster rate, a moved range): decoding on to
        // it keeps the frame with its events; far ahead a seek costs less.
        const auto begin = m_frameTimestamps.begin();
        const auto end = m_frameTimestamps.end();
        const size_t followingIndex = size_t(std::lower_bound(begin, end, followingTime) - begin);
        const size_t dueIndex = size_t(std::upper_bound(begin, end, timebase - offset) - begin);
        const size_t framesOn = dueIndex > followingIndex + 1 ? dueIndex - followingIndex - 1 : 0;
        if (framesOn > kReadAheadFrames) {
            return seekFrames(timebase);
        }
        ApsFrame raw = emptyFrame();
        size_t read = 0;
        while (read < framesOn && m_apsReader->getNextFrame(raw)) {
            ++read;
        }
        m_currentApsFrame = read > 0 ? m_calibrator.mapApsToDvs(raw) : m_followingApsFrame;
        // At the end of the video the last frame stays for the events after it.
        if (!readNextFrame(m_followingApsFrame)) {
            m_followingApsFrame = m_currentApsFrame;
        }
        return true;
    }
    if (timebase >= offset + m_currentApsFrame.getEndTimestamp()) {
        return true;
    }
    return seekFrames(timebase);
}

bool VxFusionCameraDataProcessor::renderAt(uint64_t timebase)
{
    if (!chooseFrames(timebase)) {
        qDebug() << "No frame at" << timebase;
        return false;
    }
    m_shownFrameTime = m_frameOffset + m_currentApsFrame.getEndTimestamp();
    const uint64_t acc = m_accTime;
    const uint64_t start = timebase > acc ? timebase - acc : 0;
    const auto events = m_dvsReader->getNTimeEventsGivenStartTimeStamp(start, timebase - start);
    const Event2D* first = events ? events->data() : nullptr;
    const Event2D* last = events ? events->data() + events->size() : nullptr;
    const int type = m_viewerType;
    const VxFusionPainter::Colours theme = colours();
    QImage image;
    if (type == tarvo::DVS_STREAM) {
        image = QImage(kDvsWidth, kDvsHeight, QImage::Format_BGR888);
        image.fill(QColor::fromRgb(theme.background));
        VxFusionPainter::paintEvents(first, last, true, theme, image);
    } else {
        std::lock_guard<std::mutex> lock(m_fusionImageMutex);
        m_fusionImage = imageOf(m_currentApsFrame);
        if (type == tarvo::DVS_APS_STREAM) {
            VxFusionPainter::paintEvents(first, last, true, theme, m_fusionImage);
        }
        image = m_fusionImage;
    }
    if (first != last) {
        qDebug() << timebase << " dvs start ts: " << first->timestamp
                 << " dvs end ts: " << (last - 1)->timestamp;
    }
    emit signalFusionImage(image);
    emit signalTimeStamp(timebase);
    return true;
}

// ---- playback --------------------------------------------------------------------------------

bool VxFusionCameraDataProcessor::stopPlayThread()
{
    const bool wasPlaying = m_playing.exchange(false);
    {
        std::lock_guard<std::mutex> lock(m_pauseMutex);
    }
    m_pauseWake.notify_all();
    m_playWorker.join();
    return wasPlaying;
}

void VxFusionCameraDataProcessor::stopPlayback()
{
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
}

bool VxFusionCameraDataProcessor::rewind()
{
    if (!seekFrames(m_fileStart)) {
        return false;
    }
    m_timebase = m_fileStart.load();
    return true;
}

void VxFusionCameraDataProcessor::slotPlaybackCtrl(bool play)
{
    if (!play) {
        stopPlayThread();
        return;
    }
    // One playback thread at a time: a second start while it runs changes nothing.
    if (m_playWorker.isBusy()) {
        return;
    }
    if (!recordingReady()) {
        emit signalPlayStatus(false);
        return;
    }
    {
        // Play from outside the range starts the range again.
        std::lock_guard<std::mutex> lock(m_frameMutex);
        if (m_timebase >= m_fileEnd || m_timebase < m_fileStart) {
            rewind();
        }
    }
    m_playing = true;
    m_playWorker.start([this] { return playFrames(); },
                       [this](const VxJobOutcome& outcome) {
                           if (!outcome.success) {
                               m_playing = false;
                               emit signalPlayStatus(false);
                               emit signalShowLeftBottomTips(tr("Playback stopped: %1").arg(outcome.message),
                                                             VxMessageType::Error);
                           }
                       });
}

VxJobOutcome VxFusionCameraDataProcessor::playFrames()
{
    using Clock = std::chrono::steady_clock;
    while (m_playing) {
        const Clock::time_point t0 = Clock::now();
        {
            std::lock_guard<std::mutex> lock(m_frameMutex);
            const uint64_t end = m_fileEnd;
            const uint64_t timebase = std::min(m_timebase + m_interval, end);
            m_timebase = timebase;
            renderAt(timebase);
            if (timebase >= end) {
                if (!rewind()) {
                    return VxJobOutcome::failed(tr("the video has no frame to start again from."));
                }
                if (!m_replay) {
                    m_playing = false;
                    emit signalPlayStatus(false);
                    emit signalPalyFileFinished();
                    break;
                }
            }
        }
        std::unique_lock<std::mutex> lock(m_pauseMutex);
        m_pauseWake.wait_until(lock, t0 + std::chrono::microseconds(kTickUs), [this] { return !m_playing; });
    }
    return VxJobOutcome::succeeded();
}

void VxFusionCameraDataProcessor::nextFrame()
{
    if (!recordingReady()) {
        return;
    }
    stopPlayback();
    std::lock_guard<std::mutex> lock(m_frameMutex);
    const uint64_t end = m_fileEnd;
    if (m_timebase + m_accTime >= end) {
        return;
    }
    m_timebase = std::min(m_timebase + m_interval, end);
    renderAt(m_timebase);
    qDebug() << "time base update: " << m_timebase.load() << " interval: " << m_interval.load();
}

void VxFusionCameraDataProcessor::preFrame()
{
    if (!recordingReady()) {
        return;
    }
    stopPlayback();
    std::lock_guard<std::mutex> lock(m_frameMutex);
    const uint64_t start = m_fileStart;
    const uint64_t interval = m_interval;
    m_timebase = m_timebase >= start + interval ? m_timebase - interval : start;
    renderAt(m_timebase);
}

void VxFusionCameraDataProcessor::setPlayPos(uint64_t timestamp_us)
{
    if (!recordingReady() || timestamp_us > m_dvsEndTs) {
        return;
    }
    // A seek while playing goes on playing from there.
    const bool wasPlaying = stopPlayThread();
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        m_timebase = timestamp_us;
        if (seekFrames(timestamp_us)) {
            renderAt(timestamp_us);
        }
    }
    if (wasPlaying) {
        slotPlaybackCtrl(true);
    }
}

void VxFusionCameraDataProcessor::slotPlaybackReset()
{
    if (!recordingReady()) {
        return;
    }
    stopPlayback();
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (rewind()) {
        renderAt(m_timebase);
    }
}
