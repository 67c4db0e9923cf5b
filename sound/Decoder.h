// One audio file decoded with FFmpeg to interleaved float stereo at the output
// rate. Not thread-safe: opened on the caller's thread, then used by one
// thread at a time (a stream's worker).
#pragma once

#include "sound/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct SwrContext;
struct AVPacket;
struct AVFrame;

namespace snd {

class Decoder {
public:
    // Reads the file's header; a missing file, one that is not audio, or no
    // decoder for it gives an error and no decoder.
    static std::unique_ptr<Decoder> Open(const std::string& path, int outputRate, Result* error);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Fills up to `frames` stereo frames; fewer only at the end, 0 once ended.
    // A damaged stretch is skipped; a file cut short ends where it breaks.
    int Read(float* interleaved, int frames);

    // Continues from the given output frame. A target at or past the end leaves
    // the decoder ended.
    void Seek(int64_t frame);

    // Length from the header in output frames, -1 when the header has none.
    int64_t LengthFrames() const { return lengthFrames_; }
    int OutputRate() const { return outputRate_; }

private:
    Decoder() = default;
    bool Pull();  // decodes the next frame into pending_; false at the end
    bool Convert(const AVFrame* frame);
    bool EnsureResampler(const AVFrame* frame);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int streamIndex_ = -1;
    int outputRate_ = 0;
    int64_t lengthFrames_ = -1;

    // Resampler input as last configured, to notice a change mid-stream.
    int swrFormat_ = -1;
    int swrRate_ = 0;
    uint64_t swrLayoutHash_ = 0;

    std::vector<float> pending_;  // converted frames not yet handed out
    size_t pendingPos_ = 0;       // in frames
    int64_t pendingFrame_ = 0;    // output frame index of pending_[pendingPos_]
    int64_t discardUntil_ = 0;    // after a seek: drop output before this frame
    bool inputDone_ = false;      // no more packets; the codec is being drained
    bool swrDrained_ = false;
    bool needPosition_ = false;   // take the place from the next frame's time stamp
    bool ended_ = false;
};

} // namespace snd
