#pragma once

#include <QString>

namespace korvel::mainwindow {

// The warning that the settings file could not be read and the defaults are
// used instead; a command-line run without a window gives it too.
QString settingsLoadWarning(const QString& fileName);

}  // namespace korvel::mainwindow
