#include "cmdline/CmdLineArgs.h"

#include "link/Text.h"

#include <algorithm>
#include <optional>

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

enum class Kind { Word, Flash, Eeprom, Com, BadCom, Port, Console, Help, Version, Ports };

struct Token {
    Kind kind = Kind::Word;
    std::int16_t port = 0;
};

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

// "/comN" with N decimal and no greater than the largest port number we can hold.
std::optional<std::int16_t> comPortNumber(const std::string& digits)
{
    if (digits.empty())
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT16_MAX)
            return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

Token classify(const std::string& arg)
{
    if (arg == "-h" || arg == "--help" || arg == "/?")
        return {Kind::Help};
    if (arg == "--version")
        return {Kind::Version};
    if (arg == "--ports")
        return {Kind::Ports};
    if (arg == "/port")
        return {Kind::Port};
    if (arg == "/f")
        return {Kind::Flash};
    if (arg == "/e")
        return {Kind::Eeprom};
    if (arg == "/console")
        return {Kind::Console};
    // An argument that starts with "/com" is a port option unless it holds a
    // further '/', which makes it a path such as "/company/fw.hex".
    const std::string comPrefix = "/com";
    if (arg.compare(0, comPrefix.size(), comPrefix) == 0 && arg.find('/', 1) == std::string::npos) {
        if (auto port = comPortNumber(arg.substr(comPrefix.size())))
            return {Kind::Com, *port};
        return {Kind::BadCom};
    }
    return {Kind::Word};
}

std::string fileNameFrom(const std::vector<std::string>& words)
{
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i)
        joined += (i == 0 ? "" : " ") + words[i];
    std::string name(link::trimmed(joined, " "));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

// A start that is not a command-line run: only `console` is kept of what was
// read, so that the message stays on the terminal when it was asked to.
ParsedArgs ended(ArgsVerdict verdict, const char* message, bool console)
{
    ParsedArgs result;
    result.verdict = verdict;
    result.message = message;
    result.state.console = console;
    return result;
}

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
    bool malformed = false;
    bool deviceFollows = false;  // "/port" was the last argument

    std::string* openName = nullptr;  // the file name that takes the following words
    std::vector<std::string> nameWords;
    const auto closeName = [&] {
        if (openName)
            *openName = fileNameFrom(nameWords);
        openName = nullptr;
        nameWords.clear();
    };
    const auto seeOnce = [&](bool& seen) {
        malformed = malformed || seen;
        seen = true;
    };

    for (const auto& arg : args) {
        const Token token = classify(arg);
        if (deviceFollows) {
            // The device of "/port"; without one, as before another option,
            // the command line is refused.
            deviceFollows = false;
            if (token.kind != Kind::Word || isBlank(arg)) {
                malformed = true;
            } else {
                if (!comSeen)
                    state.CmdLinePortDevice = arg;
                comSeen = true;
                continue;
            }
        }
        if (token.kind == Kind::Word) {
            // Words before the first file option are ignored: shortcuts and
            // scripts may carry them. A word after the names that belongs to
            // none of them is a mistake.
            if (openName)
                nameWords.push_back(arg);
            else if ((flashSeen || eepromSeen) && !isBlank(arg))
                malformed = true;
            continue;
        }
        closeName();
        switch (token.kind) {
        case Kind::Flash:
            seeOnce(flashSeen);
            openName = &state.FLASHFileName;
            break;
        case Kind::Eeprom:
            seeOnce(eepromSeen);
            openName = &state.EEPROMFileName;
            break;
        case Kind::Com:
            // The first port counts; a later one is ignored.
            if (!comSeen)
                state.CmdLineComPort = token.port;
            comSeen = true;
            break;
        case Kind::Port:
            deviceFollows = true;
            break;
        case Kind::Console:
            state.console = true;
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
        case Kind::Word:
            malformed = true;
            break;
        }
    }
    closeName();
    malformed = malformed || deviceFollows;

    if (helpAsked)
        return ended(ArgsVerdict::UsageRequested, kUsageMessage, state.console);
    if (versionAsked)
        return ended(ArgsVerdict::VersionRequested, "", state.console);
    if (portsAsked)
        return ended(ArgsVerdict::PortsListed, "", state.console);
    if (malformed || (!flashSeen && !eepromSeen))
        return ended(ArgsVerdict::Refused, kUsageMessage, state.console);
    if (!comSeen)
        return ended(ArgsVerdict::Refused, kNoComPortMessage, state.console);

    ParsedArgs result;
    result.verdict = ArgsVerdict::CommandLine;
    result.state = state;
    return result;
}

}  // namespace korvel::cmdline
