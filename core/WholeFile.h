// Writing a file whole or not at all. Every file the program writes goes
// through here: the new bytes go to a temporary file beside the target, every
// byte is checked to have reached it, the data is synced, and only then is it
// renamed over the target and the folder synced. A full disk, a size limit or
// a failing device therefore never leaves a file cut short: the old file
// stays byte for byte, the temporary file is removed, and the caller learns
// the system's reason.
//
// A target that is a symbolic link stays a link; the file it points to is
// replaced. An existing file keeps its permission bits; a new one gets what
// the umask allows of 0666.
//
// Any thread may write; two writers of one target must not run at once.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <functional>

class WholeFile {
public:
    // Opens the temporary file; a failure shows in Error().
    explicit WholeFile(const QString& path);
    // Without a successful Commit() the temporary file is removed and the
    // target left as it was.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Appends bytes; false once anything has failed.
    bool Write(QByteArrayView bytes);
    // Gives up: the target stays as it was, Error() says why.
    void Abandon(int error);
    // Syncs and closes the temporary file, renames it over the target and
    // syncs the folder. False on any failure; a failed folder sync comes
    // after the rename, so the new bytes may be in place but are not safe.
    bool Commit();
    // The system's reason for the first failure; "" while there is none.
    const QString& Error() const { return error_; }
    // True once the new bytes are in the target's place, also when the
    // folder's sync failed after that.
    bool Replaced() const { return committed_; }
    // The file that is replaced: the target, or where its links lead.
    const QString& FinalPath() const { return final_; }

private:
    void Open(const QString& path);
    void Fail(int error);
    void RemoveTemporary();

    QString final_;
    QByteArray temp_;  // encoded path of the temporary file, empty when none
    int fd_ = -1;
    QString error_;
    bool committed_ = false;
};

// One call of the above: "" when the file holds the bytes, else the reason.
QString WriteWholeFile(const QString& path, QByteArrayView bytes);
QString WriteWholeFile(const QString& path, const QByteArrayList& chunks);

// The system's text for an error number, as the failures above give it.
QString SystemErrorText(int error);

// Syncs the folder that holds path, so that a rename into it survives a power
// loss: 0, or the error number of the failure.
int SyncFolderOf(const QString& path);

// Test seam: replaces fdatasync of the file and fsync of its folder (the
// function gets the descriptor and returns 0 or -1 with errno set). An empty
// function restores the real calls.
void SetWholeFileSync(std::function<int(int fd)> sync);

// A file that could not be written and the system's reason.
struct SaveFailure {
    QString path;
    QString reason;
    friend bool operator==(const SaveFailure&, const SaveFailure&) = default;
};
using SaveFailures = QList<SaveFailure>;
