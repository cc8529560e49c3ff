#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

const std::string kEndOfFile = ":00000001FF";
const std::string kAnswers = "~-%#@";

std::vector<std::string> withProgram(std::vector<std::string> options) {
    options.insert(options.begin(), KORVEL_TARGETSIM_PATH);
    return options;
}

// A running simulator with the PC's side of its line open.
struct Simulator {
    explicit Simulator(std::vector<std::string> options)
        : child(withProgram(std::move(options))), path(child.readLine(5000)), port(path) {}

    ChildProcess child;
    std::string path;
    SlavePort port;
};

// Everything up to and including the "#" that ends a download or a file.
std::string readUntilHash(SlavePort& port) { return port.readUntilChar('#', 5000); }

// Sends each line after the answer to the previous one, as the PC does.
std::string sendLines(SlavePort& port, const std::vector<std::string>& lines) {
    std::string answers;
    for (const auto& line : lines) {
        port.write(line);
        std::string answer = port.readUntil(
            [](const std::string& text) { return text.find_first_of(kAnswers) != std::string::npos; }, 5000);
        if (answer == "@") answer += port.readUntilChar('#', 5000);
        answers += answer;
    }
    return answers;
}

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

class TargetSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { removeTree(dir); }

    // Generates a HEX file and its raw data; returns the HEX file's lines.
    std::vector<std::string> generate(const std::string& name, std::size_t size, unsigned seed,
                                      std::size_t address = 0) {
        const int status = runHexgen({"--size", std::to_string(size), "--seed", std::to_string(seed), "--address",
                                      std::to_string(address), file(name + ".hex"), "--bin", file(name + ".raw")});
        EXPECT_EQ(status, 0);
        return hexLines(file(name + ".hex"));
    }
    std::string file(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
};

struct VersionCase {
    std::vector<std::string> options;
    std::string expected;  // from the handshake answer to the end of an empty EEPROM download
};

class VersionAnswer : public TargetSimTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionAnswer, FollowsOneDollarPer512SyncBytesAndAPortProbe) {
    Simulator sim(GetParam().options);
    ASSERT_TRUE(sim.port.isOpen()) << sim.path;
    sim.port.write("\x55");
    EXPECT_EQ(sim.port.readUntilChar('$', 3000), "$");
    sim.port.write(repeat('\x55', 1024));
    EXPECT_EQ(sim.port.readUntil([](const std::string& t) { return t.size() >= 2; }, 3000), "$$");
    SlavePort(sim.path).close();  // the PC's port probe opens and closes the line
    sim.port.write("@&$*" + kEndOfFile);
    EXPECT_EQ(readUntilHash(sim.port), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Variants, VersionAnswer,
                         ::testing::Values(VersionCase{{}, "?G1.28@#"}, VersionCase{{"--version", "1.3"}, "?G1.3@#"},
                                           VersionCase{{"--version="}, "?G@#"}, VersionCase{{"--no-g"}, "?@#"}));

struct DownloadCase {
    const char* name;
    const char* selector;
    std::size_t eepromSize;  // 0: no EEPROM file
    std::size_t flashSize;   // 0: no FLASH file
    std::size_t flashAddress;
};

class Download : public TargetSimTest, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(Download, BuildsTheImagesTheFilesDescribe) {
    const DownloadCase& c = GetParam();
    Simulator sim({"--once", "--flash-out", file("flash.bin"), "--eeprom-out", file("eeprom.bin")});
    handshake(sim.port);
    sim.port.write(c.selector);

    std::string expectedAnswers;
    std::string answers;
    if (c.eepromSize > 0) {
        const auto lines = generate("eeprom", c.eepromSize, 7);
        answers += sendLines(sim.port, lines);
        expectedAnswers += repeat('~', lines.size() - 1) + (c.flashSize > 0 ? "#" : "@#");
    }
    if (c.flashSize > 0) {
        const auto lines = generate("flash", c.flashSize, 11, c.flashAddress);
        answers += sendLines(sim.port, lines);
        expectedAnswers += repeat('~', lines.size() - 1) + "@#";
    }
    EXPECT_EQ(answers, expectedAnswers);

    sim.port.close();  // the PC closes the port after the download
    EXPECT_EQ(sim.child.waitExit(5000), 0);

    auto flashExpected = readBytes(file("flash.raw"));
    if (!flashExpected.empty()) flashExpected.insert(flashExpected.begin(), c.flashAddress, 0xFF);
    EXPECT_EQ(readBytes(file("flash.bin")), flashExpected);
    EXPECT_EQ(readBytes(file("eeprom.bin")), readBytes(file("eeprom.raw")));
}

INSTANTIATE_TEST_SUITE_P(Selectors, Download,
                         ::testing::Values(DownloadCase{"EepromOnly", "*", 1000, 0, 0},
                                           DownloadCase{"FlashOnly", "", 0, 70000, 0x1F0},
                                           DownloadCase{"Both", "*!", 300, 5000, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetSimTest, ChecksEveryRecordAndServesASecondDownload) {
    const std::string link = file("port");
    Simulator sim({"--link", link, "--flash-out", file("flash.bin")});
    ASSERT_EQ(std::filesystem::read_symlink(link), sim.path);
    SlavePort port(link);
    handshake(port);
    port.write(":0100000055AA"     // data 0x55 at 0
               ":0100000055AB"     // bad checksum
               ":01000100Z5A9"     // not a hex digit
               ":00000006FA"       // unknown record type
               ":0100000400FB"     // extended linear address with one byte
               ":0100"             // cut short by the next record
               ":020000021000EC"   // extended segment address 0x1000
               ":01000200a558"     // data 0xA5 at 0x10002, lower-case digits
               ":04000005000000CD2A"  // start linear address
               + kEndOfFile);
    EXPECT_EQ(readUntilHash(port), "~-----~~~@#");
    std::vector<std::uint8_t> image(0x10003, 0xFF);
    image[0] = 0x55;
    image[0x10002] = 0xA5;
    EXPECT_EQ(readBytes(file("flash.bin")), image);

    handshake(port);
    port.write(":010000007788" + kEndOfFile);
    EXPECT_EQ(readUntilHash(port), "~@#");
    image[0] = 0x77;
    EXPECT_EQ(readBytes(file("flash.bin")), image);

    sim.child.terminate();
    EXPECT_EQ(sim.child.waitExit(5000), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_NE(sim.child.errorOutput().find("7 records accepted"), std::string::npos) << sim.child.errorOutput();
    EXPECT_NE(sim.child.errorOutput().find("2 downloads completed"), std::string::npos);
}

struct InjectionCase {
    const char* name;
    std::vector<std::string> options;
    std::vector<int> sends;  // indexes into the three lines, in the order the PC sends them
    std::string answers;
    const char* resends;
};

class InjectedError : public TargetSimTest, public ::testing::WithParamInterface<InjectionCase> {};

TEST_P(InjectedError, AnswersAsConfigured) {
    const InjectionCase& c = GetParam();
    const std::vector<std::string> lines{":0100000011EE", ":0100010022DC", kEndOfFile};
    Simulator sim(c.options);
    handshake(sim.port);
    std::string script;
    for (int index : c.sends) script += lines[static_cast<std::size_t>(index)];
    sim.port.write(script);
    EXPECT_EQ(readUntilHash(sim.port), c.answers);
    sim.child.terminate();
    ASSERT_EQ(sim.child.waitExit(5000), 0);
    EXPECT_NE(sim.child.errorOutput().find(c.resends), std::string::npos) << sim.child.errorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Options, InjectedError,
    ::testing::Values(InjectionCase{"ChecksumErrorsOnOneLine", {"--checksum-errors", "2", "--error-line", "2"},
                                    {0, 1, 1, 1, 2}, "~--~@#", "2 resends seen"},
                      InjectionCase{"ChecksumErrorOnEveryLine", {"--checksum-errors", "1"},
                                    {0, 0, 1, 1, 2, 2}, "-~-~-@#", "3 resends seen"},
                      InjectionCase{"WriteError", {"--write-error-line", "1"}, {0, 1, 2}, "%~@#", "0 resends seen"},
                      InjectionCase{"SilentLine", {"--silent-line", "2"}, {0, 1, 1, 2}, "~@#", "1 resends seen"},
                      InjectionCase{"AnswerDelay", {"--answer-delay", "20"}, {0, 1, 2}, "~~@#", "0 resends seen"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetSimTest, SilentTargetAndTargetWithoutPhase2) {
    Simulator silent({"--silent"});
    silent.port.write(repeat('\x55', 1024) + "@&$");
    EXPECT_EQ(silent.port.readFor(300), "");

    Simulator noPhase2({"--no-phase2"});
    noPhase2.port.write(repeat('\x55', 512));
    EXPECT_EQ(noPhase2.port.readUntilChar('$', 3000), "$");
    noPhase2.port.write("@&$@&$");
    EXPECT_EQ(noPhase2.port.readFor(300), "");
}

TEST_F(TargetSimTest, CloseAfterHangsUpTheLine) {
    Simulator sim({"--close-after", "2"});
    handshake(sim.port);
    sim.port.write(":0100000011EE:0100010022DC");
    EXPECT_TRUE(sim.port.seesHangUp(5000));
    EXPECT_EQ(sim.child.waitExit(5000), 0);
}

TEST_F(TargetSimTest, XoffAfterLinesAndXonLater) {
    Simulator sim({"--xoff-after", "1", "--xon-after", "50"});
    handshake(sim.port);
    sim.port.write(":0100000011EE");
    EXPECT_EQ(sim.port.readUntilChar('\x11', 3000), "~\x13\x11");

    // With software flow control on the PC's side the XOFF stops its output until the XON.
    Simulator stopping({"--xoff-after", "1", "--xon-after", "300"});
    SlavePort port(stopping.path, true);
    handshake(port);
    port.write(":0100000011EE");
    EXPECT_EQ(port.readUntilChar('~', 3000), "~");
    EXPECT_EQ(port.readFor(100), "");
    EXPECT_FALSE(port.writable(0));
    EXPECT_TRUE(port.writable(3000));
    port.write(":0100010022DC");
    EXPECT_EQ(port.readUntilChar('~', 3000), "~");
}

TEST_F(TargetSimTest, PacedTransferTakesItsLineTime) {
    constexpr int kRecords = 100;
    const auto lines = generate("paced", kRecords * 16, 5);
    ASSERT_EQ(lines.size(), kRecords + 2u);
    std::size_t characters = 0;
    for (const auto& line : lines) characters += line.size() + 1;
    characters += 1;  // the "#" after the "@"

    Simulator sim({"--pace", "115200"});
    handshake(sim.port);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sendLines(sim.port, lines), repeat('~', kRecords + 1) + "@#");
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;

    const double lineTimeMs = characters * 10 * 1000.0 / 115200;
    EXPECT_GE(elapsed.count(), lineTimeMs * 0.99);
    EXPECT_LT(elapsed.count(), lineTimeMs * 20);
}

TEST_F(TargetSimTest, NoiseNeverHoldsProtocolCharacters) {
    const auto lines = generate("noisy", 160, 9);
    Simulator sim({"--noise"});
    sim.port.write(repeat('\x55', 512));
    const std::string sync = sim.port.readUntilChar('$', 3000);
    sim.port.write("@&$");
    std::string received = sim.port.readUntilChar('?', 3000);
    for (const auto& line : lines) {
        sim.port.write(line);
        received += sim.port.readUntil(
            [](const std::string& text) { return text.find_first_of("~#") != std::string::npos; }, 3000);
    }

    const std::string protocol = "~#@-%?$G*\x11\x13";
    std::string filtered;
    for (char c : sync + received)
        if (protocol.find(c) != std::string::npos) filtered += c;
    EXPECT_EQ(filtered, "$?G" + repeat('~', lines.size() - 1) + "@#");
    EXPECT_GT(received.size(), filtered.size() + lines.size());
    const auto g = received.find('G');
    ASSERT_NE(g, std::string::npos);
    EXPECT_EQ(std::strtof(received.c_str() + g + 1, nullptr), 1.28f);
}

}  // namespace
