#pragma once

#include "VxMessageType.h"
#include "VxWorker.h"

#include "TarvoBase/EventTypes.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class AppConfig;

namespace tarvo {
class DvsFileReader;
}

// Turns DVS events into pictures: plays a RAW recording (load, play, step, seek, loop) and
// renders per-pixel polarity counts in the theme colours on a thread of its own. The live view
// feeds events in through accumulate/present. Slots are meant for the GUI thread; every long
// operation runs on a thread this object owns and joins. Signals are emitted from worker threads
// too, so receivers must be reached through queued (automatic) connections.
class VxEventProcessor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    static constexpr uint16_t kCountCap = 3;
    // Wall-clock time between two displayed playback frames.
    static constexpr int64_t kFramePeriodUs = 33333;

    // `config` gives the theme colours; null uses the application's configuration.
    explicit VxEventProcessor(AppConfig* config = nullptr, QObject* parent = nullptr);
    ~VxEventProcessor() override;

    // Counts the events [first, last) into the accumulation buffer. One producer at a time.
    void accumulate(const tarvo::Event2D* first, const tarvo::Event2D* last);
    // Swaps the buffers and lets the render thread paint the counts just accumulated.
    void present();
    // Emits the last batch timestamp as the position and presents.
    void showLatest();

    uint64_t lastBatchTimestamp() const { return m_lastBatchTimestamp.load(); }
    uint64_t currentTimestamp() const { return m_current.load(); }
    uint64_t lowerTimestamp() const { return m_lower.load(); }
    uint64_t upperTimestamp() const { return m_upper.load(); }
    int fps() const { return m_fps.load(); }
    uint64_t interval() const { return m_interval.load(); }
    uint64_t accTime() const { return m_acc.load(); }
    bool isPlaying() const { return m_playing.load(); }
    bool isLoading() const { return m_loadWorker.isBusy(); }
    bool isLooping() const { return m_loop.load(); }
    bool hasFile() const { return m_reader != nullptr; }
    // Wall-clock text of event time `timestamp` in the open recording.
    QString localTimeOf(uint64_t timestamp) const;

Q_SIGNALS:
    void signalEventImage(QImage image);
    void signalRealTimeTimeStamp(uint64_t timestamp_us);
    void signalStartTimeStamp(uint64_t timestamp_us);
    void signalEndTimeStamp(uint64_t timestamp_us);
    void signalPlayStatus(bool playing);
    void signalLoadingStatus(bool loading);
    void signalShowLeftBottomTips(QString text, VxMessageType type = VxMessageType::Success,
                                  QString file_path = QString());
    void signalLocalTime(QString local_time);

public Q_SLOTS:
    void loadFile(QString path);
    void preFrame();
    void nextFrame();
    void setPlayPos(uint64_t timestamp_us);
    void slotPlaybackCtrl(bool on);
    void slotPlaybackReset();
    void slotPlayLoop(bool on);
    void setFps(int fps);
    void setAccTime(uint64_t time_us);
    void slotSetLowerTimeStamp(uint64_t timestamp_us);
    void slotSetUpperTimeStamp(uint64_t timestamp_us);
    void slotExportVideo(QString qs_out_full_path, QString qs_out_dir, uint64_t start_ts, uint64_t end_ts);
    void slotCutRawFile(QString qs_out_full_path, QString qs_out_dir, uint64_t start_ts, uint64_t end_ts);

private:
    using EventBatch = std::shared_ptr<std::vector<tarvo::Event2D>>;

    void renderLoop();
    void paintCounts(const uint16_t* counts, QImage& image) const;
    VxJobOutcome playFrames();
    VxJobOutcome loadReader();
    void reportLoad(const VxJobOutcome& outcome);
    void reportPlay(const VxJobOutcome& outcome);
    // Clears the play flag and joins the play thread; true when playback was running.
    bool stopPlayThread();
    // Stops playback and tells the play button so.
    void stopPlayback();
    // Waits for every job that uses the reader except playback.
    void joinReaderWorkers();
    // True when the reader may be used from the GUI thread: a file is open and no load, export
    // or cut owns it.
    bool readerIdle() const;
    // An Error notice: `failed` alone, or `failedBecause` with the reason filled in when one is
    // known.
    void notifyFailure(const QString& failed, const QString& failedBecause, const QString& reason);
    void emitPosition(uint64_t timestamp);
    void showWindow(const EventBatch& events, uint64_t position);

    AppConfig* m_config;
    std::unique_ptr<tarvo::DvsFileReader> m_reader;
    tarvo::DvsFileInfo m_fileInfo;

    std::vector<uint16_t> m_bufferA;
    std::vector<uint16_t> m_bufferB;
    uint16_t* m_accBuffer;    // written by the single producer without a lock
    uint16_t* m_renderBuffer; // read by the render thread under m_bufferMutex
    std::atomic<uint64_t> m_lastBatchTimestamp{0};

    std::atomic<int> m_fps{33};
    std::atomic<uint64_t> m_interval{1000000 / 33};
    std::atomic<uint64_t> m_acc{33333};
    std::atomic<uint64_t> m_current{0};
    std::atomic<uint64_t> m_lower{0};
    std::atomic<uint64_t> m_upper{0};

    std::atomic<bool> m_playing{false}; // the play job's run flag
    std::atomic<bool> m_loop{false};
    bool m_renderRunning = true;  // guarded by m_bufferMutex
    uint64_t m_framesPending = 0; // presents not yet painted; guarded by m_bufferMutex

    // Guards the reader's read position and m_current, which move together: held by the play
    // job for a whole frame (pacing included) and by the single steps.
    std::mutex m_frameMutex;
    std::mutex m_bufferMutex; // guards the buffer swap, the render buffer and the render flags
    std::condition_variable m_renderWake;

    std::thread m_renderThread;
    VxWorker m_loadWorker;
    VxWorker m_playWorker;
    VxWorker m_exportWorker;
    VxWorker m_cutWorker;
};
