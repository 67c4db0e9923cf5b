// SIGTERM, SIGINT and SIGHUP turned into an ordinary event: the signal handler
// only writes a byte to a pipe; a socket notifier on the user-interface thread
// then calls back.
#pragma once

#include <functional>

// Needs a QCoreApplication. Replaces an earlier watch.
bool WatchTermSignal(std::function<void()> onTerm);
// Back to the default action.
void StopWatchingTermSignal();
