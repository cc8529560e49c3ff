// The system layer on POSIX systems: FIFOs, stop signals, the standard
// descriptors.
#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScratchFolder.h"
#include "system/StopRequests.h"
#include "system/Terminal.h"
#include "system/WholeFile.h"

namespace korvel::system {
namespace {

// A settings or ports file that is a FIFO, also behind a link, is refused at
// once, even with a writer that never ends; a HEX file that is one is read as
// its writer writes.
TEST(WholeFilePosix, FifoIsRefusedOrReadAsItsWriterWrites)
{
    const ScratchFolder dir;
    const std::string fifo = dir.path("fifo"), link = dir.path("link");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, "abc", 3), 3);
    for (const std::string& path : {fifo, link})
        EXPECT_EQ(readWholeFile(path, {100, true, std::chrono::minutes(1)}).outcome, WholeFile::Outcome::NotRegular);
    // The writer finishes when the reader first waits for more.
    int writerOpen = writer;
    const WholeFile read = readWholeFile(fifo, {100, false, std::chrono::minutes(1), [&writerOpen] {
                                                    if (writerOpen >= 0)
                                                        ::close(writerOpen);
                                                    writerOpen = -1;
                                                    return true;
                                                }});
    EXPECT_EQ(read.outcome, WholeFile::Outcome::Read);
    EXPECT_EQ(read.content, "abc");
}

// Each stop signal gives its exit status; a question's input ends at a stop.
TEST(StopRequestsPosix, SignalsAndTheirExitStatuses)
{
    const std::pair<int, int> rows[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& [signal, status] : rows) {
        EXPECT_EXIT(
            {
                StopRequests stops;
                ::raise(signal);
                const bool ended = stops.input().get() == std::char_traits<char>::eof();
                std::exit(ended ? exitStatusOf(stopRequested()) : 1);
            },
            testing::ExitedWithCode(status), "")
            << signal;
    }
}

// Closes descriptors 0 to 2, prepares the standard streams and opens a file:
// its descriptor must come after them, and descriptor 0 must be /dev/null.
[[noreturn]] void startWithoutStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd)
        ::close(fd);
    prepareStandardStreams();
    const int later = ::open("/dev/zero", O_RDONLY);
    struct stat null {};
    struct stat in {};
    const bool onNull = ::stat("/dev/null", &null) == 0 && ::fstat(0, &in) == 0 && in.st_rdev == null.st_rdev;
    std::_Exit(later > 2 && onNull && !isTerminal(StandardStream::Input) ? 0 : 1);
}

// A program started with descriptors 0 to 2 closed gets them on /dev/null
// before it opens anything, so that no file it opens later takes their place.
TEST(TerminalPosix, ClosedStandardDescriptorsAreOpenedOnDevNull)
{
    EXPECT_EXIT(startWithoutStandardDescriptors(), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace korvel::system
