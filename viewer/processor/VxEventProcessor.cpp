#include "VxEventProcessor.h"

#include "AppConfig.h"
#include "VxActivityProfile.h"
#include "VxCountPainter.h"
#include "VxDriverErrorTrap.h"

#include "TarvoBase/TimeString.h"
#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/RawFileReader.h"

#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstring>

using tarvo::Event2D;

namespace {

constexpr size_t kCounterCount = size_t(VxEventProcessor::kWidth) * VxEventProcessor::kHeight * 2;

} // namespace

VxEventProcessor::VxEventProcessor(AppConfig* config, QObject* parent)
    : QObject(parent), m_config(config ? config : AppConfig::instance()), m_bufferA(kCounterCount, 0),
      m_bufferB(kCounterCount, 0), m_accBuffer(m_bufferA.data()), m_renderBuffer(m_bufferB.data())
{
    qRegisterMetaType<VxMessageType>("VxMessageType");
    m_renderThread = std::thread(&VxEventProcessor::renderLoop, this);
}

VxEventProcessor::~VxEventProcessor()
{
    {
        std::lock_guard<std::mutex> lock(m_bufferMutex);
        m_renderRunning = false;
    }
    m_renderWake.notify_all();
    if (m_renderThread.joinable()) {
        m_renderThread.join();
    }
    // A load still running finishes its reader calls first; nothing may outlive the reader.
    m_loadWorker.join();
    stopPlayThread();
    joinReaderWorkers();
    m_reader.reset();
}

// ---- accumulate, present, render -------------------------------------------------------------

void VxEventProcessor::accumulate(const Event2D* first, const Event2D* last)
{
    if (first == last) {
        return;
    }
    uint16_t* counts = m_accBuffer;
    for (const Event2D* e = first; e != last; ++e) {
        // Events off the sensor would land on another pixel's counters: drop them.
        if (e->x >= kWidth || e->y >= kHeight) {
            continue;
        }
        const size_t index = (size_t(e->y) * kWidth + e->x) * 2 + (e->polarity ? 1 : 0);
        // Without a branch: busy pixels saturate often, which a branch predicts badly.
        counts[index] += uint16_t(counts[index] < kCountCap);
    }
    m_lastBatchTimestamp = first->timestamp;
}

void VxEventProcessor::present()
{
    {
        std::lock_guard<std::mutex> lock(m_bufferMutex);
        std::swap(m_accBuffer, m_renderBuffer);
        ++m_framesPending;
        std::memset(m_accBuffer, 0, kCounterCount * sizeof(uint16_t));
    }
    m_renderWake.notify_one();
}

void VxEventProcessor::showLatest()
{
    emit signalRealTimeTimeStamp(m_lastBatchTimestamp.load());
    present();
}

void VxEventProcessor::repaint()
{
    {
        std::lock_guard<std::mutex> lock(m_bufferMutex);
        ++m_framesPending;
    }
    m_renderWake.notify_one();
}

void VxEventProcessor::paintCounts(const uint16_t* counts, QImage& image) const
{
    // The picture is the recording's own area: the top-left part of the counters.
    const VxCountPainter::Colours colours{m_config->onColor().rgb(), m_config->offColor().rgb(),
                                          m_config->backgroundColor().rgb()};
    VxCountPainter::paint(counts, kWidth, colours, image);
}

void VxEventProcessor::renderLoop()
{
    std::unique_lock<std::mutex> lock(m_bufferMutex);
    QImage image;
    while (true) {
        m_renderWake.wait(lock, [this] { return m_framesPending > 0 || !m_renderRunning; });
        if (m_framesPending == 0) {
            break; // stopping with nothing left to paint
        }
        // Presents that came faster than painting collapse into the latest one.
        m_framesPending = 0;
        // The last picture is painted over only when no receiver holds it any more.
        if (!image.isDetached() || image.width() != m_imageWidth || image.height() != m_imageHeight) {
            image = QImage(m_imageWidth, m_imageHeight, QImage::Format_RGB32);
        }
        paintCounts(m_renderBuffer, image);
        emit signalEventImage(image);
        if (!m_renderRunning) {
            break;
        }
    }
}

QSize VxEventProcessor::imageSize() const
{
    std::lock_guard<std::mutex> lock(m_bufferMutex);
    return QSize(m_imageWidth, m_imageHeight);
}

void VxEventProcessor::setImageSize(int width, int height)
{
    // A header without a usable size gets the whole buffer; a larger sensor shows its top-left
    // 1280 x 720 pixels, as many as the counters hold.
    std::lock_guard<std::mutex> lock(m_bufferMutex);
    m_imageWidth = width > 0 ? std::min(width, int(kWidth)) : kWidth;
    m_imageHeight = height > 0 ? std::min(height, int(kHeight)) : kHeight;
}

bool VxEventProcessor::countsAt(int x, int y, uint16_t& on, uint16_t& off) const
{
    std::lock_guard<std::mutex> lock(m_bufferMutex);
    if (x < 0 || y < 0 || x >= m_imageWidth || y >= m_imageHeight) {
        return false;
    }
    // After a present the render buffer holds that frame's counts until the next present.
    const size_t index = (size_t(y) * kWidth + size_t(x)) * 2;
    off = m_renderBuffer[index];
    on = m_renderBuffer[index + 1];
    return true;
}

// ---- position helpers ------------------------------------------------------------------------

QString VxEventProcessor::localTimeOf(uint64_t timestamp) const
{
    // The zero date is a recording without one, not 1970.
    if (m_fileInfo.date.time_since_epoch().count() == 0) {
        return QString();
    }
    const int64_t offsetUs = int64_t(timestamp) - int64_t(m_fileInfo.dvs_start_timestamp);
    const tarvo::WallTime time = m_fileInfo.date + std::chrono::microseconds(offsetUs);
    return QString::fromStdString(tarvo::timePointToString(time));
}

void VxEventProcessor::emitPosition(uint64_t timestamp)
{
    emit signalRealTimeTimeStamp(timestamp);
    emit signalLocalTime(localTimeOf(timestamp));
}

bool VxEventProcessor::showAt(uint64_t position)
{
    const uint64_t fileStart = m_fileStart;
    const uint64_t fileEnd = m_fileEnd;
    const uint64_t acc = std::max<uint64_t>(m_acc, 1);
    const uint64_t last = std::min(position, fileEnd);
    const uint64_t first = std::max(last + 1 > acc ? last + 1 - acc : 0, fileStart);
    EventBatch events;
    if (first <= last) {
        events = m_reader->getNTimeEventsGivenStartTimeStamp(first, last - first + 1);
    }
    const size_t count = events ? events->size() : 0;
    if (count > 0) {
        accumulate(events->data(), events->data() + count);
    }
    emitPosition(position);
    present();
    // After the present, so that whoever reads the counts on hearing this finds this picture's.
    emit signalFrameStatistics(count, eventRateAround(position));
    return events != nullptr;
}

double VxEventProcessor::eventRateAround(uint64_t position) const
{
    // The bookmark index counts the events before each bookmark: two lookups give the rate
    // without decoding anything.
    if (!m_rawReader) {
        return -1;
    }
    const uint64_t fileStart = m_fileStart;
    const uint64_t fileEnd = m_fileEnd;
    const uint64_t half = kRateWindowUs / 2;
    const uint64_t from = position > fileStart + half ? std::min(position - half, fileEnd) : fileStart;
    const uint64_t to = fileEnd - from > kRateWindowUs ? from + kRateWindowUs : fileEnd;
    return VxActivityProfile::rateBetween(*m_rawReader, from, to);
}

bool VxEventProcessor::readerIdle() const
{
    return m_loaded && !m_loadWorker.isBusy() && !m_exportWorker.isBusy() && !m_cutWorker.isBusy();
}

// ---- loading ---------------------------------------------------------------------------------

void VxEventProcessor::forgetFile()
{
    m_loaded = false;
    m_fileStart = 0;
    m_fileEnd = 0;
    m_lower = 0;
    m_upper = 0;
    m_current = 0;
    setImageSize(kWidth, kHeight);
}

void VxEventProcessor::loadFile(QString path)
{
    if (path.isEmpty()) {
        emit signalPlayStatus(false);
        // The load job uses the reader; let it finish before the reader goes.
        m_loadWorker.join();
        stopPlayThread();
        joinReaderWorkers();
        forgetFile();
        m_rawReader = nullptr;
        m_reader.reset();
        return;
    }
    qDebug() << "Load raw file: " << path;
    if (m_loadWorker.isBusy()) {
        qDebug() << "is loading.";
        return;
    }
    // The previous load may still be reporting.
    m_loadWorker.join();
    stopPlayback();
    // Export and cut jobs work on the reader about to be destroyed.
    joinReaderWorkers();
    forgetFile();
    m_rawReader = nullptr;
    m_reader.reset();

    m_reader = tarvo::DvsFileReader::createFileReader(path.toLocal8Bit().toStdString());
    if (!m_reader || !QFileInfo(path).isFile()) {
        m_reader.reset();
        qDebug() << "not raw file.";
        present(); // the previous recording's picture must not stay
        emit signalFileLoaded(false);
        emit signalShowLeftBottomTips(QFileInfo::exists(path)
                                          ? tr("Could not open %1: it is not a RAW recording.").arg(path)
                                          : tr("Could not open %1: there is no such file.").arg(path),
                                      VxMessageType::Error);
        return;
    }
    m_rawReader = dynamic_cast<tarvo::RawFileReader*>(m_reader.get());
    m_loadWorker.start([this] { return loadReader(); },
                       [this](const VxJobOutcome& outcome) { reportLoad(outcome); });
}

VxJobOutcome VxEventProcessor::loadReader()
{
    emit signalLoadingStatus(true);
    VxDriverErrorTrap trap;
    if (!m_reader->loadFile()) {
        qDebug() << "Load raw file failed.";
        return VxJobOutcome::failed(trap.lastError());
    }
    uint64_t lower = 0;
    uint64_t upper = 0;
    m_reader->getStartTimeStamp(lower);
    m_reader->getEndTimeStamp(upper);
    m_reader->getFileInfo(m_fileInfo);
    qDebug() << "Start time: " << lower << "End time: " << upper;
    m_fileStart = lower;
    m_fileEnd = upper;
    m_lower = lower;
    m_upper = upper;
    setImageSize(m_reader->getWidth(), m_reader->getHeight());
    emit signalSensorSize(QSize(m_reader->getWidth(), m_reader->getHeight()));
    emit signalEndTimeStamp(upper);
    emit signalStartTimeStamp(lower);
    if (m_rawReader) {
        emit signalActivity(VxActivityProfile::eventRates(*m_rawReader, lower, upper));
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    m_current = lower;
    showAt(lower);
    m_loaded = true;
    return VxJobOutcome::succeeded();
}

void VxEventProcessor::reportLoad(const VxJobOutcome& outcome)
{
    // The worker is idle by now: the GUI thread may handle the play request at once and must not
    // find the load still running.
    if (outcome.success) {
        emit signalFileLoaded(true);
        emit signalPlayStatus(true);
        emit signalLoadingStatus(false);
        qDebug() << "Load raw file success.";
        return;
    }
    // Nothing of the previous recording stays on screen, and nothing plays.
    forgetFile();
    present();
    emit signalFileLoaded(false);
    emit signalPlayStatus(false);
    notifyFailure(tr("Could not open the recording."), tr("Could not open the recording: %1"),
                  outcome.message);
    emit signalLoadingStatus(false);
}

// ---- playback --------------------------------------------------------------------------------

bool VxEventProcessor::stopPlayThread()
{
    const bool wasPlaying = m_playing.exchange(false);
    m_playWorker.join();
    return wasPlaying;
}

void VxEventProcessor::stopPlayback()
{
    stopPlayThread();
    emit signalPlayStatus(false);
}

void VxEventProcessor::joinReaderWorkers()
{
    m_exportWorker.join();
    m_cutWorker.join();
}

void VxEventProcessor::slotPlaybackCtrl(bool on)
{
    if (!on) {
        stopPlayThread();
        return;
    }
    if (m_playing) {
        return;
    }
    if (!readerIdle()) {
        // Nothing plays: release the play button rather than leave it claiming playback.
        emit signalPlayStatus(false);
        return;
    }
    // Play from the end of the range means play it again.
    if (m_current >= m_upper) {
        m_current = m_lower.load();
    }
    startPlayJob();
}

void VxEventProcessor::startPlayJob()
{
    m_playing = true;
    m_playWorker.start([this] { return playFrames(); },
                       [this](const VxJobOutcome& outcome) { reportPlay(outcome); });
}

VxJobOutcome VxEventProcessor::playFrames()
{
    using Clock = std::chrono::steady_clock;
    while (m_playing) {
        const Clock::time_point t0 = Clock::now();
        std::unique_lock<std::mutex> lock(m_frameMutex);
        const uint64_t upper = m_upper;
        const uint64_t current = m_current;
        const uint64_t interval = m_interval;
        // The last frame of the range ends exactly at its upper bound.
        const uint64_t next = current < upper && upper - current > interval ? current + interval : upper;
        const bool shown = showAt(next);
        m_current = next;
        if (next >= upper || !shown) {
            m_current = m_lower.load();
            if (!m_loop) {
                m_playing = false;
                emit signalPlayStatus(false);
                break;
            }
        }
        const Clock::time_point due = t0 + std::chrono::microseconds(kFramePeriodUs);
        if (m_playing && Clock::now() < due) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now());
            std::this_thread::sleep_for(std::chrono::milliseconds((left.count() + 999) / 1000));
        }
    }
    return VxJobOutcome::succeeded();
}

void VxEventProcessor::reportPlay(const VxJobOutcome& outcome)
{
    if (outcome.success) {
        return;
    }
    m_playing = false;
    emit signalPlayStatus(false);
    notifyFailure(tr("Playback stopped."), tr("Playback stopped: %1"), outcome.message);
}

void VxEventProcessor::nextFrame()
{
    if (!readerIdle()) {
        qDebug() << "not raw file.";
        return;
    }
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    const uint64_t current = m_current;
    const uint64_t upper = m_upper;
    const uint64_t interval = m_interval;
    if (current >= upper) {
        qDebug() << "File read end.";
        return;
    }
    const uint64_t next = upper - current > interval ? current + interval : upper;
    m_current = next;
    showAt(next);
}

void VxEventProcessor::preFrame()
{
    if (!readerIdle()) {
        qDebug() << "not raw file.";
        return;
    }
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    const uint64_t lower = m_lower;
    const uint64_t current = std::min(m_current.load(), m_upper.load());
    const uint64_t interval = m_interval;
    // No wrap-around below the range.
    const uint64_t position = current >= lower + interval ? current - interval : lower;
    m_current = position;
    showAt(position);
}

void VxEventProcessor::setPlayPos(uint64_t timestamp_us)
{
    if (!m_loaded) {
        qDebug() << "not raw file.";
        return;
    }
    if (!readerIdle() || timestamp_us < m_lower || timestamp_us > m_upper) {
        return;
    }
    // A seek while playing goes on playing from there.
    const bool wasPlaying = stopPlayThread();
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        m_current = timestamp_us;
        showAt(timestamp_us);
    }
    if (wasPlaying) {
        startPlayJob();
    }
}

void VxEventProcessor::slotPlaybackReset()
{
    if (!readerIdle()) {
        qDebug() << "not raw file.";
        return;
    }
    stopPlayThread();
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        const uint64_t lower = m_lower;
        qDebug() << "set ts: " << lower;
        m_current = lower;
        showAt(lower);
    }
    emit signalPlayStatus(false);
}

void VxEventProcessor::slotPlayLoop(bool on)
{
    m_loop = on;
}

void VxEventProcessor::setFps(int fps)
{
    // A rate below one frame a second has no frame advance; keep the current one.
    if (fps < 1) {
        qDebug() << "ignored fps: " << fps;
        return;
    }
    m_fps = fps;
    m_interval = uint64_t(1000000 / fps);
    qDebug() << "set fps: " << fps << " time interval: " << m_interval.load();
}

void VxEventProcessor::setAccTime(uint64_t time_us)
{
    m_acc = time_us;
}

void VxEventProcessor::slotSetLowerTimeStamp(uint64_t timestamp_us)
{
    // Only the loaded recording's times make a range; a handle of another file's timeline would
    // leave the play range outside the data.
    if (m_loaded) {
        m_lower = std::clamp(timestamp_us, m_fileStart.load(), m_fileEnd.load());
    }
}

void VxEventProcessor::slotSetUpperTimeStamp(uint64_t timestamp_us)
{
    if (m_loaded) {
        m_upper = std::clamp(timestamp_us, m_fileStart.load(), m_fileEnd.load());
    }
}

// ---- export and cut --------------------------------------------------------------------------

void VxEventProcessor::slotExportVideo(QString qs_out_full_path, QString qs_out_dir, uint64_t start_ts,
                                       uint64_t end_ts)
{
    if (!readerIdle()) {
        return;
    }
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
    const std::string path = qs_out_full_path.toLocal8Bit().toStdString();
    m_exportWorker.start(
        [this, path, qs_out_full_path, start_ts, end_ts] {
            qDebug() << "start export video: " << qs_out_full_path;
            emit signalLoadingStatus(true);
            VxDriverErrorTrap trap;
            return m_reader->exportEventDataToVideo(start_ts, end_ts, path)
                       ? VxJobOutcome::succeeded()
                       : VxJobOutcome::failed(trap.lastError());
        },
        [this, qs_out_dir](const VxJobOutcome& outcome) {
            if (outcome.success) {
                emit signalShowLeftBottomTips(tr("Export video success!"), VxMessageType::Success,
                                              qs_out_dir);
            } else {
                notifyFailure(tr("Export video failed."), tr("Export video failed: %1"), outcome.message);
            }
            emit signalLoadingStatus(false);
        });
}

void VxEventProcessor::slotCutRawFile(QString qs_out_full_path, QString qs_out_dir, uint64_t start_ts,
                                      uint64_t end_ts)
{
    if (!readerIdle()) {
        return;
    }
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
    const std::string path = qs_out_full_path.toLocal8Bit().toStdString();
    m_cutWorker.start(
        [this, path, start_ts, end_ts] {
            emit signalLoadingStatus(true);
            VxDriverErrorTrap trap;
            // The reader throws when a write fails (a full disk, a removed drive); the worker
            // turns that into the failure reported below.
            if (!m_reader->extractEventData(start_ts, end_ts, path)) {
                return VxJobOutcome::failed(trap.lastError());
            }
            qDebug() << "extract event data start:" << start_ts << " end: " << end_ts << " success.";
            return VxJobOutcome::succeeded();
        },
        [this, qs_out_dir](const VxJobOutcome& outcome) {
            if (outcome.success) {
                emit signalShowLeftBottomTips(tr("Export raw file success!"), VxMessageType::Success,
                                              qs_out_dir);
            } else {
                notifyFailure(tr("Export raw file failed."), tr("Export raw file failed: %1"),
                              outcome.message);
            }
            emit signalLoadingStatus(false);
        });
}

void VxEventProcessor::notifyFailure(const QString& failed, const QString& failedBecause,
                                     const QString& reason)
{
    emit signalShowLeftBottomTips(reason.isEmpty() ? failed : failedBecause.arg(reason),
                                  VxMessageType::Error);
}
