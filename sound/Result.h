// Result codes and handle types of the sound library.
#pragma once

#include <cstdint>

namespace snd {

enum class Result {
    Ok = 0,
    InvalidHandle,   // 0, released, stale, of another kind, or a channel that has ended
    InvalidParam,    // value out of range or not a number; the old value is kept
    NotInitialized,  // the system has not been initialised (or was closed)
    AlreadyInitialized,
    FileNotFound,
    FileUnreadable,  // exists but holds no audio we can decode
    OutputFailed,    // no output device could be opened, not even the dummy one
    NoFreeChannel,
    StreamBusy,      // a stream plays on one channel in its lifetime
    NotOffline,      // rendering on demand needs the offline backend
};

const char* ResultText(Result r);

// Handles are 32-bit values; 0 is none. Each carries its kind and a generation,
// so a released or reused slot never matches an old handle.
using StreamHandle = uint32_t;
using ChannelHandle = uint32_t;
using UnitHandle = uint32_t;

} // namespace snd
