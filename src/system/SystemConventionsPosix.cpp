// Names and texts of Linux and other POSIX systems.
#include "system/SystemConventions.h"

namespace korvel::system {

std::string serialDeviceName(const std::string& given)
{
    return given;
}

const char* const kSerialDeviceExamples = "/dev/ttyUSB0 or /dev/serial/by-id/...";
const char* const kStopStatusesHelp = "  129, 130, 143  interrupted by SIGHUP, SIGINT (Ctrl-C) or SIGTERM";

}  // namespace korvel::system
