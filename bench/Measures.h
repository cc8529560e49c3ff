#pragma once

#include <chrono>
#include <string>

using BenchClock = std::chrono::steady_clock;

double secondsBetween(BenchClock::time_point from, BenchClock::time_point to);

// Processor seconds (user and system) the process has used so far.
double processorSeconds();
// Peak resident memory of the process so far, in KiB.
long peakResidentKiB();

// Figures of a HEX file as the download sends it: non-empty lines (CR, LF or
// CR LF ending a line) and their characters without line ends.
struct HexFileFigures {
    long lines = 0;
    long characters = 0;
};
HexFileFigures hexFileFigures(const std::string& path);

// One "key=value" line of a driver's report.
void report(const std::string& key, const std::string& value);
void report(const std::string& key, double value);
void report(const std::string& key, long value);
