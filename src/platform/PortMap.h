#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::platform {

// Name of the optional file, beside the executable, that assigns devices to
// port numbers on systems without COM port names.
inline constexpr const char* kPortsFileName = "AVRBootloaderKorvel.ports";

// Port numbers the program offers: COM1 to COM16.
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 16;

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
    static PortMap fromText(std::string_view text);
    // Reads a ports file; a file that is missing or cannot be read gives the
    // usual devices only.
    static PortMap fromFile(const QString& path);

    // The device of port `number`, none when the number names no port.
    std::optional<std::string> device(int number) const;

private:
    std::map<int, std::string> assigned_;
};

}  // namespace korvel::platform
