// Until the keyboard is read, no key is held; tests give their own keys.
#include "platform/KeyState.h"

namespace {

std::function<std::vector<int>()>& Source()
{
    static std::function<std::vector<int>()> source;
    return source;
}

} // namespace

std::vector<int> HeldKeys()
{
    return Source() ? Source()() : std::vector<int>{};
}

void SetKeySource(std::function<std::vector<int>()> source)
{
    Source() = std::move(source);
}

std::vector<int> VirtualKeysForKeysym(unsigned long)
{
    return {};
}
