#pragma once

#include <chrono>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

double secondsBetween(BenchClock::time_point from, BenchClock::time_point to);

// Processor seconds (user and system) the process has used so far.
double processorSeconds();
// Peak resident memory of the process so far, in KiB.
long peakResidentKiB();

// The non-empty lines of a HEX file as the download sends them: CR, LF or
// CR LF ends a line, the line ends are not part of it.
std::vector<std::string> hexLines(const std::string& path);

// Figures of a HEX file as the download sends it: its non-empty lines and
// their characters.
struct HexFileFigures {
    long lines = 0;
    long characters = 0;
};
HexFileFigures hexFileFigures(const std::string& path);

// The middle value and the 99th percentile; the values must not be empty.
double median(std::vector<double> values);
double percentile99(std::vector<double> values);

// One "key=value" line of a driver's report.
void report(const std::string& key, const std::string& value);
void report(const std::string& key, double value);
void report(const std::string& key, long value);
