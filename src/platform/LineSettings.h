#pragma once

#include <QSerialPort>
#include <string_view>

namespace korvel::platform {

// Line parameters of a serial port.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Reads the form "115200,n,8,1": baud rate, parity (n, e, o, m or s, either
// case), data bits (5 to 8), stop bits (1, 1.5 or 2). Blanks around a field
// are allowed. Throws link::PortError for any other text.
LineSettings parseLineSettings(std::string_view text);

}  // namespace korvel::platform
