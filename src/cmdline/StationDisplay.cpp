#include "cmdline/StationDisplay.h"

#include <ostream>

namespace korvel::cmdline {

namespace {

// ANSI: to the start of the line `n` lines up, and erase from the cursor to the end of the screen.
std::string linesUp(int n)
{
    return n > 0 ? "\033[" + std::to_string(n) + "F" : "\r";
}
const char* const kEraseBelow = "\033[J";

}  // namespace

StationDisplay::StationDisplay(const TerminalReport::Streams& streams, std::vector<std::string> portNames)
    : out_(streams.out)
    , err_(streams.err)
    , asker_(streams, false)
    , live_(streams.outIsTerminal)
    , outColumns_(streams.outColumns)
    , names_(std::move(portNames))
    , states_(names_.size())
{
}

void StationDisplay::write(std::ostream& stream, const std::string& text)
{
    stream << text << std::flush;
}

std::size_t StationDisplay::most() const
{
    const int columns = outColumns_ ? outColumns_() : 0;
    return columns > 1 ? std::size_t(columns - 1) : kUnknownTerminalWidth;
}

// The block is erased before anything is written above it, and drawn again after.
void StationDisplay::eraseBlock()
{
    if (drawn_ == 0)
        return;
    write(out_, linesUp(drawn_) + kEraseBelow);
    drawn_ = 0;
}

void StationDisplay::drawBlock()
{
    if (!live_ || asking_)
        return;
    eraseBlock();
    write(out_, portLines() + (tally_.empty() ? "" : tally_.substr(0, most()) + "\n"));
    drawn_ = int(names_.size()) + (tally_.empty() ? 0 : 1);
}

std::string StationDisplay::portLines() const
{
    std::string lines;
    const std::size_t width = most();
    for (std::size_t port = 0; port < names_.size(); ++port)
        lines += (names_[port] + ": " + states_[port]).substr(0, width) + "\n";
    return lines;
}

void StationDisplay::setState(std::size_t port, const std::string& state)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (states_.at(port) == state)
        return;
    states_[port] = state;
    drawBlock();
}

void StationDisplay::say(std::size_t port, const std::string& text, bool toStandardOutput)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::string line = names_.at(port) + ": " + text + "\n";
    // While a question stands, the other ports' lines wait below its answer.
    if (asking_) {
        held_.push_back({line, toStandardOutput});
        return;
    }
    eraseBlock();
    write(toStandardOutput ? out_ : err_, line);
    drawBlock();
}

void StationDisplay::tally(const std::string& text, bool final)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    tally_ = text;
    if (final) {
        eraseBlock();
        write(out_, (live_ ? portLines() : "") + text + "\n");
        tally_.clear();
        return;
    }
    drawBlock();
}

bool StationDisplay::ask(std::size_t port, const std::string& question)
{
    const std::lock_guard<std::mutex> one(questions_);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        eraseBlock();
        asking_ = true;
    }
    const bool yes = asker_.ask(names_.at(port) + ": " + question);
    const std::lock_guard<std::mutex> lock(mutex_);
    asking_ = false;
    for (const auto& [line, toStandardOutput] : held_)
        write(toStandardOutput ? out_ : err_, line);
    held_.clear();
    drawBlock();
    return yes;
}

}  // namespace korvel::cmdline
