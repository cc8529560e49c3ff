#include "link/BootloaderLink.h"

#include <exception>

#include "link/TextSearch.h"

namespace korvel::link {

using detail::Contains;

namespace {

const char* const kLineSettings = "115200,n,8,1";
const int kSettleIntervalMs = 1;
const int kPhase2IntervalMs = 3000;
const std::string::size_type kSynBlockSize = 512;

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
    if (shared_.AnswTicks < 5)
        ++shared_.AnswTicks;
}

void BootloaderLink::TmrShowLine_Timer()
{
    seams_.frontEnd.showLinesLeft(shared_.LinesLeft);
}

DownloadResult BootloaderLink::DownloadFiles(const DownloadChoice& choice)
{
    run_ = Run{};
    if (!ValidateChoice(choice))
        return DownloadResult::NotValid;
    seams_.frontEnd.downloadStarting();
    if (Step stop = OpenPort(choice))
        return *stop;
    try {
        return RunOpened(choice);
    } catch (const std::exception&) {
        return FailDownload();
    }
}

bool BootloaderLink::ValidateChoice(const DownloadChoice& choice)
{
    const char* complaint = nullptr;
    run_.FlashPending = choice.flash;
    if (choice.flash) {
        shared_.FileKind = choice.eeprom ? EepromFile : FlashFile;
        run_.DownloadKind = choice.eeprom ? 3 : 1;
        if (!NamesAFile(choice.flashPath)) {
            complaint = "Select FLASH file to download.";
        } else if (choice.eeprom && !NamesAFile(choice.eepromPath)) {
            complaint = "Select EEPROM file to download.";
        }
    } else if (choice.eeprom) {
        shared_.FileKind = EepromFile;
        run_.DownloadKind = 2;
        if (!NamesAFile(choice.eepromPath))
            complaint = "Select EEPROM file to download.";
    } else {
        shared_.FileKind = NoFile;
        run_.DownloadKind = 0;
    }
    if (!complaint)
        return true;
    seams_.frontEnd.message(complaint, MessageIcon::None);
    seams_.frontEnd.focusFlashBrowse();
    return false;
}

BootloaderLink::Step BootloaderLink::OpenPort(const DownloadChoice& choice)
{
    SerialPort& port = seams_.port;
    try {
        if (!choice.port)
            throw PortError("no port selected");
        port.setXonXoff(true);
        port.setLineSettings(kLineSettings);
        if (CancelSeen())
            return DownloadResult::Cancelled;
        port.setPortNumber(*choice.port);
        port.open();
    } catch (const std::exception&) {
        seams_.frontEnd.message("Error while accessing the com port.", MessageIcon::Exclamation);
        seams_.frontEnd.enterIdle();
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
    if (!Contains(run_.RxBuf, '?')) {
        frontEnd.message("No response from target Bootloader.", MessageIcon::None);
        CloseDown();
        return DownloadResult::NoResponse;
    }
    ReadVersion();
    if (shared_.FileKind == NoFile) {
        ClosePort();
        frontEnd.enterIdle();
        frontEnd.message("Check box to download code.", MessageIcon::None);
        frontEnd.focusFlashBrowse();
        return DownloadResult::NothingChosen;
    }
    return TransferFiles(choice);
}

// Blocks of 0x55 back to back until the target answers "$" or the window closes.
BootloaderLink::Step BootloaderLink::SynchronisePhase1()
{
    SerialPort& port = seams_.port;
    const std::string SynBlock(kSynBlockSize, '\x55');
    seams_.frontEnd.synchronising();
    shared_.SynActive = true;
    seams_.TmrSyn.setEnabled(true);
    run_.RxBuf.clear();
    while (!Contains(run_.RxBuf, '$') && shared_.SynActive) {
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

// One shortest tick of TmrSyn, then the 3000 ms window of phase 2. Only after a
// "$" inside phase 1's window, and not when both phases share one window.
BootloaderLink::Step BootloaderLink::SettlePause()
{
    if (flavour_.sharedSyncWindow || !shared_.SynActive)
        return std::nullopt;
    Timer& TmrSyn = seams_.TmrSyn;
    seams_.frontEnd.targetResponded();
    TmrSyn.setEnabled(false);
    TmrSyn.setInterval(kSettleIntervalMs);
    TmrSyn.setEnabled(true);
    do {
        seams_.events.yieldWaiting();
        if (CancelSeen())
            return DownloadResult::Cancelled;
    } while (shared_.SynActive);
    shared_.SynActive = true;
    TmrSyn.setEnabled(false);
    TmrSyn.setInterval(kPhase2IntervalMs);
    TmrSyn.setEnabled(true);
    return std::nullopt;
}

BootloaderLink::Step BootloaderLink::SynchronisePhase2()
{
    SerialPort& port = seams_.port;
    while (!Contains(run_.RxBuf, '?') && shared_.SynActive) {
        port.write("@&$");
        seams_.events.yieldWaiting();
        if (CancelSeen())
            return DownloadResult::Cancelled;
        if (port.bytesWaiting() > 0)
            run_.RxBuf += port.readAll();
    }
    seams_.TmrSyn.setEnabled(false);
    return std::nullopt;
}

// The version follows the first "G" of the handshake answer.
void BootloaderLink::ReadVersion()
{
    const auto marker = run_.RxBuf.find('G');
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
    CloseDown();
    return true;
}

void BootloaderLink::ClosePort()
{
    if (seams_.port.isOpen())
        seams_.port.close();
}

// The closing sequence of every way out once the port setup has begun. The
// lines-remaining refresh stops too, so that no tick touches the idle window.
void BootloaderLink::CloseDown()
{
    seams_.TmrSyn.setEnabled(false);
    seams_.TmrShowLine.setEnabled(false);
    run_.file.reset();
    ClosePort();
    seams_.frontEnd.enterIdle();
}

DownloadResult BootloaderLink::FailDownload()
{
    seams_.frontEnd.message(
        "Error while downloading the firmware file: " + std::to_string(seams_.port.lastEventCode()) + ".",
        MessageIcon::Exclamation);
    CloseDown();
    return DownloadResult::TransferError;
}

}  // namespace korvel::link
