#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "link/AnswerLedger.h"
#include "link/Clock.h"
#include "link/EventPump.h"
#include "link/FrontEnd.h"
#include "link/HexFile.h"
#include "link/LinePacer.h"
#include "link/SerialPort.h"
#include "link/Timer.h"

namespace korvel::link {

// The chosen files' lines, read whole and checked before a port is opened.
struct ChosenFiles {
    std::vector<std::string> eepromLines;
    std::vector<std::string> flashLines;
};

// What the user chose for one download.
struct DownloadChoice {
    bool flash = false;
    bool eeprom = false;
    std::string flashPath;
    std::string eepromPath;
    std::optional<int> port;  // none: no port selected
    // Up to this long the download waits for the port to become openable (a
    // USB adapter being plugged in) before it opens it as usual; 0: no wait.
    int portWaitSeconds = 0;
    // The chosen files, read and checked before (readFiles) for several
    // downloads that share them: the download neither reads them nor asks
    // about them again. None: it reads and checks them itself.
    const ChosenFiles* files = nullptr;
};

// The few ways the command-line run differs from the main window's download;
// everything else (texts, busy and idle, cancellation) is the front end's.
struct Flavour {
    // Both synchronisation phases share the one window of TmrSyn, phase 2 follows
    // phase 1 without a pause, and what phase 1 received stays in RxBuf.
    bool sharedSyncWindow = false;
    // With the shared window: after a "$", phase 2 gets a window of its own
    // this long instead of what remains of the shared one; 0: none of its own.
    // A window longer than the designed one was asked for a slow target, whose
    // "?" may come as late after its "$" as the "$" came.
    int phase2WindowMs = 0;
    // Phase 1 has no window: the sync bytes go out until a board answers or
    // the user stops, as a programming station waits for its next board.
    bool syncWithoutEnd = false;
};

// What a download runs on. The program's come from platform::downloadSeams,
// which names each timer.
struct LinkSeams {
    SerialPort& port;
    FrontEnd& frontEnd;
    Timer& TmrSyn;       // one-shot synchronisation window
    Timer& TmrWaitAnsw;  // free-running answer tick
    Timer& TmrShowLine;  // refresh of the lines remaining
    Timer& paceTimer;    // one-shot: the handshake's next write is due
    Clock& clock;
    EventPump& events;
    HexFiles& files;
};

// The PC side of the bootloader protocol: handshake, HEX line transfer, answers,
// questions and outcome. One object lives as long as its window; its timers
// keep their state (TmrSyn's interval) from one download to the next.
class BootloaderLink {
public:
    BootloaderLink(LinkSeams seams, Flavour flavour);
    BootloaderLink(const BootloaderLink&) = delete;
    BootloaderLink& operator=(const BootloaderLink&) = delete;

    // Runs one download from the choices to the end. Returns after the closing
    // sequence; the port is then closed.
    DownloadResult DownloadFiles(const DownloadChoice& choice);
    // Checks the choices and reads the chosen files whole and checks them,
    // asking about a file that fails, as a download does before it opens its
    // port; touches no port. Success with `files` filled, or how it ended.
    DownloadResult readFiles(const DownloadChoice& choice, ChosenFiles& files);

private:
    // State shared between the download and the timers' tick handlers.
    struct SharedState {
        bool SynActive = false;
        int AnswTicks = 0;
        std::int16_t LinesTotal = 0;
        std::int16_t LinesLeft = 0;
        link::FileKind FileKind = link::FileKind::None;
    };
    // The variables of one download, reset when it starts.
    struct Run {
        bool FlashPending = false;
        link::DownloadKind DownloadKind = link::DownloadKind::None;
        std::string RxBuf;
        float BootVer = 0;
        // Which send each of the target's answers belongs to, and the lines
        // skipped with Yes.
        AnswerLedger answers;
        std::set<std::pair<link::FileKind, int>> skippedLines;
        // The chosen files' lines, read before the port is opened.
        ChosenFiles files;
    };
    // A step's verdict: continue with the next step, or the download is over.
    using Step = std::optional<DownloadResult>;

    // Handshake and frame (BootloaderLink.cpp).
    Step beginWith(const DownloadChoice& choice);
    bool validateChoice(const DownloadChoice& choice);
    Step openPort(const DownloadChoice& choice);
    void awaitPort(int seconds);
    DownloadResult runOpened(const DownloadChoice& choice);
    Step synchronise();
    Step synchronisePhase1(LinePacer& pacer);
    Step settlePause();
    Step synchronisePhase2(LinePacer& pacer);
    void readVersion();
    void takeRestOfAnswer(char awaited);
    bool closedOnCancel();
    void ClosePort();
    DownloadResult closeDown(DownloadResult result);
    DownloadResult failDownload(const std::string& detail);

    // Line transfer (LineTransfer.cpp).
    Step readChosenFiles(const DownloadChoice& choice);
    Step readHexFile(FileKind kind, const std::string& path, std::vector<std::string>& lines);
    Step checkHexFile(const std::string& path, const std::vector<std::string>& lines);
    DownloadResult transferFiles(const DownloadChoice& choice);
    void openHexFile(const std::string& path);
    Step sendLines(const std::vector<std::string>& lines);
    Step sendLine(const std::string& hexLine, bool lastOfFile, LineProgress& progress, bool& eventsRan);
    bool waitForAnswer();
    void waitForEndOfFile();
    void receive();
    void receiveLate();
    Step settleLateAnswers(bool leavingLine);
    Step askAboutLine(const std::string& answers, const LineRef& line, bool late);
    DownloadResult outOfStep();
    Step reconcileAnswers();
    DownloadResult judgeOutcome();

    // Tick handlers of the three timers.
    void TmrSyn_Timer();
    void TmrWaitAnsw_Timer();
    void TmrShowLine_Timer();

    LinkSeams seams_;
    Flavour flavour_;
    SharedState shared_;
    Run run_;
};

// The bootloader version at the start of an answer text: the leading decimal
// number (blanks, tabs and line feeds skipped; optional sign; digits with at
// most one decimal point), 0 when there is none.
float parseBootVersion(const std::string& text);
// The version in its display form: shortest general form, up to seven
// significant digits, "." as the decimal separator.
std::string formatBootVersion(float version);

}  // namespace korvel::link
