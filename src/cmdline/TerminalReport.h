#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace korvel::cmdline {

// The width a line drawn in place may take where the terminal does not tell its own.
inline constexpr std::size_t kUnknownTerminalWidth = 79;

// What a command-line run writes to the terminal, beside or instead of its
// window, as UTF-8 text: the completed log lines and the texts of its messages, one per line,
// and, without a window, its questions. Every write is flushed at once, so
// that a script reading a pipe sees each line as it happens.
class TerminalReport {
public:
    // The program's standard streams and whether they are terminals.
    struct Streams {
        std::ostream& out;
        std::ostream& err;
        std::istream& in;
        bool outIsTerminal = false;
        bool inIsTerminal = false;
        bool errIsTerminal = false;
        // The columns of the terminal `out` is, asked anew before each
        // refresh of the count (the terminal may be resized); 0: unknown.
        std::function<int()> outColumns = {};
    };

    // `liveCount`: the count of lines remaining is refreshed in place on `out`
    // when it is a terminal, with a bar and the share of the file's lines
    // done, the seconds of the run and, once the file has a pace, the seconds
    // it still needs at that pace; otherwise each file's count line is
    // printed once, when the file is done. The line refreshed in place never
    // takes more than the terminal's columns less one, so that it never
    // wraps: a narrower terminal gets a shorter bar, then no bar, then no
    // estimate, then the bare count line, then the count alone.
    TerminalReport(const Streams& streams, bool liveCount);

    // The streams it writes to and reads from.
    const Streams& streams() const { return streams_; }

    // A completed log line, to `out`.
    void logLine(const std::string& text);

    // A "lines remaining" line begins with `prefix`; the count follows it.
    // The first count shown after it is the file's number of lines.
    void startCount(const std::string& prefix);
    void showCount(int linesLeft, long long seconds);
    // The file is done: its count line is completed with the last count.
    void endCount();

    // The text of a message on a line of its own, to `out` or `err`. A message
    // ends the run, so a count line still open is completed first. CR LF
    // inside the text becomes a line end of the terminal.
    void message(const std::string& text, bool toStandardOutput);
    // The text of a question shown in a box, to `err`.
    void question(const std::string& text);
    // Writes the question to `err` followed by " [y/N] " and reads one line of
    // `in`: "y" or "yes" in any case is Yes; anything else, or the end of the
    // input, is No. The answer ends the question's line: the terminal shows
    // what is typed on it only where `err` is that terminal too, and an input
    // that ends without a line end leaves the line open; otherwise the answer
    // is repeated after the question, so that the error output reads as a
    // dialogue.
    bool ask(const std::string& text);

private:
    void write(std::ostream& stream, std::string text);
    void breakLiveLine();
    std::string countLine() const;
    std::string liveLine(long long seconds, std::size_t most) const;

    const Streams streams_;
    std::ostream& out_;
    std::ostream& err_;
    std::istream& in_;
    const bool liveCount_;
    const std::function<int()> outColumns_;
    const bool typedAnswersShown_;

    bool counting_ = false;   // a count line is under way
    bool liveShown_ = false;  // its live form stands unfinished on `out`
    std::string prefix_;
    int linesTotal_ = -1;  // none shown yet
    int linesLeft_ = 0;
    int liveWidth_ = 0;           // characters of the longest live form written
    bool started_ = false;        // a count of the file was shown
    long long startSeconds_ = 0;  // the run's seconds at the file's first count
    static constexpr int kBarWidth = 20;
    static constexpr int kNarrowestBar = 5;
};

}  // namespace korvel::cmdline
