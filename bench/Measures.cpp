#include "Measures.h"

#include <algorithm>
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

std::vector<std::string> hexLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c != '\r' && c != '\n') {
            line += c;
        } else if (!line.empty()) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

HexFileFigures hexFileFigures(const std::string& path)
{
    HexFileFigures figures;
    for (const std::string& line : hexLines(path)) {
        ++figures.lines;
        figures.characters += long(line.size());
    }
    return figures;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile99(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) * 99 / 100];
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
