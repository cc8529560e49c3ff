#include "SimOptions.h"

#include "NumberArg.h"

#include <functional>
#include <map>
#include <string_view>

namespace targetsim {

const char kUsage[] = "usage: korvel-targetsim [options]\n"
                      "Plays an AVR serial bootloader on a pseudo-terminal whose path is printed first.\n"
                      "  --link PATH             also make PATH a symbolic link to the terminal (removed at exit)\n"
                      "  --flash-out FILE        write the FLASH image there (after each download and at exit)\n"
                      "  --eeprom-out FILE       write the EEPROM image there\n"
                      "  --once                  end after the first complete download\n"
                      "  --version TEXT          version text after \"G\" (default 1.28)\n"
                      "  --no-g                  answer the handshake with \"?\" alone\n"
                      "  --silent                never answer anything\n"
                      "  --no-phase2             answer \"$\" but never \"?\"\n"
                      "  --answer-delay MS       delay before each line answer\n"
                      "  --phase1-delay MS       delay before each \"$\"\n"
                      "  --phase2-delay MS       delay before each \"?\"\n"
                      "  --checksum-errors N     answer \"-\" to the first N sends of each line\n"
                      "  --error-line K          ... of line K of each file only (N defaults to 1)\n"
                      "  --write-error-line K    answer \"%\" to line K of each file\n"
                      "  --silent-line K         drop line K of each file without an answer\n"
                      "  --double-answer         answer every line twice, 1 ms apart, as a faulty target would\n"
                      "  --xoff-after N          send XOFF on receiving line N, ahead of its answer\n"
                      "  --xon-after MS          send XON that long after the XOFF (default never)\n"
                      "  --noise                 random non-protocol bytes before, between and inside answers\n"
                      "  --seed N                noise from seed N, the same on every run (default: a new seed,\n"
                      "                          named in the closing summary)\n"
                      "  --close-after N         close the line after N lines and end\n"
                      "  --pace BAUD             receive and send at 10 bits per character at BAUD; the closing\n"
                      "                          summary then tells how the PC's synchronisation kept the line\n"
                      "  -h, --help              show this help\n"
                      "Lines are counted from 1 in each file; a resend of a refused line keeps its number.\n";

namespace {

using Setter = std::function<bool(std::string_view)>;

Setter number(std::uint64_t& target)
{
    return [&target](std::string_view text) { return toolargs::parseUnsigned(text, target); };
}

// Delays are capped at an hour so that every timer stays well inside the clock's range.
Setter delay(std::uint64_t& target)
{
    return [&target](std::string_view text) { return toolargs::parseUnsigned(text, target) && target <= 3600000; };
}

Setter positive(std::uint64_t& target)
{
    return [&target](std::string_view text) { return toolargs::parseUnsigned(text, target) && target > 0; };
}

Setter text(std::string& target)
{
    return [&target](std::string_view value) {
        target = std::string(value);
        return true;
    };
}

}  // namespace

ParseOutcome parseOptions(int argc, char** argv, SimOptions& options, std::string& message)
{
    std::uint64_t xonAfter = 0;
    std::uint64_t seed = 0;
    const std::map<std::string_view, Setter> withValue{
        {"--link", text(options.linkPath)},
        {"--flash-out", text(options.flashOut)},
        {"--eeprom-out", text(options.eepromOut)},
        {"--version", text(options.version)},
        {"--answer-delay", delay(options.answerDelayMs)},
        {"--phase1-delay", delay(options.phase1DelayMs)},
        {"--phase2-delay", delay(options.phase2DelayMs)},
        {"--checksum-errors", number(options.checksumErrors)},
        {"--error-line", positive(options.errorLine)},
        {"--write-error-line", positive(options.writeErrorLine)},
        {"--silent-line", positive(options.silentLine)},
        {"--xoff-after", positive(options.xoffAfter)},
        {"--xon-after",
         [&](std::string_view value) {
             if (!delay(xonAfter)(value))
                 return false;
             options.xonAfterMs = xonAfter;
             return true;
         }},
        {"--close-after", positive(options.closeAfter)},
        {"--pace", positive(options.paceBaud)},
        {"--seed",
         [&](std::string_view value) {
             if (!number(seed)(value))
                 return false;
             options.seed = seed;
             return true;
         }},
    };
    const std::map<std::string_view, bool*> flags{
        {"--once", &options.once},
        {"--silent", &options.silent},
        {"--no-phase2", &options.noPhase2},
        {"--noise", &options.noise},
        {"--double-answer", &options.doubleAnswer},
    };
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return ParseOutcome::Help;
        if (arg == "--no-g") {
            options.sendG = false;
            continue;
        }
        if (const auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        std::string_view value;
        bool valueInline = false;
        if (const auto equals = arg.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            valueInline = true;
        }
        const auto setter = withValue.find(arg);
        if (setter == withValue.end()) {
            message = "unknown option " + std::string(argv[i]);
            return ParseOutcome::Error;
        }
        if (!valueInline) {
            if (i + 1 >= argc) {
                message = std::string(arg) + " needs a value";
                return ParseOutcome::Error;
            }
            value = argv[++i];
        }
        if (!setter->second(value)) {
            message = "bad value for " + std::string(arg) + ": " + std::string(value);
            return ParseOutcome::Error;
        }
    }
    if (options.errorLine > 0 && options.checksumErrors == 0)
        options.checksumErrors = 1;
    return ParseOutcome::Run;
}

}  // namespace targetsim
