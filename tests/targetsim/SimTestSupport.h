#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// A child process with its standard output and error on pipes. The destructor kills it
// if it is still running.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& command);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output without its line end; empty on timeout.
    std::string readLine(int timeoutMs);
    void terminate();
    // The exit status once the child has ended, or nothing after the timeout.
    std::optional<int> waitExit(int timeoutMs);
    const std::string& errorOutput() const { return errorOutput_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errorOutput_;
};

// The slave side of the simulator's terminal, opened raw and non-blocking.
class SlavePort {
public:
    explicit SlavePort(const std::string& path, bool softwareFlowControl = false);
    ~SlavePort();
    SlavePort(const SlavePort&) = delete;
    SlavePort& operator=(const SlavePort&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void close();
    void write(std::string_view bytes);
    // Whether a write would be taken within the timeout (false while output is stopped).
    bool writable(int timeoutMs);
    // Reads until `done` says so or the timeout ends; returns everything read.
    std::string readUntil(const std::function<bool(const std::string&)>& done, int timeoutMs);
    std::string readUntilChar(char wanted, int timeoutMs);
    // Everything that arrives within `ms`.
    std::string readFor(int ms);
    // True when the line reports end of file or an I/O error within the timeout.
    bool seesHangUp(int timeoutMs);

private:
    int fd_ = -1;
};

// Synchronisation and handshake: returns what arrived up to and including the "?".
std::string handshake(SlavePort& port);

std::string makeTempDir();
void removeTree(const std::string& path);
std::vector<std::uint8_t> readBytes(const std::string& path);
std::string readText(const std::string& path);
// The lines of a HEX file, line ends removed, empty lines dropped.
std::vector<std::string> hexLines(const std::string& path);

// Runs korvel-hexgen with `arguments` and returns its exit status (-1 on timeout).
int runHexgen(const std::vector<std::string>& arguments);
