#pragma once

#include <sstream>

#include "cmdline/TerminalReport.h"

// The standard streams of one run, in memory, and which of them are terminals.
struct MemoryTerminal {
    korvel::cmdline::TerminalReport::Streams streams(bool outIsTerminal = false, bool inIsTerminal = false,
                                                     bool errIsTerminal = false)
    {
        return {out, err, in, outIsTerminal, inIsTerminal, errIsTerminal};
    }

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};
