#include "settings/SmallFile.h"

#include "system/WholeFile.h"

namespace korvel::settings {

SmallFile readSmallFile(const QString& path, qint64 largest)
{
    using Outcome = system::WholeFile::Outcome;
    const system::WholeFile file =
        system::readWholeFile(path.toUtf8().toStdString(), {static_cast<std::size_t>(largest), true});
    switch (file.outcome) {
    case Outcome::Read:
        return {SmallFile::Outcome::Read, QByteArray::fromStdString(file.content), {}};
    case Outcome::Missing:
        return {};
    case Outcome::IsDirectory:
    case Outcome::NotRegular:
        return SmallFile::notRegular();
    case Outcome::TooLarge:
        return SmallFile::tooLarge(largest);
    case Outcome::NotOpened:
    case Outcome::ReadFailed:
    case Outcome::TooSlow:
    case Outcome::Interrupted:
        break;
    }
    return SmallFile::refused(QString::fromStdString(file.reason));
}

}  // namespace korvel::settings
