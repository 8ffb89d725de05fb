#pragma once

#include "FileRecorder/RawStreamRecorder.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoHal/Decoder.h"
#include "TarvoHal/Interface.h"
#include "TarvoHal/RegisterController.h"
#include "camera/BufferIntake.h"
#include "camera/CallbackRegistry.h"
#include "camera/EventBatcher.h"
#include "camera/PeriodicThread.h"
#include "camera/StatisticSlot.h"
#include "sensor/Sensor.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvo {

// Everything of an event camera that does not depend on its sensor: the stream thread (raw
// buffer → recorder → decoder → batches and callbacks), both callback registries, batching by
// count and by time, the statistic thread and the hand-off to the recorder. The device class
// above it opens the transport, creates decoder and sensor in init() and sets m_inited.
//
// Threads: application threads call the public operations; start() runs an intake thread that
// takes the raw buffers off the transport (BufferIntake), the stream thread that works through
// them, and the statistic thread; stop() (from any thread, callbacks included) ends them. The
// camera's threads never call a virtual operation of the camera, so that they stay sound while a
// derived class is being destroyed.
class DvsCameraPrivate : public DvsCamera
{
public:
    explicit DvsCameraPrivate(const CameraDescription& description);
    ~DvsCameraPrivate() override;

    DvsCameraPrivate(const DvsCameraPrivate&) = delete;
    DvsCameraPrivate& operator=(const DvsCameraPrivate&) = delete;

    bool isConnected() const override;
    uint32_t addEventsStreamHandleCallback(EventsCallback callback) override;
    bool removeEventsStreamHandleCallback(uint32_t id) override;
    uint32_t addTriggerInCallback(TriggerInCallback callback) override;
    bool removeTriggerInCallback(uint32_t id) override;
    bool getNextBatch(std::vector<Event2D>& events) override;
    void setBatchEventsNum(uint64_t count) override;
    void setBatchEventsTime(uint64_t us) override;
    int start() override;
    int stop() override;
    int startRecording(std::string path) override;
    void setFileCacheTime(uint16_t seconds, std::string directory) override;
    int stopRecording() override;
    void setStatisticInfoCallback(StatisticInfoCallback callback) override;
    uint64_t getDroppedBufferCount() const override;
    RecordingStatus getRecordingStatus() const override;

    // Hands the stream to another recorder from the next buffer on; call while stopped.
    void setRecorder(std::unique_ptr<RawStreamRecorder> recorder);
    // The batcher, for tests that follow hand-overs.
    EventBatcher& batcher() { return m_batcher; }

protected:
    // Serialises init(), start() and stop() of application threads with each other; the
    // camera's own threads never take it.
    std::mutex& lifecycleMutex() { return m_lifecycleMutex; }
    // Waits until a stop under way on another thread has finished and joins the threads of the
    // last run; init() and start() call it first. Does nothing while the camera streams.
    void joinEndedThreads();
    // Refuses (std::logic_error) an init() or start() from the camera's own callbacks, which
    // would have to join the thread they run on.
    void refuseOnOwnThreads(const char* operation) const;
    // Installs a new transport, decoder and sensor (init() of the device class, while stopped).
    void setDevice(std::shared_ptr<Interface> transport, std::unique_ptr<Decoder> decoder,
                   std::unique_ptr<Sensor> sensor);
    std::shared_ptr<Interface> transport() const;
    void ensureInited() const;

    std::shared_ptr<RegisterController> m_registerController;
    std::atomic<bool> m_inited{false};

private:
    void streamLoop();
    // One buffer from the transport: recorder first, then the decoder.
    void takeBuffer(const std::vector<uint8_t>& buffer);
    void eventsArrived(const Event2D* first, const Event2D* last);
    void statisticTick();
    bool onStreamThread() const;
    // stop() without a virtual call, for the camera's own threads and the destructor.
    int stopStreaming();
    // The part of stop() after running was turned off, on whichever thread turned it off.
    int tearDown();

    CallbackRegistry<EventsCallback> m_eventCallbacks;
    CallbackRegistry<TriggerInCallback> m_triggerCallbacks;
    EventBatcher m_batcher;

    std::mutex m_lifecycleMutex;            // see lifecycleMutex()
    std::shared_ptr<Interface> m_transport; // read and replaced through std::atomic_load/store
    std::unique_ptr<Decoder> m_decoder;
    // Guards replacing m_sensor, and m_droppedAtStart, against getDroppedBufferCount() on other
    // threads; the camera's own threads use m_sensor only while no replacement can happen.
    mutable std::mutex m_sensorMutex;
    std::unique_ptr<Sensor> m_sensor;

    BufferIntake m_intake;
    std::atomic<int> m_running{0};
    std::mutex m_stopMutex; // guards m_stopDone
    std::condition_variable m_stopDoneCondition;
    bool m_stopDone = true; // the last run's tear-down has finished; its threads may be joined
    // Held by start() while it creates the threads; the statistic thread, started first, takes it
    // before it may touch the others' thread objects.
    std::mutex m_threadsMutex;
    std::thread m_streamThread;
    std::atomic<std::thread::id> m_streamThreadId{}; // set by the stream thread itself

    DvsFileInfo m_fileInfo;
    std::unique_ptr<RawStreamRecorder> m_recorder;
    std::atomic<uint64_t> m_streamTime{0}; // the decoder's time after the last buffer (µs)

    uint64_t m_droppedAtStart = 0;  // the transport's count when the stream started
    uint64_t m_droppedReported = 0; // as far as the statistic thread has logged (its own)

    PeriodicThread m_statisticThread;
    StatisticSlot m_statistics;
};

} // namespace tarvo
