#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/BootloaderLink.h"
#include "sim/MemoryHexFiles.h"
#include "sim/RecordingFrontEnd.h"
#include "sim/ScriptedTarget.h"
#include "sim/SimSerialPort.h"
#include "sim/SimTimer.h"
#include "sim/SimWorld.h"

namespace korvel::linktest {

// One window's worth of download: the link, its timers as the window sets them
// up, a port with a scripted target, a recording front end and files in memory.
struct LinkBench {
    explicit LinkBench(link::Flavour flavour = {});

    // Runs one download; a run beyond the simulation's limits fails the test.
    link::DownloadResult run(const link::DownloadChoice& choice);
    // The choice of a FLASH file only, of an EEPROM file only, or of both, on COM1.
    static link::DownloadChoice flash(const std::string& path = "flash.hex");
    static link::DownloadChoice eeprom(const std::string& path = "eeprom.hex");
    static link::DownloadChoice both();

    // Writes that are not handshake traffic (no 0x55 blocks, no "@&$").
    std::vector<SimSerialPort::Write> transferWrites() const;
    // Whether the journal holds entries starting with these texts in this order.
    bool inOrder(const std::vector<std::string>& starts) const;
    bool logged(const std::string& entry) const;
    int writesOf(const std::string& bytes) const;

    VirtualTime time;
    SimEventPump pump{time};
    SimClock clock{time};
    Journal journal{{}, time};
    SimSerialPort port{time, pump, journal};
    ScriptedTarget target{port};
    RecordingFrontEnd frontEnd{journal};
    SimTimer TmrSyn{time, 5000};
    SimTimer TmrWaitAnsw{time, 60};
    SimTimer TmrShowLine{time, 1000};
    MemoryHexFiles files{journal};
    std::unique_ptr<link::BootloaderLink> link;
};

}  // namespace korvel::linktest
