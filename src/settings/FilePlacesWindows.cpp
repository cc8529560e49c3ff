// Whether the executable's folder is its own on Windows: a folder the user can
// really make files in is a portable copy's; Program Files and the like, which
// an ordinary user cannot write whatever their attributes say, are not.
#include "settings/FilePlaces.h"

#include "system/UserFolders.h"

namespace korvel::settings {

ProgramFolder programFolderKind(const QString& programDir)
{
    return system::folderTakesNewFiles(programDir.toUtf8().toStdString()) ? ProgramFolder::Own
                                                                          : ProgramFolder::Installed;
}

}  // namespace korvel::settings
