#pragma once

#include "HexImage.h"
#include "SimOptions.h"
#include "link/IntelHex.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace targetsim {

// One answer to the PC. Noise may be put before, between and after the parts, never
// inside one.
struct Reply {
    std::vector<std::string> parts;
    std::uint64_t delayMs = 0;
};

struct Statistics {
    std::uint64_t accepted = 0;   // records answered "~", "#" or "#@"
    std::uint64_t refused = 0;    // records answered "-" or "%"
    std::uint64_t dropped = 0;    // records dropped without an answer
    std::uint64_t resends = 0;    // records that repeated a refused or unanswered one
    std::uint64_t downloads = 0;  // downloads completed with "#@"
};

// The bootloader's side of the protocol, fed one received byte at a time. It knows no
// time and no I/O: what it answers is collected by takeReplies().
class Bootloader {
public:
    explicit Bootloader(const SimOptions& options);

    void receive(char byte);

    // The current record stopped arriving part-way: it is refused.
    void abandonRecord();
    bool inRecord() const { return inRecord_; }

    std::vector<Reply> takeReplies();

    // Records received so far (every send, answered or not).
    std::uint64_t linesReceived() const { return linesReceived_; }
    const Statistics& statistics() const { return stats_; }
    const korvel::intelhex::HexImage& flash() const { return flash_; }
    const korvel::intelhex::HexImage& eeprom() const { return eeprom_; }

private:
    enum class Phase { Sync, Selector, SelectorStar, Records };
    enum class Memory { Eeprom, Flash };

    void onSyncByte();
    bool completesHandshake(char byte);
    void startDownload(std::vector<Memory> files);
    void startFile();
    void beginRecord();
    void collect(char byte);
    void judgeRecord(bool complete);
    void judgeLine(bool isRecord, const korvel::intelhex::Record& record);
    void refuse(char refusal, bool mayBeResent);
    void acceptEndOfFile();
    void answerLine(std::vector<std::string> parts);
    void reply(std::vector<std::string> parts, std::uint64_t delayMs);
    korvel::intelhex::HexImage& currentImage();

    const SimOptions& options_;
    Phase phase_ = Phase::Sync;
    std::uint64_t syncBytes_ = 0;  // 0x55 bytes of the current synchronisation
    std::uint64_t syncRun_ = 0;    // consecutive 0x55 bytes seen during a download
    std::string handshakeWindow_;  // the last bytes outside records, for "@&$"

    std::vector<Memory> files_;
    std::size_t fileIndex_ = 0;

    bool inRecord_ = false;
    std::string record_;

    std::uint64_t lineNumber_ = 0;  // lines of the current file, resends not counted
    std::uint64_t sendsOfLine_ = 0;
    std::string previousRecord_;
    bool previousMayBeResent_ = false;

    std::uint64_t linesReceived_ = 0;
    Statistics stats_;
    std::vector<Reply> replies_;
    korvel::intelhex::HexImage flash_;
    korvel::intelhex::HexImage eeprom_;
};

}  // namespace targetsim
