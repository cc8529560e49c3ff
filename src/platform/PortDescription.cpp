#include "platform/PortDescription.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

#include "base/ForeignText.h"
#include "platform/SystemText.h"

namespace korvel::platform {

namespace {

// What the system or the device itself tells, with its control characters
// written out.
QString shown(const QString& foreign)
{
    return foreignText(foreign);
}

}  // namespace

QString portDescription(const QString& device, const QString& realDevice, const DeviceFacts& facts)
{
    QString text = shown(device);
    if (!realDevice.isEmpty() && realDevice != device)
        text += QStringLiteral(" (") + shown(realDevice) + QLatin1Char(')');

    QStringList known;
    if (!facts.description.isEmpty())
        known << shown(facts.description);
    if (!facts.manufacturer.isEmpty())
        known << shown(facts.manufacturer);
    if (!facts.serialNumber.isEmpty())
        known << QStringLiteral("serial number ") + shown(facts.serialNumber);
    if (!known.isEmpty())
        text += QStringLiteral(" - ") + known.join(QStringLiteral(", "));
    return text;
}

QString describePort(const PortMap& ports, int number)
{
    const auto mapped = ports.device(number);
    if (!mapped)
        return {};
    const QString device = QFile::decodeName(mapped->c_str());
    // The system lists devices by their real names, not by the links to them
    // (/dev/serial/by-id/...).
    const QString realDevice = QFileInfo(device).canonicalFilePath();
    const QString wanted = realDevice.isEmpty() ? device : realDevice;

    DeviceFacts facts;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == wanted || info.portName() == wanted) {
            facts = {info.description(), info.manufacturer(), info.serialNumber()};
            break;
        }
    }
    return portDescription(device, realDevice, facts);
}

}  // namespace korvel::platform
