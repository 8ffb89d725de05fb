#pragma once

#include "VxMessageType.h"
#include "VxWorker.h"

#include "TarvoDriver/RecordingStatus.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tarvo {
class DvsCamera;
}

// Records the live event camera to RAW files, one recording at a time: by hand, from start to
// stop, and timed, for a number of seconds after a trigger edge (the camera's cache adds the
// seconds before it). A timed recording runs on a worker thread, which also watches the camera's
// recorder and ends the recording when writing fails. Slots are for the GUI thread; the signal
// also comes from the worker, so receivers are reached through queued (automatic) connections.
class VxFileRecorder : public QObject
{
    Q_OBJECT

public:
    explicit VxFileRecorder(QObject* parent = nullptr);
    // Ends the recording under way, a timed one early (the file keeps what was recorded), and
    // waits for the worker without waiting for a save to end.
    ~VxFileRecorder() override;

    void setCamera(std::shared_ptr<tarvo::DvsCamera> camera);
    // A recording of either kind is under way, or the last one is still being saved.
    bool isRecording() const { return m_recording.load(); }
    // The camera's recorder as it is now; Idle without a camera.
    tarvo::RecordingStatus status() const;
    // The bytes of the recording under way that will be in its file.
    static uint64_t recordedBytes(const tarvo::RecordingStatus& status);
    // Ends whatever recording runs (a timed one early) and waits until it is saved: before the
    // camera stops.
    void finish();

public Q_SLOTS:
    // Records `recordingTime` seconds to `path`. Refused, with the warning "Currently being
    // recorded.", while a recording runs, without a connected camera and for 0 seconds.
    bool startRecording(uint32_t recordingTime, QString path);
    // Starts a recording by hand; false (with an Error notice) when one runs or the camera
    // cannot record to `path`.
    bool startRecording(QString path);
    // Ends the recording started by hand; false when none runs. How it ended is announced once it
    // is saved: "Save file success!", or an Error notice with the reason.
    bool stopRecording();

Q_SIGNALS:
    void signalShowLeftBottomTips(QString text, VxMessageType type = VxMessageType::Success,
                                  QString file_path = QString());

private:
    VxJobOutcome recordFor(const std::shared_ptr<tarvo::DvsCamera>& camera, uint32_t seconds,
                           const std::string& path);
    // Waits while the camera's recorder saves the recording just stopped (`stopped`: what
    // stopRecording() returned) and tells how it ended.
    VxJobOutcome awaitSaved(const tarvo::DvsCamera& camera, int stopped);
    // The Error notice of a recording that failed, with the recorder's reason when it has one.
    void notifyFailure(const QString& reason);

    std::shared_ptr<tarvo::DvsCamera> m_camera; // GUI thread only
    // A recording of either kind runs, or the last one is still being saved.
    std::atomic<bool> m_recording{false};
    bool m_handStarted = false; // the running recording was started by hand; GUI thread only

    // Guards the two flags that end the worker's waits early: m_endEarly a timed recording's
    // (finish()), m_closing also the wait for a save (the recorder goes).
    std::mutex m_stopMutex;
    std::condition_variable m_stopWake;
    bool m_endEarly = false;
    bool m_closing = false;
    // Runs the timed recordings, and waits for the save of a recording stopped by hand.
    VxWorker m_worker;
};
