// A stream: one decoder, the worker thread that runs it, and the ring of
// decoded chunks between the worker and the mixer.
//
// Threads and locks:
// - The opening thread builds the decoder (header read) and starts the worker.
// - The worker owns the decoder; it fills the ring and acts on seek requests.
// - The consumer (the mixer, under its own lock) reads the ring through Peek,
//   Consume and WaitForData, and never blocks unless it asks to wait.
// - RequestSeek and the destructor come from the API's thread. `requestMutex_`
//   guards the seek target and generation handed to the worker; the worker
//   holds it only to copy them.
// Seeking flushes by generation: every chunk carries the generation it was
// decoded for, and the consumer drops chunks of an older one.
#pragma once

#include "sound/Decoder.h"
#include "sound/Source.h"
#include "sound/SpscRing.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace snd {

class Stream : public Source {
public:
    static constexpr int kChunkFrames = 2048;
    static constexpr int kChunks = 24;  // about a second of sound at 48 kHz

    explicit Stream(std::unique_ptr<Decoder> decoder);
    ~Stream() override;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // API thread: continue from `frame`; returns the generation whose chunks
    // carry the new place.
    uint32_t RequestSeek(int64_t frame) override;

    // Consumer side.
    // The next frames of `generation` (older chunks are dropped on the way).
    State Peek(uint32_t generation, const float** samples, int* frames) override;
    void Consume(int frames) override;
    // Blocks until the worker has published another chunk (or ended).
    void WaitForData() override;

private:
    struct Chunk {
        uint32_t generation = 0;
        int frames = 0;
        bool end = false;
        float samples[2 * kChunkFrames];
    };

    void Run();
    void Wake();

    std::unique_ptr<Decoder> decoder_;
    SpscRing<Chunk> ring_;
    int consumed_ = 0;  // frames of the front chunk already taken by the consumer

    std::mutex requestMutex_;
    uint32_t requestedGeneration_ = 0;  // guarded by requestMutex_
    int64_t requestedFrame_ = 0;        // guarded by requestMutex_
    std::atomic<uint32_t> seekGeneration_{0};
    std::atomic<bool> quit_{false};
    std::atomic<uint32_t> wake_{0};  // bumped for the worker: half the ring free, seek, quit
    std::thread worker_;
};

} // namespace snd
