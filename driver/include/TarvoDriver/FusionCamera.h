#pragma once

#include "TarvoBase/ApsFrame.h"
#include "TarvoBase/CalibratorParameters.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoDriver/DvsTypes.h"
#include "TarvoDriver/tarvodriver_export.h"
#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/CameraTool.h"
#include "TarvoHal/ToolInfo.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

class DvsCameraManager;

// What a fusion camera's streams have delivered and lost, counted from the last start() that
// started the stream concerned (recordedFramesDropped over the camera object's life). Still readable
// after stop().
struct FusionStreamStatistics
{
    uint64_t framesReceived = 0;        // frames taken from the transport, dropped ones included
    uint64_t framesDelivered = 0;       // frames paired with their times and handed on (callbacks, recording)
    uint64_t framesDropped = 0;         // frames lost: not taken in time, or left without their trigger edge
    uint64_t frameTimesDropped = 0;     // edges whose frame never came (only the event stream ran, say)
    uint64_t eventBuffersDropped = 0;   // raw event buffers lost because they were not taken in time
    uint64_t recordedFramesDropped = 0; // frames left out of recordings because the encoder fell behind
};

// A camera that delivers an event stream and a frame stream on one time base, handed out by
// DvsCameraManager::openFusionCamera.
//
// Life cycle: opened (initialised) → start(DVS_APS_STREAM) → stop(DVS_APS_STREAM). Each opening
// empties the three callback registries, so callbacks are added after opening. A camera that lost
// its connection stops itself and must be opened again.
//
// Streams: DVS_APS_STREAM runs both sensors and pairs every frame with its rising trigger edge
// (the first edge after a start announces a frame the sensor discards and is passed over), so a
// frame's start and end times are on the event clock. DVS_STREAM runs the event stream alone and
// APS_STREAM the frame sensor alone; neither delivers frames. stop(DVS_STREAM) and
// stop(APS_STREAM) switch one sensor off and leave the rest running; starting a stream type other
// than the running one, or one whose sensor was switched off, stops the run first.
//
// Threads: every public operation may be called from any application thread. While streaming the
// camera runs an intake thread per stream (raw buffers off the transport), an event stream thread
// (decoding, batching, event and sync-signal callbacks), a fusion thread (pairing, colour
// conversion, frame callbacks, recording hand-off) and a statistic thread; a frame encoder thread
// lives from the first recording to destruction and an event writer thread for each RAW recording.
// A callback may call stop(); start(), opening the camera and adding or removing callbacks of its
// own kind throw std::logic_error there. An exception a callback throws is logged and the stream
// goes on.
class TARVODRIVER_EXPORT FusionCamera
{
public:
    // Called on the event stream thread with a run of decoded events [first, last) in stream
    // order; the range is the decoder's own output, valid only during the call.
    using EventsCallback = std::function<void(Event2D* first, Event2D* last)>;
    // Called on the fusion thread with each frame: 3840 × 2160 packed BGR (3 bytes a pixel, rows of
    // 11 520 bytes), start and end of its exposure on the event clock. Every callback of a frame
    // sees the same pixel buffer, which the next frame overwrites: a callback that keeps the
    // picture takes clone(). The fusion thread converts a frame only while a callback is added.
    using ApsFrameCallback = std::function<void(ApsFrame)>;
    // Called on the event stream thread, in stream order with the events: falling edges of the
    // trigger input as they came, and the end of each frame's exposure as a record of polarity 1
    // at the frame's end time. Rising edges are taken for frame timing and not passed on.
    using SyncSignalCallback = std::function<void(EventTriggerIn)>;
    // Called on the statistic thread once a second while the event stream runs.
    using StatisticInfoCallback = std::function<void(VxStatisticInfo)>;

    explicit FusionCamera(const CameraDescription& description);
    FusionCamera(const FusionCamera&) = default;
    FusionCamera(FusionCamera&&) = default;
    FusionCamera& operator=(const FusionCamera&) = default;
    FusionCamera& operator=(FusionCamera&&) = default;

    // The virtual operations keep this order, the interface's layout; new ones go at the end.
    virtual bool isConnected() const = 0;
    // Ids count 0, 1, 2, … per registry and are never reused for the life of the camera.
    virtual uint32_t addEventsStreamHandleCallback(EventsCallback callback) = 0;
    virtual bool removeEventsStreamHandleCallback(uint32_t id) = 0;
    virtual uint32_t addApsFrameCallback(ApsFrameCallback callback) = 0;
    // True when the callback was registered; once this returns it is not called again.
    virtual bool removeApsFrameCallback(uint32_t id) = 0;
    virtual uint32_t addSyncSignalCallback(SyncSignalCallback callback) = 0;
    virtual bool removeSyncSignalCallback(uint32_t id) = 0;
    // As DvsCamera::getNextBatch, on the event stream.
    virtual bool getNextBatch(std::vector<Event2D>& events) = 0;
    virtual void setBatchEventsNum(uint64_t count) = 0;
    virtual void setBatchEventsTime(uint64_t us) = 0;
    // 0 when the streams run (also when this type already runs: "Camera already started."); -1
    // (logged) when the camera is not opened or a sensor does not start.
    virtual int start(STREAM_TYPE type) = 0;
    // 0. DVS_APS_STREAM ends everything, also recordings, after the device's settling waits
    // (100 ms after the event output is switched off, 2 s at the end).
    virtual int stop(STREAM_TYPE type) = 0;
    // Marks the camera as not opened (the streams are not stopped); returns 0.
    virtual int destroy() = 0;
    // Records into `directory` under the base name `name`: "name.raw" (the event stream; when
    // frames are recorded too it starts at the first recorded frame and its header begins with
    // the line "% aps_start_timestamp T", T the first frame's end time), "name.mp4" (the frames,
    // each at its end time minus T) and, when the camera's calibration is known, "name.json".
    // 0 on success; -1 (logged) when a file cannot be created or that stream is already being
    // recorded ("Do not save again while saving."), which leaves the running recording alone.
    virtual int startRecording(std::string directory, std::string name, STREAM_TYPE type) = 0;
    // Ends the recording of those streams. The RAW file is complete when this returns; the MP4
    // is finished by the encoder once the frames queued before are encoded (destruction waits
    // for that). 0, or -1 when the RAW file could not be written completely (logged).
    virtual int stopRecording(STREAM_TYPE type) = 0;
    // DVS_STREAM: 1280 × 720; APS_STREAM: 3840 × 2160; DVS_APS_STREAM: 0.
    virtual uint16_t getWidth(STREAM_TYPE type) = 0;
    virtual uint16_t getHeight(STREAM_TYPE type) = 0;
    // Replaces the statistic callback; takes effect at the next period.
    virtual void setStatisticInfoCallback(StatisticInfoCallback callback);
    // Stores the calibration JSON file at `path` in the camera; whether the camera took it.
    virtual bool writeCalibrationFile(std::string path) = 0;
    // The calibration stored in the camera; false (and `params` untouched) when there is none or
    // it cannot be read. Recordings write this calibration as their JSON file.
    virtual bool readCalibrationParam(CalibratorParameters& params) = 0;
    // The firmware text stored in the camera, for example "Duet_V1.7.10"; false when unreadable.
    virtual bool getFirmwareVersion(std::string& version) = 0;

protected:
    // Opens the device: 0 on success or when already initialised, -1 on failure.
    virtual int init() = 0;

public:
    virtual ~FusionCamera();

    // The serial number stored in the camera (at most 63 characters); false when unreadable.
    virtual bool getSerialNumber(std::string& serial) = 0;
    // Stores a serial number of at most 63 characters; false when longer or not taken.
    virtual bool setSerialNumber(std::string serial) = 0;
    virtual FusionStreamStatistics getStreamStatistics() const = 0;

    CameraDescription getDescription() const;

    // As DvsCamera's: the fusion camera's tools are types 0, 3, 4, 5, 6 and 7 (ApsCtrl).
    std::shared_ptr<CameraTool> getTool(ToolType type) const;
    std::shared_ptr<CameraTool> getTool(std::string name) const;
    ToolInfo getToolInfo(ToolType type) const;
    std::vector<ToolInfo> getAllToolsInfo() const;

    // As DvsCamera's, with the frame sensor's parameters under "ApsCtrl".
    bool exportCameraConfigParams(std::string path);
    bool loadCameraConfigParams(std::string path);

protected:
    using ToolMap = std::map<ToolType, std::shared_ptr<CameraTool>>;

    CameraDescription m_description;
    ToolMap m_tools;

private:
    friend class DvsCameraManager;
};

} // namespace tarvo
