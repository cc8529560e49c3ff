#include "link/BootloaderLink.h"

#include <exception>
#include <sstream>

#include "link/Protocol.h"
#include "link/TextSearch.h"

namespace korvel::link {

using detail::Contains;

namespace {

// A path counts as chosen from two characters on; UTF-8 continuation bytes do
// not start a character.
bool NamesAFile(const std::string& path)
{
    int characters = 0;
    for (unsigned char c : path) {
        if ((c & 0xC0) != 0x80 && ++characters >= 2)
            return true;
    }
    return false;
}

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

DownloadResult BootloaderLink::DownloadFiles(const DownloadChoice& choice)
{
    run_ = Run{};
    if (!ValidateChoice(choice)) {
        seams_.frontEnd.downloadEnded(DownloadResult::NotValid);
        return DownloadResult::NotValid;
    }
    seams_.frontEnd.downloadStarting();
    if (Step stop = OpenPort(choice))
        return *stop;
    try {
        return RunOpened(choice);
    } catch (const std::exception& error) {
        // A port error says what failed and what to do in the platform's words.
        return FailDownload(error.what());
    }
}

bool BootloaderLink::ValidateChoice(const DownloadChoice& choice)
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
    if (choice.flash && !NamesAFile(choice.flashPath)) {
        complaint = "Select FLASH file to download.";
    } else if (choice.eeprom && !NamesAFile(choice.eepromPath)) {
        complaint = "Select EEPROM file to download.";
    }
    if (!complaint)
        return true;
    seams_.frontEnd.message({MessageKind::Information, complaint});
    return false;
}

BootloaderLink::Step BootloaderLink::OpenPort(const DownloadChoice& choice)
{
    SerialPort& port = seams_.port;
    try {
        if (!choice.port)
            throw PortError("No COM port is selected: none could be opened when the program started. Connect the "
                            "serial adapter, then start the program again to have its port listed.");
        port.setLineSettings(protocol::kLineSettings);
        if (CancelSeen())
            return DownloadResult::Cancelled;
        port.setPortNumber(*choice.port);
        port.open();
    } catch (const std::exception& error) {
        seams_.frontEnd.message({MessageKind::Warning, "Error while accessing the com port.", error.what()});
        seams_.frontEnd.downloadEnded(DownloadResult::PortError);
        return DownloadResult::PortError;
    }
    if (CancelSeen())
        return DownloadResult::Cancelled;
    return std::nullopt;
}

DownloadResult BootloaderLink::RunOpened(const DownloadChoice& choice)
{
    FrontEnd& frontEnd = seams_.frontEnd;
    frontEnd.portOpened();
    if (Step stop = SynchronisePhase1())
        return *stop;
    if (Step stop = SettlePause())
        return *stop;
    if (Step stop = SynchronisePhase2())
        return *stop;
    if (!Contains(run_.RxBuf, protocol::kHelloAnswer)) {
        // TmrSyn's interval is that of the window that closed last: phase 1's,
        // or phase 2's after a "$".
        frontEnd.message({MessageKind::Information, "No response from target Bootloader.",
                          "The bootloader did not answer on " + seams_.port.portLabel() + " within " +
                              seconds(seams_.TmrSyn.interval()) +
                              " s. Reset the target while \"Please synchronize...\" shows, and check the cable "
                              "and the target's power."});
        return CloseDown(DownloadResult::NoResponse);
    }
    ReadVersion();
    if (shared_.FileKind == FileKind::None) {
        ClosePort();
        frontEnd.downloadEnded(DownloadResult::NothingChosen);
        frontEnd.message({MessageKind::Information, "Check box to download code."});
        return DownloadResult::NothingChosen;
    }
    return TransferFiles(choice);
}

// Blocks of sync bytes back to back until the target answers or the window closes.
BootloaderLink::Step BootloaderLink::SynchronisePhase1()
{
    SerialPort& port = seams_.port;
    const std::string SynBlock(protocol::kSyncBlockSize, protocol::kSyncByte);
    seams_.frontEnd.synchronising();
    shared_.SynActive = true;
    seams_.TmrSyn.setEnabled(true);
    run_.RxBuf.clear();
    while (!Contains(run_.RxBuf, protocol::kSyncAnswer) && shared_.SynActive) {
        port.write(SynBlock);
        // One wait per block: the blocks follow each other as closely as the
        // events allow, without a processor kept busy.
        seams_.events.yieldOnce();
        if (CancelSeen())
            return DownloadResult::Cancelled;
        seams_.events.yieldWaiting();
        if (port.bytesWaiting() > 0)
            run_.RxBuf += port.readAll();
    }
    // The command-line run keeps what phase 1 received: a "?" in it already
    // ends phase 2.
    if (!flavour_.sharedSyncWindow)
        run_.RxBuf.clear();
    port.discardOutput();
    return std::nullopt;
}

// One shortest tick of TmrSyn, then the window of phase 2. Only after a
// "$" inside phase 1's window, and not when both phases share one window.
BootloaderLink::Step BootloaderLink::SettlePause()
{
    if (flavour_.sharedSyncWindow || !shared_.SynActive)
        return std::nullopt;
    seams_.frontEnd.targetResponded();
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrSyn.setInterval(protocol::kSettleMs);
    seams_.TmrSyn.setEnabled(true);
    do {
        seams_.events.yieldWaiting();
        if (CancelSeen())
            return DownloadResult::Cancelled;
    } while (shared_.SynActive);
    shared_.SynActive = true;
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrSyn.setInterval(protocol::kPhase2WindowMs);
    seams_.TmrSyn.setEnabled(true);
    return std::nullopt;
}

BootloaderLink::Step BootloaderLink::SynchronisePhase2()
{
    SerialPort& port = seams_.port;
    while (!Contains(run_.RxBuf, protocol::kHelloAnswer) && shared_.SynActive) {
        port.write(protocol::kHello);
        seams_.events.yieldWaiting();
        if (CancelSeen())
            return DownloadResult::Cancelled;
        if (port.bytesWaiting() > 0)
            run_.RxBuf += port.readAll();
    }
    seams_.TmrSyn.setEnabled(false);
    return std::nullopt;
}

// The version follows the first marker of the handshake answer.
void BootloaderLink::ReadVersion()
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

// A cancellation point: when the user asked to stop, the download ends here.
bool BootloaderLink::CancelSeen()
{
    if (!seams_.frontEnd.cancelRequested())
        return false;
    CloseDown(DownloadResult::Cancelled);
    return true;
}

void BootloaderLink::ClosePort()
{
    if (seams_.port.isOpen())
        seams_.port.close();
}

// The closing sequence of every way out once the port setup has begun. The
// lines-remaining refresh stops too, so that no tick touches the idle window.
DownloadResult BootloaderLink::CloseDown(DownloadResult result)
{
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrShowLine.setEnabled(false);
    ClosePort();
    seams_.frontEnd.downloadEnded(result);
    return result;
}

DownloadResult BootloaderLink::FailDownload(const std::string& detail)
{
    seams_.frontEnd.message(
        {MessageKind::Warning,
         "Error while downloading the firmware file: " + std::to_string(seams_.port.lastEventCode()) + ".", detail});
    return CloseDown(DownloadResult::TransferError);
}

}  // namespace korvel::link
