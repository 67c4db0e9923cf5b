#include "platform/SingleInstance.h"

#include "core/Runtime.h"

#include <QLockFile>
#include <memory>

namespace {

std::unique_ptr<QLockFile>& Lock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

} // namespace

bool AcquireSingleInstanceLock()
{
    if (Lock()) return true;
    auto lock = std::make_unique<QLockFile>(DataFile(QStringLiteral("Sarovin.lock")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    Lock() = std::move(lock);
    return true;
}

void ReleaseSingleInstanceLock()
{
    if (!Lock()) return;
    Lock()->unlock();
    Lock().reset();
}

bool HoldsSingleInstanceLock()
{
    return Lock() != nullptr;
}
