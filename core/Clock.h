// Time and chance, injected so that fades, hot keys, dates and shuffles are
// exact under test. The program uses the real sources; tests install fakes.
#pragma once

#include <QDateTime>
#include <cstdint>
#include <functional>

// Seconds on a monotonic clock, with fraction; only differences mean anything.
double MonotonicSeconds();
// Local date and time now (the wall clock of "added" and "last played").
QDateTime CurrentDateTime();

// Replace the sources; an empty function restores the real one.
void SetMonotonicClock(std::function<double()> clock);
void SetWallClock(std::function<QDateTime()> clock);

// The program's random numbers: Rnd() in [0, 1), seeded once at start.
void Randomize(uint64_t seed);
double Rnd();
// A whole number in [low, high], both included.
int RandomBetween(int low, int high);
