#include "ManualPage.h"

#include "cmdline/CmdLineArgs.h"
#include "cmdline/HelpText.h"

#include <cctype>
#include <sstream>

namespace korvel::manpage {

namespace {

// An option or status in bold, its <arguments> in italics.
std::string roffTerm(const std::string& term)
{
    std::string result;
    std::size_t at = 0;
    while (at < term.size()) {
        const auto open = term.find('<', at);
        const auto close = open == std::string::npos ? std::string::npos : term.find('>', open);
        if (close == std::string::npos) {
            result += "\\fB" + roffText(term.substr(at), true) + "\\fR";
            break;
        }
        if (open > at)
            result += "\\fB" + roffText(term.substr(at, open - at), true) + "\\fR";
        result += "\\fI" + roffText(term.substr(open + 1, close - open - 1), true) + "\\fR";
        at = close + 1;
    }
    return result;
}

std::string upperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The help's texts as sentences: a capital first letter and a full stop.
std::string sentence(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

// The forms of the command: the windows; a download with its port, files and
// options; then each option that stands alone, its spellings as choices.
std::string synopsis()
{
    std::string port = "\\fB/com\\fIx\\fR";
    std::string options;
    std::string alone;
    for (const auto& section : cmdline::helpSections()) {
        for (const auto& entry : section.entries) {
            switch (entry.use) {
            case cmdline::HelpUse::Port:
                port += " | " + roffTerm(entry.term);
                break;
            case cmdline::HelpUse::Download:
                options += " [" + roffTerm(entry.term) + "]";
                break;
            case cmdline::HelpUse::Alone: {
                std::string choices = entry.term;
                for (auto at = choices.find(", "); at != std::string::npos; at = choices.find(", "))
                    choices.replace(at, 2, " | ");
                alone += ".br\n.B AVRBootloaderKorvel\n" + roffTerm(choices) + "\n";
                break;
            }
            case cmdline::HelpUse::NoOption:
                break;
            }
        }
    }
    return ".B AVRBootloaderKorvel\n.br\n.B AVRBootloaderKorvel\n" + port +
           " [\\fB/f\\fR \\fIFlashFileName\\fR] [\\fB/e\\fR \\fIEEPROMFileName\\fR]" + options + "\n" + alone;
}

}  // namespace

std::string roffText(const std::string& text, bool minusSigns)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineStart = i == 0 || text[i - 1] == '\n';
        if (lineStart && (c == '.' || c == '\''))
            result += "\\&";
        if (c == '\\')
            result += "\\e";
        else if (c == '-' && minusSigns)
            result += "\\-";
        else if (c != '\r')
            result += c;
    }
    return result;
}

std::string manualPage(const std::string& version)
{
    std::ostringstream page;
    page << ".TH AVRBOOTLOADERKORVEL 1 \"\" \"AVRBootloaderKorvel " << roffText(version, false)
         << "\" \"User Commands\"\n"
         << ".SH NAME\n"
         << "AVRBootloaderKorvel, avrbootloaderkorvel \\- send Intel HEX files to the serial bootloader of an AVR "
            "target module\n"
         << ".SH SYNOPSIS\n"
         << synopsis() << ".SH DESCRIPTION\n"
         << "Without arguments the program opens its window, where the serial port and the FLASH and EEPROM "
            "files are chosen and the download is started.\n"
         << "With arguments it makes one unattended download and ends; its exit status tells the outcome.\n"
         << ".PP\n"
         << "The usage the program shows:\n"
         << ".PP\n"
         << ".RS\n"
         << ".nf\n"
         << roffText(cmdline::kUsageMessage, true) << "\n"
         << ".fi\n"
         << ".RE\n";
    for (const auto& section : cmdline::helpSections()) {
        page << ".SH \"" << upperCase(section.title) << "\"\n";
        for (const auto& entry : section.entries)
            page << ".TP\n" << roffTerm(entry.term) << "\n" << roffText(sentence(entry.text), false) << "\n";
    }
    page << ".SH \"SEE ALSO\"\n"
         << ".BR korvel-targetsim (1),\n"
         << "a simulated bootloader for trying a script without a board.\n"
         << "The README in /usr/share/doc/avrbootloaderkorvel tells more about the window and the command "
            "line.\n";
    return page.str();
}

std::string simulatorManualPage(const std::string& version, const std::string& usage)
{
    std::istringstream lines(usage);
    std::string line;
    std::getline(lines, line);  // the usage, which the synopsis shows
    std::string description;
    std::getline(lines, description);
    std::string options;
    std::string notes;
    while (std::getline(lines, line)) {
        const auto text = line.find("  ", 2);
        if (line.rfind("  -", 0) == 0 && text != std::string::npos) {
            // Each spelling of the option in bold, its arguments in italics.
            std::istringstream words(line.substr(2, text - 2));
            std::string term;
            for (std::string word; words >> word;) {
                term += (term.empty() ? "" : " ") +
                        (word[0] == '-' ? "\\fB" + roffText(word, true) : "\\fI" + roffText(word, false)) + "\\fR";
            }
            options += ".TP\n" + term + "\n" + roffText(line.substr(line.find_first_not_of(' ', text)), false) + "\n";
        } else if (line.rfind("    ", 0) == 0 && !options.empty()) {
            options.back() = ' ';
            options += roffText(line.substr(line.find_first_not_of(' ')), false) + "\n";
        } else {
            notes += roffText(line, false) + "\n";
        }
    }
    std::ostringstream page;
    page << ".TH KORVEL-TARGETSIM 1 \"\" \"AVRBootloaderKorvel " << roffText(version, false) << "\" \"User Commands\"\n"
         << ".SH NAME\n"
         << "korvel-targetsim \\- a simulated AVR serial bootloader, for trying AVRBootloaderKorvel without a board\n"
         << ".SH SYNOPSIS\n"
         << ".B korvel-targetsim\n"
         << "[\\fIoptions\\fR]\n"
         << ".SH DESCRIPTION\n"
         << roffText(description, false) << "\n"
         << notes << ".PP\n"
         << "A dry run of a script or a production line, with a board that fails at line 3:\n"
         << ".PP\n"
         << ".RS\n"
         << ".nf\n"
         << "korvel\\-targetsim \\-\\-link /tmp/korvel\\-target \\-\\-write\\-error\\-line 3 &\n"
         << "AVRBootloaderKorvel /port /tmp/korvel\\-target /f app.hex /console\n"
         << ".fi\n"
         << ".RE\n"
         << ".SH OPTIONS\n"
         << options << ".SH \"SEE ALSO\"\n"
         << ".BR AVRBootloaderKorvel (1)\n";
    return page.str();
}

}  // namespace korvel::manpage
