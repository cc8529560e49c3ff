#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvel::system {

enum class StandardStream { Input, Output, Error };

// Prepares the standard streams before anything else is opened. POSIX: a
// descriptor 0, 1 or 2 that the program was started without is opened on
// /dev/null, so that no file or port opened later takes its place and gets
// what was meant for the terminal (a question reading its answer from the
// port). Windows: a console output is set to take the cursor's escape
// sequences.
void prepareStandardStreams();

// True when `stream` is a terminal (a console on Windows).
bool isTerminal(StandardStream stream);

// The columns of the terminal behind the standard output as it is now (it
// may have been resized since the last call); 0 when it is none or does not
// tell.
int outputColumns();

// The standard output and error for text in UTF-8: a Windows console is given
// the text as characters, whatever its code page; anything else, and every
// stream on POSIX systems, gets the UTF-8 bytes unchanged.
std::ostream& standardOutput();
std::ostream& standardError();

// The arguments after the program's name, in UTF-8. On Windows they are read
// from the wide command line, so that no character outside the ANSI code page
// is lost; elsewhere they are `argv` as given.
std::vector<std::string> programArguments(int argc, char** argv);

// A program built for the windows has no console of its own. When it was
// started from a console (cmd.exe, PowerShell), this joins that console so
// that the text of a command-line run appears there; true when it did. A
// no-op that gives false on POSIX systems, where the terminal is inherited.
// Joining a console empties the program's table of control handlers: the
// program joins through StopRequests (ParentConsole::Join), which registers
// its handler after the join.
bool joinParentConsole();

}  // namespace korvel::system
