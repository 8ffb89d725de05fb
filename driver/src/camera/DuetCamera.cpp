#include "camera/DuetCamera.h"

#include "DriverLog.h"
#include "TarvoBase/CalibrationJson.h"
#include "TarvoBase/Converters.h"
#include "TarvoHal/CtrlFrame.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoHal/Imx415ApsCtrl.h"
#include "TarvoHal/Imx636AntiFlicker.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventTrailFilter.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "TarvoHal/UsbInterface.h"
#include "camera/ThreadName.h"
#include "sensor/Imx415RegisterTable.h"
#include "sensor/Imx636RegisterTable.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/DuetCamera";
constexpr std::chrono::milliseconds kStatisticPeriod{1000};
constexpr size_t kBgrBytes = size_t{FusionCameraPrivate::kFrameWidth} * FusionCameraPrivate::kFrameHeight * 3;
// The two control frames that switch the sensor's event output.
constexpr uint32_t kEventOutputCommands[] = {0x40010010, 0x40010200};
constexpr size_t kTextBlockBytes = 64;
// Frames that may wait for the fusion thread (a third of a second) before the newest is dropped.
constexpr size_t kQueuedFrames = 10;
// The event-rate limit every start sets (Mev/s).
constexpr int kMaxEventRate = 40;
// Settling times of the device (µs): after the event output is switched off, and after a stop.
constexpr uint32_t kOutputOffSettle = 100000;
constexpr uint32_t kStopSettle = 2000000;
// A frame starts this long before its rising edge, beyond its exposure, and ends this long after
// its edge once read out (µs).
constexpr uint64_t kEdgeToExposureEnd = 200;
constexpr uint64_t kExposureToFrameEnd = 25920;

DvsFileInfo recordingHeader(const CameraDescription& description)
{
    DvsFileInfo info;
    info.width = FusionCameraPrivate::kEventWidth;
    info.height = FusionCameraPrivate::kEventHeight;
    info.serial_number = description.serial;
    return info;
}

} // namespace

DuetCamera::DuetCamera(const CameraDescription& description)
    : FusionCameraPrivate(description), m_frameIntake(kQueuedFrames * Imx415Sensor::frameBytes),
      m_statisticThread(kLogSource, "tarvo-stats"),
      m_recording(kLogSource, recordingHeader(description), kFrameWidth, kFrameHeight)
{
}

DuetCamera::~DuetCamera()
{
    stopStreaming();
    joinEndedThreads();
    m_statistics.set(nullptr);
}

bool DuetCamera::isConnected() const
{
    std::lock_guard<std::mutex> lock(m_deviceMutex);
    return m_transport && m_transport->isConnected();
}

int DuetCamera::init()
{
    refuseOnOwnThreads("init()");
    std::lock_guard<std::mutex> lifecycle(m_lifecycleMutex);
    clearCallbacks();
    joinEndedThreads();
    if (m_inited) {
        return 0;
    }
    if (m_running.exchange(0) == 1) {
        // Opened again after destroy() while the streams still ran: they end before the device
        // is replaced under them.
        tearDown();
        joinEndedThreads();
    }
    try {
        return openDevice();
    } catch (const std::exception& error) {
        TARVO_LOG(log::kError, "Duet Camera init error.");
        TARVO_LOG(log::kDetail, "%s", error.what());
        return -1;
    }
}

int DuetCamera::openDevice()
{
    auto transport = UsbInterface::createUsbFusionInterface(m_description);
    if (!transport) {
        TARVO_LOG(log::kError, "Interface init error.");
        return -1;
    }
    transport->setup(&m_session);
    auto dvsRegisters = std::make_shared<RegisterController>(transport, IMX636_REGISTER_TABLE,
                                                             IMX636_REGISTER_TABLE_SIZE, "PSEE/IMX636/");
    auto apsRegisters = std::make_shared<RegisterController>(transport, IMX415_REGISTER_TABLE,
                                                             IMX415_REGISTER_TABLE_SIZE, " ");
    transport->delay(1000);

    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    if (!decoder) {
        TARVO_LOG(log::kError, "Duet Camera init error.");
        return -1;
    }
    decoder->fusionFlag = true;
    decoder->setEventsStreamHandleCallback(
        [this](const Event2D* first, const Event2D* last) { eventsArrived(first, last); });
    decoder->setTriggerInCallback([this](const EventTriggerIn& trigger) { triggerArrived(trigger); });

    auto eventSensor = std::make_unique<Imx6x6Sensor>();
    eventSensor->useRegisters(dvsRegisters);
    auto frameSensor = std::make_unique<Imx415Sensor>();
    frameSensor->useRegisters(apsRegisters);
    {
        std::lock_guard<std::mutex> lock(m_deviceMutex);
        m_transport = transport;
        m_dvsRegisters = dvsRegisters;
        m_apsRegisters = apsRegisters;
        m_decoder = std::move(decoder);
        m_eventSensor = std::move(eventSensor);
        m_frameSensor = std::move(frameSensor);
        m_frameDropsAtStart = 0;
        m_eventDropsAtStart = 0;
    }
    // A camera that did not take its bring-up would stream nothing: it stays unopened.
    if (m_eventSensor->init(transport) != 0 || m_frameSensor->init(transport) != 0) {
        TARVO_LOG(log::kError, "Duet Camera init error.");
        return -1;
    }
    createTools();

    std::vector<uint8_t> calibration;
    if (!transport->readCalibration(calibration)) {
        TARVO_LOG(log::kError, "Read calibration data error.");
    } else {
        // Kept, so that recordings carry the calibration without the application asking first.
        CalibratorParameters params;
        if (jsonDataToParam(calibration, params)) {
            std::lock_guard<std::mutex> lock(m_calibrationMutex);
            m_calibration = params;
            m_calibrationValid = true;
        }
    }
    std::string firmware;
    getFirmwareVersion(firmware);
    m_inited = true;
    return 0;
}

void DuetCamera::createTools()
{
    auto add = [this](ToolType type, std::shared_ptr<CameraTool> tool) {
        if (m_tools.count(type) == 0) {
            m_tools[type] = std::move(tool);
        }
    };
    const auto& registers = m_dvsRegisters;
    add(TOOL_BIASES, std::make_shared<Imx636Biases>(registers));
    // The trigger input carries the frame edges: always on, and not offered to the application.
    m_triggerInTool = std::make_shared<Imx636TriggerIn>(registers);
    m_triggerInTool->setParam("enable", true);
    add(TOOL_ANTI_FLICKER, std::make_shared<Imx636AntiFlicker>(registers));
    add(TOOL_EVENT_RATE_CONTROL, std::make_shared<Imx636EventRateControl>(registers));
    add(TOOL_EVENT_TRAIL_FILTER, std::make_shared<Imx636EventTrailFilter>(registers));
    add(TOOL_ROI, std::make_shared<Imx636ROI>(registers));
    add(TOOL_APS_CTRL, std::make_shared<Imx415ApsCtrl>(m_apsRegisters));
    // The camera reads and sets the very tools the application adjusts.
    m_apsCtrlTool = m_tools[TOOL_APS_CTRL];
    m_ercTool = std::dynamic_pointer_cast<Imx636EventRateControl>(m_tools[TOOL_EVENT_RATE_CONTROL]);
    if (m_ercTool) {
        m_ercTool->setParam("enable", true);
        m_ercTool->setMaxLimitEventRate(kMaxEventRate);
    }
}

void DuetCamera::dvsEnable(bool enable)
{
    try {
        auto* usb = dynamic_cast<UsbInterface*>(m_transport.get());
        if (usb == nullptr) {
            throw std::runtime_error("not a USB device");
        }
        for (uint32_t command : kEventOutputCommands) {
            CtrlFrame frame(command);
            frame.push_back32(0);
            frame.push_back32(enable ? 1 : 0);
            usb->transferFrame(frame);
        }
    } catch (const std::exception&) {
        TARVO_LOG(log::kError, "Camera is running or no this command.");
    }
}

void DuetCamera::deviceWait(uint32_t us)
{
    m_transport->delay(us);
}

int DuetCamera::start(STREAM_TYPE type)
{
    refuseOnOwnThreads("start()");
    std::lock_guard<std::mutex> lifecycle(m_lifecycleMutex);
    joinEndedThreads();
    if (!m_inited) {
        TARVO_LOG(log::kError, "Camera is not inited");
        return -1;
    }
    if (m_running == 1) {
        const bool eventsOn = type == APS_STREAM || m_eventSensorOn;
        const bool framesOn = type == DVS_STREAM || m_frameSensorOn;
        if (type == m_streamType && eventsOn && framesOn) {
            TARVO_LOG(log::kInfo, "Camera already started.");
            return 0;
        }
        // No thread is started over a live one: the run that is there ends first.
        if (m_running.exchange(0) == 1) {
            tearDown();
        }
        joinEndedThreads();
    }
    const bool events = type != APS_STREAM;
    const bool frames = type != DVS_STREAM;
    if (events) {
        if (frames) {
            TARVO_LOG(log::kInfo, "dvs start.");
        }
        dvsEnable(true);
        if (m_eventSensor->start() != 0) {
            TARVO_LOG(log::kError, "Camera %s: the event sensor did not start", m_description.serial.c_str());
            dvsEnable(false);
            return -1;
        }
        m_eventSensorOn = true;
    }
    if (frames) {
        if (events) {
            TARVO_LOG(log::kInfo, "Aps start.");
        }
        if (m_frameSensor->start() != 0) {
            TARVO_LOG(log::kError, "Camera %s: the frame sensor did not start", m_description.serial.c_str());
            if (events) {
                dvsEnable(false);
                m_eventSensor->stop();
                m_eventSensorOn = false;
            }
            return -1;
        }
        m_frameSensorOn = true;
    }
    startStreams(type);
    if (m_ercTool) {
        m_ercTool->setParam("max_event_rate", kMaxEventRate);
    }
    TARVO_LOG(log::kInfo, "Camera event stream start.");
    m_streamType = type;
    return 0;
}

void DuetCamera::startStreams(STREAM_TYPE type)
{
    const bool events = type != APS_STREAM;
    const bool frames = type != DVS_STREAM;
    m_triggerCount = 0;
    m_frameTimes.reset();
    m_decoder->setFrameEndTimestamp(0);
    m_framesDelivered = 0;
    m_framesUnpaired = 0;
    m_dropsReported = 0;
    {
        std::lock_guard<std::mutex> lock(m_deviceMutex);
        m_eventDropsAtStart = m_eventSensor->getDroppedBufferCount();
        m_frameDropsAtStart = m_frameSensor->getDroppedBufferCount();
    }
    if (events) {
        m_batcher.open();
    }
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopDone = false;
    }
    m_running = 1;
    const auto connected = [this] { return DuetCamera::isConnected(); };
    std::lock_guard<std::mutex> creating(m_threadsMutex);
    if (events) {
        m_statisticThread.start(kStatisticPeriod, [this] { statisticTick(); });
        m_eventIntake.start(*m_eventSensor, connected);
        m_eventThread = std::thread(&DuetCamera::eventLoop, this);
    }
    if (frames) {
        m_frameIntake.start(*m_frameSensor, connected);
    }
    if (events && frames) {
        m_fusionThread = std::thread(&DuetCamera::fusionLoop, this);
    }
}

int DuetCamera::stop(STREAM_TYPE type)
{
    if (type == DVS_STREAM || type == APS_STREAM) {
        // One sensor off; the threads stay and wait for what no longer comes.
        std::unique_lock<std::mutex> lifecycle(m_lifecycleMutex, std::defer_lock);
        if (!onOwnThread()) {
            lifecycle.lock();
        }
        if (m_running != 1) {
            return 0;
        }
        if (type == DVS_STREAM && m_eventSensorOn.exchange(false)) {
            dvsEnable(false);
            m_eventSensor->stop();
        }
        if (type == APS_STREAM) {
            if (m_frameSensorOn.exchange(false)) {
                m_frameSensor->stop();
            }
            stopRecording(DVS_APS_STREAM);
        }
        return 0;
    }
    return stopStreaming();
}

int DuetCamera::stopStreaming()
{
    // Whoever turns running off tears down, once. The camera's own threads never take the
    // lifecycle lock, which an application thread may hold while it joins them.
    std::unique_lock<std::mutex> lifecycle(m_lifecycleMutex, std::defer_lock);
    if (!onOwnThread()) {
        lifecycle.lock();
    }
    if (m_running.exchange(0) == 1) {
        tearDown();
    }
    return 0;
}

void DuetCamera::tearDown()
{
    const bool ownThread = onOwnThread();
    // Frames first: each frame already under way has had its edge, which the event stream,
    // still on, delivers; a frame after the event output went off would have none.
    m_frameSensorOn = false;
    m_frameSensor->stop();
    const bool events = m_eventSensorOn.exchange(false) || m_eventThread.joinable();
    if (events) {
        dvsEnable(false);
    }
    deviceWait(kOutputOffSettle);
    m_eventSensor->stop();
    if (ownThread) {
        // From a callback or after a lost connection: nothing more reaches the callbacks.
        m_eventIntake.stop();
        m_frameIntake.stop();
    } else {
        // What arrived before the stop is still decoded, paired and recorded.
        m_eventIntake.finish();
        m_frameIntake.finish();
    }
    if (m_eventThread.joinable() && m_eventThreadId.load() != std::this_thread::get_id()) {
        m_eventThread.join();
    }
    m_frameTimes.close();
    if (m_fusionThread.joinable() && m_fusionThreadId.load() != std::this_thread::get_id()) {
        m_fusionThread.join();
    }
    m_statisticThread.stop();
    m_batcher.close();
    stopRecording(DVS_APS_STREAM);
    deviceWait(kStopSettle);
    const FusionStreamStatistics counts = getStreamStatistics();
    if (counts.framesDropped > 0 || counts.eventBuffersDropped > 0) {
        TARVO_LOG(log::kWarning, "Camera %s lost %llu frames and %llu raw event buffers in this run",
                  m_description.serial.c_str(), static_cast<unsigned long long>(counts.framesDropped),
                  static_cast<unsigned long long>(counts.eventBuffersDropped));
    }
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopDone = true;
    }
    m_stopDoneCondition.notify_all();
}

void DuetCamera::joinEndedThreads()
{
    if (m_running == 1) {
        return; // live threads are stop()'s to end
    }
    {
        std::unique_lock<std::mutex> lock(m_stopMutex);
        m_stopDoneCondition.wait(lock, [this] { return m_stopDone; });
    }
    if (m_eventThread.joinable()) {
        m_eventThread.join();
    }
    if (m_fusionThread.joinable()) {
        m_fusionThread.join();
    }
    m_statisticThread.join();
}

void DuetCamera::refuseOnOwnThreads(const char* operation) const
{
    if (onOwnThread()) {
        throw std::logic_error(std::string(operation) + " cannot be called from the camera's own callbacks");
    }
}

bool DuetCamera::onOwnThread() const
{
    const auto self = std::this_thread::get_id();
    return m_eventThreadId.load() == self || m_fusionThreadId.load() == self ||
           m_statisticThread.isCurrentThread();
}

int DuetCamera::destroy()
{
    m_inited = false;
    return 0;
}

void DuetCamera::waitForThreadObjects()
{
    // start() creates the threads under this lock; a thread that may tear the run down (and so
    // look at the others' thread objects) waits until they are complete.
    std::lock_guard<std::mutex> created(m_threadsMutex);
}

void DuetCamera::eventLoop()
{
    nameThisThread("tarvo-dvs");
    m_eventThreadId = std::this_thread::get_id();
    waitForThreadObjects();
    try {
        while (const auto buffer = m_eventIntake.next()) {
            takeEventBuffer(*buffer);
        }
        if (m_eventIntake.deviceLost()) {
            // What arrived before the device went is decoded; then the camera stops itself.
            TARVO_LOG(log::kInfo, "Duet loss connection.");
            destroy();
            stopStreaming();
        }
    } catch (const std::exception& error) {
        TARVO_LOG(log::kError, "Camera %s event stream thread failed: %s", m_description.serial.c_str(),
                  error.what());
        stopStreaming();
    }
    m_eventThreadId = std::thread::id();
}

void DuetCamera::takeEventBuffer(std::vector<uint8_t>& buffer)
{
    // The device sends every 32-bit word byte-reversed.
    convertEndian(buffer);
    m_recording.pushEvents(buffer);
    m_decoder->decode(buffer);
    m_streamTime = m_decoder->getLastTimestamp();
}

void DuetCamera::triggerArrived(const EventTriggerIn& trigger)
{
    const auto count = static_cast<unsigned long long>(m_triggerCount);
    const auto time = static_cast<unsigned long long>(trigger.timestamp);
    switch (trigger.polarity) {
    case 0:
        TARVO_LOG(log::kDetail, "Trigger cnt: %llu, p: %d, ts: %llu.", count, 0, time);
        dispatchSyncSignal(trigger);
        return;
    case 1: {
        TARVO_LOG(log::kDetail, "Trigger cnt: %llu, p: %d, ts: %llu.", count, 1, time);
        if (m_triggerCount == 0) {
            // The edge of the frame the sensor discards after switching on.
            m_triggerCount = 1;
            return;
        }
        FrameTimeQueue::Times times;
        int exposure = 0;
        if (m_apsCtrlTool && m_apsCtrlTool->getParam("exposure_time", exposure)) {
            times.start = trigger.timestamp - static_cast<uint64_t>(exposure) - kEdgeToExposureEnd;
            times.end = times.start + static_cast<uint64_t>(exposure) + kExposureToFrameEnd;
            m_decoder->setFrameEndTimestamp(times.end);
        } else {
            TARVO_LOG(log::kError, "Get aps exposure time failed.");
        }
        m_frameTimes.push(times);
        return;
    }
    case 2: {
        // The decoder reached a frame's end: the sync signal of that frame.
        EventTriggerIn frameEnd = trigger;
        frameEnd.polarity = 1;
        ++m_triggerCount;
        dispatchSyncSignal(frameEnd);
        return;
    }
    default:
        dispatchSyncSignal(trigger);
    }
}

void DuetCamera::fusionLoop()
{
    nameThisThread("tarvo-fusion");
    m_fusionThreadId = std::this_thread::get_id();
    waitForThreadObjects();
    try {
        uint64_t arrival = 0;
        while (const auto frame = m_frameIntake.next(arrival)) {
            TARVO_LOG(log::kDetail, "aps frame cnt: %llu", static_cast<unsigned long long>(arrival));
            const auto times = m_frameTimes.take(arrival);
            if (!times || frame->size() != Imx415Sensor::frameBytes) {
                // No edge for it, or not a whole frame: nothing can be said about it.
                ++m_framesUnpaired;
                continue;
            }
            deliverFrame(frame, *times);
        }
    } catch (const std::exception& error) {
        TARVO_LOG(log::kError, "Camera %s fusion thread failed: %s", m_description.serial.c_str(),
                  error.what());
        stopStreaming();
    }
    m_fusionThreadId = std::thread::id();
}

void DuetCamera::deliverFrame(const BufferIntake::Buffer& frame, const FrameTimeQueue::Times& times)
{
    // The recording first: the RAW file starts taking events once it has its first frame.
    m_recording.pushFrame(frame, times.end);
    if (hasFrameCallbacks()) {
        if (!m_colourConverter) {
            m_colourConverter = std::make_unique<DataToVideoConverter>();
            m_colourConverter->setConverterFmt(AV_PIX_FMT_NV12, AV_PIX_FMT_BGR24);
            m_colourConverter->setConverterFrameSize(kFrameHeight, kFrameWidth, kFrameHeight, kFrameWidth);
            m_bgrFrame.assign(kBgrBytes, 0);
        }
        m_colourConverter->nv12ToRGB(frame->data(), m_bgrFrame.data());
        dispatchFrame(ApsFrame(kFrameWidth, kFrameHeight, times.start, times.end, m_bgrFrame.data(),
                               m_bgrFrame.size(), false));
    }
    ++m_framesDelivered;
}

void DuetCamera::statisticTick()
{
    waitForThreadObjects();
    const FusionStreamStatistics counts = getStreamStatistics();
    const uint64_t lost = counts.framesDropped + counts.eventBuffersDropped;
    if (lost > m_dropsReported) {
        TARVO_LOG(log::kWarning, "Camera %s: %llu frames and %llu raw event buffers lost so far",
                  m_description.serial.c_str(), static_cast<unsigned long long>(counts.framesDropped),
                  static_cast<unsigned long long>(counts.eventBuffersDropped));
        m_dropsReported = lost;
    }
    m_statistics.report(*m_decoder);
}

void DuetCamera::setStatisticInfoCallback(StatisticInfoCallback callback)
{
    m_statistics.set(std::move(callback));
}

FusionStreamStatistics DuetCamera::getStreamStatistics() const
{
    FusionStreamStatistics counts;
    counts.framesDelivered = m_framesDelivered;
    counts.frameTimesDropped = m_frameTimes.droppedCount();
    counts.recordedFramesDropped = m_recording.droppedFrames();
    counts.framesReceived = m_frameIntake.arrivals();
    counts.framesDropped = m_framesUnpaired + m_frameIntake.droppedBuffers();
    counts.eventBuffersDropped = m_eventIntake.droppedBuffers();
    std::lock_guard<std::mutex> lock(m_deviceMutex);
    if (m_frameSensor) {
        const uint64_t transportDrops = m_frameSensor->getDroppedBufferCount() - m_frameDropsAtStart;
        counts.framesReceived += transportDrops;
        counts.framesDropped += transportDrops;
    }
    if (m_eventSensor) {
        counts.eventBuffersDropped += m_eventSensor->getDroppedBufferCount() - m_eventDropsAtStart;
    }
    return counts;
}

int DuetCamera::startRecording(std::string directory, std::string name, STREAM_TYPE type)
{
    if (!m_inited) {
        TARVO_LOG(log::kError, "Camera is not inited");
        return -1;
    }
    std::optional<CalibratorParameters> calibration;
    {
        std::lock_guard<std::mutex> lock(m_calibrationMutex);
        if (m_calibrationValid) {
            calibration = m_calibration;
        }
    }
    return m_recording.start(directory, name, type, calibration, [this] { return m_streamTime.load(); });
}

int DuetCamera::stopRecording(STREAM_TYPE type)
{
    return m_recording.stop(type);
}

bool DuetCamera::readCalibrationParam(CalibratorParameters& params)
{
    std::shared_ptr<Interface> transport;
    {
        std::lock_guard<std::mutex> lock(m_deviceMutex);
        transport = m_transport;
    }
    std::vector<uint8_t> block;
    if (!transport || !transport->readCalibration(block) || !jsonDataToParam(block, params)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_calibrationMutex);
    m_calibration = params;
    m_calibrationValid = true;
    return true;
}

bool DuetCamera::writeCalibrationFile(std::string path)
{
    std::shared_ptr<Interface> transport;
    {
        std::lock_guard<std::mutex> lock(m_deviceMutex);
        transport = m_transport;
    }
    if (!transport || !transport->writeCalibration(path)) {
        return false;
    }
    // Later recordings carry what the camera now stores.
    CalibratorParameters stored;
    readCalibrationParam(stored);
    return true;
}

std::shared_ptr<RegisterController> DuetCamera::frameRegisters() const
{
    std::lock_guard<std::mutex> lock(m_deviceMutex);
    return m_apsRegisters;
}

bool DuetCamera::readTextBlock(const char* reg, std::string& text)
{
    const auto registers = frameRegisters();
    uint8_t block[kTextBlockBytes] = {};
    if (!registers || registers->readRegisterWithControlTransfer(reg, block, sizeof block) != 0) {
        return false;
    }
    text.assign(reinterpret_cast<const char*>(block),
                strnlen(reinterpret_cast<const char*>(block), sizeof block));
    return true;
}

bool DuetCamera::getFirmwareVersion(std::string& version)
{
    if (!readTextBlock("firmware_version", version)) {
        TARVO_LOG(log::kError, "Failed to get firmware version.");
        return false;
    }
    TARVO_LOG(log::kInfo, "Firmware version: %s", version.c_str());
    return true;
}

bool DuetCamera::getSerialNumber(std::string& serial)
{
    if (!readTextBlock("usb_serialnumber", serial)) {
        TARVO_LOG(log::kError, "Failed to get Serial number.");
        return false;
    }
    TARVO_LOG(log::kInfo, "Serial number: %s", serial.c_str());
    return true;
}

bool DuetCamera::setSerialNumber(std::string serial)
{
    if (serial.size() >= kTextBlockBytes) {
        TARVO_LOG(log::kError, "Serial number length must less than 64.");
        return false;
    }
    uint8_t block[kTextBlockBytes] = {};
    std::memcpy(block, serial.data(), serial.size());
    const auto registers = frameRegisters();
    if (!registers ||
        registers->writeRegisterDataWithControlTransfer("usb_serialnumber", block, sizeof block) != 0) {
        TARVO_LOG(log::kError, "Failed to set Serial number.");
        return false;
    }
    TARVO_LOG(log::kInfo, "Set Serial number: %s", serial.c_str());
    return true;
}

} // namespace tarvo
