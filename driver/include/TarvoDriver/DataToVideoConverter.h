#pragma once

#include "TarvoDriver/tarvodriver_export.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <cstdint>
#include <memory>
#include <string>

namespace tarvo {

// H.264/MP4 and JPEG encoder for raw pictures: NV12 from a frame sensor or packed BGR from
// the event renderer. Timestamps are microseconds. Used by one thread at a time.
//
// Order of use for a video: setConverterFmt, setConverterFrameSize, initVideoConverter,
// setOutputFile, any number of nv12ToVideo/rgbToVideo, flushAndCloseVideo; then again
// setOutputFile ... flushAndCloseVideo for a further file with the same settings.
class TARVODRIVER_EXPORT DataToVideoConverter
{
public:
    DataToVideoConverter();
    ~DataToVideoConverter();
    DataToVideoConverter(const DataToVideoConverter&) = delete;
    DataToVideoConverter& operator=(const DataToVideoConverter&) = delete;

    void setConverterFmt(AVPixelFormat src, AVPixelFormat dst);
    // Heights before widths, source before destination.
    void setConverterFrameSize(int srcHeight, int srcWidth, int dstHeight, int dstWidth);
    // An H.264 encoder preset ("ultrafast" … "veryslow") for the next initVideoConverter(): faster
    // ones trade file size for speed. Empty (the default) keeps the encoder's own; encoders
    // without presets ignore it.
    void setEncoderPreset(const std::string& preset);
    int initVideoConverter();
    int setOutputFile(const std::string& path);
    // pts −1: the converter's own clock, one picture every 33333 µs.
    int nv12ToVideo(const uint8_t* nv12, int64_t pts);
    int rgbToVideo(const uint8_t* bgr, int64_t pts);
    int nv12ToRGB(const uint8_t* nv12, uint8_t* bgr);
    int setJpegOutputPath(const std::string& folder);
    int rgbToJpeg(const uint8_t* bgr, int64_t number);
    int flushAndCloseVideo();

private:
    struct Private;
    std::unique_ptr<Private> m_private;
};

} // namespace tarvo
