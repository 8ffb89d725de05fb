#include "TarvoDriver/Mp4FileReader.h"

#include "DriverLog.h"
#include "TarvoBase/Converters.h"
#include "tools/FfmpegHandles.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/Mp4FileReader";
// Frames read while looking for one by time before giving up on a file that never yields it.
constexpr int kMaxSearchReads = 100000;

using namespace log;
using namespace ffmpeg;

struct PictureFree
{
    void operator()(uint8_t* data) const { av_freep(&data); }
};

} // namespace

struct Mp4FileReader::Private
{
    InputContextPtr formatContext;
    int videoStreamIndex = -1;
    CodecContextPtr decoderContext;
    SwsContext* scaler = nullptr; // cached context, remade when a frame's format or size differs
    std::unique_ptr<uint8_t, PictureFree> bgrPicture;
    int bgrLinesize[4] = {};
    uint8_t* bgrPlanes[4] = {};
    PacketPtr packet{av_packet_alloc()};
    FramePtr decodedFrame;

    ~Private() { sws_freeContext(scaler); }

    AVStream* stream() const { return formatContext->streams[videoStreamIndex]; }
};

Mp4FileReader::Mp4FileReader(const std::string& path)
    : m_filePath(path), m_private(std::make_unique<Private>())
{
}

Mp4FileReader::~Mp4FileReader() = default;

uint64_t Mp4FileReader::toMicroseconds(int64_t streamTime) const
{
    const AVRational base = m_private->stream()->time_base;
    const double us = static_cast<double>(streamTime) * base.num / base.den * 1000000.0;
    return us > 0 ? static_cast<uint64_t>(us) : 0;
}

int64_t Mp4FileReader::toStreamTime(uint64_t microseconds) const
{
    return av_rescale_q(static_cast<int64_t>(microseconds), AVRational{1, 1000000},
                        m_private->stream()->time_base);
}

bool Mp4FileReader::loadFile()
{
    Private& p = *m_private;
    ffmpeg::quietLibraryLog();
    AVFormatContext* context = avformat_alloc_context();
    if (!context) {
        return false;
    }
    // On failure avformat_open_input frees the context itself.
    if (avformat_open_input(&context, local8bitToUtf8(m_filePath).c_str(), nullptr, nullptr) < 0) {
        return false;
    }
    p.formatContext.reset(context);
    if (avformat_find_stream_info(context, nullptr) < 0) {
        return false;
    }
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            p.videoStreamIndex = static_cast<int>(i);
        }
    }
    if (p.videoStreamIndex < 0) {
        TARVO_LOG(kError, "No video stream found!");
        return false;
    }
    const AVCodecParameters* parameters = p.stream()->codecpar;
    if (parameters->width <= 0 || parameters->height <= 0 || parameters->width > 0xFFFF ||
        parameters->height > 0xFFFF) {
        TARVO_LOG(kError, "The video stream has no usable picture size (%d x %d).", parameters->width,
                  parameters->height);
        return false;
    }
    width = static_cast<uint16_t>(parameters->width);
    height = static_cast<uint16_t>(parameters->height);

    p.decodedFrame.reset(av_frame_alloc());
    if (!p.decodedFrame ||
        av_image_alloc(p.bgrPlanes, p.bgrLinesize, width, height, AV_PIX_FMT_BGR24, 1) < 0) {
        TARVO_LOG(kError, "Could not allocate the picture buffers.");
        return false;
    }
    p.bgrPicture.reset(p.bgrPlanes[0]);

    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder) {
        TARVO_LOG(kError, "No decoder for the video stream of %s.", m_filePath.c_str());
        return false;
    }
    p.decoderContext.reset(avcodec_alloc_context3(decoder));
    if (p.decoderContext) {
        // Frame threads would hold pictures back until later packets arrive; a reader that
        // hands out one picture per packet needs them at once.
        p.decoderContext->thread_type = FF_THREAD_SLICE;
    }
    if (!p.decoderContext || avcodec_parameters_to_context(p.decoderContext.get(), parameters) < 0 ||
        avcodec_open2(p.decoderContext.get(), decoder, nullptr) < 0) {
        TARVO_LOG(kError, "Could not open the video decoder of %s.", m_filePath.c_str());
        return false;
    }
    avcodec_flush_buffers(p.decoderContext.get());
    readFrameTimestamps();
    return true;
}

bool Mp4FileReader::readFrameTimestamps()
{
    Private& p = *m_private;
    m_frameTimestamps.clear();
    FramePtr scratch(av_frame_alloc());
    if (!scratch) {
        TARVO_LOG(kError, "Failed to allocate AVFrame");
        return false;
    }
    const auto collect = [&] {
        while (avcodec_receive_frame(p.decoderContext.get(), scratch.get()) >= 0) {
            const int64_t time =
                scratch->pts != AV_NOPTS_VALUE ? scratch->pts : scratch->best_effort_timestamp;
            if (time != AV_NOPTS_VALUE) {
                m_frameTimestamps.push_back(toMicroseconds(time));
            }
            av_frame_unref(scratch.get());
        }
    };
    while (av_read_frame(p.formatContext.get(), p.packet.get()) >= 0) {
        if (p.packet->stream_index == p.videoStreamIndex &&
            avcodec_send_packet(p.decoderContext.get(), p.packet.get()) >= 0) {
            collect();
        }
        av_packet_unref(p.packet.get());
    }
    // Frames the decoder still holds (reordered pictures) belong to the file too.
    if (avcodec_send_packet(p.decoderContext.get(), nullptr) >= 0) {
        collect();
    }
    avcodec_flush_buffers(p.decoderContext.get());
    if (m_frameTimestamps.empty()) {
        return false;
    }
    av_seek_frame(p.formatContext.get(), p.videoStreamIndex, toStreamTime(m_frameTimestamps.front()),
                  AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(p.decoderContext.get());
    return true;
}

bool Mp4FileReader::getTimeStamps(std::vector<uint64_t>& timestamps)
{
    timestamps = m_frameTimestamps;
    return true;
}

enum class Mp4FileReader::ReadResult
{
    Frame,
    NoFrame,
    End
};

bool Mp4FileReader::getNextFrame(ApsFrame& out)
{
    return readFrame(out) == ReadResult::Frame;
}

Mp4FileReader::ReadResult Mp4FileReader::readFrame(ApsFrame& out)
{
    Private& p = *m_private;
    if (!p.formatContext || !p.decoderContext || !p.bgrPicture) {
        return ReadResult::End;
    }
    bool sent = false;
    ReadResult result = ReadResult::NoFrame;
    if (av_read_frame(p.formatContext.get(), p.packet.get()) < 0) {
        // At the end of the file the decoder gives up the pictures it still holds; asking
        // again once it is drained only repeats its end-of-stream answer.
        avcodec_send_packet(p.decoderContext.get(), nullptr);
        sent = true;
        result = ReadResult::End;
    } else if (p.packet->stream_index == p.videoStreamIndex) {
        sent = avcodec_send_packet(p.decoderContext.get(), p.packet.get()) >= 0;
    }
    if (sent && avcodec_receive_frame(p.decoderContext.get(), p.decodedFrame.get()) >= 0) {
        AVFrame* frame = p.decodedFrame.get();
        p.scaler = sws_getCachedContext(p.scaler, frame->width, frame->height,
                                        static_cast<AVPixelFormat>(frame->format), width, height,
                                        AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (p.scaler) {
            sws_scale(p.scaler, frame->data, frame->linesize, 0, frame->height, p.bgrPlanes, p.bgrLinesize);
            const int64_t pts = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
            const uint64_t time = pts != AV_NOPTS_VALUE ? toMicroseconds(pts) : 0;
            out = ApsFrame(width, height, time, time, p.bgrPlanes[0], static_cast<size_t>(width) * height * 3,
                           false);
            result = ReadResult::Frame;
        }
        av_frame_unref(frame);
    }
    av_packet_unref(p.packet.get());
    return result;
}

bool Mp4FileReader::getFrameGivenTimeStamp(uint64_t time, ApsFrame& out)
{
    Private& p = *m_private;
    const auto after = std::upper_bound(m_frameTimestamps.begin(), m_frameTimestamps.end(), time);
    if (after == m_frameTimestamps.begin()) {
        return false;
    }
    const uint64_t wanted = *(after - 1);
    TARVO_LOG(kInfo, "Seek to time: %lld", static_cast<long long>(wanted));
    if (av_seek_frame(p.formatContext.get(), p.videoStreamIndex, toStreamTime(wanted), AVSEEK_FLAG_BACKWARD) <
        0) {
        TARVO_LOG(kError, "Seek frame failed!");
        return false;
    }
    avcodec_flush_buffers(p.decoderContext.get());
    // Packets of other streams, and pictures the decoder still needs input for, yield no
    // frame without ending the search; only the end of the file does.
    ApsFrame frame(0, 0, 0, 0, nullptr, 0, false);
    for (int reads = 0; reads < kMaxSearchReads; ++reads) {
        const ReadResult result = readFrame(frame);
        if (result == ReadResult::End) {
            return false;
        }
        if (result == ReadResult::NoFrame) {
            continue;
        }
        if (frame.getStartTimestamp() >= wanted) {
            out = frame;
            return true;
        }
        TARVO_LOG(kInfo, "Skip frame: %lld", static_cast<long long>(frame.getStartTimestamp()));
    }
    return false;
}

bool Mp4FileReader::getNFrame(int index, ApsFrame& out)
{
    if (index < 0 || static_cast<size_t>(index) >= m_frameTimestamps.size()) {
        return false;
    }
    return getFrameGivenTimeStamp(m_frameTimestamps[static_cast<size_t>(index)], out);
}

bool Mp4FileReader::seekTime(uint64_t time)
{
    Private& p = *m_private;
    const auto after = std::upper_bound(m_frameTimestamps.begin(), m_frameTimestamps.end(), time);
    if (after == m_frameTimestamps.end()) {
        return false;
    }
    const uint64_t target = after == m_frameTimestamps.begin() ? m_frameTimestamps.front() : *(after - 1);
    if (av_seek_frame(p.formatContext.get(), p.videoStreamIndex, toStreamTime(target), AVSEEK_FLAG_BACKWARD) <
        0) {
        TARVO_LOG(kError, "Seek frame failed!");
        return false;
    }
    TARVO_LOG(kInfo, "Seek to time: %lld", static_cast<long long>(target));
    return true;
}

} // namespace tarvo
