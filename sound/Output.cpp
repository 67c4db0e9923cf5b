#include "sound/Output.h"

#include "sound/OfflineOutput.h"
#include "sound/SdlOutput.h"

namespace snd {

std::unique_ptr<Output> OpenOutput(const OutputConfig& config, Result* error)
{
    if (config.kind == OutputConfig::Kind::Offline) {
        if (error) *error = Result::Ok;
        return std::make_unique<OfflineOutput>(config.sampleRate > 0 ? config.sampleRate : 48000,
                                               config.blockFrames);
    }
    return SdlOutput::Open(config.sampleRate, error);
}

} // namespace snd
