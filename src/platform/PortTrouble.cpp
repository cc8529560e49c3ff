#include "platform/PortTrouble.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <vector>

#include "base/ForeignText.h"
#include "link/SerialPort.h"
#include "platform/DeviceSerialPort.h"
#include "platform/PortDescription.h"
#include "platform/SystemText.h"

namespace korvel::platform {

namespace {

// The device a path leads to, for comparing a link with the system's names.
QString realDevice(const std::string& device)
{
    const QString path = QFile::decodeName(device.c_str());
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

// "COM5" or "COM5, COM9": the ports that open the device the system lists.
std::string numbersOf(const QSerialPortInfo& info, const PortMap& ports)
{
    std::string numbers;
    for (int number = kFirstPort; number <= kLastPort; ++number) {
        const auto device = ports.device(number);
        if (!device)
            continue;
        const QString real = realDevice(*device);
        if (real == info.systemLocation() || real == info.portName())
            numbers += (numbers.empty() ? "COM" : ", COM") + std::to_string(number);
    }
    return numbers;
}

// The serial devices the system lists, each in words, and whether one is a
// USB adapter.
struct Present {
    std::vector<std::string> devices;  // "COM5 = /dev/ttyUSB0 - ..." or "/dev/ttyS0 - ... (no port number)"
    bool usb = false;
    std::string unnumbered;  // one of them that has no port number, by its stable name where it has one

    // As one sentence, for a message: empty when there is none.
    std::string listed() const
    {
        std::string text;
        for (const std::string& device : devices)
            text += (text.empty() ? "Serial devices present now: " : "; ") + device;
        return text.empty() ? text : text + ".";
    }
    std::string noUsb() const { return usb ? "" : "No USB serial adapter found: plug it in, then try again."; }
    std::string text() const
    {
        const std::string list = listed();
        return list + (list.empty() || usb ? "" : " ") + noUsb();
    }
};

Present listPresent(const PortMap& ports)
{
    Present present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        present.usb = present.usb || info.hasVendorIdentifier();
        const std::string numbers = numbersOf(info, ports);
        const DeviceFacts facts = deviceFacts(info);
        const std::string described = programText(portDescription(info.systemLocation(), {}, facts));
        // A port is best given the name that stays with the adapter.
        if (numbers.empty() && present.unnumbered.empty())
            present.unnumbered =
                escapedForeign(programText(facts.stableName.isEmpty() ? info.systemLocation() : facts.stableName));
        present.devices.push_back(numbers.empty() ? described + " (no port number)" : numbers + " = " + described);
    }
    return present;
}

std::string portLabel(int number, const std::string& device)
{
    return "COM" + std::to_string(number) + " = " + escapedForeign(device);
}

}  // namespace

std::string openTrouble(const DeviceDiagnosis& diagnosis, const PortMap& ports)
{
    if (diagnosis.trouble == DeviceTrouble::Missing)
        return diagnosis.text + ". " + presentDevices(ports);
    return openCause(diagnosis);
}

std::string openCause(const DeviceDiagnosis& diagnosis)
{
    return diagnosis.text.empty() ? "it could not be opened" : diagnosis.text;
}

std::string unmappedTrouble(const PortMap& ports)
{
    return "no such port: the ports are COM" + std::to_string(kFirstPort) + " to COM" + std::to_string(kLastPort) +
           ". " + listPresent(ports).text() + " " + ports.howToAssign();
}

std::string presentDevices(const PortMap& ports)
{
    const Present present = listPresent(ports);
    return present.unnumbered.empty() ? present.text() : present.text() + " " + ports.howToAssign(present.unnumbered);
}

QString whyNoPortOpens(const PortMap& ports)
{
    std::string text;
    for (int number = kFirstPort; number <= kLastPort && text.empty(); ++number) {
        const auto device = ports.device(number);
        if (!device)
            continue;
        const DeviceDiagnosis diagnosis = diagnoseDevice(*device, QSerialPort::NoError, {});
        if (diagnosis.trouble != DeviceTrouble::Missing)
            text = "Serial devices found, but none could be opened. " + portLabel(number, *device) + ": " +
                   (diagnosis.text.empty() ? "it could not be opened" : diagnosis.text);
    }
    if (text.empty()) {
        const Present present = listPresent(ports);
        text =
            (!present.devices.empty() ? "No port leads to a serial device present now. " : "No serial device found. ") +
            presentDevices(ports);
    }
    // A tooltip does not wrap its lines: one sentence each.
    return qtText(text).replace(QStringLiteral(". "), QStringLiteral(".\n"));
}

QString portsReport(const PortMap& ports)
{
    QString report = qtText(ports.source());
    for (int number = kFirstPort; number <= kLastPort; ++number) {
        const auto device = ports.device(number);
        if (!device)
            continue;
        const QString described =
            QStringLiteral("COM") + QString::number(number) + QStringLiteral(" = ") + describePort(ports, number);
        DeviceSerialPort port(ports);
        port.setPortNumber(number);
        try {
            port.open();
            report += QLatin1Char('\n') + described + QStringLiteral(": present, can be opened");
        } catch (const link::PortError& error) {
            const auto diagnosis = diagnoseDevice(*device, QSerialPort::SerialPortError(port.lastEventCode()), {});
            // Where the device shows nothing wrong, the failure's own text.
            if (diagnosis.trouble == DeviceTrouble::Missing)
                report += QLatin1Char('\n') + described + QStringLiteral(": not present");
            else if (diagnosis.text.empty())
                report += QLatin1Char('\n') + qtText(error.what());
            else
                report += QLatin1Char('\n') + described + QStringLiteral(": present, cannot be opened: ") +
                          qtText(diagnosis.text);
        }
    }
    // The devices present, one a line, with what identifies each adapter:
    // its USB ids, serial number and stable name, which the ports file can
    // give a port number.
    const Present present = listPresent(ports);
    report += present.devices.empty() ? QStringLiteral("\nNo serial device present now.")
                                      : QStringLiteral("\nSerial devices present now:");
    for (const std::string& device : present.devices)
        report += QStringLiteral("\n  ") + qtText(device);
    if (!present.usb)
        report += QLatin1Char('\n') + qtText(present.noUsb());
    if (!present.unnumbered.empty())
        report += QLatin1Char('\n') + qtText(ports.howToAssign(present.unnumbered));
    return report;
}

}  // namespace korvel::platform
