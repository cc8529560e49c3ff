#include "BenchArgs.h"

#include <iostream>
#include <string_view>

bool parseBenchArgs(int argc, char** argv, BenchArgs& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            args.simOptions.assign(argv + i + 1, argv + argc);
            break;
        }
        if ((arg == "--targetsim" || arg == "--flash") && i + 1 < argc) {
            (arg == "--targetsim" ? args.targetsim : args.flashPath) = argv[++i];
            continue;
        }
        std::cerr << "usage: " << argv[0] << " --targetsim PROGRAM [--flash FILE.hex] [-- simulator options...]\n";
        return false;
    }
    if (!args.targetsim.empty())
        return true;
    std::cerr << argv[0] << ": --targetsim is required\n";
    return false;
}
