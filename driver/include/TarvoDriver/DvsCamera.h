#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoDriver/DvsTypes.h"
#include "TarvoDriver/RecordingStatus.h"
#include "TarvoDriver/tarvodriver_export.h"
#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/CameraTool.h"
#include "TarvoHal/RawEventStreamFormat.h"
#include "TarvoHal/ToolInfo.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

class DvsCameraManager;

// An event camera as the application holds it, handed out by DvsCameraManager::openCamera.
//
// Life cycle: opened (initialised) → start() → stop(). A stopped camera needs opening again
// through the manager before it can start. Callbacks may be added before or while streaming.
//
// Threads: every public operation may be called from any application thread. While streaming
// the camera runs an intake thread (raw buffers off the transport), a stream thread (decoding,
// batching, event and trigger callbacks) and a statistic thread. A callback may call stop(); it
// must not call start() or open the camera (both throw std::logic_error there), and an exception
// it throws is logged without ending the stream.
class TARVODRIVER_EXPORT DvsCamera
{
public:
    // Called on the stream thread with a run of decoded events [first, last) in stream order, in
    // which a camera's time may step back a few µs. The range is the decoder's own output, valid
    // only during the call, and shared by every callback of the run. A callback must not add or
    // remove event callbacks of its camera (that throws std::logic_error).
    using EventsCallback = std::function<void(Event2D* first, Event2D* last)>;
    // Called on the stream thread with each trigger edge, by value, in stream order with the
    // events. A callback must not add or remove trigger callbacks of its camera.
    using TriggerInCallback = std::function<void(EventTriggerIn)>;
    // Called on the statistic thread once a second while the camera streams.
    using StatisticInfoCallback = std::function<void(VxStatisticInfo)>;

    explicit DvsCamera(const CameraDescription& description);
    DvsCamera(const DvsCamera&) = default;
    DvsCamera(DvsCamera&&) = default;
    DvsCamera& operator=(const DvsCamera&) = default;
    DvsCamera& operator=(DvsCamera&&) = default;

    // The virtual operations keep this order, the interface's layout; new ones go at the end.
    virtual bool isConnected() const = 0;
    // Ids count 0, 1, 2, … per registry and are never reused for the life of the camera.
    virtual uint32_t addEventsStreamHandleCallback(EventsCallback callback) = 0;
    virtual bool removeEventsStreamHandleCallback(uint32_t id) = 0;
    virtual uint32_t addTriggerInCallback(TriggerInCallback callback) = 0;
    virtual bool removeTriggerInCallback(uint32_t id) = 0;
    // Waits for the next batch completed after the call began and swaps it into `events`: true
    // with the batch (which may be empty in time mode), false at once when no batch mode is
    // set or the camera is not streaming, and false when stop() or a mode change ends the wait.
    // Only the newest batch is kept: one that nobody takes before the next is dropped.
    virtual bool getNextBatch(std::vector<Event2D>& events) = 0;
    // Batches of `count` events (0 is refused and logged).
    virtual void setBatchEventsNum(uint64_t count) = 0;
    // Batches of `us` microseconds of event time, one per window, empty ones included (0 is
    // refused and logged).
    virtual void setBatchEventsTime(uint64_t us) = 0;
    // 0 on success; throws std::runtime_error "Camera is not inited" when not opened.
    virtual int start() = 0;
    // 0 when stopped (or not running); -1 when a thread could not be joined.
    virtual int stop() = 0;
    // Records the raw stream to `path` (a RAW recording: header, then the stream as the camera
    // sent it). While caching, the file also holds the cached seconds before the start. 0 when
    // the recording began; -1 (logged, and in getRecordingStatus()) when the file cannot be
    // created, a recording runs already or the last one is still being saved.
    virtual int startRecording(std::string path) = 0;
    // Keeps the last `seconds` of stream in one-second files in `directory` (0 ends caching), so
    // that a recording started meanwhile holds them. A new number while caching changes nothing.
    virtual void setFileCacheTime(uint16_t seconds, std::string directory);
    // Ends the recording. A plain one is complete on return: 0, or -1 when it failed. A cached
    // one is saved in the background (getRecordingStatus() says Saving until it is done): 0.
    // -1 when no recording runs or a save is still under way.
    virtual int stopRecording() = 0;
    virtual uint16_t getWidth() = 0;
    virtual uint16_t getHeight() = 0;
    // Replaces the statistic callback; takes effect at the next period.
    virtual void setStatisticInfoCallback(StatisticInfoCallback callback);

private:
    // Opens the transport and brings the sensor up: 0 on success or when already initialised.
    virtual int init() = 0;

public:
    virtual ~DvsCamera();

private:
    virtual RawEventStreamFormat getRawEventStreamFormat() = 0;

public:
    // Raw buffers lost since the last start() because they were not taken in time, by the
    // transport or by the camera's own queue when the stream thread falls far behind; each is a
    // gap in the stream. Still readable after stop(); logged once a second while it grows.
    virtual uint64_t getDroppedBufferCount() const = 0;
    // What the recorder does now and how its last recording went (state, bytes, and a failure
    // with its reason: a file that could not be created or written, a disk too slow for the
    // stream). Any thread may ask, at any time.
    virtual RecordingStatus getRecordingStatus() const;

    CameraDescription getDescription() const;

    // The tool of that type; logs "Tool not found" (level 4) and returns empty when there is none.
    std::shared_ptr<CameraTool> getTool(ToolType type) const;
    // The first tool, in ascending type order, whose ToolInfo name is exactly `name`; or empty.
    std::shared_ptr<CameraTool> getTool(std::string name) const;
    // Throws std::runtime_error "Tool not found" (after logging it) when there is no such tool.
    ToolInfo getToolInfo(ToolType type) const;
    std::vector<ToolInfo> getAllToolsInfo() const;

    // Writes every parameter of every tool to a JSON file; false (logged) when it cannot.
    bool exportCameraConfigParams(std::string path);
    // Applies a JSON file written by exportCameraConfigParams, parameters in name order. False
    // (logged at level 4) when the file cannot be read or parsed, or when any parameter was
    // refused; the parameters that could be applied are applied in any case. Tools the camera
    // lacks are skipped with a warning and do not count as a failure.
    bool loadCameraConfigParams(std::string path);

protected:
    using ToolMap = std::map<ToolType, std::shared_ptr<CameraTool>>;

    CameraDescription m_description;
    ToolMap m_tools;

private:
    friend class DvsCameraManager;
};

} // namespace tarvo
