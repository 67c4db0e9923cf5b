// Benchmarks that write files work in tmpfs unless SAROVIN_BENCH_TMP names
// another folder (a real disk adds its fsync).
#pragma once

#include <QString>
#include <QtGlobal>

inline QString BenchScratchBase()
{
    return qEnvironmentVariableIsSet("SAROVIN_BENCH_TMP") ? qEnvironmentVariable("SAROVIN_BENCH_TMP")
                                                          : QStringLiteral("/dev/shm");
}
