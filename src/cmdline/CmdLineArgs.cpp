#include "cmdline/CmdLineArgs.h"

#include "base/ForeignText.h"
#include "base/Text.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace korvel::cmdline {

const char* const kUsageMessage =
    "Usage: AVRBootloaderKorvel /comx [/f <FlashFileName> | /e <EEPROMFileName>]\r\n"
    "Where:\r\n"
    "  /comx -> specifies COM port to use, x can be from 1 to 16. It must be first parameter.\r\n"
    "  /f <FLASHFileName> -> specifies FLASH file name to download. It is an optional parameter.\r\n"
    "  /e <EEPROMFileName> -> specifies EEPROM file name to download. It is an optional parameter.\r\n"
    "\r\n"
    "/comx is required; one of /f or /e parameter is required, too.";

const char* const kNoComPortMessage = "No COM port specified. Please use /com1 or /com2...";

namespace {

enum class Kind {
    Word,
    Flash,
    Eeprom,
    Com,
    BadCom,
    Port,
    Console,
    Help,
    Version,
    Ports,
    WaitPort,
    SyncSeconds,
    Log,
    Record,
    Tag,
    Station,
    Count,
    Unknown,  // looks like an option, but is none of ours
};

struct Token {
    Kind kind = Kind::Word;
    std::int16_t port = 0;
};

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

// A whole decimal number, no larger than `most`.
std::optional<int> decimal(const std::string& digits, int most)
{
    if (digits.empty())
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > most)
            return std::nullopt;
    }
    return value;
}

Token classify(const std::string& arg)
{
    static const std::pair<const char*, Kind> kNamed[] = {
        {"-h", Kind::Help},
        {"--help", Kind::Help},
        {"/?", Kind::Help},
        {"--version", Kind::Version},
        {"--ports", Kind::Ports},
        {"/port", Kind::Port},
        {"/f", Kind::Flash},
        {"/e", Kind::Eeprom},
        {"/console", Kind::Console},
        {"--wait-port", Kind::WaitPort},
        {"--sync-seconds", Kind::SyncSeconds},
        {"--log", Kind::Log},
        {"--record", Kind::Record},
        {"--tag", Kind::Tag},
        {"--station", Kind::Station},
        {"--count", Kind::Count},
    };
    for (const auto& [name, kind] : kNamed) {
        if (arg == name)
            return {kind};
    }
    // An argument that starts with "/com" is a port option unless it holds a
    // further '/', which makes it a path such as "/company/fw.hex".
    const std::string comPrefix = "/com";
    if (arg.compare(0, comPrefix.size(), comPrefix) == 0 && arg.find('/', 1) == std::string::npos) {
        if (auto port = decimal(arg.substr(comPrefix.size()), INT16_MAX))
            return {Kind::Com, static_cast<std::int16_t>(*port)};
        return {Kind::BadCom};
    }
    if (arg.compare(0, 2, "--") == 0)
        return {Kind::Unknown};
    return {Kind::Word};
}

// "-v", "-x": a word that a user meant as an option, outside a file name.
bool looksLikeOption(const std::string& arg)
{
    return arg.size() >= 2 && arg[0] == '-';
}

// A word that names a serial device rather than a file: "/dev/ttyUSB0", "COM3".
bool looksLikeDevice(const std::string& arg)
{
    if (arg.compare(0, 5, "/dev/") == 0)
        return true;
    return arg.size() > 3 && (arg[0] == 'C' || arg[0] == 'c') && (arg[1] == 'O' || arg[1] == 'o') &&
           (arg[2] == 'M' || arg[2] == 'm') && decimal(arg.substr(3), INT16_MAX);
}

// A word of the command line as a message shows it, control characters written out.
std::string quoted(const std::string& arg)
{
    return "\"" + escapedForeign(arg) + "\"";
}

std::string fileNameFrom(const std::vector<std::string>& words)
{
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i)
        joined += (i == 0 ? "" : " ") + words[i];
    std::string name(trimmed(joined, " "));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

// A start that is not a command-line run: only `console` is kept of what was
// read, so that the message stays on the terminal when it was asked to. A
// refusal's reason follows the designed text on a line of its own.
ParsedArgs ended(ArgsVerdict verdict, const char* message, bool console, const std::string& reason = {})
{
    ParsedArgs result;
    result.verdict = verdict;
    result.message = message;
    if (!reason.empty())
        result.message += "\r\n" + reason;
    result.state.console = console;
    return result;
}

// An option that takes the next argument as its value.
struct ValueOption {
    Kind kind = Kind::Word;
    const char* name = "";
};

}  // namespace

ParsedArgs parseArguments(const std::vector<std::string>& args)
{
    if (std::all_of(args.begin(), args.end(), isBlank))
        return {};

    StartupState state;
    bool flashSeen = false;
    bool eepromSeen = false;
    bool comSeen = false;
    bool helpAsked = false;
    bool versionAsked = false;
    bool portsAsked = false;
    bool waitSeen = false;
    bool syncSeen = false;
    bool logSeen = false;
    bool recordSeen = false;
    bool tagSeen = false;
    bool countSeen = false;
    std::string refusal;                      // the first thing refused, and why
    std::string deviceWord;                   // an ignored word that names a device
    std::optional<ValueOption> valueFollows;  // the option whose value the next argument is

    std::string* openName = nullptr;  // the file name that takes the following words
    std::vector<std::string> nameWords;
    const auto closeName = [&] {
        if (openName)
            *openName = fileNameFrom(nameWords);
        openName = nullptr;
        nameWords.clear();
    };
    const auto refuse = [&](const std::string& reason) {
        if (refusal.empty())
            refusal = reason;
    };
    const auto seeOnce = [&](bool& seen, const std::string& arg) {
        if (seen)
            refuse(quoted(arg) + " is given twice: each option may be given once.");
        seen = true;
    };
    const auto number = [&](const char* name, const std::string& value, int most, const char* what) {
        const auto number = decimal(value, most);
        if (!number || *number < 1)
            refuse(std::string(name) + " " + quoted(value) + " is refused: the " + what +
                   " must be a whole number from 1 to " + std::to_string(most) + ".");
        return number.value_or(0);
    };
    // The value of the option before: a word that is no option.
    const auto takeValue = [&](const ValueOption& option, const std::string& arg, const Token& token) {
        if (token.kind != Kind::Word || isBlank(arg)) {
            refuse(option.kind == Kind::Port ? "/port needs the device after it, as in /port /dev/ttyUSB0."
                   : option.kind == Kind::Log || option.kind == Kind::Record
                       ? std::string(option.name) + " needs the name of its file after it."
                   : option.kind == Kind::Tag   ? "--tag needs its text after it, as in --tag A17 or --tag \"bench 3\"."
                   : option.kind == Kind::Count ? "--count needs a number of boards after it."
                                                : std::string(option.name) + " needs a number of seconds after it.");
            return false;
        }
        switch (option.kind) {
        case Kind::Port:
            // Each further device is a port of its own, programmed at the same time.
            if (!comSeen)
                state.CmdLinePortDevice = arg;
            else if (arg == state.CmdLinePortDevice ||
                     std::find(state.morePortDevices.begin(), state.morePortDevices.end(), arg) !=
                         state.morePortDevices.end())
                refuse("/port " + quoted(arg) + " is given twice: each port may be named once.");
            else
                state.morePortDevices.push_back(arg);
            comSeen = true;
            break;
        case Kind::Count:
            state.boardCount = number(option.name, arg, kMostBoards, "boards");
            break;
        case Kind::WaitPort:
            state.portWaitSeconds = number(option.name, arg, kMostPortWaitSeconds, "seconds");
            break;
        case Kind::SyncSeconds:
            state.syncSeconds = number(option.name, arg, kMostSyncSeconds, "seconds");
            break;
        case Kind::Record:
            state.recordPath = arg;
            break;
        case Kind::Tag:
            state.tag = arg;
            break;
        default:
            state.logPath = arg;
            break;
        }
        return true;
    };

    for (const auto& arg : args) {
        const Token token = classify(arg);
        if (valueFollows) {
            const ValueOption option = *std::exchange(valueFollows, std::nullopt);
            if (takeValue(option, arg, token))
                continue;
        }
        if (token.kind == Kind::Word) {
            // Words before the first file option are ignored: shortcuts and
            // scripts may carry them, but not what was meant as an option. A
            // word after the names that belongs to none of them is a mistake.
            if (openName) {
                nameWords.push_back(arg);
            } else if (looksLikeOption(arg)) {
                refuse(quoted(arg) + " is not an option of AVRBootloaderKorvel; --help lists them.");
            } else if ((flashSeen || eepromSeen) && !isBlank(arg)) {
                refuse(quoted(arg) + " belongs to no option: a file name follows /f or /e directly.");
            } else if (looksLikeDevice(arg) && deviceWord.empty()) {
                deviceWord = arg;
            }
            continue;
        }
        closeName();
        switch (token.kind) {
        case Kind::Flash:
            seeOnce(flashSeen, arg);
            openName = &state.FLASHFileName;
            break;
        case Kind::Eeprom:
            seeOnce(eepromSeen, arg);
            openName = &state.EEPROMFileName;
            break;
        case Kind::Com:
            // The first port counts; a later one is ignored.
            if (!comSeen)
                state.CmdLineComPort = token.port;
            comSeen = true;
            break;
        case Kind::Port:
            valueFollows = ValueOption{Kind::Port, "/port"};
            break;
        case Kind::WaitPort:
            seeOnce(waitSeen, arg);
            valueFollows = ValueOption{Kind::WaitPort, "--wait-port"};
            break;
        case Kind::SyncSeconds:
            seeOnce(syncSeen, arg);
            valueFollows = ValueOption{Kind::SyncSeconds, "--sync-seconds"};
            break;
        case Kind::Log:
            seeOnce(logSeen, arg);
            valueFollows = ValueOption{Kind::Log, "--log"};
            break;
        case Kind::Record:
            seeOnce(recordSeen, arg);
            valueFollows = ValueOption{Kind::Record, "--record"};
            break;
        case Kind::Tag:
            seeOnce(tagSeen, arg);
            valueFollows = ValueOption{Kind::Tag, "--tag"};
            break;
        case Kind::Console:
            state.console = true;
            break;
        case Kind::Station:
            state.station = true;
            break;
        case Kind::Count:
            seeOnce(countSeen, arg);
            valueFollows = ValueOption{Kind::Count, "--count"};
            break;
        case Kind::Help:
            helpAsked = true;
            break;
        case Kind::Version:
            versionAsked = true;
            break;
        case Kind::Ports:
            portsAsked = true;
            break;
        case Kind::BadCom:
            refuse(quoted(arg) + " is refused: a port is /com and its number, as in /com1, or /port and its device.");
            break;
        case Kind::Unknown:
            refuse(arg == "--port" || arg.compare(0, 7, "--port=") == 0
                       ? quoted(arg) + " is not an option: a device is given as /port <device>, as in /port "
                                       "/dev/ttyUSB0."
                       : quoted(arg) + " is not an option of AVRBootloaderKorvel; --help lists them.");
            break;
        case Kind::Word:
            break;
        }
    }
    closeName();
    if (valueFollows)
        takeValue(*valueFollows, {}, Token{Kind::Unknown});

    if (helpAsked)
        return ended(ArgsVerdict::UsageRequested, kUsageMessage, state.console);
    if (versionAsked)
        return ended(ArgsVerdict::VersionRequested, "", state.console);
    if (portsAsked)
        return ended(ArgsVerdict::PortsListed, "", state.console);
    if (refusal.empty() && countSeen && !state.station)
        refuse("--count is refused without --station: it counts the boards of a station.");
    if (!refusal.empty())
        return ended(ArgsVerdict::Refused, kUsageMessage, state.console, refusal);
    if (!flashSeen && !eepromSeen) {
        return ended(ArgsVerdict::Refused, kUsageMessage, state.console,
                     deviceWord.empty() ? "No file is named: /f <FlashFileName> or /e <EEPROMFileName> is missing."
                                        : quoted(deviceWord) + " looks like a serial device: name it with /port " +
                                              escapedForeign(deviceWord) + ".");
    }
    if (!comSeen) {
        return ended(ArgsVerdict::Refused, kNoComPortMessage, state.console,
                     deviceWord.empty() ? "Name the port with /comN (--ports lists them) or the device with /port "
                                          "<device>; either may come anywhere."
                                        : quoted(deviceWord) + " looks like a serial device: name it with /port " +
                                              escapedForeign(deviceWord) + ".");
    }

    ParsedArgs result;
    result.verdict = ArgsVerdict::CommandLine;
    result.state = state;
    return result;
}

}  // namespace korvel::cmdline
