#pragma once

#include "settings/SettingsFormat.h"

#include <QString>

#include <optional>

namespace korvel::settings {

inline constexpr const char* kSettingsFileName = "AVRBootloaderKorvel.cfg";

// What reading the settings file found.
struct StoredSettings {
    enum class Outcome {
        Read,      // `values` holds its values
        Missing,   // the path names nothing (a first start)
        Unusable,  // it cannot be read, is not a regular file, is larger than any settings file can be, or
                   // does not hold valid values (see parseSettings)
    };
    Outcome outcome = Outcome::Missing;
    std::optional<Settings> values;  // when read
};

StoredSettings readSettingsFile(const QString& path, int portCount);

// The outcome of writing the settings file; true when it was written.
struct WriteResult {
    bool written = false;
    QString reason;  // why it was not written, in the system's words where it gave them
    explicit operator bool() const { return written; }
};

// Replaces the settings file as a whole (see replaceFile): on failure the old
// file stays as it was and no new file is left. Another user's symbolic link
// in its place is never written through. A missing folder is created first.
WriteResult writeSettingsFile(const QString& path, const Settings& settings);

}  // namespace korvel::settings
