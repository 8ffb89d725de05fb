#pragma once

#include "TarvoBase/ApsFrame.h"
#include "TarvoDriver/tarvodriver_export.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

// Reader of frame (APS) recordings. Frame times are microseconds from the recording's
// aps_start_timestamp. A reader is used by one thread at a time.
class TARVODRIVER_EXPORT ApsFileReader
{
public:
    // A reader for a path ending in ".mp4" (case-sensitive), otherwise none. The file is not
    // opened: call loadFile() next.
    static std::unique_ptr<ApsFileReader> createFileReader(const std::string& path);

    virtual ~ApsFileReader();
    ApsFileReader(const ApsFileReader&) = delete;
    ApsFileReader& operator=(const ApsFileReader&) = delete;

    virtual bool loadFile() = 0;
    virtual bool seekTime(uint64_t time) = 0;
    virtual bool getTimeStamps(std::vector<uint64_t>& timestamps) = 0;
    // The frame refers to the reader's picture buffer: clone it to keep it beyond the next read.
    virtual bool getNextFrame(ApsFrame& out) = 0;
    virtual bool getNFrame(int index, ApsFrame& out) = 0;
    virtual bool getFrameGivenTimeStamp(uint64_t time, ApsFrame& out) = 0;

    uint16_t getWidth() const { return width; }
    uint16_t getHeight() const { return height; }

protected:
    ApsFileReader() = default;

    uint16_t width = 3840;
    uint16_t height = 2160;
};

} // namespace tarvo
