#include "sound/OfflineOutput.h"

#include "sound/Mixer.h"

#include <algorithm>

namespace snd {

OfflineOutput::OfflineOutput(int sampleRate, int blockFrames)
    : sampleRate_(sampleRate), blockFrames_(blockFrames > 0 ? blockFrames : std::max(1, sampleRate / 100))
{
}

Result OfflineOutput::Render(float* out, int frames)
{
    if (!mixer_) return Result::NotInitialized;
    if (frames < 0 || (frames > 0 && !out)) return Result::InvalidParam;
    for (int done = 0; done < frames; done += blockFrames_)
        mixer_->Mix(out + 2 * done, std::min(blockFrames_, frames - done), true);
    return Result::Ok;
}

} // namespace snd
