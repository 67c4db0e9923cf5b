// Threads and locks: see Stream.h.
#include "sound/Stream.h"

namespace snd {

Stream::Stream(std::unique_ptr<Decoder> decoder)
    : decoder_(std::move(decoder)), ring_(kChunks)
{
    worker_ = std::thread([this] { Run(); });
}

Stream::~Stream()
{
    quit_.store(true);
    Wake();
    worker_.join();
}

void Stream::Wake()
{
    wake_.fetch_add(1, std::memory_order_release);
    wake_.notify_one();
}

uint32_t Stream::RequestSeek(int64_t frame)
{
    uint32_t g;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        g = ++requestedGeneration_;
        requestedFrame_ = frame;
    }
    seekGeneration_.store(g, std::memory_order_release);
    Wake();
    return g;
}

void Stream::Run()
{
    uint32_t generation = 0;
    bool ended = false;
    while (!quit_.load(std::memory_order_acquire)) {
        const uint32_t seen = wake_.load(std::memory_order_acquire);
        if (seekGeneration_.load(std::memory_order_acquire) != generation) {
            int64_t frame;
            {
                std::lock_guard<std::mutex> lock(requestMutex_);
                generation = requestedGeneration_;
                frame = requestedFrame_;
            }
            decoder_->Seek(frame);
            ended = false;
        }
        Chunk* chunk = ended ? nullptr : ring_.BeginWrite();
        if (!chunk) {
            wake_.wait(seen, std::memory_order_acquire);
            continue;
        }
        chunk->frames = decoder_->Read(chunk->samples, kChunkFrames);
        chunk->generation = generation;
        chunk->end = chunk->frames == 0;
        ended = chunk->end;
        ring_.Commit();
    }
}

Stream::State Stream::Peek(uint32_t generation, const float** samples, int* frames)
{
    for (;;) {
        Chunk* chunk = ring_.Front();
        if (!chunk) return State::Underrun;
        if (chunk->generation != generation || (consumed_ >= chunk->frames && !chunk->end)) {
            consumed_ = 0;
            ring_.Pop();
            // A full ring puts the worker to sleep; waking it once half is free
            // lets it decode a run of chunks instead of one per wake-up.
            if (ring_.Written() - ring_.Read() == ring_.Capacity() / 2) Wake();
            continue;
        }
        if (chunk->end) return State::Ended;
        *samples = chunk->samples + 2 * consumed_;
        *frames = chunk->frames - consumed_;
        return State::Data;
    }
}

void Stream::Consume(int frames)
{
    consumed_ += frames;
}

void Stream::WaitForData()
{
    const uint64_t seen = ring_.Written();
    if (ring_.Read() != seen) return;  // something is there already
    ring_.WaitForWrite(seen);
}

} // namespace snd
