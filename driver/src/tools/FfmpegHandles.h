#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace tarvo::ffmpeg {

// Owners of FFmpeg objects, each freed by its matching function.
struct CodecContextFree
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFree
{
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
// An output context also owns the file it opened.
struct OutputContextFree
{
    void operator()(AVFormatContext* context) const
    {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&context->pb);
        }
        avformat_free_context(context);
    }
};
struct InputContextFree
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextFree>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextFree>;

// FFmpeg's text for an error code.
inline std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// FFmpeg's own informational chatter (encoder banners and statistics) would drown the
// driver's log; keep its errors only.
void quietLibraryLog();

} // namespace tarvo::ffmpeg
