#include "cmdline/BoardRecord.h"

#include "base/ForeignText.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <cmath>

namespace korvel::cmdline {

namespace {

// A text as JSON keeps it: exactly where it is UTF-8 (JSON escapes its
// control characters itself), otherwise as the terminal shows it; null when
// empty.
QJsonValue text(const std::string& value)
{
    if (value.empty())
        return QJsonValue::Null;
    const QByteArray bytes(value.data(), qsizetype(value.size()));
    const QString decoded = QString::fromUtf8(bytes);
    return decoded.toUtf8() == bytes ? decoded : QString::fromUtf8(escapedForeign(value).c_str());
}

// ISO 8601 in UTC to the millisecond: "2024-05-02T08:15:30.250Z".
QJsonValue utcTime(std::chrono::system_clock::time_point time)
{
    const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

// Seconds to the millisecond.
QJsonValue seconds(double value)
{
    return std::round(value * 1000) / 1000;
}

QJsonObject fileObject(const RunRecord::FileFacts& file)
{
    const bool read = !file.sha256.empty();
    return QJsonObject{
        {"memory", file.kind == link::FileKind::Eeprom ? "eeprom" : "flash"},
        {"path", text(file.path)},
        {"size", read ? QJsonValue(qint64(file.size)) : QJsonValue::Null},
        {"lines", read ? QJsonValue(file.lines) : QJsonValue::Null},
        {"sha256", text(file.sha256)},
        {"accepted", file.accepted},
        {"skipped", file.skipped},
        {"sent", file.sent},
        {"resends", file.resends},
        {"bytes", qint64(file.bytes)},
        {"remaining", file.remaining()},
    };
}

}  // namespace

std::string BoardRecord::line(const RunRecord::Facts& facts, const RunPlace& place)
{
    QJsonArray files;
    for (const RunRecord::FileFacts& file : facts.files)
        files.append(fileObject(file));
    QJsonObject run{
        {"started", utcTime(facts.started)},
        {"ended", utcTime(facts.ended)},
        {"program", text(place.program)},
        {"version", text(place.version)},
        {"host", text(place.host)},
        {"tag", text(facts.tag)},
        {"port", text(place.port)},
        {"device", text(place.device)},
        {"usb_vendor_id", text(place.usbVendorId)},
        {"usb_product_id", text(place.usbProductId)},
        {"usb_serial_number", text(place.usbSerialNumber)},
        {"bootloader", text(facts.bootloader)},
        {"outcome", text(facts.outcome)},
        {"exit_status", facts.exitStatus},
        {"note", text(facts.note)},
        {"seconds", seconds(facts.seconds)},
        {"waited", seconds(facts.waited)},
        {"files", files},
    };
    // A station's boards are numbered in its run.
    if (facts.board > 0)
        run.insert("board", facts.board);
    return QJsonDocument(run).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

bool BoardRecord::append(const RunRecord::Facts& facts, const RunPlace& place)
{
    return file_.append(line(facts, place));
}

}  // namespace korvel::cmdline
