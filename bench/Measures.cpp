#include "Measures.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

double secondsBetween(BenchClock::time_point from, BenchClock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

HexFileFigures hexFileFigures(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    HexFileFigures figures;
    long lineLength = 0;
    const auto endLine = [&] {
        if (lineLength > 0) {
            ++figures.lines;
            figures.characters += lineLength;
        }
        lineLength = 0;
    };
    for (const char c : text) {
        if (c == '\r' || c == '\n')
            endLine();
        else
            ++lineLength;
    }
    endLine();
    return figures;
}

void report(const std::string& key, const std::string& value)
{
    std::printf("%s=%s\n", key.c_str(), value.c_str());
}

void report(const std::string& key, double value)
{
    std::printf("%s=%.6f\n", key.c_str(), value);
}

void report(const std::string& key, long value)
{
    std::printf("%s=%ld\n", key.c_str(), value);
}
