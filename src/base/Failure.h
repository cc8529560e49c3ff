#pragma once

#include <stdexcept>

namespace korvel {

// The one kind of exception that crosses a seam between the program's layers:
// a port that failed, a file that could not be read. Code that reports a
// failure to the user catches it by this name (or a name derived from it) and
// nothing wider, so that a programming error is never dressed up as a port or
// file fault. Inside a layer, failures travel as results or optionals.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace korvel
