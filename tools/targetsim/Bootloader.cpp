#include "Bootloader.h"

#include <utility>

#include "link/Protocol.h"

namespace targetsim {

namespace {

namespace protocol = korvel::link::protocol;

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
// A download in progress gives way to a new synchronisation only after a run of this
// many sync bytes, so that a stray 'U' between records does not end it.
constexpr std::uint64_t kResyncRun = 8;
// With --double-answer, how long after a line's answer it comes again.
constexpr std::uint64_t kAgainAfterMs = 1;
const std::string kHandshake = protocol::kHello;
// What comes after the selector's first character when FLASH follows EEPROM.
constexpr char kFlashFollows = protocol::kEepromThenFlash[1];

std::string answer(char c)
{
    return std::string(1, c);
}

}  // namespace

Bootloader::Bootloader(const SimOptions& options) : options_(options) {}

void Bootloader::receive(char byte)
{
    // Flow control from the PC's line discipline, never part of a record.
    if (byte == kXon || byte == kXoff)
        return;
    if (inRecord_) {
        collect(byte);
        return;
    }
    if (byte == protocol::kSyncByte) {
        onSyncByte();
        return;
    }
    syncRun_ = 0;
    if (completesHandshake(byte))
        return;
    switch (phase_) {
    case Phase::Sync:
        return;
    case Phase::Selector:
        if (byte == protocol::kEepromOnly[0]) {
            phase_ = Phase::SelectorStar;
        } else if (byte == ':') {
            startDownload({Memory::Flash});
            beginRecord();
        }
        return;
    case Phase::SelectorStar:
        if (byte == kFlashFollows) {
            startDownload({Memory::Eeprom, Memory::Flash});
            return;
        }
        startDownload({Memory::Eeprom});
        if (byte == ':')
            beginRecord();
        return;
    case Phase::Records:
        if (byte == ':')
            beginRecord();
        return;
    }
}

void Bootloader::abandonRecord()
{
    if (inRecord_)
        judgeRecord(false);
}

std::vector<Reply> Bootloader::takeReplies()
{
    return std::exchange(replies_, {});
}

void Bootloader::onSyncByte()
{
    handshakeWindow_.clear();
    if (phase_ != Phase::Sync) {
        if (++syncRun_ < kResyncRun)
            return;
        phase_ = Phase::Sync;
        syncRun_ = 0;
        syncBytes_ = 0;
    }
    if (++syncBytes_ % protocol::kSyncBlockSize == 1)
        reply({answer(protocol::kSyncAnswer)}, options_.phase1DelayMs);
}

bool Bootloader::completesHandshake(char byte)
{
    handshakeWindow_ += byte;
    if (handshakeWindow_.size() > kHandshake.size())
        handshakeWindow_.erase(0, 1);
    if (handshakeWindow_ != kHandshake)
        return false;
    handshakeWindow_.clear();
    const bool synchronised = (phase_ == Phase::Sync && syncBytes_ > 0) || phase_ == Phase::Selector;
    if (!synchronised || options_.noPhase2)
        return true;
    phase_ = Phase::Selector;
    if (options_.sendG)
        reply({answer(protocol::kHelloAnswer), protocol::kVersionMarker + options_.version}, options_.phase2DelayMs);
    else
        reply({answer(protocol::kHelloAnswer)}, options_.phase2DelayMs);
    return true;
}

void Bootloader::startDownload(std::vector<Memory> files)
{
    files_ = std::move(files);
    fileIndex_ = 0;
    phase_ = Phase::Records;
    startFile();
}

void Bootloader::startFile()
{
    lineNumber_ = 0;
    sendsOfLine_ = 0;
    previousRecord_.clear();
    previousMayBeResent_ = false;
    currentImage().resetAddressing();
}

void Bootloader::beginRecord()
{
    inRecord_ = true;
    record_ = ":";
}

void Bootloader::collect(char byte)
{
    if (byte == ':') {
        judgeRecord(false);
        beginRecord();
        return;
    }
    record_ += byte;
    if (korvel::intelhex::hexDigitValue(byte) < 0) {
        judgeRecord(false);
        return;
    }
    if (record_.size() < 3)
        return;
    const auto dataLength = static_cast<std::size_t>(korvel::intelhex::hexDigitValue(record_[1]) * 16 +
                                                     korvel::intelhex::hexDigitValue(record_[2]));
    if (record_.size() == korvel::intelhex::recordTextLength(dataLength))
        judgeRecord(true);
}

void Bootloader::judgeRecord(bool complete)
{
    inRecord_ = false;
    korvel::intelhex::Record record;
    judgeLine(complete && !korvel::intelhex::parseRecord(record_, record), record);
}

void Bootloader::judgeLine(bool isRecord, const korvel::intelhex::Record& record)
{
    ++linesReceived_;
    if (previousMayBeResent_ && record_ == previousRecord_) {
        ++stats_.resends;
        ++sendsOfLine_;
    } else {
        ++lineNumber_;
        sendsOfLine_ = 1;
    }
    previousRecord_ = record_;

    const bool injectedChecksumError =
        sendsOfLine_ <= options_.checksumErrors && (options_.errorLine == 0 || options_.errorLine == lineNumber_);
    if (options_.silentLine == lineNumber_) {
        ++stats_.dropped;
        previousMayBeResent_ = true;
    } else if (!isRecord || injectedChecksumError) {
        refuse(protocol::kChecksumError, true);
    } else if (options_.writeErrorLine == lineNumber_) {
        refuse(protocol::kWriteError, false);
    } else if (record.type == korvel::intelhex::EndOfFile) {
        acceptEndOfFile();
    } else if (!currentImage().apply(record)) {
        refuse(protocol::kWriteError, false);  // the data lies beyond the target's memory
    } else {
        ++stats_.accepted;
        previousMayBeResent_ = false;
        answerLine({answer(protocol::kLineAccepted)});
    }
}

void Bootloader::refuse(char refusal, bool mayBeResent)
{
    ++stats_.refused;
    previousMayBeResent_ = mayBeResent;
    answerLine({answer(refusal)});
}

void Bootloader::acceptEndOfFile()
{
    ++stats_.accepted;
    previousMayBeResent_ = false;
    if (fileIndex_ + 1 < files_.size()) {
        ++fileIndex_;
        startFile();
        answerLine({answer(protocol::kFileEnded)});
        return;
    }
    // The end of the last file, then the end of the download: in paced mode
    // the "@" follows the "#" a character time later, as on a real line.
    answerLine({answer(protocol::kFileEnded), answer(protocol::kDownloadDone)});
    ++stats_.downloads;
    phase_ = Phase::Sync;
    syncBytes_ = 0;
    files_.clear();
}

// A line's answer, and with --double-answer the same again a moment later.
void Bootloader::answerLine(std::vector<std::string> parts)
{
    reply(parts, options_.answerDelayMs);
    if (options_.doubleAnswer)
        reply(std::move(parts), options_.answerDelayMs + kAgainAfterMs);
}

void Bootloader::reply(std::vector<std::string> parts, std::uint64_t delayMs)
{
    if (!options_.silent)
        replies_.push_back({std::move(parts), delayMs});
}

korvel::intelhex::HexImage& Bootloader::currentImage()
{
    return files_.at(fileIndex_) == Memory::Flash ? flash_ : eeprom_;
}

}  // namespace targetsim
