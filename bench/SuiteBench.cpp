// korvel-bench-suite: runs the benchmark drivers against korvel-targetsim,
// computes every figure and prints the table; each bound is printed with
// "met" or "not met", and the exit status is 1 when one is not met (or cannot
// be measured), so that the suite can serve as a check.
//
//   korvel-bench-suite BUILD_DIR [PAIRS]
//
// The program (korvel-bench-link) runs alternately with the baseline
// (korvel-bench-baseline) against the same simulator with the same options and
// files, so both see the same machine. The bounds on the transfer are ratios
// to the baseline: on a shared machine the round trip of a line is set by the
// kernel waking two processes, not by the program. PAIRS (9 by default) sets
// how many program/baseline pairs run for the line rate and the paced transfer.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Characters per second at 115200 baud, 10 bits per character.
constexpr double kLineRate = 11520;
constexpr int kDriverLimitSeconds = 180;

using Report = std::map<std::string, std::string>;

struct Run {
    Report report;
    std::string errors;  // the driver's error output, with the simulator's closing summary
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the command with its outputs in files, bounded by `timeout`; none when
// it failed (its error output is printed then).
std::optional<Run> runCommand(const std::string& work, const std::string& name, std::vector<std::string> words)
{
    words.insert(words.begin(), {"timeout", std::to_string(kDriverLimitSeconds)});
    const std::string out = work + "/" + name, err = out + ".err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd < 0 || errFd < 0)
            _exit(127);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "bench: " << name << " failed; see below\n" << fileText(err);
        return std::nullopt;
    }
    Run run;
    std::istringstream lines(fileText(out));
    for (std::string line; std::getline(lines, line);) {
        if (const auto equals = line.find('='); equals != std::string::npos)
            run.report.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    run.errors = fileText(err);
    return run;
}

std::optional<double> number(const Report& report, const std::string& key)
{
    const auto found = report.find(key);
    if (found == report.end())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(found->second.c_str(), &end);
    return end != found->second.c_str() ? std::optional(value) : std::nullopt;
}

std::string text(const Report& report, const std::string& key)
{
    const auto found = report.find(key);
    return found == report.end() ? std::string() : found->second;
}

// The median; of an even count, the lower middle value. None when a value is missing.
std::optional<double> middle(const std::vector<std::optional<double>>& values)
{
    std::vector<double> known;
    for (const auto& value : values) {
        if (!value)
            return std::nullopt;
        known.push_back(*value);
    }
    if (known.empty())
        return std::nullopt;
    std::sort(known.begin(), known.end());
    return known[(known.size() + 1) / 2 - 1];
}

// The largest; none when any is missing (not every run reported it).
std::optional<double> largest(const std::vector<std::optional<double>>& values)
{
    std::optional<double> most;
    for (const auto& value : values) {
        if (!value)
            return std::nullopt;
        most = std::max(most.value_or(*value), *value);
    }
    return most;
}

std::optional<double> ratio(std::optional<double> over, std::optional<double> under)
{
    return over && under && *under > 0 ? std::optional(*over / *under) : std::nullopt;
}

std::string fixed(std::optional<double> value, int decimals, const std::string& unit = {})
{
    if (!value)
        return "not available";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, *value);
    return buffer + unit;
}

std::string list(const std::vector<std::optional<double>>& values, int decimals)
{
    std::string shown;
    for (const auto& value : values)
        shown += (shown.empty() ? "" : " ") + fixed(value, decimals);
    return shown;
}

// What the paced simulator adds to its closing summary: the longest time
// between received sync bytes (us), the sync bytes after "$" and the calls after "?".
struct PacedLine {
    std::optional<double> syncGapMs, bytesAfterSync, bytesAfterHello;
};

PacedLine pacedLine(const std::string& errors)
{
    static const std::regex figures(
        R"(sync bytes at most ([0-9]+) us apart, ([0-9]+) sync bytes after "\$", ([0-9]+) calls after "\?")");
    std::smatch match;
    if (!std::regex_search(errors, match, figures))
        return {};
    return {std::stod(match[1]) / 1000, std::stod(match[2]), std::stod(match[3]) * 3};
}

double loadAverage()
{
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

class Table {
public:
    void rule() const { std::cout << std::string(186, '-') << "\n"; }
    void row(const std::string& figure, const std::string& what, const std::string& value,
             const std::string& bound = {}, const std::string& result = {}) const
    {
        std::printf("%-38s | %-78s | %-36s | %-16s | %s\n", figure.c_str(), what.c_str(), value.c_str(), bound.c_str(),
                    result.c_str());
    }
    // A row with a bound; counts the ones not met (a value not available is not met).
    void checked(const std::string& figure, const std::string& what, const std::string& value, const std::string& bound,
                 bool met)
    {
        row(figure, what, value, bound, met ? "met" : "not met");
        failures_ += met ? 0 : 1;
    }
    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

bool within(std::optional<double> value, const std::function<bool(double)>& bound)
{
    return value && bound(*value);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: " << argv[0] << " BUILD_DIR [PAIRS]\n";
        return 2;
    }
    const std::string build = argv[1];
    const int pairs = argc == 3 ? std::atoi(argv[2]) : 9;
    if (pairs <= 0) {
        std::cerr << "bench: the number of pairs must be a positive whole number, not '" << argv[2] << "'\n";
        return 2;
    }
    const std::string hexgen = build + "/korvel/tools/hexgen/korvel-hexgen";
    const std::string targetsim = build + "/korvel/tools/targetsim/korvel-targetsim";
    const std::map<std::string, std::string> drivers{{"program", build + "/korvel-bench-link"},
                                                     {"baseline", build + "/korvel-bench-baseline"}};
    char workTemplate[] = "/tmp/korvel-bench.XXXXXX";
    if (!mkdtemp(workTemplate)) {
        std::cerr << "bench: no temporary folder\n";
        return 1;
    }
    const std::string work = workTemplate;
    const auto cleanUp = [&work] { std::system(("rm -rf '" + work + "'").c_str()); };
    const auto fail = [&](const std::string& why) {
        if (!why.empty())
            std::cerr << "bench: " << why << "\n";
        cleanUp();
        return 1;
    };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    if (!runCommand(work, "hexgen-lines",
                    {hexgen, "--size", "19998", "--record-bytes", "1", "--seed", "1", work + "/lines.hex", "--bin",
                     work + "/lines.bin"}) ||
        !runCommand(
            work, "hexgen-flash",
            {hexgen, "--size", "32768", "--seed", "2", work + "/flash32k.hex", "--bin", work + "/flash32k.bin"}))
        return fail("");

    const double loadBefore = loadAverage();
    // kind -> driver -> runs
    std::map<std::string, std::map<std::string, std::vector<Run>>> runs;
    const std::map<std::string, std::vector<std::string>> simOptions{
        {"lines", {}}, {"paced", {"--pace", "115200", "--version", "1.28"}}};
    const std::map<std::string, std::string> hexOf{{"lines", "lines"}, {"paced", "flash32k"}};
    int images = 0, imagesEqual = 0;
    for (const std::string kind : {"lines", "paced"}) {
        for (int i = 1; i <= pairs; ++i) {
            for (const std::string driver : {"program", "baseline"}) {
                const std::string name = kind + "-" + driver + std::to_string(i);
                std::vector<std::string> words{drivers.at(driver),
                                               "--targetsim",
                                               targetsim,
                                               "--flash",
                                               work + "/" + hexOf.at(kind) + ".hex",
                                               "--"};
                words.insert(words.end(), simOptions.at(kind).begin(), simOptions.at(kind).end());
                words.insert(words.end(), {"--flash-out", work + "/" + name + ".img"});
                auto run = runCommand(work, name, words);
                if (!run)
                    return fail("");
                if (text(run->report, "success") != "yes")
                    return fail("the " + name + " download did not succeed: " + text(run->report, "outcome"));
                ++images;
                imagesEqual += fileText(work + "/" + name + ".img") == fileText(work + "/" + hexOf.at(kind) + ".bin");
                runs[kind][driver].push_back(std::move(*run));
            }
        }
    }
    const auto phase1 =
        runCommand(work, "phase1", {drivers.at("program"), "--probe", "silent", "--flash", work + "/flash32k.hex"});
    const auto phase2 =
        runCommand(work, "phase2", {drivers.at("program"), "--probe", "no-phase2", "--flash", work + "/flash32k.hex"});
    const auto window = runCommand(work, "window",
                                   {build + "/korvel-bench-window", "--targetsim", targetsim, "--flash",
                                    work + "/flash32k.hex", "--", "--flash-out", work + "/window.img"});
    if (!phase1 || !phase2 || !window)
        return fail("");
    if (text(window->report, "outcome").find("successfully") == std::string::npos)
        return fail("the window download did not succeed: " + text(window->report, "outcome"));
    ++images;
    imagesEqual += fileText(work + "/window.img") == fileText(work + "/flash32k.bin");
    const double loadAfter = loadAverage();

    // Per pair: the figures of the program and the baseline, and their ratio.
    const auto figure = [&](const std::string& kind, const std::string& driver, auto of) {
        std::vector<std::optional<double>> values;
        for (const Run& run : runs[kind][driver])
            values.push_back(of(run));
        return values;
    };
    const auto field = [](const std::string& key) { return [key](const Run& run) { return number(run.report, key); }; };
    const auto transfer = field("transfer_seconds");
    const auto linesPerSecond = [&](const Run& run) { return ratio(number(run.report, "lines"), transfer(run)); };
    const auto ratios = [&](const std::string& kind, bool baselineOverProgram) {
        const auto program = figure(kind, "program", transfer), baseline = figure(kind, "baseline", transfer);
        std::vector<std::optional<double>> values;
        for (std::size_t i = 0; i < program.size(); ++i)
            values.push_back(baselineOverProgram ? ratio(baseline[i], program[i]) : ratio(program[i], baseline[i]));
        return values;
    };
    const auto lineRatios = ratios("lines", true), pacedRatios = ratios("paced", false);
    const auto paced = [&](const std::string& driver, auto part) {
        return figure("paced", driver, [part](const Run& run) { return pacedLine(run.errors).*part; });
    };
    const auto gap = largest(paced("program", &PacedLine::syncGapMs));
    const auto backlogSync = largest(paced("program", &PacedLine::bytesAfterSync));
    const auto backlogHello = largest(paced("program", &PacedLine::bytesAfterHello));
    const Report& pacedFirst = runs["paced"]["program"].front().report;
    const double charMs = 1000 / kLineRate;
    const auto wireSeconds =
        (number(pacedFirst, "line_characters").value_or(0) + number(pacedFirst, "lines").value_or(0)) / kLineRate;
    const double gapBound = 2 + charMs;
    const auto syncRate = number(phase1->report, "sync_bytes_per_second");
    const auto helloRate = number(phase2->report, "triples_per_second");
    const double syncLow = 0.95 * kLineRate, syncHigh = 3 * kLineRate, helloLow = 0.9 * kLineRate / 3;
    const auto gapPair = [&](const std::string& kind, double scale, const std::string& unit, int decimals) {
        const auto program = middle(figure(kind, "program", field("later_line_median_seconds")));
        const auto baseline = middle(figure(kind, "baseline", field("later_line_median_seconds")));
        return fixed(program ? std::optional(*program * scale) : std::nullopt, decimals) + " / " +
               fixed(baseline ? std::optional(*baseline * scale) : std::nullopt, decimals) + " " + unit;
    };
    const auto withBaseline = [](std::optional<double> value, std::optional<double> baseline, int decimals,
                                 const std::string& unit) {
        return value ? fixed(value, decimals, unit) +
                           (baseline ? " (baseline " + fixed(baseline, decimals, unit) + ")" : "")
                     : "not available";
    };

    Table table;
    char heading[256];
    std::snprintf(heading, sizeof heading, "load average %.2f before, %.2f after; %d program/baseline pairs",
                  loadBefore, loadAfter, pairs);
    std::cout << "\nAVRBootloaderKorvel benchmark (" << sysconf(_SC_NPROCESSORS_ONLN) << " processors, " << heading
              << ")\n";
    table.rule();
    table.row("Figure", "What it measures", "Value", "Bound", "Result");
    table.rule();
    const auto lineRatio = middle(lineRatios);
    table.checked("Lines per second, to the baseline",
                  "20 000 one-byte records, simulator answering at once; median of the pairs", fixed(lineRatio, 3),
                  ">= 0.9", within(lineRatio, [](double v) { return v >= 0.9; }));
    table.row("  pairs", "program's lines/s over the baseline's, each pair run back to back", list(lineRatios, 3));
    table.row("  program, lines/s", "first line to outcome (information: set by the machine)",
              list(figure("lines", "program", linesPerSecond), 0));
    table.row("  baseline, lines/s", "the same download by korvel-bench-baseline",
              list(figure("lines", "baseline", linesPerSecond), 0));
    table.row("  line to line, program / baseline",
              "median time from one line written to the next (median of the runs)", gapPair("lines", 1e6, "us", 1));
    const auto pacedRatio = middle(pacedRatios);
    table.checked("32 KB paced transfer, to the baseline",
                  "simulator paced at 115200 baud (--pace); first line to outcome; median", fixed(pacedRatio, 3),
                  "<= 1.02", within(pacedRatio, [](double v) { return v <= 1.02; }));
    table.row("  pairs", "program's time over the baseline's", list(pacedRatios, 3));
    table.row("  program, seconds", "wire time of the lines and their answers: " + fixed(wireSeconds, 3) + " s",
              list(figure("paced", "program", transfer), 3));
    table.row("  baseline, seconds", "", list(figure("paced", "baseline", transfer), 3));
    table.row("  line to line, program / baseline",
              "the same; a 43-character line and its answer take " + fixed(44 * charMs, 3) + " ms on the wire",
              gapPair("paced", 1e3, "ms", 3));
    table.checked("Phase 1, sync bytes per second",
                  "0x55 arriving at a reader that takes every byte at once, over the 5 s window",
                  fixed(syncRate, 0, "/s"), fixed(syncLow, 0) + " to " + fixed(syncHigh, 0),
                  within(syncRate, [&](double v) { return v >= syncLow && v <= syncHigh; }));
    table.checked("Phase 2, \"@&$\" per second",
                  "triples arriving at the same reader over the 3 s window (\"$\" but no \"?\")",
                  fixed(helloRate, 0, "/s"), ">= " + fixed(helloLow, 0),
                  within(helloRate, [&](double v) { return v >= helloLow; }));
    table.checked("Backlog at \"$\"", "bytes the paced simulator received after its \"$\"; largest of the runs",
                  withBaseline(backlogSync, largest(paced("baseline", &PacedLine::bytesAfterSync)), 0, " bytes"),
                  "<= 512", within(backlogSync, [](double v) { return v <= 512; }));
    table.checked("Backlog at \"?\"", "bytes the paced simulator received after its \"?\"; largest of the runs",
                  withBaseline(backlogHello, largest(paced("baseline", &PacedLine::bytesAfterHello)), 0, " bytes"),
                  "<= 512", within(backlogHello, [](double v) { return v <= 512; }));
    table.checked("Longest phase 1 gap", "between received 0x55 bytes, paced simulator; largest of the runs",
                  withBaseline(gap, largest(paced("baseline", &PacedLine::syncGapMs)), 3, " ms"),
                  "<= " + fixed(gapBound, 3) + " ms", within(gap, [&](double v) { return v <= gapBound; }));
    const auto cpu1 = number(phase1->report, "processor_seconds"), cpu2 = number(phase2->report, "processor_seconds");
    table.checked("Processor time, 5 s silent phase 1", "getrusage of the program over the download (no \"$\")",
                  fixed(cpu1, 3, " s"), "< 0.05", within(cpu1, [](double v) { return v < 0.05; }));
    table.checked("Processor time, 3 s silent phase 2", "the same with \"$\" but no \"?\"", fixed(cpu2, 3, " s"),
                  "< 0.05", within(cpu2, [](double v) { return v < 0.05; }));
    table.checked("Images", "the simulator's FLASH image equals the generated bytes, every download",
                  std::to_string(imagesEqual) + " of " + std::to_string(images), "all", imagesEqual == images);
    table.row("Start to main window shown", "QApplication, FrmMain, Form_Load with the probe of COM1-COM16, show",
              fixed(number(window->report, "start_to_shown_seconds"), 3, " s"), "(information)");
    const auto mib = [](std::optional<double> kib) { return kib ? std::optional(*kib / 1024) : std::nullopt; };
    table.row("Peak memory, complete download", "max RSS of korvel-bench-window after the 32 KB download / before it",
              fixed(mib(number(window->report, "peak_rss_after_download_kib")), 0) + " MiB / " +
                  fixed(mib(number(window->report, "peak_rss_shown_kib")), 0) + " MiB",
              "(information)");
    table.row("  without widgets", "max RSS of korvel-bench-link, paced run / of korvel-bench-baseline",
              text(pacedFirst, "peak_rss_kib") + " / " +
                  text(runs["paced"]["baseline"].front().report, "peak_rss_kib") + " KiB",
              "(information)");
    table.rule();
    cleanUp();
    if (table.failures() > 0) {
        std::cout << "bench: " << table.failures() << " bound(s) not met\n";
        return 1;
    }
    std::cout << "bench: every bound met\n";
    return 0;
}
