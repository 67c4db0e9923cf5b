// The tag save's runner of the program: each job in a fresh helper process
// (sarovin-tagsave, built beside the program), under limits on CPU time, file
// size and, where no sanitizer needs the address space, memory, with no core
// dump and a wall-clock timeout. A crash, a signal, a limit or a non-zero
// status there is a failed save. While it waits the event loop keeps turning.
#pragma once

#include "core/TagSaveJob.h"

#include <chrono>
#include <cstdint>

class QProcess;

struct TagHelperLimits {
    uint64_t fileSize = 0;  // bytes, for every file the helper writes
    uint64_t cpuSeconds = 0;
    uint64_t addressSpace = 0;  // bytes; 0 for none
    std::chrono::milliseconds wallClock{0};
};

// What a job on a file of this size may take: the file, the new tag texts in
// the widest encoding of every tag they may land in, and room for padding.
TagHelperLimits LimitsFor(int64_t originalSize, const TagWrite& write);

class TagSaveProcess : public TagSaveRunner {
public:
    explicit TagSaveProcess(QString helperPath);

    bool Run(const TagSaveJob& job) override;
    void Cancel() override;

    // Replaces the wall clock of every later job (a hang test needs no minute).
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    const QString& HelperPath() const { return helperPath_; }

private:
    QString helperPath_;
    std::chrono::milliseconds timeout_{0};
    QProcess* running_ = nullptr;
    bool cancelled_ = false;
};

// The program's runner: the helper beside the running executable.
TagSaveProcess& ProgramTagSaveRunner();
