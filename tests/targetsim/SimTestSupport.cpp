#include "SimTestSupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

Clock::time_point after(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
}

std::string ChildProcess::readLine(int timeoutMs) {
    const auto deadline = after(timeoutMs);
    for (;;) {
        if (const auto end = outBuffer_.find('\n'); end != std::string::npos) {
            std::string line = outBuffer_.substr(0, end);
            outBuffer_.erase(0, end + 1);
            return line;
        }
        pollfd out{out_, POLLIN, 0};
        if (poll(&out, 1, remainingMs(deadline)) <= 0) return {};
        char buffer[256];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return {};
        outBuffer_.append(buffer, static_cast<std::size_t>(n));
    }
}

void ChildProcess::terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
}

std::optional<int> ChildProcess::waitExit(int timeoutMs) {
    if (pid_ <= 0) return std::nullopt;
    // The child has ended once both pipes report end of file.
    const auto deadline = after(timeoutMs);
    std::string* sinks[2] = {&outBuffer_, &errorOutput_};
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 2, remainingMs(deadline)) <= 0) return std::nullopt;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) continue;
            char buffer[512];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            else
                fds[i].fd = -1;
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

SlavePort::SlavePort(const std::string& path, bool softwareFlowControl) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    if (softwareFlowControl) settings.c_iflag |= IXON;
    tcsetattr(fd_, TCSANOW, &settings);
}

SlavePort::~SlavePort() { close(); }

void SlavePort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void SlavePort::write(std::string_view bytes) {
    const auto deadline = after(5000);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN) return;
        pollfd out{fd_, POLLOUT, 0};
        if (poll(&out, 1, remainingMs(deadline)) <= 0) return;
    }
}

bool SlavePort::writable(int timeoutMs) {
    pollfd out{fd_, POLLOUT, 0};
    return poll(&out, 1, timeoutMs) > 0 && (out.revents & POLLOUT);
}

std::string SlavePort::readUntil(const std::function<bool(const std::string&)>& done, int timeoutMs) {
    const auto deadline = after(timeoutMs);
    std::string received;
    while (!done(received)) {
        pollfd in{fd_, POLLIN, 0};
        if (poll(&in, 1, remainingMs(deadline)) <= 0) break;
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

std::string SlavePort::readUntilChar(char wanted, int timeoutMs) {
    return readUntil([wanted](const std::string& text) { return text.find(wanted) != std::string::npos; },
                     timeoutMs);
}

std::string SlavePort::readFor(int ms) {
    return readUntil([](const std::string&) { return false; }, ms);
}

bool SlavePort::seesHangUp(int timeoutMs) {
    const auto deadline = after(timeoutMs);
    for (;;) {
        pollfd in{fd_, POLLIN, 0};
        if (poll(&in, 1, remainingMs(deadline)) <= 0) return false;
        char buffer[256];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno == EIO)) return true;
    }
}

std::string handshake(SlavePort& port) {
    port.write(std::string(512, '\x55'));
    std::string received = port.readUntilChar('$', 3000);
    port.write("@&$");
    return received + port.readUntilChar('?', 3000);
}

std::string makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-targetsim-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

void removeTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    const std::string text = readText(path);
    return {text.begin(), text.end()};
}

std::vector<std::string> hexLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream text(readText(path));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

int runHexgen(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{KORVEL_HEXGEN_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess hexgen(command);
    return hexgen.waitExit(10000).value_or(-1);
}
