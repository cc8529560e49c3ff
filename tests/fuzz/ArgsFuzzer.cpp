// The argument parser on any argument list: the input's NUL bytes separate
// the arguments, as they do in the program's own argument vector.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "startup/CmdLineArgs.h"

using namespace korvel::startup;

namespace {

std::vector<std::string> splitAtNul(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    return args;
}

bool allBlank(const std::vector<std::string>& args)
{
    for (const auto& arg : args)
        if (arg.find_first_not_of(' ') != std::string::npos)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto args = splitAtNul(data, size);
    const ParsedArgs parsed = parseArguments(args);
    const StartupState& state = parsed.state;

    FUZZ_CHECK((parsed.verdict == ArgsVerdict::Interactive) == allBlank(args));
    // A start that is no run keeps nothing of the command line but "/console".
    FUZZ_CHECK(parsed.verdict == ArgsVerdict::CommandLine ||
               (state.FLASHFileName.empty() && state.EEPROMFileName.empty() && state.CmdLineComPort == 0 &&
                state.CmdLinePortDevice.empty()));
    switch (parsed.verdict) {
    case ArgsVerdict::Interactive:
        FUZZ_CHECK(parsed.message.empty() && !state.console);
        break;
    case ArgsVerdict::UsageRequested:
        FUZZ_CHECK(parsed.message == kUsageMessage);
        break;
    case ArgsVerdict::VersionRequested:
    case ArgsVerdict::PortsListed:
        FUZZ_CHECK(parsed.message.empty());
        break;
    case ArgsVerdict::Refused:
        FUZZ_CHECK(parsed.message == kUsageMessage || parsed.message == kNoComPortMessage);
        break;
    case ArgsVerdict::CommandLine:
        FUZZ_CHECK(parsed.message.empty() && state.CmdLineComPort >= 0);
        break;
    }
    return 0;
}
