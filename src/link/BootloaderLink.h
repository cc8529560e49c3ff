#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "link/AnswerLedger.h"
#include "link/Clock.h"
#include "link/EventPump.h"
#include "link/FrontEnd.h"
#include "link/HexFile.h"
#include "link/LinePacer.h"
#include "link/SerialPort.h"
#include "link/Timer.h"

namespace korvel::link {

// What the user chose for one download.
struct DownloadChoice {
    bool flash = false;
    bool eeprom = false;
    std::string flashPath;
    std::string eepromPath;
    std::optional<int> port;  // none: no port selected
};

// The few ways the command-line run differs from the main window's download;
// everything else (texts, busy and idle, cancellation) is the front end's.
struct Flavour {
    // Both synchronisation phases share the one window of TmrSyn, phase 2 follows
    // phase 1 without a pause, and what phase 1 received stays in RxBuf.
    bool sharedSyncWindow = false;
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
        // Which line each of the target's answers belongs to, the lines sent
        // so far (the ledger's serials), and the lines skipped with Yes.
        AnswerLedger answers;
        int linesSent = 0;
        std::set<std::pair<link::FileKind, int>> skippedLines;
    };
    // A step's verdict: continue with the next step, or the download is over.
    using Step = std::optional<DownloadResult>;

    // Handshake and frame (BootloaderLink.cpp).
    bool validateChoice(const DownloadChoice& choice);
    Step openPort(const DownloadChoice& choice);
    DownloadResult runOpened(const DownloadChoice& choice);
    Step synchronise();
    Step synchronisePhase1(LinePacer& pacer);
    Step settlePause();
    Step synchronisePhase2(LinePacer& pacer);
    void readVersion();
    void takeRestOfAnswer(char awaited);
    bool cancelSeen();
    void ClosePort();
    DownloadResult closeDown(DownloadResult result);
    DownloadResult failDownload(const std::string& detail);

    // Line transfer (LineTransfer.cpp).
    DownloadResult transferFiles(const DownloadChoice& choice);
    Step openHexFile(const std::string& path, std::string& text);
    Step sendLines(const std::string& path, const std::string& text);
    Step sendLine(const std::string& hexLine, bool lastOfFile, LineProgress& progress, bool& eventsRan);
    bool waitForAnswer(const LineRef& line);
    void waitForEndOfFile();
    void receive();
    Step settleAnswers(int nextSerial);
    Step askAboutLine(const std::string& answers, const LineRef& line, bool late);
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
