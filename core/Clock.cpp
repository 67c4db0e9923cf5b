#include "core/Clock.h"

#include <chrono>
#include <limits>
#include <random>

namespace {

std::function<double()>& MonoSource()
{
    static std::function<double()> f;
    return f;
}

std::function<QDateTime()>& WallSource()
{
    static std::function<QDateTime()> f;
    return f;
}

std::mt19937_64& Generator()
{
    static std::mt19937_64 g(5489u);
    return g;
}

} // namespace

double MonotonicSeconds()
{
    if (MonoSource()) return MonoSource()();
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

QDateTime CurrentDateTime()
{
    if (WallSource()) return WallSource()();
    // The local time of a millisecond is worked out once: the conversion
    // consults the time-zone file each time, and a synchronisation adds many
    // files per millisecond.
    thread_local qint64 lastMs = std::numeric_limits<qint64>::min();
    thread_local QDateTime last;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms != lastMs) {
        last = QDateTime::fromMSecsSinceEpoch(ms);
        lastMs = ms;
    }
    return last;
}

void SetMonotonicClock(std::function<double()> clock)
{
    MonoSource() = std::move(clock);
}

void SetWallClock(std::function<QDateTime()> clock)
{
    WallSource() = std::move(clock);
}

void Randomize(uint64_t seed)
{
    Generator().seed(seed);
}

double Rnd()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(Generator());
}

int RandomBetween(int low, int high)
{
    if (high < low) return low;
    return std::uniform_int_distribution<int>(low, high)(Generator());
}
