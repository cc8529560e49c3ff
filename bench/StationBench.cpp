// korvel-bench-station: several boards programmed at once by one process, and
// a station that programs board after board. Prints each figure with its
// bound ("met" or "not met"); exits 1 when a bound is not met or a run failed.
//
//   korvel-bench-station
//
// 1. Boards at once: one board alone, then eight on eight pseudo-terminals,
//    each simulated target paced at 115 200 baud. Each board's download time
//    (the summary's seconds, from the port opened to the end) is at most 1.1
//    times the lone board's, and the program's processor time per board at
//    most the lone run's.
// 2. A station of two ports programs 50 boards in a row, boards that come and
//    go: the program's open files and threads at board 50 are those at board
//    5, its resident memory at most 10 % more.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kBoards = 8;
constexpr int kStationBoards = 50;

bool failed = false;

void figure(const std::string& name, double value, const std::string& bound, bool met)
{
    std::printf("%-44s %10.3f  %-14s %s\n", name.c_str(), value, bound.c_str(), met ? "met" : "not met");
    failed = failed || !met;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A child process with its standard output on a pipe.
struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child start(const std::vector<std::string>& words, const std::string& folder)
{
    int ends[2];
    if (pipe(ends) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        std::vector<char*> argv;
        for (const std::string& word : words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    return {pid, fdopen(ends[0], "r")};
}

// Boards one after another on `link`, each a simulator that ends after its download.
pid_t supply(const std::string& folder, const std::string& link, int boards)
{
    const std::string script = "for i in $(seq " + std::to_string(boards) + "); do '" + KORVEL_TARGETSIM_PATH +
                               "' --once --link '" + link + "' >/dev/null 2>&1; sleep 0.2; done";
    const pid_t pid = fork();
    if (pid == 0) {
        // A group of its own, so that the simulator it waits for ends with it.
        setpgid(0, 0);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// The program's summary lines' seconds, and its processor time.
struct Outcome {
    std::vector<double> seconds;
    double processor = 0;
    bool allDownloaded = true;
};

Outcome program(const std::string& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{KORVEL_PROGRAM_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    Child child = start(words, folder);
    Outcome outcome;
    const std::regex summary("Summary: outcome=(\\S+) seconds=([0-9.]+) ");
    char line[4096];
    while (child.out && std::fgets(line, sizeof line, child.out)) {
        std::cmatch match;
        if (std::regex_search(line, match, summary)) {
            outcome.seconds.push_back(std::atof(match[2].str().c_str()));
            outcome.allDownloaded = outcome.allDownloaded && match[1].str() == "downloaded";
        }
    }
    if (child.out)
        std::fclose(child.out);
    int status = 0;
    rusage used{};
    wait4(child.pid, &status, 0, &used);
    outcome.processor = double(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                        double(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    outcome.allDownloaded = outcome.allDownloaded && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

// Boards at once on simulated targets paced at the line's rate.
Outcome atOnce(const std::string& folder, int boards)
{
    std::vector<pid_t> sims;
    std::vector<std::string> arguments;
    for (int board = 0; board < boards; ++board) {
        const std::string link = folder + "/paced" + std::to_string(board);
        const pid_t pid = fork();
        if (pid == 0) {
            // The path it prints is known: the link.
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            execl(KORVEL_TARGETSIM_PATH, KORVEL_TARGETSIM_PATH, "--once", "--pace", "115200", "--link", link.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        sims.push_back(pid);
        for (int tries = 0; tries < 100 && access(link.c_str(), F_OK) != 0; ++tries)
            usleep(20000);
        arguments.insert(arguments.end(), {"/port", link});
    }
    arguments.insert(arguments.end(), {"/f", "app.hex", "/console"});
    Outcome outcome = program(folder, arguments);
    for (pid_t sim : sims)
        waitpid(sim, nullptr, 0);
    return outcome;
}

// What a running process holds: open files, threads, resident memory in KiB.
struct Holdings {
    long files = 0;
    long threads = 0;
    long residentKiB = 0;
};

Holdings holdingsOf(pid_t pid)
{
    Holdings held;
    if (DIR* fds = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (readdir(fds))
            ++held.files;
        closedir(fds);
    }
    std::istringstream status(fileText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0)
            held.threads = std::atol(line.c_str() + 8);
        if (line.rfind("VmRSS:", 0) == 0)
            held.residentKiB = std::atol(line.c_str() + 6);
    }
    return held;
}

}  // namespace

int main()
{
    char pattern[] = "/tmp/korvel-bench-station-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
        return 1;
    const std::string folder = made;
    const std::string hexgen = std::string("'") + KORVEL_HEXGEN_PATH + "' --size 4096 '" + folder + "/app.hex'";
    if (std::system(hexgen.c_str()) != 0 || std::system(("touch '" + folder + "/AVRBootloaderKorvel.ports'").c_str()))
        return 1;

    const Outcome alone = atOnce(folder, 1);
    const Outcome eight = atOnce(folder, kBoards);
    if (!alone.allDownloaded || !eight.allDownloaded || alone.seconds.size() != 1 ||
        eight.seconds.size() != std::size_t(kBoards)) {
        std::cerr << "bench: a download of the boards at once failed\n";
        return 1;
    }
    const double slowest = *std::max_element(eight.seconds.begin(), eight.seconds.end());
    std::printf("%-44s %10s  %-14s\n", "figure", "value", "bound");
    figure("one board alone: download s", alone.seconds.front(), "", true);
    figure("8 at once: slowest board / lone board", slowest / alone.seconds.front(), "<= 1.1",
           slowest <= 1.1 * alone.seconds.front());
    figure("8 at once: processor s per board / lone run", eight.processor / kBoards / alone.processor, "<= 1.0",
           eight.processor / kBoards <= alone.processor);

    // The station: two ports, boards that come and go on each.
    const pid_t one = supply(folder, folder + "/one", kStationBoards / 2 + 1);
    const pid_t two = supply(folder, folder + "/two", kStationBoards / 2 + 1);
    Child station = start({KORVEL_PROGRAM_PATH, "/port", folder + "/one", "/port", folder + "/two", "/f", "app.hex",
                           "--station", "--count", std::to_string(kStationBoards), "/console"},
                          folder);
    std::optional<Holdings> atFifth, atLast;
    char line[4096];
    while (station.out && std::fgets(line, sizeof line, station.out)) {
        const std::string text = line;
        if (text.find("Summary:") == std::string::npos)
            continue;
        if (text.find(" board=5 ") != std::string::npos)
            atFifth = holdingsOf(station.pid);
        if (text.find(" board=" + std::to_string(kStationBoards) + " ") != std::string::npos)
            atLast = holdingsOf(station.pid);
    }
    if (station.out)
        std::fclose(station.out);
    int status = 0;
    waitpid(station.pid, &status, 0);
    kill(-one, SIGTERM);
    kill(-two, SIGTERM);
    waitpid(one, nullptr, 0);
    waitpid(two, nullptr, 0);
    if (!atFifth || !atLast || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "bench: the station did not program its " << kStationBoards << " boards\n";
        return 1;
    }
    figure("station: open files at board 50 - board 5", double(atLast->files - atFifth->files), "<= 0",
           atLast->files <= atFifth->files);
    figure("station: threads at board 50 - board 5", double(atLast->threads - atFifth->threads), "<= 0",
           atLast->threads <= atFifth->threads);
    figure("station: resident KiB at board 50 / board 5", double(atLast->residentKiB) / double(atFifth->residentKiB),
           "<= 1.1", atLast->residentKiB <= atFifth->residentKiB * 11 / 10);
    std::system(("rm -rf '" + folder + "'").c_str());
    return failed ? 1 : 0;
}
