#pragma once

#include "TarvoBase/EventTypes.h"
#include "TarvoDriver/RecordingStatus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

// Where an event camera hands its raw stream for recording. The camera's stream thread calls
// isActive() and, while it answers true, pushData() with every raw buffer exactly as the
// transport delivered it, before the buffer is decoded; the camera's start(), startRecording(),
// stopRecording() and setFileCacheTime() drive the rest from the application's threads. A
// recorder owns whatever threads it runs and joins them in its destructor.
class RawStreamRecorder
{
public:
    // The camera's current stream time in µs; any thread may call it.
    using Clock = std::function<uint64_t()>;

    virtual ~RawStreamRecorder() = default;

    // Both are given at every start() of the camera.
    virtual void setClock(Clock clock) = 0;
    virtual void setFileInfo(const DvsFileInfo& info) = 0;

    // Recording or caching.
    virtual bool isActive() const = 0;
    // Called on the stream thread; appends the bytes and returns at once.
    virtual void pushData(const std::vector<uint8_t>& bytes) = 0;

    // Keeps the last `seconds` of stream in one-second files in `directory`; 0 ends caching.
    virtual void setFileCacheTime(uint16_t seconds, const std::string& directory) = 0;
    // False (with the reason logged) when the recorder cannot take a recording now.
    virtual bool startRecording(const std::string& path, const DvsFileInfo& info) = 0;
    // False when there was nothing to stop or the recorder cannot stop now.
    virtual bool stopRecording() = 0;

    // What the recorder is doing and how its last recording went; any thread may ask.
    virtual RecordingStatus status() const { return {}; }
};

// The recorder each new camera gets.
std::unique_ptr<RawStreamRecorder> createRawStreamRecorder();

} // namespace tarvo
