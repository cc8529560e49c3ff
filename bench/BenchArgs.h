#pragma once

#include <string>
#include <vector>

// Command line of the benchmark drivers:
//   --targetsim PROGRAM [--flash FILE.hex] [-- simulator options...]
//   --probe silent|no-phase2 [--flash FILE.hex]
// --probe puts a reader that takes every byte at once on the other end of the
// line instead of the simulator (korvel-bench-link only).
struct BenchArgs {
    std::string targetsim;
    std::string probe;
    std::string flashPath;
    std::vector<std::string> simOptions;
};

// False (after printing the usage) when the command line is not one of these.
bool parseBenchArgs(int argc, char** argv, BenchArgs& args);
