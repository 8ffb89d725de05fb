#pragma once

#include "VxWorker.h"

#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoHal/CameraDescription.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class VxEventProcessor;

namespace tarvo {
class DvsCamera;
class FusionCamera;
} // namespace tarvo

// The viewer's live camera: searches the attached cameras, opens one on a worker thread (a
// sensor's bring-up takes seconds), starts and stops it, and runs the live loop, which takes the
// camera's batches, counts them into the playback engine and presents one picture per display
// frame. A fusion camera's pictures come from its callbacks (VxFusionCameraDataProcessor); its
// loop only watches the connection. Its methods are for the GUI thread; its signals also come from the
// worker, the live loop and the camera's statistic thread, so receivers are reached through queued
// (automatic) connections.
class VxLiveCamera : public QObject
{
    Q_OBJECT

public:
    // How often the loop of a fusion camera asks whether it is still connected.
    static constexpr std::chrono::milliseconds kConnectionCheckPeriod{200};

    // `engine` receives the events and must outlive this object.
    explicit VxLiveCamera(VxEventProcessor* engine, QObject* parent = nullptr);
    ~VxLiveCamera() override;

    // Searches the attached cameras: event cameras first, then fusion cameras. While an opening
    // runs, the answer of the previous search.
    std::vector<tarvo::CameraDescription> searchCameras();
    // Lets go of the current camera and opens the one described on the worker thread;
    // signalOpenFinished tells how it went. False, and nothing started, while an opening runs.
    bool open(const tarvo::CameraDescription& description);
    bool isOpening() const { return m_openWorker.isBusy(); }

    // The camera chosen last (also while it opens, and after it failed to).
    tarvo::CameraDescription description() const { return m_description; }
    bool isFusion() const { return m_description.productName == "Duet"; }
    // Whether the manager handed out the chosen camera.
    bool hasCamera() const;
    std::shared_ptr<tarvo::DvsCamera> dvsCamera() const;
    std::shared_ptr<tarvo::FusionCamera> fusionCamera() const;
    bool isConnected() const;
    // The event camera is open and has not been stopped since: start() needs no new opening. A
    // camera stops itself when its connection is lost.
    bool isReady() const;

    // Starts the camera: an event camera with the live loop, a fusion camera's two streams with a
    // loop that watches its connection (its pictures come from its callbacks). False when it does
    // not start (logged).
    bool start();
    // Ends the live loop and stops the camera; an event camera must then be opened again to start.
    void stop();
    // The live loop runs.
    bool isLive() const { return m_running.load(); }
    // Waits for an opening in flight, stops the camera and lets go of it.
    void release();
    // Forgets what the searches found (a camera's network address changed): the next search asks
    // the cameras afresh. Not while a camera is open or opening.
    void forgetCameras();

    // Event time of a picture: the camera's batch time.
    void setBatchTime(uint64_t time_us);
    // Pictures per second of wall-clock time.
    void setFps(uint16_t fps);

    static QString bandwidthText(uint64_t bytes_per_second);
    static QString eventRateText(uint64_t events_per_second);

Q_SIGNALS:
    // The end of an opening: whether the camera opened, and why not.
    void signalOpenFinished(bool opened, QString reason);
    // The live loop presented a picture.
    void signalFramePresented();
    // Once a second while the camera streams: raw bytes and events per second, and the raw
    // buffers the camera lost since it started.
    void signalStatistics(quint64 bytes_per_second, quint64 events_per_second, quint64 dropped_buffers);
    // The live loop ended by itself: the camera answered as disconnected, or the loop failed.
    void signalLiveEnded(QString reason);

private:
    VxJobOutcome openCamera(const tarvo::CameraDescription& description);
    VxJobOutcome liveLoop(const std::shared_ptr<tarvo::DvsCamera>& camera);
    bool startFusion();
    // Runs a camera's start, which may throw; true when it returned 0.
    static bool startedCamera(const std::function<int()>& start);
    // Sets the run flag and runs the loop on the loop worker; a failed loop ends the live view.
    void runLoop(VxWorker::Job loop);
    VxJobOutcome watchFusionCamera(const std::shared_ptr<tarvo::FusionCamera>& camera);
    // Sleeps until `until`, or less when stop() clears the run flag.
    template <typename TimePoint> void pauseUntil(TimePoint until);

    VxEventProcessor* m_engine;
    tarvo::CameraDescription m_description; // GUI thread only
    std::vector<tarvo::CameraDescription> m_lastSearch;

    // Guards the manager (searched on the GUI thread, opening on the worker) and the cameras it
    // handed out, which the open job sets and the GUI thread reads.
    mutable std::mutex m_cameraMutex;
    tarvo::DvsCameraManager m_manager;
    std::shared_ptr<tarvo::DvsCamera> m_camera;
    std::shared_ptr<tarvo::FusionCamera> m_fusionCamera;
    bool m_ready = false;

    std::atomic<bool> m_running{false}; // the live loop's run flag
    std::atomic<uint64_t> m_batchTimeUs{33333};
    std::atomic<uint16_t> m_fps{33};
    // Guards nothing but the live loop's pause between pictures, which stop() cuts short.
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;

    VxWorker m_openWorker;
    VxWorker m_loopWorker;
};
