// Real short writes without root: a forked child whose files may not grow past
// a limit. With SIGXFSZ ignored, a write() past the limit fails with EFBIG (or
// writes what still fits first), as a full disk fails with ENOSPC.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

// Runs body in a child limited to `limit` bytes per file and returns its exit
// status, or -1 when it did not exit normally. The child reports only through
// that status: its output may be cut by the same limit.
int RunWithFileSizeLimit(long long limit, const std::function<int()>& body);

// The status a child gives for the reason a write returned: 0 for the size
// limit's reason, 1 for a write that claimed success, 2 for any other reason.
int StatusForLimitedWrite(const QString& reason);

// Every file of a folder with its bytes, hidden ones included: equal snapshots
// mean nothing was changed, added or left behind.
QMap<QString, QByteArray> FolderSnapshot(const QString& folder);
