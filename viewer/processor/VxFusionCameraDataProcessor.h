#pragma once

#include "VxFusionPainter.h"
#include "VxMessageType.h"
#include "VxWorker.h"

#include "TarvoBase/ApsFrame.h"
#include "TarvoBase/CalibratorParameters.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoDriver/Calibrator.h"
#include "TarvoDriver/DvsApsFusionProccessor.h"
#include "TarvoDriver/DvsTypes.h"

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class AppConfig;

namespace tarvo {
class ApsFileReader;
class DvsFileReader;
class FusionCamera;
} // namespace tarvo

// The viewer's engine for fusion data: turns a live fusion camera's frames, events and sync
// signals, or a fusion recording (RAW events, an MP4 of the same base name and an optional JSON
// calibration beside them), into 1280 x 720 pictures: the frame resampled into the event grid,
// with or without the events over it, or the events alone.
//
// Threads: slots are for the GUI thread. The live pictures are made on the camera's threads (the
// one that completes a frame-event pair); a recording loads and plays on threads this object owns
// and joins. Every signal may come from any of them: receivers are reached through queued
// (automatic) connections. The images emitted are implicitly shared copies; the next picture
// does not change them.
class VxFusionCameraDataProcessor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDvsWidth = 1280;
    static constexpr int kDvsHeight = 720;
    static constexpr uint16_t kCountCap = 10;
    // Wall-clock time of one playback tick: 30 ticks a second whatever the frame rate.
    static constexpr int64_t kTickUs = 33333;
    // Frames a playback step decodes on to reach the frame due; further ahead it seeks.
    static constexpr size_t kReadAheadFrames = 8;

    // `config` gives the theme colours and the folder of the calibration file written by
    // slotApplyOffset; null uses the application's configuration.
    explicit VxFusionCameraDataProcessor(AppConfig* config = nullptr, QObject* parent = nullptr);
    ~VxFusionCameraDataProcessor() override;

    // Feeds the pictures from this camera: registers its frame, event and sync-signal callbacks
    // (after the camera was opened, which empties them) and lets go of the previous camera's.
    // Null detaches. Call it before the camera is destroyed.
    void setCamera(std::shared_ptr<tarvo::FusionCamera> camera);
    // Drops the frames and events waiting to be paired, and the event counts.
    void clearFusionData();
    // Takes the calibration (of the camera, or of a recording); false when it is refused.
    bool loadCalibration(const tarvo::CalibratorParameters& params);
    // Counts events per pixel and polarity for the event-only view, up to kCountCap.
    void countEvents(const tarvo::Event2D* first, const tarvo::Event2D* last);

    tarvo::DvsApsFusionProccessor& fusionProcessor() { return *m_fusionProcessor; }
    const tarvo::Calibrator& calibrator() const { return m_calibrator; }
    // The OFF or ON count of pixel (x, y) in the event-only view; 0 outside the sensor.
    uint16_t countAt(int x, int y, bool on) const;

    tarvo::STREAM_TYPE viewerType() const { return tarvo::STREAM_TYPE(m_viewerType.load()); }
    bool hasRecording() const { return m_loaded.load(); }
    bool isLoading() const { return m_loadWorker.isBusy(); }
    bool isPlaying() const { return m_playing.load(); }
    bool isReplaying() const { return m_replay.load(); }
    uint64_t timebase() const { return m_timebase.load(); }
    uint64_t interval() const { return m_interval.load(); }
    uint64_t accTime() const { return m_accTime.load(); }
    uint64_t fileStart() const { return m_fileStart.load(); }
    uint64_t fileEnd() const { return m_fileEnd.load(); }
    // The event time of the recording's first frame (its "aps_start_timestamp").
    uint64_t frameOffset() const { return m_frameOffset.load(); }
    // Event time of the frame the last playback picture showed.
    uint64_t shownFrameTime() const { return m_shownFrameTime.load(); }

Q_SIGNALS:
    void signalFusionImage(const QImage& image);
    void signalFusionPixMap(const QPixmap& pixmap);
    void triggerFusionImage();
    void signalTimeStamp(uint64_t timestamp_us);
    void signalLocalTime(QString str);
    void signalStartTimeStamp(uint64_t timestamp_us);
    void signalEndTimeStamp(uint64_t timestamp_us);
    void signalPalyFileFinished();
    void signalPlayStatus(bool playing);
    void signalLoadingStatus(bool loading);
    void signalShowLeftBottomTips(QString tips, VxMessageType type = VxMessageType::Success,
                                  QString file_path = QString());
    // The end of a load: true when the recording opened, false when it did not (the reason went
    // out as an Error notice).
    void signalFileLoaded(bool loaded);

public Q_SLOTS:
    void slotSetViewerType(tarvo::STREAM_TYPE type);
    // Opens the recording whose RAW or MP4 file `path` names; an empty path closes it. True when
    // a load started.
    bool slotReadFusionFile(QString path);
    void slotSetLowerTimeStamp(uint64_t timestamp_us);
    void slotSetUpperTimeStamp(uint64_t timestamp_us);
    void slotSetReplayFlag(bool replay);
    void slotPlaybackCtrl(bool play);
    void slotPlaybackReset();
    void preFrame();
    void nextFrame();
    void setPlayPos(uint64_t timestamp_us);
    void setFps(int fps);
    void setAccTime(uint64_t time_us);
    void slotSetApsOffset(double dx, double dy);
    void slotApplyOffset();

private:
    // The fusion processor's callback: one live picture of a frame and its events.
    void renderLive(tarvo::ApsFrame& frame, tarvo::Event2D* first, tarvo::Event2D* last);
    VxFusionPainter::Colours colours() const;
    void detachCamera();

    VxJobOutcome loadRecording();
    void reportLoad(const VxJobOutcome& outcome);
    void closeRecording();
    VxJobOutcome playFrames();
    // Clears the play flag and joins the playback thread; true when it was running.
    bool stopPlayThread();
    // Stops playback and releases the play button: what every step and seek does first.
    void stopPlayback();
    // A recording is loaded and no load runs: the readers may be used.
    bool recordingReady() const;

    // Called with m_frameMutex held. The frame to show at `timebase` and the one after it; false
    // when the video gave none.
    bool chooseFrames(uint64_t timebase);
    // Puts the frame shown at `timebase` in m_currentApsFrame and the next in m_followingApsFrame.
    bool seekFrames(uint64_t timebase);
    bool readNextFrame(tarvo::ApsFrame& target);
    // Shows the picture of `timebase` and reports the position; false when no frame could be read
    // (the last picture stays).
    bool renderAt(uint64_t timebase);
    // Back to the range's start after its end; false when the video has no frame to start from.
    bool rewind();

    AppConfig* m_appConfig;
    std::unique_ptr<tarvo::DvsApsFusionProccessor> m_fusionProcessor;
    tarvo::Calibrator m_calibrator;

    // Guards the camera and its callback ids: set on the GUI thread, read on the camera's.
    mutable std::mutex m_cameraMutex;
    std::shared_ptr<tarvo::FusionCamera> m_camera;
    uint32_t m_apsCallbackId = 0;
    uint32_t m_eventsCallbackId = 0;
    uint32_t m_syncCallbackId = 0;

    QImage m_fusionImage;
    std::mutex m_fusionImageMutex; // guards m_fusionImage
    QImage m_dvsImage;
    std::mutex m_dvsImageMutex; // guards m_dvsImage
    std::vector<uint16_t> m_eventCounts;
    mutable std::mutex m_countsMutex; // guards m_eventCounts

    std::atomic<int> m_viewerType{tarvo::DVS_APS_STREAM};
    std::atomic<bool> m_playing{false}; // the playback thread's run flag
    std::atomic<bool> m_replay{false};
    std::atomic<bool> m_loaded{false};
    std::atomic<bool> m_cancelLoad{false}; // the destructor asks a running load to end early

    // The readers belong to the load job while it runs, then to whoever holds m_frameMutex.
    std::unique_ptr<tarvo::DvsFileReader> m_dvsReader;
    std::unique_ptr<tarvo::ApsFileReader> m_apsReader;
    std::vector<uint64_t> m_frameTimestamps; // written by the load job only
    std::atomic<uint64_t> m_dvsStartTs{0};
    std::atomic<uint64_t> m_dvsEndTs{0};
    std::atomic<uint64_t> m_frameOffset{0};
    std::atomic<uint64_t> m_fileStart{0};
    std::atomic<uint64_t> m_fileEnd{0};
    std::atomic<uint64_t> m_timebase{0};
    std::atomic<uint64_t> m_shownFrameTime{0};
    std::atomic<uint64_t> m_interval{33333};
    std::atomic<uint64_t> m_accTime{33333};

    // Guards the readers' positions, m_currentApsFrame and m_followingApsFrame (both already in
    // the event grid), and moves of m_timebase: held by the playback thread for a tick and by
    // steps, seeks and resets for theirs.
    std::mutex m_frameMutex;
    tarvo::ApsFrame m_currentApsFrame{kDvsWidth, kDvsHeight};
    tarvo::ApsFrame m_followingApsFrame{kDvsWidth, kDvsHeight};

    // Guards nothing but the playback thread's pause between ticks, which stopping cuts short.
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;

    VxWorker m_loadWorker;
    VxWorker m_playWorker;
};
