#pragma once

#include <QByteArray>

#include <optional>

namespace korvel::settings {

// The main window's inputs kept from one run to the next.
// The texts are bytes in the local 8-bit encoding (UTF-8 on Linux).
struct Settings {
    int comListPosition = 0;  // position in the port list, -1 = no selection
    int flashCheck = 1;       // 0 not ticked, 1 ticked, 2 greyed
    QByteArray flashFile;
    int eepromCheck = 0;
    QByteArray eepromFile;

    friend bool operator==(const Settings& a, const Settings& b)
    {
        return a.comListPosition == b.comListPosition && a.flashCheck == b.flashCheck && a.flashFile == b.flashFile &&
               a.eepromCheck == b.eepromCheck && a.eepromFile == b.eepromFile;
    }
};

// Reads the five values from the content of a settings file. The values are
// separated by commas or line ends (CR LF or LF); leading blanks of a value are
// skipped; a value that starts with a double quote runs to the next double
// quote, commas and line ends included. Anything after the fifth value is
// ignored. Gives nothing when the content ends early, a number is not a number,
// the list position is below -1 or not below `portCount`, or a check value is
// not 0, 1 or 2. A UTF-8 byte-order mark before the first value is skipped.
std::optional<Settings> parseSettings(const QByteArray& content, int portCount);

// The content of a settings file: the five values one per line, each line
// ended by CR LF, numbers bare, texts in double quotes. Gives nothing when a
// text holds a double quote, which the file cannot carry.
std::optional<QByteArray> formatSettings(const Settings& settings);

}  // namespace korvel::settings
