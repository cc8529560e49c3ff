#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::platform {

// Port numbers the program offers: COM1 to COM16.
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 16;

struct PortsFile;

// Maps a port number to the device that opening that port opens. On Windows
// port n is "COMn" (PortMapWindows.cpp). Elsewhere (PortMapPosix.cpp) a
// "COMn=<device path>" line of the ports file names the device, and ports
// without such a line use the usual devices: COM1-COM4 /dev/ttyS0-3,
// COM5-COM10 /dev/ttyUSB0-5, COM11-COM16 /dev/ttyACM0-5.
class PortMap {
public:
    // The usual devices only.
    PortMap() = default;

    // Reads the text of a ports file: a line "COMn=<device path>" (blanks
    // around the parts allowed, "COM" in either case, n from 1 to 16) assigns
    // a device to port n, a later line replacing an earlier one; a line whose
    // first non-blank character is '#' is a comment; other lines are ignored.
    // A UTF-8 byte-order mark before the first line is skipped.
    static PortMap fromText(std::string_view text);

    // The device of port `number`, none when the number names no port.
    std::optional<std::string> device(int number) const;

    // Whether the port list's probe opens port `number`. On Windows only the
    // ports the system lists: opening a number it does not list can block for
    // seconds (Bluetooth serial ports). Elsewhere every port that has a
    // device, which the ports file may name outside the system's list (a
    // pseudo-terminal).
    bool worthProbing(int number) const;

    // How a device, such as `example`, gets a port number: "A line such as
    // COM1=/dev/ttyUSB0 in the ports file <path> gives a port its device."
    std::string howToAssign(const std::string& example = "/dev/ttyUSB0") const;

    // Where the ports get their devices, as the first line of the ports list:
    // the ports file, or the usual devices; on Windows the system itself.
    std::string source() const;

    // The ports file this map was read from, or where one would be read when
    // there is none; empty when not known.
    const std::string& filePath() const { return filePath_; }
    // True when the map holds the lines of that file, false for the usual devices.
    bool fromFile() const { return fromFile_; }

private:
    friend PortsFile readPortsFile(const QString& path);

    std::map<int, std::string> assigned_;
    std::string filePath_;
    bool fromFile_ = false;
};

// What a ports file gave: its ports, and why it was ignored when it was.
struct PortsFile {
    PortMap ports;
    QString reason;  // why the file was ignored, with its name; empty unless it exists and was ignored
};

// Reads a ports file. A missing file gives the usual devices only; so does a
// file that cannot be read, is not a regular file or is too large to be one,
// with a note naming the file and the reason.
PortsFile readPortsFile(const QString& path);

}  // namespace korvel::platform
