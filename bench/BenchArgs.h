#pragma once

#include <string>
#include <vector>

// Command line of the benchmark drivers:
//   --targetsim PROGRAM [--flash FILE.hex] [-- simulator options...]
struct BenchArgs {
    std::string targetsim;
    std::string flashPath;
    std::vector<std::string> simOptions;
};

// False (after printing the usage) when the command line is not one of these.
bool parseBenchArgs(int argc, char** argv, BenchArgs& args);
