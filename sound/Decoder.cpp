#include "sound/Decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace snd {

namespace {

// Give up on a stream that keeps failing to decode rather than spin on it.
constexpr int kMaxDecodeErrorsInRow = 64;

} // namespace

std::unique_ptr<Decoder> Decoder::Open(const std::string& path, int outputRate, Result* error)
{
    auto fail = [&](Result r) {
        if (error) *error = r;
        return std::unique_ptr<Decoder>();
    };
    // Only regular files: a named pipe would block the caller in the open.
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return fail(Result::FileNotFound);
    if (!S_ISREG(st.st_mode)) return fail(Result::FileUnreadable);

    std::unique_ptr<Decoder> d(new Decoder());
    d->outputRate_ = outputRate;
    if (avformat_open_input(&d->format_, path.c_str(), nullptr, nullptr) < 0)
        return fail(Result::FileUnreadable);
    if (avformat_find_stream_info(d->format_, nullptr) < 0) return fail(Result::FileUnreadable);

    const AVCodec* codec = nullptr;
    d->streamIndex_ = av_find_best_stream(d->format_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (d->streamIndex_ < 0 || !codec) return fail(Result::FileUnreadable);
    AVStream* stream = d->format_->streams[d->streamIndex_];

    d->codec_ = avcodec_alloc_context3(codec);
    if (!d->codec_ || avcodec_parameters_to_context(d->codec_, stream->codecpar) < 0)
        return fail(Result::FileUnreadable);
    d->codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(d->codec_, codec, nullptr) < 0) return fail(Result::FileUnreadable);

    d->packet_ = av_packet_alloc();
    d->frame_ = av_frame_alloc();
    if (!d->packet_ || !d->frame_) return fail(Result::FileUnreadable);

    if (d->format_->duration != AV_NOPTS_VALUE && d->format_->duration > 0)
        d->lengthFrames_ = av_rescale(d->format_->duration, outputRate, AV_TIME_BASE);
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        d->lengthFrames_ = av_rescale_q(stream->duration, stream->time_base, AVRational{1, outputRate});

    if (error) *error = Result::Ok;
    return d;
}

Decoder::~Decoder()
{
    swr_free(&swr_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

int Decoder::Read(float* out, int frames)
{
    int produced = 0;
    while (produced < frames) {
        const int64_t avail = static_cast<int64_t>(pending_.size() / 2 - pendingPos_);
        if (avail > 0) {
            if (pendingFrame_ < discardUntil_) {
                const int64_t drop = std::min(avail, discardUntil_ - pendingFrame_);
                pendingPos_ += static_cast<size_t>(drop);
                pendingFrame_ += drop;
                continue;
            }
            const int n = static_cast<int>(std::min<int64_t>(avail, frames - produced));
            std::memcpy(out + 2 * produced, pending_.data() + 2 * pendingPos_, sizeof(float) * 2 * n);
            pendingPos_ += static_cast<size_t>(n);
            pendingFrame_ += n;
            produced += n;
            continue;
        }
        if (ended_ || !Pull()) {
            ended_ = true;
            break;
        }
    }
    return produced;
}

bool Decoder::Pull()
{
    pending_.clear();
    pendingPos_ = 0;
    int errors = 0;
    while (pending_.empty()) {
        const int r = avcodec_receive_frame(codec_, frame_);
        if (r == 0) {
            if (needPosition_) {
                needPosition_ = false;
                const int64_t pts = frame_->best_effort_timestamp;
                if (pts != AV_NOPTS_VALUE) {
                    const AVStream* st = format_->streams[streamIndex_];
                    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
                    pendingFrame_ = av_rescale_q(pts - start, st->time_base, AVRational{1, outputRate_});
                }
            }
            const bool ok = Convert(frame_);
            av_frame_unref(frame_);
            if (!ok && ++errors > kMaxDecodeErrorsInRow) return false;
            continue;
        }
        if (r == AVERROR_EOF) {
            // Drain what the resampler still holds, once.
            if (swr_ && !swrDrained_) {
                swrDrained_ = true;
                const int64_t delay = swr_get_delay(swr_, outputRate_) + 32;
                pending_.resize(static_cast<size_t>(delay) * 2);
                uint8_t* dst = reinterpret_cast<uint8_t*>(pending_.data());
                const int n = swr_convert(swr_, &dst, static_cast<int>(delay), nullptr, 0);
                pending_.resize(n > 0 ? static_cast<size_t>(n) * 2 : 0);
                return !pending_.empty();
            }
            return false;
        }
        if (r != AVERROR(EAGAIN)) {
            if (++errors > kMaxDecodeErrorsInRow) return false;
            continue;
        }
        if (inputDone_) return false;
        if (av_read_frame(format_, packet_) < 0) {
            // End of file, or a file cut short: decode what the codec holds.
            inputDone_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (packet_->stream_index == streamIndex_) {
            // A damaged packet is skipped; the codec picks up at the next one.
            if (avcodec_send_packet(codec_, packet_) < 0 && ++errors > kMaxDecodeErrorsInRow) {
                av_packet_unref(packet_);
                return false;
            }
        }
        av_packet_unref(packet_);
    }
    return true;
}

bool Decoder::EnsureResampler(const AVFrame* frame)
{
    AVChannelLayout inLayout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0) {
        const int n = frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels : codec_->ch_layout.nb_channels;
        if (n <= 0) return false;
        av_channel_layout_default(&inLayout, n);
    } else if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0) {
        return false;
    }
    const uint64_t layoutHash = (static_cast<uint64_t>(inLayout.order) << 56)
        ^ (static_cast<uint64_t>(inLayout.nb_channels) << 48)
        ^ (inLayout.order == AV_CHANNEL_ORDER_NATIVE ? inLayout.u.mask : 0);
    if (swr_ && frame->format == swrFormat_ && frame->sample_rate == swrRate_ && layoutHash == swrLayoutHash_) {
        av_channel_layout_uninit(&inLayout);
        return true;
    }
    swr_free(&swr_);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int r = swr_alloc_set_opts2(&swr_, &stereo, AV_SAMPLE_FMT_FLT, outputRate_, &inLayout,
                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (r < 0 || swr_init(swr_) < 0) {
        swr_free(&swr_);
        return false;
    }
    swrFormat_ = frame->format;
    swrRate_ = frame->sample_rate;
    swrLayoutHash_ = layoutHash;
    swrDrained_ = false;
    return true;
}

bool Decoder::Convert(const AVFrame* frame)
{
    if (frame->nb_samples <= 0 || frame->sample_rate <= 0) return false;
    if (!EnsureResampler(frame)) return false;
    const int maxOut = swr_get_out_samples(swr_, frame->nb_samples);
    if (maxOut <= 0) return true;
    const size_t old = pending_.size();
    pending_.resize(old + static_cast<size_t>(maxOut) * 2);
    uint8_t* dst = reinterpret_cast<uint8_t*>(pending_.data() + old);
    const int n = swr_convert(swr_, &dst, maxOut, const_cast<const uint8_t**>(frame->extended_data),
                              frame->nb_samples);
    pending_.resize(old + (n > 0 ? static_cast<size_t>(n) * 2 : 0));
    return n >= 0;
}

void Decoder::Seek(int64_t frame)
{
    if (frame < 0) frame = 0;
    pending_.clear();
    pendingPos_ = 0;
    pendingFrame_ = frame;
    discardUntil_ = frame;
    needPosition_ = true;
    inputDone_ = false;
    ended_ = false;

    const AVStream* st = format_->streams[streamIndex_];
    int64_t ts = av_rescale_q(frame, AVRational{1, outputRate_}, st->time_base);
    if (st->start_time != AV_NOPTS_VALUE) ts += st->start_time;
    if (av_seek_frame(format_, streamIndex_, ts, AVSEEK_FLAG_BACKWARD) < 0)
        avformat_seek_file(format_, streamIndex_, INT64_MIN, ts, ts, 0);
    avcodec_flush_buffers(codec_);
    // The resampler's history belongs to the old place.
    swr_free(&swr_);
    swrFormat_ = -1;
}

} // namespace snd
