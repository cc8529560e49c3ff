#include "link/BootloaderLink.h"

#include <algorithm>
#include <exception>
#include <sstream>

#include "base/Text.h"
#include "link/LinePacer.h"
#include "link/Protocol.h"

namespace korvel::link {

namespace {

// A path counts as chosen from two characters on; UTF-8 continuation bytes do
// not start a character.
bool namesAFile(const std::string& path)
{
    int characters = 0;
    for (unsigned char c : path) {
        if ((c & 0xC0) != 0x80 && ++characters >= 2)
            return true;
    }
    return false;
}

// How often a wait for the port tries to open it: soon enough after the
// device appears, seldom enough to cost nothing.
constexpr long long kPortCheckMs = 200;

// A timer's interval in seconds, as a person reads it ("5", "2.5").
std::string seconds(int milliseconds)
{
    std::ostringstream text;
    text << milliseconds / 1000.0;
    return text.str();
}

}  // namespace

BootloaderLink::BootloaderLink(LinkSeams seams, Flavour flavour) : seams_(seams), flavour_(flavour)
{
    seams_.TmrSyn.setTickHandler([this] { TmrSyn_Timer(); });
    seams_.TmrWaitAnsw.setTickHandler([this] { TmrWaitAnsw_Timer(); });
    seams_.TmrShowLine.setTickHandler([this] { TmrShowLine_Timer(); });
    // The pace timer only ends the wait it was set for.
    seams_.paceTimer.setTickHandler([this] { seams_.paceTimer.setEnabled(false); });
}

void BootloaderLink::TmrSyn_Timer()
{
    shared_.SynActive = false;
    seams_.TmrSyn.setEnabled(false);
}

void BootloaderLink::TmrWaitAnsw_Timer()
{
    if (shared_.AnswTicks < protocol::kAnswerTicks)
        ++shared_.AnswTicks;
}

void BootloaderLink::TmrShowLine_Timer()
{
    seams_.frontEnd.showLinesLeft(shared_.LinesLeft);
}

// A download's variables start anew, and its choice is checked.
BootloaderLink::Step BootloaderLink::beginWith(const DownloadChoice& choice)
{
    run_ = Run{};
    if (validateChoice(choice))
        return std::nullopt;
    seams_.frontEnd.downloadEnded(DownloadResult::NotValid);
    return DownloadResult::NotValid;
}

DownloadResult BootloaderLink::DownloadFiles(const DownloadChoice& choice)
{
    if (Step stop = beginWith(choice))
        return *stop;
    seams_.frontEnd.downloadStarting();
    if (choice.files)
        run_.files = *choice.files;
    else if (Step stop = readChosenFiles(choice))
        return *stop;
    if (Step stop = openPort(choice))
        return *stop;
    try {
        return runOpened(choice);
    } catch (const PortError& error) {
        // A port error says what failed and what to do in the platform's words.
        return failDownload(error.what());
    }
}

DownloadResult BootloaderLink::readFiles(const DownloadChoice& choice, ChosenFiles& files)
{
    if (Step stop = beginWith(choice))
        return *stop;
    if (Step stop = readChosenFiles(choice))
        return *stop;
    files = std::move(run_.files);
    return DownloadResult::Success;
}

bool BootloaderLink::validateChoice(const DownloadChoice& choice)
{
    run_.FlashPending = choice.flash;
    if (choice.flash) {
        shared_.FileKind = choice.eeprom ? FileKind::Eeprom : FileKind::Flash;
        run_.DownloadKind = choice.eeprom ? DownloadKind::Both : DownloadKind::Flash;
    } else {
        shared_.FileKind = choice.eeprom ? FileKind::Eeprom : FileKind::None;
        run_.DownloadKind = choice.eeprom ? DownloadKind::Eeprom : DownloadKind::None;
    }
    const char* complaint = nullptr;
    if (choice.flash && !namesAFile(choice.flashPath)) {
        complaint = "Select FLASH file to download.";
    } else if (choice.eeprom && !namesAFile(choice.eepromPath)) {
        complaint = "Select EEPROM file to download.";
    }
    if (!complaint)
        return true;
    seams_.frontEnd.message({MessageKind::Information, complaint});
    return false;
}

// Tries to open the port every little while until it opens, the wait is over
// or the user asks to stop; says once what it waits for when the first try
// fails. When the wait ends without the port, its usual opening reports why.
void BootloaderLink::awaitPort(int seconds)
{
    SerialPort& port = seams_.port;
    Timer& pause = seams_.paceTimer;
    const long long endUs = seams_.clock.microseconds() + seconds * 1'000'000LL;
    for (bool first = true;; first = false) {
        try {
            port.open();
            return;
        } catch (const PortError& error) {
            if (first)
                seams_.frontEnd.waitingForPort(port.portLabel(), seconds, error.cause());
        }
        const long long leftMs = (endUs - seams_.clock.microseconds() + 999) / 1000;
        if (leftMs <= 0 || seams_.frontEnd.cancelRequested())
            return;
        pause.setInterval(static_cast<int>(std::min<long long>(leftMs, kPortCheckMs)));
        pause.setEnabled(true);
        while (pause.isEnabled() && !seams_.frontEnd.cancelRequested())
            seams_.events.yieldWaiting();
        pause.setEnabled(false);
    }
}

BootloaderLink::Step BootloaderLink::openPort(const DownloadChoice& choice)
{
    SerialPort& port = seams_.port;
    try {
        if (!choice.port)
            throw PortError("No COM port is selected: none could be opened when the program started. Connect the "
                            "serial adapter, then start the program again to have its port listed.");
        port.setLineSettings(protocol::kLineSettings);
        if (closedOnCancel())
            return DownloadResult::Cancelled;
        port.setPortNumber(*choice.port);
        if (choice.portWaitSeconds > 0)
            awaitPort(choice.portWaitSeconds);
        if (closedOnCancel())
            return DownloadResult::Cancelled;
        if (!port.isOpen())
            port.open();
    } catch (const PortError& error) {
        seams_.frontEnd.message({MessageKind::Warning, "Error while accessing the com port.", error.what()});
        seams_.frontEnd.downloadEnded(DownloadResult::PortError);
        return DownloadResult::PortError;
    }
    if (closedOnCancel())
        return DownloadResult::Cancelled;
    return std::nullopt;
}

DownloadResult BootloaderLink::runOpened(const DownloadChoice& choice)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    frontEnd.portOpened();
    if (Step stop = synchronise())
        return *stop;
    if (!contains(run_.RxBuf, protocol::kHelloAnswer)) {
        // TmrSyn's interval is that of the window that closed last: phase 1's,
        // or phase 2's after a "$".
        frontEnd.message({MessageKind::Information, "No response from target Bootloader.",
                          "The bootloader did not answer on " + seams_.port.portLabel() + " within " +
                              seconds(seams_.TmrSyn.interval()) +
                              " s. Reset the target while \"Please synchronize...\" shows, and check the cable "
                              "and the target's power."});
        return closeDown(DownloadResult::NoResponse);
    }
    readVersion();
    if (shared_.FileKind == FileKind::None) {
        ClosePort();
        frontEnd.downloadEnded(DownloadResult::NothingChosen);
        frontEnd.message({MessageKind::Information, "Check box to download code."});
        return DownloadResult::NothingChosen;
    }
    return transferFiles(choice);
}

// Both phases pace the line with one pacer: what phase 1 queued and the port
// could not drop still goes ahead of the calls.
BootloaderLink::Step BootloaderLink::synchronise()
{
    {
        LinePacer pacer(seams_.port, seams_.clock, seams_.paceTimer, protocol::kLineSettings);
        if (Step stop = synchronisePhase1(pacer))
            return stop;
        if (Step stop = settlePause())
            return stop;
        if (Step stop = synchronisePhase2(pacer))
            return stop;
    }
    // The version comes with the "?", perhaps a moment after it.
    if (contains(run_.RxBuf, protocol::kHelloAnswer))
        takeRestOfAnswer('\0');
    return std::nullopt;
}

// Sync bytes without a pause until the target answers or the window closes:
// the queue toward the target is topped up to a block before the line runs
// dry, and each pass waits for the answer, the window's end or the next top-up.
BootloaderLink::Step BootloaderLink::synchronisePhase1(LinePacer& pacer)
{
    SerialPort& port = seams_.port;
    const std::string SynBlock(protocol::kSyncBlockSize, protocol::kSyncByte);
    seams_.frontEnd.synchronising();
    shared_.SynActive = true;
    if (!flavour_.syncWithoutEnd)
        seams_.TmrSyn.setEnabled(true);
    run_.RxBuf.clear();
    while (!contains(run_.RxBuf, protocol::kSyncAnswer) && shared_.SynActive) {
        pacer.keepBusy(SynBlock, 1, protocol::kSyncLowWater);
        seams_.events.yieldWaiting();
        if (closedOnCancel())
            return DownloadResult::Cancelled;
        if (port.bytesWaiting() > 0)
            run_.RxBuf += port.readAll();
    }
    // The command-line run keeps what followed the "$": a "?" in it already
    // ends phase 2. Without a "$" nothing counts, so that a "?" from an
    // application or from line noise is not taken for the bootloader.
    const auto answer = run_.RxBuf.find(protocol::kSyncAnswer);
    if (flavour_.sharedSyncWindow && answer != std::string::npos)
        run_.RxBuf.erase(0, answer + 1);
    else
        run_.RxBuf.clear();
    if (flavour_.sharedSyncWindow && flavour_.phase2WindowMs > 0 && answer != std::string::npos) {
        seams_.TmrSyn.setEnabled(false);
        seams_.TmrSyn.setInterval(flavour_.phase2WindowMs);
        shared_.SynActive = true;
        seams_.TmrSyn.setEnabled(true);
    }
    pacer.discardOutput();
    return std::nullopt;
}

// One shortest tick of TmrSyn, then the window of phase 2. Only after a
// "$" inside phase 1's window, and not when both phases share one window.
BootloaderLink::Step BootloaderLink::settlePause()
{
    if (flavour_.sharedSyncWindow || !shared_.SynActive)
        return std::nullopt;
    seams_.frontEnd.targetResponded();
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrSyn.setInterval(protocol::kSettleMs);
    seams_.TmrSyn.setEnabled(true);
    do {
        seams_.events.yieldWaiting();
    } while (shared_.SynActive && !seams_.frontEnd.cancelRequested());
    // Even a pause cut short by Cancel leaves the window of phase 2: a later
    // download must not get the pause's as its phase 1.
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrSyn.setInterval(protocol::kPhase2WindowMs);
    if (closedOnCancel())
        return DownloadResult::Cancelled;
    shared_.SynActive = true;
    seams_.TmrSyn.setEnabled(true);
    return std::nullopt;
}

// Calls without a pause until the target answers or the window closes, paced
// like phase 1 but with little queued: what is queued at "?" goes out before
// the first line. A target answers the first calls at once, so the queue
// starts short; while the target is silent it grows, to save wake-ups, but
// never beyond what phase 2 has written so far.
BootloaderLink::Step BootloaderLink::synchronisePhase2(LinePacer& pacer)
{
    SerialPort& port = seams_.port;
    std::string calls;
    while (calls.size() < protocol::kHelloCeiling)
        calls += protocol::kHello;
    std::size_t written = 0;
    while (!contains(run_.RxBuf, protocol::kHelloAnswer) && shared_.SynActive) {
        const std::size_t ceiling = std::clamp(written, protocol::kHelloFirstCeiling, protocol::kHelloCeiling);
        written +=
            pacer.keepBusy(std::string_view(calls).substr(0, ceiling), protocol::kHelloSize, protocol::kHelloLowWater);
        seams_.events.yieldWaiting();
        if (closedOnCancel())
            return DownloadResult::Cancelled;
        if (port.bytesWaiting() > 0)
            run_.RxBuf += port.readAll();
    }
    seams_.TmrSyn.setEnabled(false);
    return std::nullopt;
}

// The version follows the first marker of the handshake answer.
void BootloaderLink::readVersion()
{
    const auto marker = run_.RxBuf.find(protocol::kVersionMarker);
    if (marker == std::string::npos) {
        run_.BootVer = 0;
    } else {
        run_.RxBuf.erase(0, marker + 1);
        run_.BootVer = parseBootVersion(run_.RxBuf);
    }
    seams_.frontEnd.versionRead(formatBootVersion(run_.BootVer));
}

// Reads the rest of an answer whose first character has arrived, until
// `awaited` is there too (none: '\0') or the line has been quiet for a moment.
// The pace timer, free outside synchronisation, measures the quiet.
void BootloaderLink::takeRestOfAnswer(char awaited)
{
    Timer& quiet = seams_.paceTimer;
    const long long endUs = seams_.clock.microseconds() + protocol::kAnswerRestMostMs * 1000LL;
    quiet.setInterval(protocol::kAnswerQuietMs);
    quiet.setEnabled(true);
    while (quiet.isEnabled() && !(awaited && contains(run_.RxBuf, awaited)) && !run_.answers.outOfStep() &&
           seams_.clock.microseconds() < endUs) {
        seams_.events.yieldWaiting();
        if (seams_.port.bytesWaiting() > 0) {
            receive();
            quiet.setEnabled(false);
            quiet.setEnabled(true);
        }
    }
    quiet.setEnabled(false);
}

// A cancellation point: when the user asked to stop, the download runs its
// closing sequence here and says so; the caller then returns Cancelled.
bool BootloaderLink::closedOnCancel()
{
    if (!seams_.frontEnd.cancelRequested())
        return false;
    closeDown(DownloadResult::Cancelled);
    return true;
}

void BootloaderLink::ClosePort()
{
    if (seams_.port.isOpen())
        seams_.port.close();
}

// The closing sequence of every way out once the port setup has begun. The
// lines-remaining refresh stops too, so that no tick touches the idle window.
DownloadResult BootloaderLink::closeDown(DownloadResult result)
{
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrShowLine.setEnabled(false);
    ClosePort();
    seams_.frontEnd.downloadEnded(result);
    return result;
}

DownloadResult BootloaderLink::failDownload(const std::string& detail)
{
    seams_.frontEnd.message(
        {MessageKind::Warning,
         "Error while downloading the firmware file: " + std::to_string(seams_.port.lastEventCode()) + ".", detail});
    return closeDown(DownloadResult::TransferError);
}

}  // namespace korvel::link
