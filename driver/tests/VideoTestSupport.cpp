#include "VideoTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>

namespace tarvo::test {

VideoProbe probeVideo(const std::string& path)
{
    VideoProbe probe;
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0) {
        return probe;
    }
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        const int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (index >= 0) {
            probe.opened = true;
            const AVStream* stream = context->streams[index];
            probe.codec = avcodec_get_name(stream->codecpar->codec_id);
            probe.width = stream->codecpar->width;
            probe.height = stream->codecpar->height;
            const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format));
            probe.pixelFormat = format ? format : "";
            AVPacket* packet = av_packet_alloc();
            while (av_read_frame(context, packet) >= 0) {
                if (packet->stream_index == index) {
                    probe.packetTimesUs.push_back(
                        av_rescale_q(packet->pts, stream->time_base, AVRational{1, 1000000}));
                    probe.keyPackets += (packet->flags & AV_PKT_FLAG_KEY) ? 1 : 0;
                }
                av_packet_unref(packet);
            }
            av_packet_free(&packet);
            std::sort(probe.packetTimesUs.begin(), probe.packetTimesUs.end());
        }
    }
    avformat_close_input(&context);
    return probe;
}

bool writeAudioOnlyMp4(const std::string& path)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    AVFormatContext* output = nullptr;
    if (!codec || avformat_alloc_output_context2(&output, nullptr, "mp4", path.c_str()) < 0) {
        return false;
    }
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    encoder->sample_rate = 48000;
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&encoder->ch_layout, 1);
    encoder->time_base = AVRational{1, 48000};
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    bool ok = avcodec_open2(encoder, codec, nullptr) >= 0;
    AVStream* stream = ok ? avformat_new_stream(output, nullptr) : nullptr;
    ok = stream && avcodec_parameters_from_context(stream->codecpar, encoder) >= 0 &&
         avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header(output, nullptr) >= 0;
    if (ok) {
        AVFrame* frame = av_frame_alloc();
        frame->nb_samples = encoder->frame_size;
        frame->format = encoder->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
        av_frame_get_buffer(frame, 0);
        av_samples_set_silence(frame->data, 0, frame->nb_samples, 1, encoder->sample_fmt);
        AVPacket* packet = av_packet_alloc();
        for (AVFrame* input : {frame, static_cast<AVFrame*>(nullptr)}) {
            avcodec_send_frame(encoder, input);
            while (avcodec_receive_packet(encoder, packet) >= 0) {
                av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
                packet->stream_index = stream->index;
                av_interleaved_write_frame(output, packet);
            }
        }
        av_write_trailer(output);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
    if (output->pb) {
        avio_closep(&output->pb);
    }
    avformat_free_context(output);
    avcodec_free_context(&encoder);
    return ok;
}

} // namespace tarvo::test
