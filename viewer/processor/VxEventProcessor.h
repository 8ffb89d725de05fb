#pragma once

#include "VxMessageType.h"
#include "VxWorker.h"

#include "TarvoBase/EventTypes.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QVector>

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
class RawFileReader;
} // namespace tarvo

// Turns DVS events into pictures: plays a RAW recording (load, play, step, seek, loop) and
// renders per-pixel polarity counts in the theme colours on a thread of its own. The live view
// feeds events in through accumulate/present. Slots are meant for the GUI thread; every long
// operation runs on a thread this object owns and joins. Signals are emitted from worker threads
// too, so receivers must be reached through queued (automatic) connections.
//
// A playback position p stands for the picture of the acc microseconds up to and including p,
// (p - acc, p]: every step, seek and played frame shows the picture of the time it reports.
class VxEventProcessor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    static constexpr uint16_t kCountCap = 3;
    // Event time over which the status line's event rate is taken, around the position.
    static constexpr uint64_t kRateWindowUs = 100000;
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
    // Paints the picture presented last again, in the theme colours of now.
    void repaint();

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
    // A recording is open and loaded.
    bool hasFile() const { return m_loaded.load(); }
    // Size of the pictures: the open recording's own area, or the whole buffer without one.
    QSize imageSize() const;
    // The ON and OFF counts of pixel (x, y) in the picture presented last; false outside it.
    bool countsAt(int x, int y, uint16_t& on, uint16_t& off) const;
    // Wall-clock text of event time `timestamp` in the open recording; empty when the
    // recording carries no date.
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
    // The end of a load: true when the recording opened (its times and size have been sent),
    // false when it did not (the reason went out as an Error notice).
    void signalFileLoaded(bool loaded);
    // The sensor size in the header of the recording just loaded (its pictures show as much of
    // it as the buffers hold).
    void signalSensorSize(QSize size);
    // With every picture of a recording: its number of events, and the recording's event rate
    // (events per second) around the picture's time, negative when unknown.
    void signalFrameStatistics(uint64_t events, double events_per_second);
    // The event rate (events per second) over the recording just loaded, in equal slices from its
    // first to its last timestamp; sent by the load before signalFileLoaded.
    void signalActivity(QVector<double> events_per_second);

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
    void startPlayJob();
    // Clears the play flag and joins the play thread; true when playback was running.
    bool stopPlayThread();
    // Stops playback and tells the play button so.
    void stopPlayback();
    // Waits for every job that uses the reader except playback.
    void joinReaderWorkers();
    // True when the reader may be used from the GUI thread: a recording is loaded and no load,
    // export or cut owns it.
    bool readerIdle() const;
    // Forgets the open recording's times and size; the reader itself stays until replaced.
    void forgetFile();
    void setImageSize(int width, int height);
    void emitPosition(uint64_t timestamp);
    // Shows the picture of `position` and reports it; false when the reader gave nothing (the
    // end of the data). Called with m_frameMutex held, or by the load job.
    bool showAt(uint64_t position);
    double eventRateAround(uint64_t position) const;
    // An Error notice: `failed` alone, or `failedBecause` with the reason filled in when one is
    // known.
    void notifyFailure(const QString& failed, const QString& failedBecause, const QString& reason);

    AppConfig* m_config;
    std::unique_ptr<tarvo::DvsFileReader> m_reader;
    tarvo::RawFileReader* m_rawReader = nullptr; // m_reader when it is a RAW reader, for its index
    tarvo::DvsFileInfo m_fileInfo;               // written by the load job, read once it is loaded
    std::atomic<bool> m_loaded{false};
    std::atomic<uint64_t> m_fileStart{0}; // first and last timestamps of the loaded recording
    std::atomic<uint64_t> m_fileEnd{0};

    std::vector<uint16_t> m_bufferA;
    std::vector<uint16_t> m_bufferB;
    uint16_t* m_accBuffer;    // written by the single producer without a lock
    uint16_t* m_renderBuffer; // read under m_bufferMutex: by the render thread and countsAt
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
    int m_imageWidth = kWidth;    // picture size; guarded by m_bufferMutex
    int m_imageHeight = kHeight;

    // Guards the reader's read position and m_current, which move together: held by the play
    // job for a whole frame (pacing included), and by the steps, seeks, reset and the load's
    // first picture for theirs.
    std::mutex m_frameMutex;
    // Guards the buffer swap, the render buffer, the picture size and the render flags.
    mutable std::mutex m_bufferMutex;
    std::condition_variable m_renderWake;

    std::thread m_renderThread;
    VxWorker m_loadWorker;
    VxWorker m_playWorker;
    VxWorker m_exportWorker;
    VxWorker m_cutWorker;
};
