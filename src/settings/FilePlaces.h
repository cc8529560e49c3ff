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

// Where the settings file and the ports file live. A program in a folder its
// user may write to (a portable copy) keeps them beside the executable. An
// installed one keeps them in the user's own folder (system::userFilesFolder:
// ~/.config/avrbootloaderkorvel, %APPDATA%\AVRBootloaderKorvel), and reads the
// copies beside the executable while the user has none there.
class FilePlaces {
public:
    explicit FilePlaces(const QString& programDir);

    SettingsPaths settingsPaths() const;
    QString portsPath() const;

private:
    // The file of that name to read: the user's own unless only the copy
    // beside the executable exists.
    QString toRead(const char* name) const;

    QString programDir_;
    QString ownDir_;  // where the files are written
};

}  // namespace korvel::settings
