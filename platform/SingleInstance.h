// One running instance per data folder, held by a lock file there. Only a dead
// owner frees a lock; an old but live one is never taken over.
#pragma once

#include <QString>

// True when this process now holds the lock (or held it already). False when
// another live instance holds it, or when the data folder cannot be made or
// the lock file not be written there: then failure (when given) says what
// failed and where; it stays empty for another instance.
bool AcquireSingleInstanceLock(QString* failure = nullptr);
// Removes the lock file; harmless when not held.
void ReleaseSingleInstanceLock();
bool HoldsSingleInstanceLock();
