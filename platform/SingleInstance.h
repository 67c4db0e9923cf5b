// One running instance per data folder, held by a lock file there. Only a dead
// owner frees a lock; an old but live one is never taken over.
#pragma once

// True when this process now holds the lock (or held it already).
bool AcquireSingleInstanceLock();
// Removes the lock file; harmless when not held.
void ReleaseSingleInstanceLock();
bool HoldsSingleInstanceLock();
