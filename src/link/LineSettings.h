#pragma once

namespace korvel::link {

enum class DataBits { Seven, Eight };
enum class Parity { None, Even, Odd };
enum class StopBits { One, Two };
// XON/XOFF: an XOFF from the other end pauses our transmission, only an XON
// resumes it, and neither character is ever delivered to us.
enum class FlowControl { None, XonXoff };

// How the serial line is run: speed, character frame and flow control.
struct LineSettings {
    int baudRate;
    DataBits dataBits;
    Parity parity;
    StopBits stopBits;
    FlowControl flowControl;
};

}  // namespace korvel::link
