#pragma once

#include <QString>

#include "platform/PortMap.h"

class QSerialPortInfo;

namespace korvel::platform {

// Where the system keeps a link to each USB serial device under a name made
// from the adapter's maker, model and serial number, which stays the same
// whichever ttyUSB or ttyACM number the adapter gets.
inline constexpr const char* kStableNamesFolder = "/dev/serial/by-id";

// What the system tells about a serial device; empty where it does not know.
struct DeviceFacts {
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString vendorId = {};    // of a USB device: four lower-case hex digits ("0403")
    QString productId = {};   // of a USB device: four lower-case hex digits ("6001")
    QString stableName = {};  // its link in kStableNamesFolder
};

// The facts of a device the system lists.
DeviceFacts deviceFacts(const QSerialPortInfo& info);

// The link in `folder` that leads to `realDevice`; empty when none does.
QString stableName(const QString& realDevice, const QString& folder = kStableNamesFolder);

// The facts of `device` (a path, a link to one, or a Windows COM name); all
// empty when the system does not list it.
DeviceFacts deviceFacts(const QString& device);

// "<device>[ (<real device>)][ - <description>, <maker>, USB <vendor>:<product>,
// serial number <n>][; stable name <link>]": the real device only when
// `device` is a link to it, the stable name only when `device` is not that
// link, the facts that are known.
QString portDescription(const QString& device, const QString& realDevice, const DeviceFacts& facts);

// Names the device behind port `number` and what the system knows about it,
// e.g. "/dev/ttyUSB0 - FT232R USB UART, FTDI, serial number A50285BI". Empty
// when the number names no port.
QString describePort(const PortMap& ports, int number);

}  // namespace korvel::platform
