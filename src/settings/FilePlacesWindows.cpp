// Whether the executable's folder is its own on Windows: a folder the user may
// write to is a portable copy's; Program Files and the like are not.
#include "settings/FilePlaces.h"

#include <QFileInfo>

namespace korvel::settings {

ProgramFolder programFolderKind(const QString& programDir)
{
    return QFileInfo(programDir).isWritable() ? ProgramFolder::Own : ProgramFolder::Installed;
}

}  // namespace korvel::settings
