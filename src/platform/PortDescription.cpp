#include "platform/PortDescription.h"

#include <QDir>
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
    if (!facts.vendorId.isEmpty())
        known << QStringLiteral("USB ") + facts.vendorId + QLatin1Char(':') + facts.productId;
    if (!facts.serialNumber.isEmpty())
        known << QStringLiteral("serial number ") + shown(facts.serialNumber);
    if (!known.isEmpty())
        text += QStringLiteral(" - ") + known.join(QStringLiteral(", "));
    if (!facts.stableName.isEmpty() && facts.stableName != device)
        text += QStringLiteral("; stable name ") + shown(facts.stableName);
    return text;
}

DeviceFacts deviceFacts(const QSerialPortInfo& info)
{
    DeviceFacts facts{info.description(), info.manufacturer(), info.serialNumber()};
    const auto hex = [](quint16 id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')); };
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
        facts.vendorId = hex(info.vendorIdentifier());
        facts.productId = hex(info.productIdentifier());
    }
    facts.stableName = stableName(info.systemLocation());
    return facts;
}

// The links are named after the adapters; of several that lead to the
// device, the first by name is taken.
QString stableName(const QString& realDevice, const QString& folder)
{
    const QDir links(folder);
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (link.isSymLink() && link.canonicalFilePath() == realDevice)
            return link.absoluteFilePath();
    }
    return {};
}

DeviceFacts deviceFacts(const QString& device)
{
    // The system lists devices by their real names, not by the links to them
    // (/dev/serial/by-id/...).
    const QString realDevice = QFileInfo(device).canonicalFilePath();
    const QString wanted = realDevice.isEmpty() ? device : realDevice;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == wanted || info.portName() == wanted)
            return deviceFacts(info);
    }
    return {};
}

QString describePort(const PortMap& ports, int number)
{
    const auto mapped = ports.device(number);
    if (!mapped)
        return {};
    const QString device = QFile::decodeName(mapped->c_str());
    return portDescription(device, QFileInfo(device).canonicalFilePath(), deviceFacts(device));
}

}  // namespace korvel::platform
