#pragma once

namespace korvel::system {

// A POSIX file descriptor, closed on every way out; -1 holds none. Used by
// the POSIX sides of the system and platform layers.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace korvel::system
