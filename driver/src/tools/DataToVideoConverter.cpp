#include "TarvoDriver/DataToVideoConverter.h"

#include "DriverLog.h"
#include "FfmpegHandles.h"
#include "H264EncoderChoice.h"
#include "TarvoBase/Converters.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <cstdio>
#include <cstring>
#include <tuple>
#include <vector>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/tools/DataToVideoConverter";
constexpr int64_t kAutomaticPtsStep = 33333; // one picture at 30 per second, in µs
constexpr int64_t kBitRate = 60000000;

using namespace log;
using namespace ffmpeg;

const AVCodec* find_preferred_h264_encoder()
{
    std::vector<const AVCodec*> codecs;
    std::vector<EncoderCandidate> candidates;
    void* iterator = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&iterator)) {
        codecs.push_back(codec);
        candidates.push_back(
            {codec->name ? codec->name : "", av_codec_is_encoder(codec) && codec->id == AV_CODEC_ID_H264});
    }
    const int chosen = preferredH264Encoder(candidates);
    return chosen < 0 ? nullptr : codecs[static_cast<size_t>(chosen)];
}

} // namespace

struct DataToVideoConverter::Private
{
    OutputContextPtr formatContext;
    CodecContextPtr codecContext;
    AVStream* videoStream = nullptr; // owned by formatContext
    const AVCodec* videoCodec = nullptr;
    ScalerPtr scaler;
    AVPixelFormat srcFormat = AV_PIX_FMT_NONE;
    AVPixelFormat dstFormat = AV_PIX_FMT_NONE;
    int dstWidth = 3840;
    int dstHeight = 2160;
    int srcWidth = 3840;
    int srcHeight = 2160;
    int fps = 30;
    AVRational timeBase{1, 1000000};
    // 64-bit: a 32-bit microsecond clock would wrap after about 35.8 minutes of video.
    int64_t nextPts = 0;
    FramePtr encoderFrame;
    FramePtr sourceFrame;
    PacketPtr packet{av_packet_alloc()};
    CodecContextPtr jpegContext;
    std::string jpegOutputPath;
    int64_t jpegPictures = 0;
    std::string encoderPreset;

    void makeScaler();
    int openVideoEncoder();
    void assignPts(int64_t pts);
    // Sends encoderFrame (or the end marker when null) and writes what comes out; returns
    // the final receive status, or a negative error.
    int encodeAndWrite(AVFrame* frame, bool& receiveFailed);
    int writePacket();
};

void DataToVideoConverter::Private::makeScaler()
{
    scaler.reset();
    if (srcFormat == AV_PIX_FMT_NONE || dstFormat == AV_PIX_FMT_NONE || srcWidth <= 0 || srcHeight <= 0 ||
        dstWidth <= 0 || dstHeight <= 0) {
        return;
    }
    scaler.reset(sws_getContext(srcWidth, srcHeight, srcFormat, dstWidth, dstHeight, dstFormat, SWS_POINT,
                                nullptr, nullptr, nullptr));
    if (!scaler) {
        TARVO_LOG(kError, "Could not create the picture scaler.");
    }
}

int DataToVideoConverter::Private::openVideoEncoder()
{
    codecContext.reset(avcodec_alloc_context3(videoCodec));
    if (!codecContext) {
        return -1;
    }
    AVCodecContext* context = codecContext.get();
    context->width = dstWidth;
    context->height = dstHeight;
    context->pix_fmt = dstFormat;
    context->time_base = timeBase;
    context->framerate = AVRational{fps, 1};
    context->gop_size = 1;
    context->keyint_min = 1;
    context->bit_rate = kBitRate;
    // MP4 keeps the parameter sets in the container header.
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (!encoderPreset.empty() && av_opt_set(context->priv_data, "preset", encoderPreset.c_str(), 0) < 0) {
        TARVO_LOG(kWarning, "The encoder %s has no preset %s", videoCodec->name, encoderPreset.c_str());
    }
    return avcodec_open2(context, videoCodec, nullptr) < 0 ? -1 : 0;
}

void DataToVideoConverter::Private::assignPts(int64_t pts)
{
    if (pts == -1) {
        encoderFrame->pts = nextPts;
        sourceFrame->pts = nextPts;
        nextPts += kAutomaticPtsStep;
    } else {
        encoderFrame->pts = pts;
        sourceFrame->pts = pts;
        // An automatic time right after an explicit one must not repeat it: the muxer would
        // refuse the second picture and it would be lost.
        nextPts = pts + kAutomaticPtsStep;
    }
}

int DataToVideoConverter::Private::writePacket()
{
    if (packet->duration <= 0) {
        // Without a duration the container's edit list ends at the last picture's start and
        // players drop that picture.
        packet->duration = 1000000 / fps;
    }
    av_packet_rescale_ts(packet.get(), codecContext->time_base, videoStream->time_base);
    packet->stream_index = videoStream->index;
    const int written = av_interleaved_write_frame(formatContext.get(), packet.get());
    av_packet_unref(packet.get());
    return written;
}

int DataToVideoConverter::Private::encodeAndWrite(AVFrame* frame, bool& receiveFailed)
{
    receiveFailed = false;
    if (avcodec_send_frame(codecContext.get(), frame) < 0) {
        return -1;
    }
    for (;;) {
        const int received = avcodec_receive_packet(codecContext.get(), packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return received;
        }
        if (received < 0) {
            receiveFailed = true;
            return -1;
        }
        writePacket();
    }
}

DataToVideoConverter::DataToVideoConverter() : m_private(std::make_unique<Private>())
{
    quietLibraryLog();
}

DataToVideoConverter::~DataToVideoConverter() = default;

void DataToVideoConverter::setConverterFmt(AVPixelFormat src, AVPixelFormat dst)
{
    m_private->srcFormat = src;
    m_private->dstFormat = dst;
    m_private->makeScaler();
}

void DataToVideoConverter::setConverterFrameSize(int srcHeight, int srcWidth, int dstHeight, int dstWidth)
{
    Private& p = *m_private;
    p.srcHeight = srcHeight;
    p.srcWidth = srcWidth;
    p.dstHeight = dstHeight;
    p.dstWidth = dstWidth;
    p.makeScaler();
}

void DataToVideoConverter::setEncoderPreset(const std::string& preset)
{
    m_private->encoderPreset = preset;
}

int DataToVideoConverter::initVideoConverter()
{
    Private& p = *m_private;
    p.videoCodec = find_preferred_h264_encoder();
    if (!p.videoCodec) {
        TARVO_LOG(kError, "H.264 encoder not found.");
        return -1;
    }
    TARVO_LOG(kInfo, "Using encoder: %s", p.videoCodec->name);
    if (p.openVideoEncoder() < 0) {
        p.codecContext.reset();
        TARVO_LOG(kError, "Could not open codec.");
        return -1;
    }

    for (auto [frame, format, width, height] :
         {std::tuple{&p.encoderFrame, p.dstFormat, p.dstWidth, p.dstHeight},
          std::tuple{&p.sourceFrame, p.srcFormat, p.srcWidth, p.srcHeight}}) {
        frame->reset(av_frame_alloc());
        if (!*frame) {
            TARVO_LOG(kError, "Could not allocate the video frame data");
            return -1;
        }
        (*frame)->format = format;
        (*frame)->width = width;
        (*frame)->height = height;
        if (av_frame_get_buffer(frame->get(), 32) < 0) {
            frame->reset();
            TARVO_LOG(kError, "Could not allocate the video frame data");
            return -1;
        }
    }

    const AVCodec* jpegCodec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (!jpegCodec) {
        TARVO_LOG(kError, "JPEG codec not found.");
        return -1;
    }
    p.jpegContext.reset(avcodec_alloc_context3(jpegCodec));
    if (!p.jpegContext) {
        TARVO_LOG(kError, "Could not allocate JPEG codec context.");
        return -1;
    }
    p.jpegContext->pix_fmt = AV_PIX_FMT_YUVJ420P;
    p.jpegContext->width = p.dstWidth;
    p.jpegContext->height = p.dstHeight;
    p.jpegContext->time_base = AVRational{1, 25};
    if (avcodec_open2(p.jpegContext.get(), jpegCodec, nullptr) < 0) {
        p.jpegContext.reset();
        TARVO_LOG(kError, "Could not open JPEG codec.");
        return -1;
    }
    av_packet_unref(p.packet.get());
    return 0;
}

int DataToVideoConverter::setOutputFile(const std::string& path)
{
    Private& p = *m_private;
    const std::string utf8Path = local8bitToUtf8(path);
    if (!p.codecContext) {
        TARVO_LOG(kError,
                  "setOutputFile: codec_ctx_ not initialized. Please call initVideoConverter() first.");
        return -1;
    }
    p.formatContext.reset();
    p.videoStream = nullptr;

    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, "mp4", utf8Path.c_str()) < 0 || !context) {
        TARVO_LOG(kError, "Failed to allocate output format context.");
        return -1;
    }
    OutputContextPtr output(context);
    AVStream* stream = avformat_new_stream(context, nullptr);
    if (!stream) {
        TARVO_LOG(kError, "Failed to create new stream.");
        return -1;
    }
    if (avcodec_parameters_from_context(stream->codecpar, p.codecContext.get()) < 0) {
        TARVO_LOG(kError, "Failed to copy codec parameters to stream.");
        return -1;
    }
    stream->time_base = p.codecContext->time_base;
    // Always a plain file: a name with a colon ("12:30.mp4") must not pick an FFmpeg protocol.
    if (avio_open(&context->pb, ("file:" + utf8Path).c_str(), AVIO_FLAG_WRITE) < 0) {
        TARVO_LOG(kError, "Could not open output file: %s", path.c_str());
        return -1;
    }
    if (avformat_write_header(context, nullptr) < 0) {
        TARVO_LOG(kError, "Failed to write video header.");
        return -1;
    }
    p.formatContext = std::move(output);
    p.videoStream = stream;
    TARVO_LOG(kInfo, "Output file set to: %s", path.c_str());
    return 0;
}

int DataToVideoConverter::nv12ToVideo(const uint8_t* nv12, int64_t pts)
{
    Private& p = *m_private;
    if (p.srcFormat != AV_PIX_FMT_NV12) {
        TARVO_LOG(kError, "Sws scale fmt is not AV_PIX_FMT_NV12");
        return -1;
    }
    if (!nv12 || !p.scaler || !p.encoderFrame || !p.formatContext) {
        TARVO_LOG(kError, "nv12ToVideo: the converter has no open output file.");
        return -1;
    }
    const uint8_t* planes[2] = {nv12, nv12 + static_cast<size_t>(p.srcWidth) * p.srcHeight};
    const int strides[2] = {p.srcWidth, p.srcWidth};
    if (av_frame_make_writable(p.encoderFrame.get()) < 0) {
        return -1;
    }
    sws_scale(p.scaler.get(), planes, strides, 0, p.srcHeight, p.encoderFrame->data,
              p.encoderFrame->linesize);
    p.assignPts(pts);
    bool receiveFailed = false;
    const int status = p.encodeAndWrite(p.encoderFrame.get(), receiveFailed);
    if (status == -1 && !receiveFailed) {
        TARVO_LOG(kError, "Error sending a frame for encoding");
    }
    return status;
}

int DataToVideoConverter::rgbToVideo(const uint8_t* bgr, int64_t pts)
{
    Private& p = *m_private;
    if (p.srcFormat != AV_PIX_FMT_BGR24) {
        TARVO_LOG(kError, "Sws scale fmt is not AV_PIX_FMT_BGR24");
        return -1;
    }
    if (!bgr || !p.scaler || !p.sourceFrame || !p.encoderFrame || !p.formatContext) {
        TARVO_LOG(kError, "rgbToVideo: the converter has no open output file.");
        return -1;
    }
    if (av_frame_make_writable(p.sourceFrame.get()) < 0 || av_frame_make_writable(p.encoderFrame.get()) < 0) {
        return -1;
    }
    const size_t rowBytes = static_cast<size_t>(p.srcWidth) * 3;
    for (int row = 0; row < p.srcHeight; ++row) {
        std::memcpy(p.sourceFrame->data[0] + static_cast<ptrdiff_t>(row) * p.sourceFrame->linesize[0],
                    bgr + row * rowBytes, rowBytes);
    }
    sws_scale(p.scaler.get(), p.sourceFrame->data, p.sourceFrame->linesize, 0, p.srcHeight,
              p.encoderFrame->data, p.encoderFrame->linesize);
    p.assignPts(pts);
    bool receiveFailed = false;
    const int status = p.encodeAndWrite(p.encoderFrame.get(), receiveFailed);
    if (status == -1) {
        TARVO_LOG(kError, receiveFailed ? "Error during encoding" : "Error sending a frame for encoding");
        return -1;
    }
    return 0;
}

int DataToVideoConverter::nv12ToRGB(const uint8_t* nv12, uint8_t* bgr)
{
    Private& p = *m_private;
    if (!nv12 || !bgr || !p.scaler || p.srcFormat != AV_PIX_FMT_NV12) {
        TARVO_LOG(kError, "nv12ToRGB: the converter is not set up from NV12.");
        return -1;
    }
    const uint8_t* planes[2] = {nv12, nv12 + static_cast<size_t>(p.srcWidth) * p.srcHeight};
    const int strides[2] = {p.srcWidth, p.srcWidth};
    uint8_t* outPlanes[1] = {bgr};
    const int outStrides[1] = {p.dstWidth * 3};
    sws_scale(p.scaler.get(), planes, strides, 0, p.srcHeight, outPlanes, outStrides);
    return 0;
}

int DataToVideoConverter::setJpegOutputPath(const std::string& folder)
{
    m_private->jpegOutputPath = folder;
    return 0;
}

int DataToVideoConverter::rgbToJpeg(const uint8_t* bgr, int64_t number)
{
    Private& p = *m_private;
    if (!bgr || !p.scaler || !p.encoderFrame || !p.jpegContext || p.srcFormat != AV_PIX_FMT_BGR24) {
        TARVO_LOG(kError, "rgbToJpeg: the converter is not set up for packed BGR pictures.");
        return -1;
    }
    if (av_frame_make_writable(p.encoderFrame.get()) < 0) {
        return -1;
    }
    const uint8_t* planes[1] = {bgr};
    const int strides[1] = {p.srcWidth * 3};
    sws_scale(p.scaler.get(), planes, strides, 0, p.srcHeight, p.encoderFrame->data,
              p.encoderFrame->linesize);
    // The encoder insists on rising timestamps, even for single pictures.
    p.encoderFrame->pts = p.jpegPictures++;
    if (avcodec_send_frame(p.jpegContext.get(), p.encoderFrame.get()) < 0) {
        TARVO_LOG(kError, "Failed to send frame to JPEG encoder.");
        return -1;
    }
    PacketPtr jpeg(av_packet_alloc());
    if (!jpeg || avcodec_receive_packet(p.jpegContext.get(), jpeg.get()) < 0) {
        TARVO_LOG(kError, "Failed to receive packet from JPEG encoder.");
        return -1;
    }
    const std::string path = p.jpegOutputPath + "/" + std::to_string(number) + ".jpg";
    TARVO_LOG(kInfo, "JPEG image saved as: %s", path.c_str());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        TARVO_LOG(kError, "Could not open output JPEG file.");
        return -1;
    }
    const size_t written = std::fwrite(jpeg->data, 1, static_cast<size_t>(jpeg->size), file);
    const bool closed = std::fclose(file) == 0;
    if (written != static_cast<size_t>(jpeg->size) || !closed) {
        TARVO_LOG(kError, "Could not write output JPEG file %s.", path.c_str());
        return -1;
    }
    return 0;
}

int DataToVideoConverter::flushAndCloseVideo()
{
    Private& p = *m_private;
    if (!p.formatContext || !p.codecContext || !p.videoStream) {
        TARVO_LOG(kError, "flushAndCloseVideo: Missing format or codec context.");
        return -1;
    }
    if (avcodec_send_frame(p.codecContext.get(), nullptr) < 0) {
        TARVO_LOG(kError, "Failed to send flush frame to encoder.");
        return -1;
    }
    for (;;) {
        const int received = avcodec_receive_packet(p.codecContext.get(), p.packet.get());
        if (received == AVERROR(EAGAIN)) {
            continue;
        }
        if (received == AVERROR_EOF) {
            break;
        }
        if (received < 0) {
            TARVO_LOG(kError, "Error receiving packet during flush: %d", received);
            return -1;
        }
        if (p.writePacket() < 0) {
            TARVO_LOG(kError, "Failed to write frame during flush.");
        }
    }
    const int trailer = av_write_trailer(p.formatContext.get());
    const int ioError = p.formatContext->pb ? p.formatContext->pb->error : 0;
    p.formatContext.reset();
    p.videoStream = nullptr;
    if (p.openVideoEncoder() < 0) {
        p.codecContext.reset();
        TARVO_LOG(kError, "Could not reopen codec after flush.");
        return -1;
    }
    if (trailer < 0 || ioError < 0) {
        // The file is incomplete; saying it was closed successfully would hide lost video.
        TARVO_LOG(kError, "Failed to finish the video file: %s",
                  errorText(trailer < 0 ? trailer : ioError).c_str());
        return -1;
    }
    TARVO_LOG(kInfo, "Video flushed and closed successfully.");
    return 0;
}

} // namespace tarvo
