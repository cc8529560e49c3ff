#pragma once

#include <cstddef>

#include "link/LineSettings.h"

// The bootloader's wire protocol as the PC speaks it: the line, every byte
// either end sends and every time the PC allows. The target simulator speaks
// it from the same names.
namespace korvel::link::protocol {

inline constexpr LineSettings kLineSettings{115200, DataBits::Eight, Parity::None, StopBits::One, FlowControl::XonXoff};

// Synchronisation phase 1: blocks of the sync byte until the target answers.
inline constexpr char kSyncByte = 0x55;
inline constexpr std::size_t kSyncBlockSize = 512;
inline constexpr char kSyncAnswer = '$';
// Phase 2: the call until the target answers; its version follows the marker.
inline constexpr char kHello[] = "@&$";
inline constexpr char kHelloAnswer = '?';
inline constexpr char kVersionMarker = 'G';

// Both phases keep the line busy: whenever the output queued toward the target
// has fallen to a low water, it is topped up again, to one sync block in phase
// 1 and to a few calls in phase 2, whose queue still goes out before the first
// line. The low water leaves the next top-up room to come late: about 22 ms of
// the line in phase 1, 2 ms in phase 2. Each top-up costs a wake-up: about 45 a
// second in phase 1; in phase 2, whose ceiling grows with what it has written
// from the first to the last (12.5 ms of the line), about 100.
inline constexpr std::size_t kSyncLowWater = 256;
inline constexpr std::size_t kHelloSize = sizeof kHello - 1;
inline constexpr std::size_t kHelloFirstCeiling = 12 * kHelloSize;
inline constexpr std::size_t kHelloCeiling = 48 * kHelloSize;
inline constexpr std::size_t kHelloLowWater = 8 * kHelloSize;

// Written once before the EEPROM lines: whether FLASH lines follow them.
inline constexpr char kEepromThenFlash[] = "*!";
inline constexpr char kEepromOnly[] = "*";

// The target's one-character answers to a line.
inline constexpr char kLineAccepted = '~';
inline constexpr char kFileEnded = '#';     // accepts a line; ends a file's end-of-file wait
inline constexpr char kDownloadDone = '@';  // accepts a line; after the last file, success
inline constexpr char kChecksumError = '-';
inline constexpr char kWriteError = '%';
inline constexpr char kAcceptedAnswers[] = {kLineAccepted, kFileEnded, kDownloadDone, '\0'};
inline constexpr char kRefusals[] = {kChecksumError, kWriteError, '\0'};
// Any of these ends the wait for a line's answer.
inline constexpr char kAnswers[] = {kWriteError, kLineAccepted, kFileEnded, kDownloadDone, kChecksumError, '\0'};

// From this bootloader version on, a line refused with a checksum error or left
// unanswered is sent again, up to kMostSends sends in all, and its answer is
// awaited for kAnswerSeconds on the whole-second clock; below it, for
// kAnswerTicks ticks of kAnswerTickMs.
inline constexpr float kResendVersion = 1.28f;
inline constexpr int kMostSends = 3;
inline constexpr long long kAnswerSeconds = 3;
inline constexpr int kAnswerTicks = 5;
inline constexpr int kAnswerTickMs = 60;
// After a file's last line, the wait for kFileEnded.
inline constexpr long long kEndOfFileSeconds = 2;

// An answer of several characters ("?" with the version, "#" with "@" after
// the last file) travels as one, but a PC that reads at once may see its first
// character alone. The rest is taken while it keeps coming: until the line
// has been quiet for kAnswerQuietMs (USB serial adapters pass received bytes
// on in packets up to 16 ms apart), for kAnswerRestMostMs at most.
inline constexpr int kAnswerQuietMs = 20;
inline constexpr int kAnswerRestMostMs = 200;

// TmrSyn: the first synchronisation window of a program run, the settle pause
// after "$" and the window of phase 2, which later phases 1 keep.
inline constexpr int kFirstSyncWindowMs = 5000;
inline constexpr int kSettleMs = 1;
inline constexpr int kPhase2WindowMs = 3000;
// The refresh of the lines remaining.
inline constexpr int kShowLinesMs = 1000;

// Lines a HEX file may have: the line counters are 16-bit.
inline constexpr int kMostLines = 32767;
// A HEX file is read whole when it is opened. It may be no larger than this:
// kMostLines records of the longest kind (255 data bytes) take 17 MB, so a
// larger file is not a HEX file for the target, and an endless one ends here.
inline constexpr std::size_t kMostHexFileBytes = std::size_t{64} << 20;
// A pipe's writer (a decompressor, a converter) must have delivered the whole
// file within this time; even the largest file takes it well under a second.
// A writer that never writes or never closes must not hold the download while
// the target waits for its first line and the window cannot repaint.
inline constexpr int kHexReadSeconds = 10;

}  // namespace korvel::link::protocol
