#pragma once

#include "FileRecorder/FusionRecording.h"
#include "TarvoDriver/DataToVideoConverter.h"
#include "TarvoHal/Decoder.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Interface.h"
#include "TarvoHal/RegisterController.h"
#include "camera/BufferIntake.h"
#include "camera/FusionCameraPrivate.h"
#include "camera/PeriodicThread.h"
#include "camera/StatisticSlot.h"
#include "sensor/Imx415Sensor.h"
#include "sensor/Imx6x6Sensor.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvo {

// The maker's Duet fusion camera on USB: an IMX636 event sensor (EVT 3.0, its 32-bit words
// byte-reversed on the cable) and an IMX415 frame sensor (NV12 3840 × 2160), whose frames are
// each announced by a rising edge on the event stream's trigger input.
//
// Threads while both streams run: the event intake and the event stream thread (word order,
// recording hand-off, decoding, batching, event and sync-signal callbacks, frame times at rising
// edges), the frame intake and the fusion thread (pairing each frame with its times, colour
// conversion, frame callbacks, recording hand-off), the statistic thread; the recording's encoder
// and writer threads (FusionRecording). Whoever turns the run off tears it down once: an
// application thread, or the camera's own thread after a lost connection or from a callback, in
// which case the next start(), init() or the destructor joins what is left.
class DuetCamera : public FusionCameraPrivate
{
public:
    static constexpr uint16_t vendorId = 0x2207;
    static constexpr uint16_t productId = 0x0006;
    static constexpr INTERFACE_TYPE interfaceType = USB;
    static std::string getManufacturer() { return "Tarvo"; }
    static std::string getProductName() { return "Duet"; }

    explicit DuetCamera(const CameraDescription& description);
    ~DuetCamera() override;

    bool isConnected() const override;
    int start(STREAM_TYPE type) override;
    int stop(STREAM_TYPE type) override;
    int destroy() override;
    int startRecording(std::string directory, std::string name, STREAM_TYPE type) override;
    int stopRecording(STREAM_TYPE type) override;
    void setStatisticInfoCallback(StatisticInfoCallback callback) override;
    bool writeCalibrationFile(std::string path) override;
    bool readCalibrationParam(CalibratorParameters& params) override;
    bool getFirmwareVersion(std::string& version) override;
    bool getSerialNumber(std::string& serial) override;
    bool setSerialNumber(std::string serial) override;
    FusionStreamStatistics getStreamStatistics() const override;

    // Waits until the frames handed to recordings are encoded and stopped videos are finished.
    void waitForRecordings() { m_recording.waitForVideos(); }

protected:
    int init() override;

private:
    // init() on an opened device, under the lifecycle lock.
    int openDevice();
    void createTools();
    // Switches the sensor's event output on or off with the two control frames.
    void dvsEnable(bool enable);
    // Waits on the device's clock (the settling times of start and stop).
    void deviceWait(uint32_t us);
    // Reads a 64-byte text block of the frame sensor's registers.
    bool readTextBlock(const char* reg, std::string& text);
    std::shared_ptr<RegisterController> frameRegisters() const;

    void startStreams(STREAM_TYPE type);
    int stopStreaming();
    void tearDown();
    void joinEndedThreads();
    void refuseOnOwnThreads(const char* operation) const;
    bool onOwnThread() const;

    void waitForThreadObjects();
    void eventLoop();
    void takeEventBuffer(std::vector<uint8_t>& buffer);
    void triggerArrived(const EventTriggerIn& trigger);
    void fusionLoop();
    void deliverFrame(const BufferIntake::Buffer& frame, const FrameTimeQueue::Times& times);
    void statisticTick();

    // Serialises init(), start() and stop() of application threads; the camera's own threads
    // never take it.
    std::mutex m_lifecycleMutex;
    std::atomic<bool> m_inited{false};
    std::atomic<int> m_running{0};
    STREAM_TYPE m_streamType = DVS_APS_STREAM; // of the last start; under the lifecycle lock
    std::atomic<bool> m_eventSensorOn{false};
    std::atomic<bool> m_frameSensorOn{false};

    // The device, replaced by init() only while no stream runs. The stream threads use it
    // freely; other threads take m_deviceMutex to read it.
    mutable std::mutex m_deviceMutex;
    std::shared_ptr<Interface> m_transport;
    std::shared_ptr<RegisterController> m_dvsRegisters;
    std::shared_ptr<RegisterController> m_apsRegisters;
    std::unique_ptr<Decoder> m_decoder;
    std::unique_ptr<Imx6x6Sensor> m_eventSensor;
    std::unique_ptr<Imx415Sensor> m_frameSensor;
    std::shared_ptr<CameraTool> m_apsCtrlTool;
    std::shared_ptr<CameraTool> m_triggerInTool;
    std::shared_ptr<Imx636EventRateControl> m_ercTool;
    uint64_t m_session = 0; // the transport's setup stores its session number here

    BufferIntake m_eventIntake;
    BufferIntake m_frameIntake;
    std::thread m_eventThread;
    std::thread m_fusionThread;
    std::atomic<std::thread::id> m_eventThreadId{};  // set by the thread itself
    std::atomic<std::thread::id> m_fusionThreadId{}; // set by the thread itself
    PeriodicThread m_statisticThread;
    // Held by start() while it creates the threads; each of them takes it before it may touch
    // the others' thread objects.
    std::mutex m_threadsMutex;
    std::mutex m_stopMutex; // guards m_stopDone
    std::condition_variable m_stopDoneCondition;
    bool m_stopDone = true; // the last run's tear-down has finished; its threads may be joined

    std::atomic<uint64_t> m_streamTime{0};                   // the decoder's time after the last buffer (µs)
    uint64_t m_triggerCount = 0;                             // the event stream thread's own while it runs
    std::unique_ptr<DataToVideoConverter> m_colourConverter; // the fusion thread's own
    std::vector<uint8_t> m_bgrFrame;                         // the fusion thread's own

    // Counts of the current run, for getStreamStatistics().
    std::atomic<uint64_t> m_framesDelivered{0};
    std::atomic<uint64_t> m_framesUnpaired{0};
    uint64_t m_frameDropsAtStart = 0; // the transports' counts at start; under m_deviceMutex
    uint64_t m_eventDropsAtStart = 0;
    uint64_t m_dropsReported = 0; // frames and buffers lost as far as the statistic thread logged

    StatisticSlot m_statistics;

    std::mutex m_calibrationMutex; // guards the two members below
    CalibratorParameters m_calibration;
    bool m_calibrationValid = false;

    FusionRecording m_recording;
};

} // namespace tarvo
