#pragma once

namespace korvel::cmdline {

// The exit statuses of a command-line run; a stop signal gives 128 plus the
// signal (system::exitStatusOf).
inline constexpr int kExitDownloaded = 0;    // the download succeeded
inline constexpr int kExitInfoShown = 0;     // the usage, the version or the ports were asked for
inline constexpr int kExitRunFailed = 1;     // the run failed, or was stopped by its user
inline constexpr int kExitRefused = 2;       // the command line or the log was refused
inline constexpr int kExitLinesSkipped = 3;  // the download ended well, but lines were skipped

}  // namespace korvel::cmdline
