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
        if (arg == "--targetsim" && i + 1 < argc) {
            args.targetsim = argv[++i];
        } else if (arg == "--flash" && i + 1 < argc) {
            args.flashPath = argv[++i];
        } else if (arg == "--probe" && i + 1 < argc) {
            args.probe = argv[++i];
        } else {
            std::cerr
                << "usage: " << argv[0]
                << " --targetsim PROGRAM | --probe silent|no-phase2 [--flash FILE.hex] [-- simulator options...]\n";
            return false;
        }
    }
    if (args.targetsim.empty() == args.probe.empty()) {
        std::cerr << argv[0] << ": give either --targetsim or --probe\n";
        return false;
    }
    return true;
}
