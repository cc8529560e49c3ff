#pragma once

#include <QString>

#include <optional>

#include "settings/SettingsFile.h"

namespace korvel::mainwindow {

// The warning that the settings file `fileName`, as it was read, cannot be
// used and the defaults are used instead; none when there is nothing to warn
// of. A command-line run uses none of the values: a file it never had is no
// cause to stop an unattended run for a click. The main window and a
// command-line run without a window both judge the file by it.
std::optional<QString> settingsLoadWarning(const settings::StoredSettings& file, const QString& fileName,
                                           bool cmdLineMode);

}  // namespace korvel::mainwindow
