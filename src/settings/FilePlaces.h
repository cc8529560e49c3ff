#pragma once

#include <QString>

namespace korvel::settings {

inline constexpr const char* kPortsFileName = "AVRBootloaderKorvel.ports";

// The settings file a run reads and the one it writes. They differ only while
// an installed program's user has no settings file of their own: the copy
// beside the executable is read, the user's own file is written.
struct SettingsPaths {
    QString load;
    QString save;
};

// How far the folder that holds the executable is trusted with the files.
enum class ProgramFolder {
    // A copy that runs from its own folder (a build tree, an unpacked folder),
    // which this user owns, may write to, and nobody else may write to: the
    // files live beside the executable.
    Own,
    // An installed copy (below a system prefix such as /usr or /opt), or a
    // folder of root's or this user's that this user may not write to: the
    // files live in the user's own place; the copies beside the executable,
    // which only their owner can have put there, are read while the user has
    // none.
    Installed,
    // A folder that others may write to (/tmp), or another user's: anyone
    // there could plant a file or a link, so nothing beside the executable is
    // read or written; the files live in the user's own place.
    Shared,
};

// What the folder is, judged by its owner and mode after links are resolved.
// One implementation per system (FilePlacesPosix.cpp, FilePlacesWindows.cpp).
ProgramFolder programFolderKind(const QString& programDir);

// Where the settings file and the ports file live: beside the executable for
// a copy in its own folder, otherwise in the user's configuration folder,
// $XDG_CONFIG_HOME/avrbootloaderkorvel (by default ~/.config/avrbootloaderkorvel).
class FilePlaces {
public:
    explicit FilePlaces(const QString& programDir);

    SettingsPaths settingsPaths() const;
    QString portsPath() const;
    ProgramFolder programFolder() const { return kind_; }

private:
    // The file of that name to read: the user's own, or for an installed
    // program the copy beside the executable while the user has none.
    QString toRead(const char* name) const;

    QString programDir_;
    ProgramFolder kind_;
    QString ownDir_;  // where the files are written
};

}  // namespace korvel::settings
