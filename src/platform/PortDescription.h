#pragma once

#include <QString>

#include "platform/PortMap.h"

namespace korvel::platform {

// What the system tells about a serial device; empty where it does not know.
struct DeviceFacts {
    QString description;
    QString manufacturer;
    QString serialNumber;
};

// "<device>[ (<real device>)][ - <description>, <maker>, serial number <n>]":
// the real device only when `device` is a link to it, the facts that are known.
QString portDescription(const QString& device, const QString& realDevice, const DeviceFacts& facts);

// Names the device behind port `number` and what the system knows about it,
// e.g. "/dev/ttyUSB0 - FT232R USB UART, FTDI, serial number A50285BI". Empty
// when the number names no port.
QString describePort(const PortMap& ports, int number);

}  // namespace korvel::platform
