// Copies a list of files onto a device on one worker thread.
//
// Threads: the UI thread makes the copier, starts, cancels and reads the
// counters; the worker only reads its own plan, writes the files and the
// atomic counters, and at its end posts Finished to the UI thread. It never
// touches Library or a widget.
//
// Each file goes into a temporary file in its target folder, is flushed to
// the device and then renamed over its final name, so no final name ever holds
// half a file; a file counts as copied only once the folder that holds it (and
// the parent of every folder made for it) is flushed too. Folders are made only
// inside the root, and the root must still be on the device it was chosen on.
// At the start our own temporary files left in the target folders by a copy
// that was cut off are removed; nothing else is.
#pragma once

#include <QObject>
#include <QString>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

struct CopyJob {
    QString Source;
    QString Target;  // inside the plan's root
    double Bytes = 0;  // what the file counts for in the progress
};

struct CopyPlan {
    QString Root;
    uint64_t Device = 0;  // st_dev the root must still be on
    QVector<CopyJob> Jobs;
};

// Runs on the worker before each block of a file with the job's index and the
// bytes written of it so far, and with CopyFolderSync before each flush of a
// folder; a non-zero errno fails the file as a failed write or flush would.
// For tests: slow writes, full devices, drives gone read-only. An empty
// function removes it.
constexpr int64_t CopyFolderSync = -1;
using CopyBlockHook = std::function<int(int job, int64_t written)>;
void SetCopyBlockHook(CopyBlockHook hook);

class DeviceCopier : public QObject {
    Q_OBJECT
public:
    explicit DeviceCopier(CopyPlan plan, QObject* parent = nullptr);
    // Cancels and waits for the worker.
    ~DeviceCopier() override;

    void Start();
    // The worker stops at its next block and keeps the files already complete.
    void Cancel();
    void Wait();
    bool Running() const { return running_.load(); }

    const CopyPlan& Plan() const { return plan_; }
    // The job in progress; the number of jobs once all are through.
    int Current() const { return current_.load(); }
    int Attempted() const { return attempted_.load(); }
    int Copied() const { return copied_.load(); }
    double DoneBytes() const { return doneBytes_.load(); }

signals:
    // Queued to the thread that made the copier, after the last file or the cancel.
    void Finished();

private:
    void Run();

    const CopyPlan plan_;
    CopyBlockHook hook_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> current_{0};
    std::atomic<int> attempted_{0};
    std::atomic<int> copied_{0};
    std::atomic<double> doneBytes_{0};
};
