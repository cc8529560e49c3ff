#include "cmdline/FileHash.h"

#include <QByteArrayView>
#include <QCryptographicHash>

namespace korvel::cmdline {

std::string sha256Hex(std::string_view bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

}  // namespace korvel::cmdline
