#include "VxEventProcessor.h"

#include "AppConfig.h"
#include "VxDriverErrorTrap.h"

#include "TarvoBase/TimeString.h"
#include "TarvoDriver/DvsFileReader.h"

#include <QDebug>

#include <algorithm>
#include <chrono>
#include <cstring>

using tarvo::Event2D;

namespace {

constexpr size_t kCounterCount = size_t(VxEventProcessor::kWidth) * VxEventProcessor::kHeight * 2;

struct Rgb
{
    uchar r, g, b;
};

Rgb toRgb(const QColor& color)
{
    return {uchar(color.red()), uchar(color.green()), uchar(color.blue())};
}

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

void VxEventProcessor::paintCounts(const uint16_t* counts, QImage& image) const
{
    const Rgb on = toRgb(m_config->onColor());
    const Rgb off = toRgb(m_config->offColor());
    const Rgb background = toRgb(m_config->backgroundColor());
    for (int y = 0; y < kHeight; ++y) {
        uchar* out = image.scanLine(y);
        const uint16_t* row = counts + size_t(y) * kWidth * 2;
        for (int x = 0; x < kWidth; ++x) {
            const uint16_t c0 = row[2 * x];
            const uint16_t c1 = row[2 * x + 1];
            const Rgb& colour = c1 > c0 ? on : (c0 > c1 ? off : background);
            out[0] = colour.r;
            out[1] = colour.g;
            out[2] = colour.b;
            out += 3;
        }
    }
}

void VxEventProcessor::renderLoop()
{
    std::unique_lock<std::mutex> lock(m_bufferMutex);
    while (true) {
        m_renderWake.wait(lock, [this] { return m_framesPending > 0 || !m_renderRunning; });
        if (m_framesPending == 0) {
            break; // stopping with nothing left to paint
        }
        // Presents that came faster than painting collapse into the latest one.
        m_framesPending = 0;
        // A fresh image per frame: the receivers may still hold the previous one.
        QImage image(kWidth, kHeight, QImage::Format_RGB888);
        paintCounts(m_renderBuffer, image);
        emit signalEventImage(image);
        if (!m_renderRunning) {
            break;
        }
    }
}

// ---- position helpers ------------------------------------------------------------------------

QString VxEventProcessor::localTimeOf(uint64_t timestamp) const
{
    const int64_t offsetUs = int64_t(timestamp) - int64_t(m_fileInfo.dvs_start_timestamp);
    const tarvo::WallTime time = m_fileInfo.date + std::chrono::microseconds(offsetUs);
    return QString::fromStdString(tarvo::timePointToString(time));
}

void VxEventProcessor::emitPosition(uint64_t timestamp)
{
    emit signalRealTimeTimeStamp(timestamp);
    emit signalLocalTime(localTimeOf(timestamp));
}

void VxEventProcessor::showWindow(const EventBatch& events, uint64_t position)
{
    accumulate(events->data(), events->data() + events->size());
    emitPosition(position);
    present();
}

bool VxEventProcessor::readerIdle() const
{
    return m_reader && !m_loadWorker.isBusy() && !m_exportWorker.isBusy() && !m_cutWorker.isBusy();
}

// ---- loading ---------------------------------------------------------------------------------

void VxEventProcessor::loadFile(QString path)
{
    if (path.isEmpty()) {
        emit signalPlayStatus(false);
        // The load job uses the reader; let it finish before the reader goes.
        m_loadWorker.join();
        stopPlayThread();
        joinReaderWorkers();
        m_reader.reset();
        return;
    }
    qDebug() << "Load raw file: " << path;
    if (m_loadWorker.isBusy()) {
        qDebug() << "is loading.";
        return;
    }
    stopPlayback();
    // Export and cut jobs work on the reader about to be destroyed.
    joinReaderWorkers();
    m_reader.reset();

    m_reader = tarvo::DvsFileReader::createFileReader(path.toLocal8Bit().toStdString());
    if (!m_reader) {
        qDebug() << "not raw file.";
        return;
    }
    m_loadWorker.start([this] { return loadReader(); },
                       [this](const VxJobOutcome& outcome) { reportLoad(outcome); });
}

VxJobOutcome VxEventProcessor::loadReader()
{
    emit signalLoadingStatus(true);
    uint64_t lower = 0;
    uint64_t upper = 0;
    tarvo::DvsFileInfo info;
    const bool loaded = m_reader->loadFile();
    if (loaded) {
        m_reader->getStartTimeStamp(lower);
        m_reader->getEndTimeStamp(upper);
        m_reader->getFileInfo(info);
    } else {
        qDebug() << "Load raw file failed.";
    }
    m_fileInfo = info;
    qDebug() << "Start time: " << lower << "End time: " << upper;
    m_lower = lower;
    m_upper = upper;
    m_current = lower;
    emit signalEndTimeStamp(upper);
    emit signalStartTimeStamp(lower);
    emitPosition(lower);
    return loaded ? VxJobOutcome::succeeded() : VxJobOutcome::failed(QString());
}

void VxEventProcessor::reportLoad(const VxJobOutcome& outcome)
{
    // The worker is idle by now: the GUI thread may handle the play request at once and must not
    // find the load still running. A file that did not load is left open but empty.
    if (outcome.success) {
        emit signalPlayStatus(true);
    }
    emit signalLoadingStatus(false);
    if (outcome.success) {
        qDebug() << "Load raw file success.";
    }
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
    m_playing = true;
    m_playWorker.start([this] { return playFrames(); },
                       [this](const VxJobOutcome& outcome) { reportPlay(outcome); });
}

VxJobOutcome VxEventProcessor::playFrames()
{
    using Clock = std::chrono::steady_clock;
    while (m_playing && m_reader) {
        const Clock::time_point t0 = Clock::now();
        std::unique_lock<std::mutex> lock(m_frameMutex);
        const uint64_t upper = m_upper;
        const uint64_t lower = m_lower;
        uint64_t current = m_current;
        const uint64_t interval = m_interval;
        EventBatch events;
        if (current + interval <= upper) {
            events = m_reader->getNTimeEventsGivenStartTimeStamp(current, m_acc);
            current += interval;
        } else {
            events = m_reader->getNTimeEventsGivenStartTimeStamp(current,
                                                                 upper >= current ? upper - current + 1 : 1);
            current = std::max(upper, current);
        }
        m_current = current;
        if (events && !events->empty()) {
            showWindow(events, current);
        }
        if (current >= upper || !events) {
            m_reader->seekTime(lower);
            m_current = lower;
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
    if (current + m_acc < m_upper) {
        EventBatch events = m_reader->getNTimeEventsGivenStartTimeStamp(current, m_acc);
        m_current = current + m_interval;
        if (events) {
            showWindow(events, m_current);
        } else {
            qDebug() << "File read end.";
        }
    }
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
    const uint64_t current = m_current;
    const uint64_t lower = m_lower;
    const uint64_t interval = m_interval;
    const uint64_t position = current >= lower + interval ? current - interval : lower;
    std::lock_guard<std::mutex> lock(m_frameMutex);
    m_current = position;
    if (m_reader->seekTime(position)) {
        EventBatch events = m_reader->getNTimeEvents(m_acc);
        if (events) {
            showWindow(events, position);
        }
    }
}

void VxEventProcessor::setPlayPos(uint64_t timestamp_us)
{
    if (!m_reader) {
        qDebug() << "not raw file.";
        return;
    }
    if (!readerIdle() || timestamp_us < m_lower || timestamp_us > m_upper) {
        return;
    }
    if (stopPlayThread()) {
        emit signalPlayStatus(false);
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (!m_reader->seekTime(timestamp_us)) {
        qDebug() << "seek time err." << timestamp_us;
        return;
    }
    EventBatch events = m_reader->getNTimeEventsGivenStartTimeStamp(timestamp_us, m_acc);
    m_current = timestamp_us + m_acc;
    if (events) {
        showWindow(events, m_current);
    }
}

void VxEventProcessor::slotPlaybackReset()
{
    if (!readerIdle()) {
        qDebug() << "not raw file.";
        return;
    }
    stopPlayThread();
    std::lock_guard<std::mutex> lock(m_frameMutex);
    const uint64_t lower = m_lower;
    m_reader->seekTime(lower);
    EventBatch events = m_reader->getNTimeEventsGivenStartTimeStamp(lower, m_acc);
    if (events) {
        accumulate(events->data(), events->data() + events->size());
        present();
    }
    qDebug() << "set ts: " << lower;
    m_current = lower;
    emitPosition(lower);
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
    m_lower = timestamp_us;
}

void VxEventProcessor::slotSetUpperTimeStamp(uint64_t timestamp_us)
{
    m_upper = timestamp_us;
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
