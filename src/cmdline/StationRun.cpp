// Several ports at once, each on a thread of its own, and the station that
// programs board after board on each of them.
#include "cmdline/StationRun.h"

#include "base/ForeignText.h"
#include "cmdline/BoardRecord.h"
#include "cmdline/FileHash.h"
#include "cmdline/RunLog.h"
#include "cmdline/RunRecord.h"
#include "cmdline/StationDisplay.h"
#include "link/BootloaderLink.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"
#include "platform/DownloadTimers.h"
#include "system/StopRequests.h"
#include "system/SystemConventions.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace korvel::cmdline {

namespace {

namespace protocol = link::protocol;

// How often a port looks for its device while no board is there, and how
// long a board may leave the synchronisation unanswered before it counts as
// gone (removed, or started into its application).
constexpr int kDeviceCheckMs = 200;
constexpr int kBoardGoneMs = 1000;
constexpr int kBoardCheckMs = 100;

struct PortPlan {
    std::string label;  // as messages name it: "COM3" or the device path
    std::int16_t number = 0;
    std::string device;  // empty: the port's device from the ports file
};

bool stopped()
{
    return system::stopRequested() != system::StopRequest::None;
}

// Lets the thread's events run for `ms` milliseconds.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A regular file's size and time of its last change, to see that it changed.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written{};
    bool operator!=(const FileStamp& other) const { return size != other.size || written != other.written; }
};

std::optional<FileStamp> stampOf(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::u8path(path);
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    const auto size = std::filesystem::file_size(file, error);
    const auto written = std::filesystem::last_write_time(file, error);
    if (error)
        return std::nullopt;
    return FileStamp{size, written};
}

}  // namespace

class Station;

// One port's download as the station shows it and records it.
class PortFrontEnd final : public link::FrontEnd {
public:
    PortFrontEnd(Station& station, std::size_t port, RunRecord& record, RunLog& log);

    void waitingForPort(const std::string&, int, const std::string&) override { record_.waitingForPort(); }
    void portOpened() override;
    void versionRead(const std::string& version) override;
    void fileRead(link::FileKind kind, const std::string& path, std::string_view content, int lines) override;
    void fileOpened(link::FileKind kind, const std::string& path) override;
    void sendingFile(link::FileKind kind) override;
    void showLinesLeft(int) override { progress(); }
    void lineSent(int lineNumber) override { record_.lineSent(lineNumber); }
    void lineDone(const link::LineProgress& done) override;
    void lineSkippedLate(link::FileKind kind, int) override { record_.lineSkippedLate(kind); }
    void message(const link::Message& message) override;
    bool ask(const link::Message& question) override;
    bool cancelRequested() override;

    // The number the board got when it answered; none while no board answered.
    std::optional<int> board() const { return board_; }

private:
    void progress();

    Station& station_;
    const std::size_t port_;
    RunRecord& record_;
    RunLog& log_;
    link::FileKind kind_ = link::FileKind::None;
    int percent_ = -1;
    std::optional<int> board_;
    bool refused_ = false;  // a board answered after --count boards had begun
};

class Station {
public:
    Station(const StartupState& state, RunSurroundings& surroundings, TerminalReport& terminal);
    int run();

    StationDisplay& display() { return *display_; }
    // A board answered: its number, none when --count boards have begun.
    std::optional<int> takeBoard();
    bool allBoardsBegun() const;
    bool isStation() const { return station_; }
    const std::string& label(std::size_t port) const { return ports_[port].label; }
    // A file was read (again): its facts for the records of the boards to come.
    void fileRead(link::FileKind kind, const std::string& path, std::size_t size, int lines, std::string sha256);

private:
    void portLoop(std::size_t port);
    bool awaitDevice(std::size_t port, platform::DeviceSerialPort& device);
    void awaitBoardGone(platform::DeviceSerialPort& device);
    bool refreshFiles(std::size_t port, link::BootloaderLink& link);
    void recordFiles(RunRecord& record);
    void boardEnded(std::size_t port, int board, const RunRecord::Facts& facts);
    std::string tally() const;
    link::DownloadChoice choice() const;

    const StartupState& state_;
    RunSurroundings& surroundings_;
    TerminalReport& terminal_;
    const bool station_;
    std::vector<PortPlan> ports_;
    std::unique_ptr<StationDisplay> display_;

    // The files as read last, with their facts and stamps; a port that sees a
    // change reads them again for all.
    mutable std::mutex filesMutex_;
    link::ChosenFiles files_;
    std::map<link::FileKind, RunRecord::FileFacts> fileFacts_;
    std::map<std::string, std::optional<FileStamp>> stamps_;
    std::atomic<bool> filesFailed_{false};

    std::atomic<int> boards_{0};  // boards begun so far
    struct PortTally {
        int good = 0;
        int failed = 0;
    };
    mutable std::mutex tallyMutex_;
    std::vector<PortTally> tallies_;
    std::string last_;  // the last board's result
    int worst_ = kExitDownloaded;
};

PortFrontEnd::PortFrontEnd(Station& station, std::size_t port, RunRecord& record, RunLog& log)
    : station_(station)
    , port_(port)
    , record_(record)
    , log_(log)
{
}

void PortFrontEnd::portOpened()
{
    record_.portOpened();
    log_.line("Serial line correctly opened.");
}

void PortFrontEnd::versionRead(const std::string& version)
{
    board_ = station_.takeBoard();
    refused_ = !board_;
    record_.setBoard(station_.isStation() ? board_.value_or(0) : 0);
    record_.versionRead(version);
    station_.display().setState(port_, "bootloader " + escapedForeign(version));
    log_.line("Contacted target Bootloader Ver. " + escapedForeign(version));
}

void PortFrontEnd::fileRead(link::FileKind kind, const std::string& path, std::string_view content, int lines)
{
    station_.fileRead(kind, path, content.size(), lines, sha256Hex(content));
}

void PortFrontEnd::fileOpened(link::FileKind kind, const std::string& path)
{
    record_.fileOpened(kind, path);
    log_.line("File " + escapedForeign(path) + " correctly opened.");
}

void PortFrontEnd::sendingFile(link::FileKind kind)
{
    kind_ = kind;
    percent_ = -1;
    progress();
}

void PortFrontEnd::lineDone(const link::LineProgress& done)
{
    record_.lineDone(done);
    progress();
}

// The port's line shows the share of the file dealt with, redrawn as it grows.
void PortFrontEnd::progress()
{
    const int lines = record_.linesOfCurrentFile();
    const int percent = lines > 0 ? (lines - record_.remainingOfCurrentFile()) * 100 / lines : 100;
    if (percent == percent_)
        return;
    percent_ = percent;
    station_.display().setState(port_,
                                std::string(kind_ == link::FileKind::Eeprom ? "sending EEPROM " : "sending FLASH ") +
                                    std::to_string(percent) + "%");
}

void PortFrontEnd::message(const link::Message& message)
{
    record_.ended();
    const std::string shown = link::shownText(message);
    station_.display().say(port_, shown, message.kind == link::MessageKind::Success);
    log_.line(shown);
}

// A port that waits for a board stops once --count boards have begun
// elsewhere; one whose board answered too late stops before its first line.
bool PortFrontEnd::cancelRequested()
{
    return stopped() || refused_ || (!board_ && station_.allBoardsBegun());
}

bool PortFrontEnd::ask(const link::Message& question)
{
    const std::string shown = link::shownText(question);
    log_.line(shown);
    const bool yes = !stopped() && station_.display().ask(port_, shown);
    log_.line(yes ? "Answer: Yes" : "Answer: No");
    return yes;
}

Station::Station(const StartupState& state, RunSurroundings& surroundings, TerminalReport& terminal)
    : state_(state)
    , surroundings_(surroundings)
    , terminal_(terminal)
    , station_(state.station)
{
    std::vector<std::pair<std::int16_t, std::string>> given{{state.CmdLineComPort, state.CmdLinePortDevice}};
    for (const std::string& device : state.morePortDevices)
        given.emplace_back(0, device);
    std::vector<std::string> names;
    for (const auto& [number, device] : given) {
        PortPlan plan{device.empty() ? "COM" + std::to_string(number) : escapedForeign(device), number, device};
        names.push_back(plan.label);
        ports_.push_back(std::move(plan));
    }
    display_ = std::make_unique<StationDisplay>(terminal.streams(), names);
    tallies_.resize(ports_.size());
}

link::DownloadChoice Station::choice() const
{
    link::DownloadChoice choice;
    choice.flash = !state_.FLASHFileName.empty();
    choice.eeprom = !state_.EEPROMFileName.empty();
    choice.flashPath = state_.FLASHFileName;
    choice.eepromPath = state_.EEPROMFileName;
    return choice;
}

void Station::fileRead(link::FileKind kind, const std::string& path, std::size_t size, int lines, std::string sha256)
{
    RunRecord::FileFacts facts;
    facts.kind = kind;
    facts.path = path;
    facts.size = size;
    facts.lines = lines;
    facts.sha256 = std::move(sha256);
    const std::lock_guard<std::mutex> lock(filesMutex_);
    fileFacts_[kind] = facts;
}

void Station::recordFiles(RunRecord& record)
{
    const std::lock_guard<std::mutex> lock(filesMutex_);
    for (const auto& [kind, facts] : fileFacts_)
        record.fileRead(kind, facts.path, facts.size, facts.lines, facts.sha256);
}

// A board is numbered when it answers; none once --count boards have begun,
// or after a stop.
std::optional<int> Station::takeBoard()
{
    if (stopped() || filesFailed_)
        return std::nullopt;
    int begun = boards_.load();
    do {
        if (station_ && state_.boardCount > 0 && begun >= state_.boardCount)
            return std::nullopt;
    } while (!boards_.compare_exchange_weak(begun, begun + 1));
    return begun + 1;
}

bool Station::allBoardsBegun() const
{
    return station_ && state_.boardCount > 0 && boards_.load() >= state_.boardCount;
}

// Waits until the port's device is there (a board's adapter plugged in).
bool Station::awaitDevice(std::size_t port, platform::DeviceSerialPort& device)
{
    bool said = false;
    while (!stopped() && !allBoardsBegun()) {
        try {
            device.open();
            device.close();
            return true;
        } catch (const link::PortError&) {
            if (!said)
                display_->setState(port, "waiting for the port to appear");
            said = true;
        }
        pause(kDeviceCheckMs);
    }
    return false;
}

// A board is programmed once per connection: the port, held open from the
// end of the download on, waits until its device is gone (an adapter that
// leaves with the board hangs up), or until no "$" has answered the sync
// bytes for a moment (the board removed, or started into its application).
void Station::awaitBoardGone(platform::DeviceSerialPort& device)
{
    const std::string block(protocol::kSyncBlockSize, protocol::kSyncByte);
    try {
        device.open();
        for (bool answered = true; answered && !stopped() && !allBoardsBegun();) {
            answered = false;
            for (int waited = 0; waited < kBoardGoneMs && !answered && !stopped(); waited += kBoardCheckMs) {
                device.write(block);
                pause(kBoardCheckMs);
                answered = device.readAll().find(protocol::kSyncAnswer) != std::string::npos;
            }
        }
    } catch (const link::PortError&) {
        // The device is gone, or cannot be opened: so is the board.
    }
    if (device.isOpen())
        device.close();
}

// Before each board after the first, a file that changed on disk is read and
// checked again for all the ports, and the change is shown and recorded.
bool Station::refreshFiles(std::size_t port, link::BootloaderLink& link)
{
    std::unique_lock<std::mutex> lock(filesMutex_);
    bool changed = false;
    for (auto& [path, stamp] : stamps_) {
        const auto now = stampOf(path);
        changed = changed || (stamp && now && *stamp != *now);
    }
    if (!changed)
        return true;
    link::ChosenFiles files;
    // Reading tells fileRead the new facts, which takes the lock itself.
    lock.unlock();
    const link::DownloadResult read = link.readFiles(choice(), files);
    lock.lock();
    if (read != link::DownloadResult::Success) {
        filesFailed_ = true;
        display_->say(port, "The files changed on disk and cannot be used: the station stops.", false);
        return false;
    }
    files_ = std::move(files);
    for (auto& [path, stamp] : stamps_)
        stamp = stampOf(path);
    for (const auto& [kind, facts] : fileFacts_)
        display_->say(port, escapedForeign(facts.path) + " read again: SHA-256 " + facts.sha256, true);
    return true;
}

void Station::boardEnded(std::size_t port, int board, const RunRecord::Facts& facts)
{
    const std::lock_guard<std::mutex> lock(tallyMutex_);
    const bool good = facts.exitStatus == kExitDownloaded;
    ++(good ? tallies_[port].good : tallies_[port].failed);
    last_ = ports_[port].label + (station_ ? " board " + std::to_string(board) : "") + " " + facts.outcome;
    // A stop outranks a failure, a failure skipped lines.
    if (facts.exitStatus > 128 || (worst_ <= 128 && facts.exitStatus == kExitRunFailed) ||
        (worst_ == kExitDownloaded && facts.exitStatus == kExitLinesSkipped))
        worst_ = facts.exitStatus;
}

std::string Station::tally() const
{
    const std::lock_guard<std::mutex> lock(tallyMutex_);
    int good = 0, failed = 0;
    std::string perPort;
    for (std::size_t port = 0; port < ports_.size(); ++port) {
        good += tallies_[port].good;
        failed += tallies_[port].failed;
        perPort += (port ? ", " : "") + ports_[port].label + " " + std::to_string(tallies_[port].good) + "/" +
                   std::to_string(tallies_[port].failed);
    }
    return "Tally: good=" + std::to_string(good) + " failed=" + std::to_string(failed) + " (" + perPort + ")" +
           (last_.empty() ? "" : "; last: " + last_);
}

void Station::portLoop(std::size_t port)
{
    const PortPlan& plan = ports_[port];
    platform::DeviceSerialPort device(surroundings_.portMap);
    if (!plan.device.empty())
        device.setDevice(system::serialDeviceName(plan.device));
    device.setPortNumber(plan.number);
    platform::DownloadTimers timers;
    link::Flavour flavour;
    flavour.sharedSyncWindow = true;
    flavour.syncWithoutEnd = station_;
    if (state_.syncSeconds > 0)
        timers.TmrSyn.setInterval(state_.syncSeconds * 1000);
    flavour.phase2WindowMs = state_.syncSeconds > 0 ? state_.syncSeconds * 1000
                             : station_             ? protocol::kPhase2WindowMs
                                                    : 0;
    RunLog log([this, port](const std::string& complaint) { display_->say(port, complaint, false); },
               plan.label + ": ");
    if (!state_.logPath.empty())
        log.open(state_.logPath);
    BoardRecord boardRecord;
    if (!state_.recordPath.empty())
        boardRecord.open(state_.recordPath);

    for (bool first = true; !stopped() && !allBoardsBegun(); first = false) {
        if (station_ && !awaitDevice(port, device))
            break;
        RunRecord record(!state_.FLASHFileName.empty(), !state_.EEPROMFileName.empty(), state_.tag);
        PortFrontEnd frontEnd(*this, port, record, log);
        link::BootloaderLink link(platform::downloadSeams(timers, device, frontEnd, surroundings_.files), flavour);
        if (!first && !refreshFiles(port, link))
            break;
        recordFiles(record);
        link::ChosenFiles files;
        {
            const std::lock_guard<std::mutex> lock(filesMutex_);
            files = files_;
        }
        link::DownloadChoice choice = this->choice();
        choice.port = plan.number;
        choice.files = &files;
        display_->setState(port, station_ ? "connect or reset the next board" : "synchronising");
        log.line("Run started: " + plan.label);
        const link::DownloadResult result = link.DownloadFiles(choice);
        const RunRecord::Facts facts = record.facts(result, system::stopRequested());
        // A station's port that was waiting when it stopped programmed no
        // board, and neither did one whose board came after the last.
        const auto board = frontEnd.board();
        if (station_ && (!board || (result == link::DownloadResult::Cancelled && !stopped())))
            break;
        if (boardRecord.isOpen() && !boardRecord.append(facts, runPlace(plan.number, device))) {
            const std::string failure = "the record " + escapedForeign(state_.recordPath) +
                                        " could not be written: " + boardRecord.reason() +
                                        ". This board has no record.";
            display_->say(port, failure, false);
            log.line(failure);
        }
        const RunRecord::Closing closing = record.close(facts, device.portLabel());
        if (!closing.note.empty()) {
            display_->say(port, closing.note, false);
            log.line(closing.note);
        }
        display_->say(port, closing.summary, true);
        log.line(closing.summary);
        boardEnded(port, board.value_or(0), facts);
        display_->setState(port, facts.outcome + (station_ ? "; remove the board" : ""));
        display_->tally(tally(), false);
        if (!station_)
            break;
        awaitBoardGone(device);
    }
    display_->setState(port, "done");
}

int Station::run()
{
    // The files are read and checked once, before any port is opened, with
    // their questions on the terminal.
    {
        RunRecord record(false, false);
        RunLog log([this](const std::string& complaint) { terminal_.message(complaint, false); });
        PortFrontEnd frontEnd(*this, 0, record, log);
        platform::DownloadTimers timers;
        link::BootloaderLink link(platform::downloadSeams(timers, surroundings_.port, frontEnd, surroundings_.files),
                                  link::Flavour{});
        const link::DownloadResult read = link.readFiles(choice(), files_);
        if (read != link::DownloadResult::Success)
            return read == link::DownloadResult::Cancelled ? system::exitStatusOf(system::stopRequested())
                                                           : kExitRunFailed;
        for (const std::string& path : {state_.EEPROMFileName, state_.FLASHFileName})
            if (!path.empty())
                stamps_[path] = stampOf(path);
    }
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t port = 0; port < ports_.size(); ++port) {
        threads.emplace_back(QThread::create([this, port] { portLoop(port); }));
        threads.back()->start();
    }
    for (const auto& thread : threads)
        thread->wait();
    display_->tally(tally(), true);
    const std::lock_guard<std::mutex> lock(tallyMutex_);
    if (stopped())
        return system::exitStatusOf(system::stopRequested());
    return filesFailed_ ? kExitRunFailed : worst_;
}

int StationRun(const StartupState& state, RunSurroundings& surroundings, TerminalReport& terminal)
{
    Station station(state, surroundings, terminal);
    return station.run();
}

}  // namespace korvel::cmdline
