#pragma once

#include "DriverTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::test {

// What FFmpeg itself reads from a video file.
struct VideoProbe
{
    bool opened = false;
    std::string codec;
    int width = 0;
    int height = 0;
    std::string pixelFormat;
    std::vector<int64_t> packetTimesUs; // presentation times of the video packets, ascending
    int keyPackets = 0;
};

VideoProbe probeVideo(const std::string& path);

// Writes an MP4 holding one short audio stream and no video.
bool writeAudioOnlyMp4(const std::string& path);

} // namespace tarvo::test
