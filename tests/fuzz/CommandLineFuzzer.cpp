// The argument parser on any command line (the input split at NUL bytes into
// arguments): every verdict is one of its kinds with what it promises, a
// refusal's message names what was refused without a control character but
// its line ends, and a download's numbers stay in their ranges.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "cmdline/CmdLineArgs.h"

using korvel::cmdline::ArgsVerdict;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() < 64; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    if (size == 0)
        args.clear();
    const auto parsed = korvel::cmdline::parseArguments(args);
    for (const char c : parsed.message)
        FUZZ_CHECK(c == '\n' || c == '\r' || static_cast<unsigned char>(c) >= ' ');
    switch (parsed.verdict) {
    case ArgsVerdict::Interactive:
        for (const std::string& arg : args)
            FUZZ_CHECK(arg.find_first_not_of(' ') == std::string::npos);
        break;
    case ArgsVerdict::Refused:
    case ArgsVerdict::UsageRequested:
        FUZZ_CHECK(!parsed.message.empty());
        break;
    case ArgsVerdict::CommandLine: {
        const auto& state = parsed.state;
        FUZZ_CHECK(state.CmdLineComPort != 0 || !state.CmdLinePortDevice.empty() || args.size() > 0);
        FUZZ_CHECK(state.portWaitSeconds >= 0 && state.portWaitSeconds <= korvel::cmdline::kMostPortWaitSeconds);
        FUZZ_CHECK(state.syncSeconds >= 0 && state.syncSeconds <= korvel::cmdline::kMostSyncSeconds);
        break;
    }
    case ArgsVerdict::VersionRequested:
    case ArgsVerdict::PortsListed:
        break;
    }
    return 0;
}
